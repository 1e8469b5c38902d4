#include "richtext/rtf_writer.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

#include "richtext/code_page.h"

namespace jb::richtext {
namespace {

class Writer {
public:
    Writer(const Document& doc, const WriteOptions& options) : doc_(doc), options_(options) {}
    std::string Write();

private:
    int FontIndex(const std::string& name);
    int ColorIndex(const std::optional<Rgb>& color);
    void Collect();
    void Word(std::string_view word);
    void Word(std::string_view word, long long param);
    void Text(std::string_view utf8);
    void Format(const CharFormat& next);
    void Paragraph(const ParaFormat& format);
    void Picture(const Image& image);
    void Hyperlink(const std::vector<Run>& runs, std::size_t& i);
    void RunText(const Run& run);

    const Document& doc_;
    const WriteOptions& options_;
    std::vector<std::string> fonts_;
    std::vector<Rgb> colors_;
    std::string out_;
    bool needsDelimiter_ = false;
    CharFormat cur_;  // the format in effect where the output stands
};

int Writer::FontIndex(const std::string& name) {
    const std::string n = CleanFontName(name.empty() ? options_.defaultFont : name);
    for (std::size_t k = 0; k < fonts_.size(); ++k) {
        if (fonts_[k] == n) return static_cast<int>(k);
    }
    fonts_.push_back(n);
    return static_cast<int>(fonts_.size() - 1);
}

int Writer::ColorIndex(const std::optional<Rgb>& color) {
    if (!color) return 0;
    for (std::size_t k = 0; k < colors_.size(); ++k) {
        if (colors_[k] == *color) return static_cast<int>(k + 1);
    }
    colors_.push_back(*color);
    return static_cast<int>(colors_.size());
}

void Writer::Collect() {
    FontIndex(options_.defaultFont);
    for (const auto& p : doc_.paragraphs) {
        for (const auto& r : p.runs) {
            if (r.image) continue;
            FontIndex(r.format.font);
            ColorIndex(r.format.color);
            ColorIndex(r.format.highlight);
        }
    }
}

void Writer::Word(std::string_view word) {
    out_ += '\\';
    out_ += word;
    needsDelimiter_ = true;
}

void Writer::Word(std::string_view word, long long param) {
    out_ += '\\';
    out_ += word;
    out_ += std::to_string(param);
    needsDelimiter_ = true;
}

void Writer::Text(std::string_view utf8) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::size_t i = 0;
    while (i < utf8.size()) {
        // Plain ASCII goes out in bulk.
        std::size_t j = i;
        while (j < utf8.size()) {
            const auto b = static_cast<unsigned char>(utf8[j]);
            if (b < 0x20 || b >= 0x7F || b == '\\' || b == '{' || b == '}') break;
            ++j;
        }
        if (j > i) {
            if (needsDelimiter_) out_ += ' ';
            needsDelimiter_ = false;
            out_.append(utf8.substr(i, j - i));
            i = j;
            if (i >= utf8.size()) break;
        }
        const char32_t cp = NextCodePoint(utf8, i);
        switch (cp) {
            case '\\': case '{': case '}':
                out_ += '\\';
                out_ += static_cast<char>(cp);
                needsDelimiter_ = false;
                continue;
            case '\t': Word("tab"); continue;
            case 0x2028: Word("line"); continue;
            case 0x00A0: out_ += "\\~"; needsDelimiter_ = false; continue;
            case 0x2011: out_ += "\\_"; needsDelimiter_ = false; continue;
            case 0x00AD: out_ += "\\-"; needsDelimiter_ = false; continue;
            default: break;
        }
        if (cp < 0x20 || cp == 0x7F) continue;
        if (const int b = ToCp1252(cp); b >= 0) {
            out_ += "\\'";
            out_ += kHex[b >> 4];
            out_ += kHex[b & 15];
            needsDelimiter_ = false;
            continue;
        }
        auto unicode = [&](char32_t unit) {
            out_ += "\\u";
            out_ += std::to_string(unit >= 0x8000 ? static_cast<long>(unit) - 65536 : static_cast<long>(unit));
            out_ += '?';
            needsDelimiter_ = false;
        };
        if (cp >= 0x10000) {
            unicode(0xD800 + ((cp - 0x10000) >> 10));
            unicode(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            unicode(cp);
        }
    }
}

void Writer::Format(const CharFormat& next) {
    const int font = FontIndex(next.font);
    if (FontIndex(cur_.font) != font) Word("f", font);
    if (cur_.halfPoints != next.halfPoints) Word("fs", next.halfPoints);
    if (cur_.color != next.color) Word("cf", ColorIndex(next.color));
    if (cur_.highlight != next.highlight) Word("highlight", ColorIndex(next.highlight));
    if (cur_.bold != next.bold) next.bold ? Word("b") : Word("b0");
    if (cur_.italic != next.italic) next.italic ? Word("i") : Word("i0");
    if (cur_.underline != next.underline) next.underline ? Word("ul") : Word("ulnone");
    if (cur_.strike != next.strike) next.strike ? Word("strike") : Word("strike0");
    if (cur_.valign != next.valign) {
        Word(next.valign == VerticalAlign::kSuperscript ? "super"
             : next.valign == VerticalAlign::kSubscript ? "sub"
                                                         : "nosupersub");
    }
    cur_ = next;
    cur_.font = fonts_[font];
}

void Writer::Paragraph(const ParaFormat& f) {
    Word("pard");
    if (f.align == Align::kCenter) Word("qc");
    if (f.align == Align::kRight) Word("qr");
    if (f.align == Align::kJustify) Word("qj");
    if (f.firstIndent != 0) Word("fi", f.firstIndent);
    if (f.leftIndent != 0) Word("li", f.leftIndent);
    if (f.rightIndent != 0) Word("ri", f.rightIndent);
    if (f.spaceBefore != 0) Word("sb", f.spaceBefore);
    if (f.spaceAfter != 0) Word("sa", f.spaceAfter);
}

void Writer::Picture(const Image& image) {
    static constexpr char kHex[] = "0123456789abcdef";
    long long pw = image.widthTwips / 15;
    long long ph = image.heightTwips / 15;
    const std::string& d = image.data;
    if (image.type == ImageType::kPng && d.size() >= 24 && d.compare(12, 4, "IHDR") == 0) {
        auto be32 = [&](std::size_t at) {
            long long v = 0;
            for (std::size_t k = 0; k < 4; ++k) v = v * 256 + static_cast<unsigned char>(d[at + k]);
            return v;
        };
        pw = be32(16);
        ph = be32(20);
    }
    out_ += "{";
    needsDelimiter_ = false;
    Word("pict");
    Word(image.type == ImageType::kPng ? "pngblip" : "jpegblip");
    Word("picw", pw);
    Word("pich", ph);
    Word("picwgoal", image.widthTwips);
    Word("pichgoal", image.heightTwips);
    out_ += "\r\n";
    out_.reserve(out_.size() + d.size() * 2 + d.size() / 32 + 8);
    for (std::size_t k = 0; k < d.size(); ++k) {
        const auto b = static_cast<unsigned char>(d[k]);
        out_ += kHex[b >> 4];
        out_ += kHex[b & 15];
        if (k % 64 == 63) out_ += "\r\n";
    }
    out_ += "\r\n}";
    needsDelimiter_ = false;
}

void Writer::RunText(const Run& run) {
    if (run.image) {
        Picture(*run.image);
    } else {
        Format(run.format);
        Text(run.text);
    }
}

void Writer::Hyperlink(const std::vector<Run>& runs, std::size_t& i) {
    const std::string& href = runs[i].link;
    std::string instruction = "HYPERLINK ";
    std::string_view target = href;
    if (target.size() > 1 && target.front() == '#') {
        instruction += "\\l ";
        target.remove_prefix(1);
    }
    instruction += '"';
    for (char c : target) {
        if (c == '"') continue;  // a quote cannot stand inside the quoted target
        if (c == '\\') instruction += '\\';  // a field instruction doubles its backslashes
        instruction += c;
    }
    instruction += '"';
    out_ += "{";
    needsDelimiter_ = false;
    Word("field");
    out_ += "{\\*\\fldinst{";
    needsDelimiter_ = false;
    Text(instruction);
    out_ += "}}{\\fldrslt{";
    needsDelimiter_ = false;
    const CharFormat saved = cur_;
    while (i < runs.size() && runs[i].link == href) RunText(runs[i++]);
    out_ += "}}}";
    needsDelimiter_ = false;
    cur_ = saved;
}

std::string Writer::Write() {
    Collect();
    out_ = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang2057{\\fonttbl";
    for (std::size_t k = 0; k < fonts_.size(); ++k) {
        out_ += "{\\f" + std::to_string(k) + "\\fnil\\fcharset0";
        needsDelimiter_ = true;
        Text(fonts_[k]);
        out_ += ";}";
        needsDelimiter_ = false;
    }
    out_ += "}\r\n";
    if (!colors_.empty()) {
        out_ += "{\\colortbl ;";
        for (const Rgb& c : colors_) {
            out_ += "\\red" + std::to_string(c.r) + "\\green" + std::to_string(c.g) + "\\blue" +
                    std::to_string(c.b) + ";";
        }
        out_ += "}\r\n";
    }
    out_ += "\\viewkind4\\uc1";
    needsDelimiter_ = true;
    cur_ = CharFormat{};
    cur_.font = fonts_[0];
    static const Document kEmpty{{{}}};
    const Document& doc = doc_.paragraphs.empty() ? kEmpty : doc_;
    const ParaFormat* previous = nullptr;
    for (const auto& p : doc.paragraphs) {
        if (previous == nullptr || !(*previous == p.format)) Paragraph(p.format);
        previous = &p.format;
        std::size_t i = 0;
        while (i < p.runs.size()) {
            if (!p.runs[i].link.empty()) {
                Hyperlink(p.runs, i);
            } else {
                RunText(p.runs[i++]);
            }
        }
        Word("par");
        out_ += "\r\n";
        needsDelimiter_ = false;
    }
    out_ += "}\r\n";
    return std::move(out_);
}

}  // namespace

std::string WriteRtf(const Document& doc, const WriteOptions& options) {
    return Writer(doc, options).Write();
}

}  // namespace jb::richtext
