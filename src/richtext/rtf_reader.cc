#include "richtext/rtf_reader.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "richtext/code_page.h"
#include "richtext/document.h"
#include "richtext/hyperlink_field.h"
#include "richtext/plain_text_reader.h"
#include "richtext/rtf_control_words.h"
#include "richtext/rtf_tokenizer.h"

namespace jb::richtext {
namespace {

// Where the text of a group goes.
enum class Dest : std::uint8_t { kText, kFontTable, kColorTable, kFieldInst, kPict };

// Starred destinations the reader understands; every other starred group is skipped.
bool KnownStarred(RtfWord w) { return w == RtfWord::kFldInst || w == RtfWord::kShpPict; }

// Picture sizes and their parameters stay below this many twips (about 17 metres).
constexpr int kMaxPictureTwips = 1'000'000;

struct State {
    Dest dest = Dest::kText;
    int font = -1;  // -1: the default font
    int halfPoints = 24;
    int color = 0;
    int background = 0;
    int highlight = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    VerticalAlign valign = VerticalAlign::kNormal;
    ParaFormat para;
    int uc = 1;
    // What closing this group ends.
    bool endsLink = false;
    bool endsField = false;
    bool endsPict = false;
    bool endsFontEntry = false;
    bool isFontTable = false;
};

struct FontEntry {
    std::string name;
    int codePage = 1252;
};

struct Field {
    std::string instruction;
};

struct Pict {
    int kind = 0;  // 0 unknown, 1 png, 2 jpeg, 3 another kind
    std::string data;
    int hexHigh = -1;
    std::int64_t picw = 0, pich = 0, goalw = 0, goalh = 0, scalex = 100, scaley = 100;
};

class Reader {
public:
    Reader(std::string_view in, Sink& sink) : tokens_(in), sink_(sink) {}
    void Run();

private:
    State& S() { return stack_.back(); }
    void OpenGroup();
    void CloseGroup();
    void ControlSymbol(char c);
    void Dispatch(std::string_view word, bool hasParam, int param);
    void TextBytes(std::string_view bytes);
    void HexByte(unsigned char b);
    void FlushBytes();
    void AppendDecoded(std::string_view utf8);
    void AppendText(std::string_view utf8);
    void AppendChar(char32_t cp);
    void FlushText();
    void EndParagraph();
    void EndCell();
    void EndRow();
    void EndPict();
    void EndLink();
    void CommitFont();
    int CodePage();
    CharFormat Resolve();
    std::optional<Rgb> ColorAt(int index) const;

