#include "richtext/hyperlink_field.h"

#include <algorithm>

namespace jb::richtext {

std::string LinkTarget(std::string_view instr) {
    std::size_t i = 0;
    auto skipSpace = [&] {
        while (i < instr.size() && static_cast<unsigned char>(instr[i]) <= ' ') ++i;
    };
    skipSpace();
    constexpr std::string_view kHyperlink = "HYPERLINK";
    if (instr.size() - i < kHyperlink.size()) return {};
    for (std::size_t k = 0; k < kHyperlink.size(); ++k) {
        char c = instr[i + k];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != kHyperlink[k]) return {};
    }
    i += kHyperlink.size();
    auto argument = [&] {
        skipSpace();
        std::string arg;
        if (i < instr.size() && instr[i] == '"') {
            ++i;
            while (i < instr.size() && instr[i] != '"') {
                if (instr[i] == '\\' && i + 1 < instr.size() && instr[i + 1] == '\\') ++i;
                arg += instr[i++];
            }
            if (i < instr.size()) ++i;
        } else {
            while (i < instr.size() && static_cast<unsigned char>(instr[i]) > ' ') arg += instr[i++];
        }
        return arg;
    };
    std::string url;
    std::string bookmark;
    while (true) {
        skipSpace();
        if (i >= instr.size()) break;
        if (instr[i] == '\\' && i + 1 < instr.size()) {
            const char sw = instr[i + 1];
            i += 2;
            if (sw == 'l') {
                bookmark = argument();
            } else if (sw == 'o' || sw == 't') {
                argument();
            }
        } else {
            std::string arg = argument();
            if (url.empty()) url = std::move(arg);
        }
    }
    if (!bookmark.empty()) url += "#" + bookmark;
    // A target keeps no control characters and no quotes.
    std::erase_if(url, [](char c) { return static_cast<unsigned char>(c) < ' ' || c == '"' || c == 0x7F; });
    return url;
}

}  // namespace jb::richtext
