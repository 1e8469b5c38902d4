#include "richtext/document.h"

#include <utility>

namespace jb::richtext {

void DocumentBuilder::Text(std::string_view utf8, const CharFormat& format) {
    if (utf8.empty()) return;
    if (!current_.runs.empty()) {
        Run& last = current_.runs.back();
        if (!last.image && last.link == link_ && last.format == format) {
            last.text += utf8;
            return;
        }
    }
    current_.runs.push_back(Run{format, std::string(utf8), link_, std::nullopt});
}

void DocumentBuilder::ParagraphEnd(const ParaFormat& format) {
    current_.format = format;
    doc_.paragraphs.push_back(std::move(current_));
    current_ = Paragraph{};
}

void DocumentBuilder::Picture(const Image& image, const CharFormat& format) {
    current_.runs.push_back(Run{format, std::string(), link_, image});
}

Document DocumentBuilder::Take() {
    Document out = std::move(doc_);
    doc_ = Document{};
    current_ = Paragraph{};
    link_.clear();
    return out;
}

std::string CleanFontName(std::string_view name) {
    std::string out;
    for (char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b != 0x7F && c != ';') out += c;
    }
    const std::size_t first = out.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    out.erase(0, first);
    out.erase(out.find_last_not_of(' ') + 1);
    return out;
}

void AppendPlain(std::string_view utf8, std::string& out) {
    std::size_t i = 0;
    while (i < utf8.size()) {
        // Only U+2028 (E2 80 A8) and U+00A0 (C2 A0) change; copy everything else in bulk.
        std::size_t j = utf8.find_first_of("\xE2\xC2", i);
        if (j == std::string_view::npos) {
            out.append(utf8.substr(i));
            return;
        }
        out.append(utf8.substr(i, j - i));
        if (utf8.compare(j, 3, "\xE2\x80\xA8") == 0) {
            out += '\n';
            i = j + 3;
        } else if (utf8.compare(j, 2, "\xC2\xA0") == 0) {
            out += ' ';
            i = j + 2;
        } else {
            out += utf8[j];
            i = j + 1;
        }
    }
}

std::string PlainText(const Document& doc) {
    std::string out;
    bool first = true;
    for (const Paragraph& p : doc.paragraphs) {
        if (!first) out += '\n';
        first = false;
        for (const Run& r : p.runs) {
            if (r.image) {
                out += "\xEF\xBF\xBC";
            } else {
                AppendPlain(r.text, out);
            }
        }
    }
    return out;
}

}  // namespace jb::richtext