    RtfTokenizer tokens_;
    Sink& sink_;
    std::vector<State> stack_;
    int ansiCodePage_ = 1252;
    int defaultFont_ = 0;
    std::unordered_map<int, FontEntry> fonts_;
    std::vector<std::optional<Rgb>> colors_;
    Rgb colorDef_;
    bool colorDefSet_ = false;
    int fontDefNumber_ = 0;
    int fontDefCodePage_ = 1252;
    bool fontDefPending_ = false;
    std::string fontName_;
    std::vector<Field> fields_;
    std::optional<Pict> pict_;
    Decoder decoder_;
    std::string pendingBytes_;
    std::string decoded_;
    std::string pendingText_;
    CharFormat textFormat_;
    bool formatDirty_ = true;
    bool starred_ = false;
    int ucSkip_ = 0;
    char32_t highSurrogate_ = 0;
    bool cellPending_ = false;
    bool paraHasContent_ = false;
    bool linkOpen_ = false;
    ParaFormat lastPara_;
};

void Reader::Run() {
    for (RtfToken t = tokens_.Next(); t.kind != RtfToken::Kind::kEnd; t = tokens_.Next()) {
        if (t.kind == RtfToken::Kind::kGroupClose) {
            CloseGroup();
            if (stack_.empty()) break;
            continue;
        }
        switch (t.kind) {
            case RtfToken::Kind::kGroupOpen: OpenGroup(); break;
            case RtfToken::Kind::kControlWord:
                FlushBytes();
                Dispatch(t.word, t.hasParam, t.param);
                break;
            case RtfToken::Kind::kControlSymbol: ControlSymbol(t.symbol); break;
            case RtfToken::Kind::kHexByte: HexByte(t.byte); break;
            case RtfToken::Kind::kText: TextBytes(t.text); break;
            case RtfToken::Kind::kGroupClose: case RtfToken::Kind::kEnd: break;
        }
    }
    FlushBytes();
    FlushText();
    if (linkOpen_) EndLink();
    if (paraHasContent_ || cellPending_) {
        cellPending_ = false;
        sink_.ParagraphEnd(stack_.empty() ? lastPara_ : S().para);
    }
}

void Reader::OpenGroup() {
    FlushBytes();
    starred_ = false;
    ucSkip_ = 0;
    if (stack_.size() >= static_cast<std::size_t>(kMaxGroupDepth)) {
        // Too deep to follow: skip the whole group without looking inside.
        tokens_.SkipGroup();
        return;
    }
    if (stack_.empty()) {
        stack_.emplace_back();
        return;
    }
    State next = stack_.back();
    next.endsLink = next.endsField = next.endsPict = next.endsFontEntry = false;
    next.isFontTable = false;
    stack_.push_back(next);
}

void Reader::CloseGroup() {
    FlushBytes();
    starred_ = false;
    ucSkip_ = 0;
    if (stack_.empty()) return;
    const State popped = stack_.back();
    if (stack_.size() == 1) lastPara_ = popped.para;
    if ((popped.endsFontEntry || popped.isFontTable) && fontDefPending_) CommitFont();
    if (popped.endsPict) EndPict();
    if (popped.endsLink) EndLink();
    if (popped.endsField && !fields_.empty()) fields_.pop_back();
    stack_.pop_back();
    formatDirty_ = true;
}

void Reader::HexByte(unsigned char b) {
    starred_ = false;
    if (ucSkip_ > 0) {
        --ucSkip_;
        return;
    }
    if (S().dest == Dest::kColorTable || S().dest == Dest::kPict) return;
    pendingBytes_ += static_cast<char>(b);
}

void Reader::ControlSymbol(char c) {
    FlushBytes();
    ucSkip_ = 0;
    if (c == '*') {
        starred_ = true;
        return;
    }
    starred_ = false;
    switch (c) {
        case '\\': case '{': case '}':
            if (S().dest == Dest::kPict || S().dest == Dest::kColorTable) return;
            pendingBytes_ += c;
            return;
        case '~': AppendChar(0x00A0); return;
        case '_': AppendChar(0x2011); return;
        case '-': AppendChar(0x00AD); return;
        case '\r': case '\n': Dispatch("par", false, 0); return;
        default: return;  // \: , \| and the unknown
    }
}

void Reader::Dispatch(std::string_view word, bool hasParam, int param) {
    const RtfWordInfo info = LookUpRtfWord(word);
    const RtfWord w = info.word;
    if (w != RtfWord::kUnicode) ucSkip_ = 0;
    if (starred_) {
        starred_ = false;
        if (!KnownStarred(w)) {
            tokens_.SkipRestOfGroup();
            return;
        }
    }
    if (stack_.empty()) return;
    State& s = S();
    const bool on = !hasParam || param != 0;
    const Dest dest = s.dest;
    switch (w) {
        case RtfWord::kUnknown: return;
        case RtfWord::kAnsi: ansiCodePage_ = 1252; return;
        case RtfWord::kMac: ansiCodePage_ = 10000; return;
        case RtfWord::kPc: ansiCodePage_ = 437; return;
        case RtfWord::kPca: ansiCodePage_ = 850; return;
        case RtfWord::kAnsiCpg:
            if (param > 0) ansiCodePage_ = param;
            return;
        case RtfWord::kDeff: defaultFont_ = param; formatDirty_ = true; return;
        case RtfWord::kFontTable:
            s.dest = Dest::kFontTable;
            s.isFontTable = true;
            return;
        case RtfWord::kColorTable:
            s.dest = Dest::kColorTable;
            colorDefSet_ = false;
            colorDef_ = Rgb{};
            return;
        case RtfWord::kFcharset:
            if (dest == Dest::kFontTable) fontDefCodePage_ = CodePageOfCharset(param, ansiCodePage_);
            return;
        case RtfWord::kCpg:
            if (dest == Dest::kFontTable && param > 0) fontDefCodePage_ = param;
            return;
        case RtfWord::kRed: case RtfWord::kGreen: case RtfWord::kBlue:
            if (dest == Dest::kColorTable) {
                const auto v = static_cast<std::uint8_t>(std::clamp(param, 0, 255));
                (w == RtfWord::kRed ? colorDef_.r : w == RtfWord::kGreen ? colorDef_.g : colorDef_.b) = v;
                colorDefSet_ = true;
            }
            return;
        case RtfWord::kPlain:
            s.font = -1;
            s.halfPoints = 24;
            s.color = s.background = s.highlight = 0;
            s.bold = s.italic = s.underline = s.strike = false;
            s.valign = VerticalAlign::kNormal;
            break;
        case RtfWord::kBold: s.bold = on; break;
        case RtfWord::kItalic: s.italic = on; break;
        case RtfWord::kUnderline: s.underline = on; break;
        case RtfWord::kUlNone: s.underline = false; break;
        case RtfWord::kStrike: s.strike = on; break;
        case RtfWord::kFontSize: s.halfPoints = param <= 0 ? 24 : std::min(param, 3276); break;
        case RtfWord::kFont:
            if (dest == Dest::kFontTable) {
                if (fontDefPending_) CommitFont();
                fontDefNumber_ = param;
                fontDefCodePage_ = ansiCodePage_;
                fontDefPending_ = true;
                fontName_.clear();
                if (!s.isFontTable) s.endsFontEntry = true;
                return;
            }
            s.font = param;
            break;
        case RtfWord::kColor: s.color = std::max(param, 0); break;
        case RtfWord::kBackground: s.background = std::max(param, 0); break;
        case RtfWord::kHighlight: s.highlight = std::max(param, 0); break;
        case RtfWord::kSuper: s.valign = on ? VerticalAlign::kSuperscript : VerticalAlign::kNormal; break;
        case RtfWord::kSub: s.valign = on ? VerticalAlign::kSubscript : VerticalAlign::kNormal; break;
        case RtfWord::kNoSuperSub: s.valign = VerticalAlign::kNormal; break;
        case RtfWord::kPard: s.para = ParaFormat{}; return;
        case RtfWord::kLeft: s.para.align = Align::kLeft; return;
        case RtfWord::kCenter: s.para.align = Align::kCenter; return;
        case RtfWord::kRight: s.para.align = Align::kRight; return;
        case RtfWord::kJustify: s.para.align = Align::kJustify; return;
        case RtfWord::kFirstIndent: s.para.firstIndent = std::clamp(param, -kMaxRtfParam / 100, kMaxRtfParam / 100); return;
        case RtfWord::kLeftIndent: s.para.leftIndent = std::clamp(param, -kMaxRtfParam / 100, kMaxRtfParam / 100); return;
        case RtfWord::kRightIndent: s.para.rightIndent = std::clamp(param, -kMaxRtfParam / 100, kMaxRtfParam / 100); return;
        case RtfWord::kSpaceBefore: s.para.spaceBefore = std::clamp(param, 0, kMaxRtfParam / 100); return;
        case RtfWord::kSpaceAfter: s.para.spaceAfter = std::clamp(param, 0, kMaxRtfParam / 100); return;
        case RtfWord::kInTable: return;
        case RtfWord::kPar:
            if (dest == Dest::kText) EndParagraph();
            return;
        case RtfWord::kPage: case RtfWord::kSect:
            if (dest == Dest::kText && (paraHasContent_ || cellPending_)) EndParagraph();
            return;
        case RtfWord::kLine: AppendChar(0x2028); return;
        case RtfWord::kTab: AppendChar('\t'); return;
        case RtfWord::kCell:
            if (dest == Dest::kText) EndCell();
            return;
        case RtfWord::kRow:
            if (dest == Dest::kText) EndRow();
            return;
        case RtfWord::kUnicode: {
            char32_t cp = static_cast<char32_t>(param < 0 ? param + 65536 : param) & 0xFFFF;
            if (cp >= 0xD800 && cp <= 0xDBFF) {
                highSurrogate_ = cp;
            } else if (cp >= 0xDC00 && cp <= 0xDFFF && highSurrogate_ != 0) {
                AppendChar(0x10000 + ((highSurrogate_ - 0xD800) << 10) + (cp - 0xDC00));
                highSurrogate_ = 0;
            } else {
                highSurrogate_ = 0;
                AppendChar(cp);
            }
            ucSkip_ = s.uc;
            return;
        }
        case RtfWord::kUnicodeSkip: s.uc = std::clamp(param, 0, 16); return;
        case RtfWord::kSymbol: AppendChar(info.symbol); return;
        case RtfWord::kSkipDest: tokens_.SkipRestOfGroup(); return;
        case RtfWord::kShpPict: return;
        case RtfWord::kField:
            if (dest != Dest::kText) return;
            fields_.emplace_back();
            s.endsField = true;
            return;
        case RtfWord::kFldInst:
            if (dest != Dest::kText || fields_.empty()) {
                tokens_.SkipRestOfGroup();
                return;
            }
            s.dest = Dest::kFieldInst;
            return;
        case RtfWord::kFldRslt:
            if (fields_.empty()) return;
            if (dest == Dest::kFieldInst) s.dest = Dest::kText;
            if (s.dest != Dest::kText) return;
            if (std::string target = LinkTarget(fields_.back().instruction); !target.empty()) {
                fields_.back().instruction.clear();
                if (linkOpen_) EndLink();
                FlushText();
                sink_.LinkStart(target);
                linkOpen_ = true;
                s.endsLink = true;
            }
            return;
        case RtfWord::kPict:
            if (dest != Dest::kText || pict_) {
                tokens_.SkipRestOfGroup();
                return;
            }
            pict_.emplace();
            s.dest = Dest::kPict;
            s.endsPict = true;
            return;
        case RtfWord::kBin: {
            const std::string_view data = tokens_.Binary(param);
            if (dest == Dest::kPict && pict_) {
                pict_->data.append(data);
                pict_->hexHigh = -1;
            }
            return;
        }
        case RtfWord::kPng: case RtfWord::kJpeg: case RtfWord::kOtherPict:
            if (dest == Dest::kPict && pict_) pict_->kind = w == RtfWord::kPng ? 1 : w == RtfWord::kJpeg ? 2 : 3;
            return;
        case RtfWord::kPicW: case RtfWord::kPicH: case RtfWord::kPicWGoal: case RtfWord::kPicHGoal:
        case RtfWord::kPicScaleX: case RtfWord::kPicScaleY:
            if (dest == Dest::kPict && pict_) {
                const std::int64_t v = std::clamp(param, 0, kMaxPictureTwips);
                switch (w) {
                    case RtfWord::kPicW: pict_->picw = v; break;
                    case RtfWord::kPicH: pict_->pich = v; break;
                    case RtfWord::kPicWGoal: pict_->goalw = v; break;
                    case RtfWord::kPicHGoal: pict_->goalh = v; break;
                    case RtfWord::kPicScaleX: pict_->scalex = v; break;
                    default: pict_->scaley = v; break;
                }
            }
            return;
    }
    formatDirty_ = true;
}

void Reader::TextBytes(std::string_view bytes) {
    starred_ = false;
    if (ucSkip_ > 0) {
        const std::size_t skip = std::min<std::size_t>(ucSkip_, bytes.size());
        ucSkip_ -= static_cast<int>(skip);
        bytes.remove_prefix(skip);
    }
    if (bytes.empty() || stack_.empty()) return;
    switch (S().dest) {
        case Dest::kText:
        case Dest::kFieldInst:
            pendingBytes_.append(bytes);
            return;
        case Dest::kFontTable:
            for (char c : bytes) {
                if (c == ';') {
                    FlushBytes();
                    if (fontDefPending_) CommitFont();
                } else {
                    pendingBytes_ += c;
                }
            }
            return;
        case Dest::kColorTable:
            for (char c : bytes) {
                if (c != ';') continue;
                colors_.push_back(colorDefSet_ ? std::optional<Rgb>(colorDef_) : std::nullopt);
                colorDefSet_ = false;
                colorDef_ = Rgb{};
            }
            return;
        case Dest::kPict:
            if (!pict_) return;
            for (char c : bytes) {
                const int v = HexValue(c);
                if (v < 0) continue;
                if (pict_->hexHigh < 0) {
                    pict_->hexHigh = v;
                } else {
                    pict_->data += static_cast<char>(pict_->hexHigh * 16 + v);
                    pict_->hexHigh = -1;
                }
            }
            return;
    }
}

int Reader::CodePage() {
    if (stack_.empty()) return ansiCodePage_;
    if (S().dest == Dest::kFontTable) return fontDefCodePage_;
    const int f = S().font < 0 ? defaultFont_ : S().font;
    const auto it = fonts_.find(f);
    return it == fonts_.end() ? ansiCodePage_ : it->second.codePage;
}

void Reader::FlushBytes() {
    if (pendingBytes_.empty()) return;
    decoded_.clear();
    bool ascii = true;
    for (char c : pendingBytes_) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    // Every code page read here keeps ASCII as it is, except the Korean Johab (1361).
    const int codePage = CodePage();
    if (ascii && codePage != 1361) {
        decoded_.swap(pendingBytes_);
    } else {
        decoder_.Decode(codePage, pendingBytes_, decoded_);
    }
    pendingBytes_.clear();
    highSurrogate_ = 0;
    AppendDecoded(decoded_);
}

void Reader::AppendDecoded(std::string_view utf8) {
    if (stack_.empty()) return;
    switch (S().dest) {
        case Dest::kText: AppendText(utf8); return;
        case Dest::kFontTable: fontName_.append(utf8); return;
        case Dest::kFieldInst:
            if (!fields_.empty() && fields_.back().instruction.size() < 65536) {
                fields_.back().instruction.append(utf8);
            }
            return;
        default: return;
    }
}

void Reader::AppendChar(char32_t cp) {
    if (pendingBytes_.size()) FlushBytes();
    std::string utf8;
    AppendUtf8(cp, utf8);
    AppendDecoded(utf8);
}

void Reader::AppendText(std::string_view utf8) {
    if (utf8.empty()) return;
    if (cellPending_) {
        cellPending_ = false;
        AppendText("\t");
    }
    if (formatDirty_) {
        CharFormat f = Resolve();
        if (!(f == textFormat_)) {
            FlushText();
            textFormat_ = std::move(f);
        }
        formatDirty_ = false;
    }
    // Control characters other than TAB, and the characters the editor keeps for its own
    // structure (paragraph separator, frame marks, object replacement), are left out.
    bool clean = true;
    for (char ch : utf8) {
        const auto b = static_cast<unsigned char>(ch);
        if ((b < 0x20 && b != '\t') || b == 0x7F || b == 0xE2 || b == 0xEF || b == 0xC2) {
            clean = false;
            break;
        }
    }
    if (clean) {
        pendingText_.append(utf8);
    } else {
        std::size_t i = 0;
        while (i < utf8.size()) {
            const std::size_t at = i;
            const char32_t cp = NextCodePoint(utf8, i);
            if ((cp < 0x20 && cp != '\t') || (cp >= 0x7F && cp < 0xA0) || cp == 0x2029 ||
                cp == 0xFDD0 || cp == 0xFDD1 || cp == 0xFFFC) {
                continue;
            }
            if (cp == 0xFFFD && utf8.compare(at, 3, "\xEF\xBF\xBD") != 0) {
                pendingText_ += "\xEF\xBF\xBD";
            } else {
                pendingText_.append(utf8.substr(at, i - at));
            }
        }
    }
    paraHasContent_ = true;
}

void Reader::FlushText() {
    if (pendingText_.empty()) return;
    sink_.Text(pendingText_, textFormat_);
    pendingText_.clear();
}

void Reader::EndParagraph() {
    FlushBytes();
    FlushText();
    cellPending_ = false;
    sink_.ParagraphEnd(S().para);
    paraHasContent_ = false;
}

void Reader::EndCell() {
    FlushText();
    sink_.TableCellEnd();
    if (cellPending_) {
        cellPending_ = false;
        AppendText("\t");
    }
    cellPending_ = true;
}

void Reader::EndRow() {
    FlushText();
    cellPending_ = false;
    sink_.TableRowEnd();
    sink_.ParagraphEnd(S().para);
    paraHasContent_ = false;
}

void Reader::EndLink() {
    FlushBytes();
    FlushText();
    if (linkOpen_) sink_.LinkEnd();
    linkOpen_ = false;
}

void Reader::EndPict() {
    Pict p = std::move(*pict_);
    pict_.reset();
    if ((p.kind != 1 && p.kind != 2) || p.data.empty()) return;
    Image image;
    image.type = p.kind == 1 ? ImageType::kPng : ImageType::kJpeg;
    image.data = std::move(p.data);
    const std::int64_t w = (p.goalw > 0 ? p.goalw : p.picw * 15) * p.scalex / 100;
    const std::int64_t h = (p.goalh > 0 ? p.goalh : p.pich * 15) * p.scaley / 100;
    image.widthTwips = static_cast<int>(std::clamp<std::int64_t>(w, 0, kMaxPictureTwips));
    image.heightTwips = static_cast<int>(std::clamp<std::int64_t>(h, 0, kMaxPictureTwips));
    if (cellPending_) {
        cellPending_ = false;
        AppendText("\t");
    }
    FlushText();
    sink_.Picture(image, Resolve());
    paraHasContent_ = true;
}

void Reader::CommitFont() {
    FlushBytes();
    fonts_[fontDefNumber_] = FontEntry{CleanFontName(fontName_), fontDefCodePage_};
    fontName_.clear();
    fontDefPending_ = false;
}

std::optional<Rgb> Reader::ColorAt(int index) const {
    if (index <= 0 || static_cast<std::size_t>(index) >= colors_.size()) return std::nullopt;
    return colors_[index];
}

CharFormat Reader::Resolve() {
    CharFormat f;
    const State& s = S();
    const auto it = fonts_.find(s.font < 0 ? defaultFont_ : s.font);
    if (it != fonts_.end()) f.font = it->second.name;
    f.halfPoints = s.halfPoints;
    f.color = ColorAt(s.color);
    f.highlight = s.highlight > 0 ? ColorAt(s.highlight) : ColorAt(s.background);
    f.bold = s.bold;
    f.italic = s.italic;
    f.underline = s.underline;
    f.strike = s.strike;
    f.valign = s.valign;
    return f;
}

}  // namespace

bool IsRtf(std::string_view input) { return input.substr(0, 5) == "{\\rtf"; }

void ReadRtf(std::string_view input, Sink& sink) {
    if (!IsRtf(input)) {
        ReadPlainText(input, sink);
        return;
    }
    Reader reader(input, sink);
    reader.Run();
}

}  // namespace jb::richtext
