#pragma once
// Reads files we wrote with tools others wrote: pandoc, pdftotext and pdfinfo (poppler-utils).

#include <cstdio>
#include <string>

namespace jb::test {

// The standard output of a shell command; its exit status in `status`.
inline std::string CommandOutput(const std::string& command, int* status = nullptr) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    const int rc = ::pclose(pipe);
    if (status) *status = rc;
    return out;
}

// The text of a file as pandoc reads it, in pandoc's plain-text form.
inline std::string PandocText(const std::string& path, const std::string& from) {
    return CommandOutput("pandoc -f " + from + " -t plain --wrap=none '" + path + "' 2>&1");
}

inline std::string PdfText(const std::string& path) { return CommandOutput("pdftotext -layout '" + path + "' - 2>&1"); }

inline std::string PdfTitle(const std::string& path) {
    std::string info = CommandOutput("pdfinfo '" + path + "' 2>/dev/null");
    const std::size_t at = info.find("Title:");
    if (at == std::string::npos) return {};
    std::size_t start = info.find_first_not_of(' ', at + 6);
    return info.substr(start, info.find('\n', start) - start);
}

}  // namespace jb::test
