#include "transfer/file_types.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace jb::transfer {

const std::vector<FileType>& ExportFileTypes() {
    static const std::vector<FileType> types = {
        {"Rich Text Format", "*.rtf", FileKind::kRichText},
        {"Plain Text Format", "*.txt", FileKind::kPlainText},
        {"HTML Document", "*.htm *.html", FileKind::kHtml},
        {"OpenDocument Text", "*.odt", FileKind::kOdt},
        {"Markdown", "*.md", FileKind::kMarkdown},
        {"PDF Document", "*.pdf", FileKind::kPdf},
    };
    return types;
}

const std::vector<FileType>& ImportFileTypes() {
    static const std::vector<FileType> types = {
        {"Rich Text Format", "*.rtf", FileKind::kRichText},
        {"Plain Text Format", "*.txt", FileKind::kPlainText},
        {"HTML Document", "*.htm *.html", FileKind::kHtml},
        {"Markdown", "*.md *.markdown", FileKind::kMarkdown},
    };
    return types;
}

namespace {

// The kind that a file name's extension, in any letter case, names among those import reads.
std::optional<FileKind> KindOfExtension(std::string_view fileName) {
    const std::size_t dot = fileName.find_last_of("./");
    if (dot == std::string_view::npos || fileName[dot] != '.') return std::nullopt;
    std::string extension(fileName.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    static const std::pair<std::string_view, FileKind> kinds[] = {
        {"txt", FileKind::kPlainText}, {"rtf", FileKind::kRichText}, {"htm", FileKind::kHtml},
        {"html", FileKind::kHtml},     {"md", FileKind::kMarkdown},  {"markdown", FileKind::kMarkdown},
    };
    for (const auto& [name, kind] : kinds)
        if (extension == name) return kind;
    return std::nullopt;
}

}  // namespace

FileKind ImportKindOf(std::string_view fileName, int type, TypeChoice choice) {
    if (fileName.ends_with(".txt")) return FileKind::kPlainText;
    if (fileName.ends_with(".rtf")) return FileKind::kRichText;
    if (choice == TypeChoice::kDefault)
        if (const std::optional<FileKind> kind = KindOfExtension(fileName)) return *kind;
    const std::vector<FileType>& types = ImportFileTypes();
    if (type < 0 || type >= static_cast<int>(types.size())) return FileKind::kRichText;
    return KindOfTypeName(types[static_cast<std::size_t>(type)].name, types);
}

FileKind KindOfTypeName(std::string_view name, const std::vector<FileType>& types) {
    if (name.find("Rich Text") != std::string_view::npos) return FileKind::kRichText;
    if (name.find("Plain Text") != std::string_view::npos) return FileKind::kPlainText;
    for (const FileType& t : types)
        if (t.name == name) return t.kind;
    return FileKind::kRichText;
}

std::string ExtensionOfType(const FileType& type) {
    std::string_view first = type.patterns.substr(0, type.patterns.find(' '));
    if (!first.empty() && first.front() == '*') first.remove_prefix(1);
    return std::string(first.substr(0, 4));
}

int ExportTypeOfFormat(std::string_view format) {
    static const std::string_view formats[] = {"rtf", "txt", "html", "odt", "md", "pdf"};
    for (int i = 0; i < static_cast<int>(std::size(formats)); ++i)
        if (formats[i] == format) return i;
    return -1;
}

}  // namespace jb::transfer
