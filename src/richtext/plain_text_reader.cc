#include "richtext/plain_text_reader.h"

#include <string>

#include "richtext/code_page.h"

namespace jb::richtext {

void ReadPlainText(std::string_view input, Sink& sink) {
    if (const std::size_t nul = input.find('\0'); nul != std::string_view::npos) {
        input = input.substr(0, nul);
    }
    CharFormat format;
    format.font = "Arial";
    format.halfPoints = 20;
    std::string line;
    std::size_t i = 0;
    while (i < input.size()) {
        std::size_t end = input.find_first_of("\r\n", i);
        if (end == std::string_view::npos) end = input.size();
        line.clear();
        for (std::size_t k = i; k < end; ++k) {
            const auto b = static_cast<unsigned char>(input[k]);
            if ((b < 0x20 && b != '\t') || b == 0x7F) continue;
            if (b < 0x80) {
                line += static_cast<char>(b);
            } else {
                const char32_t cp = FromCp1252(b);
                if (cp < 0xA0) continue;  // the unassigned bytes
                AppendUtf8(cp, line);
            }
        }
        if (!line.empty()) sink.Text(line, format);
        if (end == input.size()) {
            if (!line.empty()) sink.ParagraphEnd(ParaFormat{});
            break;
        }
        sink.ParagraphEnd(ParaFormat{});
        i = end + 1;
        if (input[end] == '\r' && i < input.size() && input[i] == '\n') ++i;
    }
}

}  // namespace jb::richtext
