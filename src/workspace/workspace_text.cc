#include "workspace/workspace_text.h"

#include <climits>

#include "store/dataset_paths.h"

namespace jb::workspace {
namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char16_t LowerAscii16(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c; }

std::string LowerName(std::string_view name) {
    std::string out(name);
    for (char& c : out) c = LowerAscii(c);
    return out;
}

}  // namespace

std::string CaptionText(std::string_view dataSet, int pageCount) {
    std::string name = FileNameOf(dataSet);
    const std::string count = " (" + std::to_string(pageCount) + " pages)";
    if (IsDeletedPagesDataSet(dataSet)) return "Deleted pages from: " + LowerName(name.substr(1)) + count;
    return LowerName(name) + count;
}

bool IsPageNumberText(std::string_view text) {
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

std::optional<int> PageNumberOf(std::string_view text) {
    if (text.empty() || !IsPageNumberText(text)) return std::nullopt;
    long long value = 0;
    for (char c : text) {
        value = value * 10 + (c - '0');
        if (value > INT_MAX) return INT_MAX;
    }
    return static_cast<int>(value);
}

bool IsLastKeyword(std::string_view text) { return LowerName(text) == "last"; }

bool IsFindSwitch(const std::vector<std::string>& parameters) {
    if (parameters.empty()) return false;
    std::string first = parameters.front();
    for (char& c : first) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    return first == "/FIND";
}

std::string JoinedParameters(const std::vector<std::string>& parameters) {
    std::string joined;
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        if (i) joined += ' ';
        joined += parameters[i];
    }
    return joined;
}

std::vector<std::size_t> WebAddressInsertions(std::u16string_view original) {
    static constexpr std::u16string_view kWww = u"www.";
    static constexpr std::u16string_view kHttp = u"http://";
    std::u16string text(original);
    std::vector<std::size_t> positions;
    std::size_t from = 0;
    while (from + kWww.size() <= text.size()) {
        std::size_t p = std::u16string::npos;
        for (std::size_t i = from; i + kWww.size() <= text.size(); ++i) {
            bool match = true;
            for (std::size_t k = 0; k < kWww.size() && match; ++k) match = LowerAscii16(text[i + k]) == kWww[k];
            if (match) {
                p = i;
                break;
            }
        }
        if (p == std::u16string::npos) break;
        if (!(p >= 2 && text[p - 2] == u'/' && text[p - 1] == u'/')) {
            text.insert(p, kHttp);
            positions.push_back(p);
        }
        from = p + 11;
    }
    return positions;
}

}  // namespace jb::workspace
