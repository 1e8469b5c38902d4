#include "richtext/rtf_reader.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "richtext/code_page.h"
#include "richtext/document.h"

namespace jb::richtext {
namespace {

// Where the text of a group goes.
enum class Dest : std::uint8_t { kText, kFontTable, kColorTable, kFieldInst, kPict };

enum class Word : std::uint8_t {
    kUnknown,
    // header and tables of the document
    kAnsi, kMac, kPc, kPca, kAnsiCpg, kDeff, kFontTable, kColorTable, kFcharset, kCpg,
    kRed, kGreen, kBlue,
    // character formatting
    kPlain, kBold, kItalic, kUnderline, kUlNone, kStrike, kFontSize, kFont, kColor,
    kBackground, kHighlight, kSuper, kSub, kNoSuperSub,
    // paragraph formatting
    kPard, kLeft, kCenter, kRight, kJustify, kFirstIndent, kLeftIndent, kRightIndent,
    kSpaceBefore, kSpaceAfter, kInTable,
    // breaks and characters
    kPar, kLine, kTab, kPage, kSect, kCell, kRow, kUnicode, kUnicodeSkip, kSymbol,
    // destinations
    kSkipDest, kShpPict, kField, kFldInst, kFldRslt, kPict, kBin, kPng, kJpeg, kOtherPict,
    kPicW, kPicH, kPicWGoal, kPicHGoal, kPicScaleX, kPicScaleY,
};

struct WordInfo {
    Word word;
    char32_t symbol;  // the character of a kSymbol
};

const std::unordered_map<std::string_view, WordInfo>& Words() {
    static const auto* words = new std::unordered_map<std::string_view, WordInfo>{
        {"ansi", {Word::kAnsi, 0}}, {"mac", {Word::kMac, 0}}, {"pc", {Word::kPc, 0}},
        {"pca", {Word::kPca, 0}}, {"ansicpg", {Word::kAnsiCpg, 0}}, {"deff", {Word::kDeff, 0}},
        {"fonttbl", {Word::kFontTable, 0}}, {"colortbl", {Word::kColorTable, 0}},
        {"fcharset", {Word::kFcharset, 0}}, {"cpg", {Word::kCpg, 0}},
        {"red", {Word::kRed, 0}}, {"green", {Word::kGreen, 0}}, {"blue", {Word::kBlue, 0}},
        {"plain", {Word::kPlain, 0}}, {"b", {Word::kBold, 0}}, {"i", {Word::kItalic, 0}},
        {"ul", {Word::kUnderline, 0}}, {"uld", {Word::kUnderline, 0}},
        {"uldash", {Word::kUnderline, 0}}, {"uldashd", {Word::kUnderline, 0}},
        {"uldashdd", {Word::kUnderline, 0}}, {"uldb", {Word::kUnderline, 0}},
        {"ulhwave", {Word::kUnderline, 0}}, {"ulldash", {Word::kUnderline, 0}},
        {"ulth", {Word::kUnderline, 0}}, {"ulthd", {Word::kUnderline, 0}},
        {"ulthdash", {Word::kUnderline, 0}}, {"ulthdashd", {Word::kUnderline, 0}},
        {"ulthdashdd", {Word::kUnderline, 0}}, {"ulthldash", {Word::kUnderline, 0}},
        {"ululdbwave", {Word::kUnderline, 0}}, {"ulw", {Word::kUnderline, 0}},
        {"ulwave", {Word::kUnderline, 0}}, {"ulnone", {Word::kUlNone, 0}},
        {"strike", {Word::kStrike, 0}}, {"striked", {Word::kStrike, 0}},
        {"fs", {Word::kFontSize, 0}}, {"f", {Word::kFont, 0}}, {"cf", {Word::kColor, 0}},
        {"cb", {Word::kBackground, 0}}, {"highlight", {Word::kHighlight, 0}},
        {"super", {Word::kSuper, 0}}, {"sub", {Word::kSub, 0}},
        {"nosupersub", {Word::kNoSuperSub, 0}}, {"pard", {Word::kPard, 0}},
        {"ql", {Word::kLeft, 0}}, {"qc", {Word::kCenter, 0}}, {"qr", {Word::kRight, 0}},
        {"qj", {Word::kJustify, 0}}, {"qd", {Word::kJustify, 0}},
        {"fi", {Word::kFirstIndent, 0}}, {"li", {Word::kLeftIndent, 0}},
        {"ri", {Word::kRightIndent, 0}}, {"sb", {Word::kSpaceBefore, 0}},
        {"sa", {Word::kSpaceAfter, 0}}, {"intbl", {Word::kInTable, 0}},
        {"par", {Word::kPar, 0}}, {"line", {Word::kLine, 0}}, {"tab", {Word::kTab, 0}},
        {"page", {Word::kPage, 0}}, {"sect", {Word::kSect, 0}}, {"cell", {Word::kCell, 0}},
        {"nestcell", {Word::kCell, 0}}, {"row", {Word::kRow, 0}}, {"nestrow", {Word::kRow, 0}},
        {"u", {Word::kUnicode, 0}}, {"uc", {Word::kUnicodeSkip, 0}},
        {"bullet", {Word::kSymbol, 0x2022}}, {"endash", {Word::kSymbol, 0x2013}},
        {"emdash", {Word::kSymbol, 0x2014}}, {"lquote", {Word::kSymbol, 0x2018}},
        {"rquote", {Word::kSymbol, 0x2019}}, {"ldblquote", {Word::kSymbol, 0x201C}},
        {"rdblquote", {Word::kSymbol, 0x201D}}, {"enspace", {Word::kSymbol, 0x2002}},
        {"emspace", {Word::kSymbol, 0x2003}}, {"qmspace", {Word::kSymbol, 0x2005}},
        {"shppict", {Word::kShpPict, 0}}, {"field", {Word::kField, 0}}, {"fldinst", {Word::kFldInst, 0}},
        {"fldrslt", {Word::kFldRslt, 0}}, {"pict", {Word::kPict, 0}}, {"bin", {Word::kBin, 0}},
        {"pngblip", {Word::kPng, 0}}, {"jpegblip", {Word::kJpeg, 0}},
        {"emfblip", {Word::kOtherPict, 0}}, {"wmetafile", {Word::kOtherPict, 0}},
        {"macpict", {Word::kOtherPict, 0}}, {"pmmetafile", {Word::kOtherPict, 0}},
        {"dibitmap", {Word::kOtherPict, 0}}, {"wbitmap", {Word::kOtherPict, 0}},
        {"picw", {Word::kPicW, 0}}, {"pich", {Word::kPicH, 0}},
        {"picwgoal", {Word::kPicWGoal, 0}}, {"pichgoal", {Word::kPicHGoal, 0}},
        {"picscalex", {Word::kPicScaleX, 0}}, {"picscaley", {Word::kPicScaleY, 0}},
        // Destinations whose contents are not page text.
        {"stylesheet", {Word::kSkipDest, 0}}, {"info", {Word::kSkipDest, 0}},
        {"listtable", {Word::kSkipDest, 0}}, {"listoverridetable", {Word::kSkipDest, 0}},
        {"header", {Word::kSkipDest, 0}}, {"headerl", {Word::kSkipDest, 0}},
        {"headerr", {Word::kSkipDest, 0}}, {"headerf", {Word::kSkipDest, 0}},
        {"footer", {Word::kSkipDest, 0}}, {"footerl", {Word::kSkipDest, 0}},
        {"footerr", {Word::kSkipDest, 0}}, {"footerf", {Word::kSkipDest, 0}},
        {"footnote", {Word::kSkipDest, 0}}, {"annotation", {Word::kSkipDest, 0}},
        {"atnid", {Word::kSkipDest, 0}}, {"atnauthor", {Word::kSkipDest, 0}},
        {"pn", {Word::kSkipDest, 0}}, {"pntxta", {Word::kSkipDest, 0}},
        {"pntxtb", {Word::kSkipDest, 0}}, {"revtbl", {Word::kSkipDest, 0}},
        {"rsidtbl", {Word::kSkipDest, 0}}, {"filetbl", {Word::kSkipDest, 0}},
        {"themedata", {Word::kSkipDest, 0}}, {"colorschememapping", {Word::kSkipDest, 0}},
        {"datastore", {Word::kSkipDest, 0}}, {"latentstyles", {Word::kSkipDest, 0}},
        {"xmlnstbl", {Word::kSkipDest, 0}}, {"generator", {Word::kSkipDest, 0}},
        {"nonshppict", {Word::kSkipDest, 0}}, {"objdata", {Word::kSkipDest, 0}},
        {"objclass", {Word::kSkipDest, 0}}, {"template", {Word::kSkipDest, 0}},
        {"nonesttables", {Word::kSkipDest, 0}}, {"ftnsep", {Word::kSkipDest, 0}},
        {"ftnsepc", {Word::kSkipDest, 0}}, {"aftnsep", {Word::kSkipDest, 0}},
        {"aftnsepc", {Word::kSkipDest, 0}}, {"bkmkstart", {Word::kSkipDest, 0}},
        {"bkmkend", {Word::kSkipDest, 0}}, {"xe", {Word::kSkipDest, 0}},
        {"tc", {Word::kSkipDest, 0}}, {"private", {Word::kSkipDest, 0}},
        {"docvar", {Word::kSkipDest, 0}}, {"do", {Word::kSkipDest, 0}},
        {"sp", {Word::kSkipDest, 0}}, {"pgdsctbl", {Word::kSkipDest, 0}},
        {"mmathPr", {Word::kSkipDest, 0}}, {"background", {Word::kSkipDest, 0}},
        {"expandedcolortbl", {Word::kSkipDest, 0}},
    };
    return *words;
}

// Starred destinations the reader understands; every other starred group is skipped.
bool KnownStarred(Word w) { return w == Word::kFldInst || w == Word::kShpPict; }

constexpr int kMaxParam = 1'000'000'000;
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

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The target of a HYPERLINK field instruction; empty when the field is something else.
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

class Reader {
public:
    Reader(std::string_view in, Sink& sink) : in_(in), sink_(sink) {}
    void Run();

private:
    State& S() { return stack_.back(); }
    void OpenGroup();
    void CloseGroup();
    void SkipRestOfGroup();
    void ControlWord();
    void Dispatch(std::string_view word, bool hasParam, int param);
    void TextBytes();
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

    std::string_view in_;
    std::size_t pos_ = 0;
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
    while (pos_ < in_.size()) {
        const char c = in_[pos_];
        if (c == '{') {
            ++pos_;
            OpenGroup();
        } else if (c == '}') {
            ++pos_;
            CloseGroup();
            if (stack_.empty()) break;
        } else if (c == '\\') {
            ++pos_;
            ControlWord();
        } else if (c == '\r' || c == '\n') {
            ++pos_;
        } else {
            TextBytes();
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
        int depth = 1;
        while (pos_ < in_.size() && depth > 0) {
            const char c = in_[pos_++];
            if (c == '{') {
                ++depth;
            } else if (c == '}') {
                --depth;
            } else if (c == '\\' && pos_ < in_.size()) {
                ++pos_;
            }
        }
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

void Reader::SkipRestOfGroup() {
    int depth = 1;
    while (pos_ < in_.size()) {
        const std::size_t next = in_.find_first_of("{}\\", pos_);
        if (next == std::string_view::npos) {
            pos_ = in_.size();
            return;
        }
        pos_ = next + 1;
        const char c = in_[next];
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (--depth == 0) {
                --pos_;  // the caller's loop closes the group
                return;
            }
        } else if (pos_ < in_.size()) {
            if (in_.compare(pos_, 3, "bin") == 0 && pos_ + 3 < in_.size() &&
                (IsDigit(in_[pos_ + 3]) || in_[pos_ + 3] == '-')) {
                pos_ += 3;
                bool negative = in_[pos_] == '-';
                if (negative) ++pos_;
                std::int64_t n = 0;
                while (pos_ < in_.size() && IsDigit(in_[pos_])) {
                    n = std::min<std::int64_t>(n * 10 + (in_[pos_] - '0'), kMaxParam);
                    ++pos_;
                }
                if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
                if (!negative) pos_ += std::min<std::size_t>(n, in_.size() - pos_);
            } else {
                ++pos_;
            }
        }
    }
}

void Reader::ControlWord() {
    if (pos_ >= in_.size()) return;
    const char c = in_[pos_];
    if (!IsLetter(c)) {
        ++pos_;
        if (c == '\'') {
            int hi = pos_ < in_.size() ? HexValue(in_[pos_]) : -1;
            if (hi < 0) return;
            ++pos_;
            int lo = pos_ < in_.size() ? HexValue(in_[pos_]) : -1;
            int value = hi;
            if (lo >= 0) {
                ++pos_;
                value = hi * 16 + lo;
            }
            starred_ = false;
            if (ucSkip_ > 0) {
                --ucSkip_;
                return;
            }
            if (S().dest == Dest::kColorTable || S().dest == Dest::kPict) return;
            pendingBytes_ += static_cast<char>(value);
            return;
        }
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
    const std::size_t start = pos_;
    while (pos_ < in_.size() && IsLetter(in_[pos_])) ++pos_;
    std::string_view word = in_.substr(start, pos_ - start);
    bool hasParam = false;
    bool negative = false;
    std::int64_t value = 0;
    if (pos_ < in_.size() && in_[pos_] == '-' && pos_ + 1 < in_.size() && IsDigit(in_[pos_ + 1])) {
        negative = true;
        ++pos_;
    }
    while (pos_ < in_.size() && IsDigit(in_[pos_])) {
        hasParam = true;
        value = std::min<std::int64_t>(value * 10 + (in_[pos_] - '0'), kMaxParam);
        ++pos_;
    }
    if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
    FlushBytes();
    const int param = static_cast<int>(negative ? -value : value);
    if (word.size() > 32) word = {};
    Dispatch(word, hasParam, param);
}

void Reader::Dispatch(std::string_view word, bool hasParam, int param) {
    const auto& words = Words();
    const auto it = words.find(word);
    const Word w = it == words.end() ? Word::kUnknown : it->second.word;
    if (w != Word::kUnicode) ucSkip_ = 0;
    if (starred_) {
        starred_ = false;
        if (!KnownStarred(w)) {
            SkipRestOfGroup();
            return;
        }
    }
    if (stack_.empty()) return;
    State& s = S();
    const bool on = !hasParam || param != 0;
    const Dest dest = s.dest;
    switch (w) {
        case Word::kUnknown: return;
        case Word::kAnsi: ansiCodePage_ = 1252; return;
        case Word::kMac: ansiCodePage_ = 10000; return;
        case Word::kPc: ansiCodePage_ = 437; return;
        case Word::kPca: ansiCodePage_ = 850; return;
        case Word::kAnsiCpg:
            if (param > 0) ansiCodePage_ = param;
            return;
        case Word::kDeff: defaultFont_ = param; formatDirty_ = true; return;
        case Word::kFontTable:
            s.dest = Dest::kFontTable;
            s.isFontTable = true;
            return;
        case Word::kColorTable:
            s.dest = Dest::kColorTable;
            colorDefSet_ = false;
            colorDef_ = Rgb{};
            return;
        case Word::kFcharset:
            if (dest == Dest::kFontTable) fontDefCodePage_ = CodePageOfCharset(param, ansiCodePage_);
            return;
        case Word::kCpg:
            if (dest == Dest::kFontTable && param > 0) fontDefCodePage_ = param;
            return;
        case Word::kRed: case Word::kGreen: case Word::kBlue:
            if (dest == Dest::kColorTable) {
                const auto v = static_cast<std::uint8_t>(std::clamp(param, 0, 255));
                (w == Word::kRed ? colorDef_.r : w == Word::kGreen ? colorDef_.g : colorDef_.b) = v;
                colorDefSet_ = true;
            }
            return;
        case Word::kPlain:
            s.font = -1;
            s.halfPoints = 24;
            s.color = s.background = s.highlight = 0;
            s.bold = s.italic = s.underline = s.strike = false;
            s.valign = VerticalAlign::kNormal;
            break;
        case Word::kBold: s.bold = on; break;
        case Word::kItalic: s.italic = on; break;
        case Word::kUnderline: s.underline = on; break;
        case Word::kUlNone: s.underline = false; break;
        case Word::kStrike: s.strike = on; break;
        case Word::kFontSize: s.halfPoints = param <= 0 ? 24 : std::min(param, 3276); break;
        case Word::kFont:
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
        case Word::kColor: s.color = std::max(param, 0); break;
        case Word::kBackground: s.background = std::max(param, 0); break;
        case Word::kHighlight: s.highlight = std::max(param, 0); break;
        case Word::kSuper: s.valign = on ? VerticalAlign::kSuperscript : VerticalAlign::kNormal; break;
        case Word::kSub: s.valign = on ? VerticalAlign::kSubscript : VerticalAlign::kNormal; break;
        case Word::kNoSuperSub: s.valign = VerticalAlign::kNormal; break;
        case Word::kPard: s.para = ParaFormat{}; return;
        case Word::kLeft: s.para.align = Align::kLeft; return;
        case Word::kCenter: s.para.align = Align::kCenter; return;
        case Word::kRight: s.para.align = Align::kRight; return;
        case Word::kJustify: s.para.align = Align::kJustify; return;
        case Word::kFirstIndent: s.para.firstIndent = std::clamp(param, -kMaxParam / 100, kMaxParam / 100); return;
        case Word::kLeftIndent: s.para.leftIndent = std::clamp(param, -kMaxParam / 100, kMaxParam / 100); return;
        case Word::kRightIndent: s.para.rightIndent = std::clamp(param, -kMaxParam / 100, kMaxParam / 100); return;
        case Word::kSpaceBefore: s.para.spaceBefore = std::clamp(param, 0, kMaxParam / 100); return;
        case Word::kSpaceAfter: s.para.spaceAfter = std::clamp(param, 0, kMaxParam / 100); return;
        case Word::kInTable: return;
        case Word::kPar:
            if (dest == Dest::kText) EndParagraph();
            return;
        case Word::kPage: case Word::kSect:
            if (dest == Dest::kText && (paraHasContent_ || cellPending_)) EndParagraph();
            return;
        case Word::kLine: AppendChar(0x2028); return;
        case Word::kTab: AppendChar('\t'); return;
        case Word::kCell:
            if (dest == Dest::kText) EndCell();
            return;
        case Word::kRow:
            if (dest == Dest::kText) EndRow();
            return;
        case Word::kUnicode: {
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
        case Word::kUnicodeSkip: s.uc = std::clamp(param, 0, 16); return;
        case Word::kSymbol: AppendChar(it->second.symbol); return;
        case Word::kSkipDest: SkipRestOfGroup(); return;
        case Word::kShpPict: return;
        case Word::kField:
            if (dest != Dest::kText) return;
            fields_.emplace_back();
            s.endsField = true;
            return;
        case Word::kFldInst:
            if (dest != Dest::kText || fields_.empty()) {
                SkipRestOfGroup();
                return;
            }
            s.dest = Dest::kFieldInst;
            return;
        case Word::kFldRslt:
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
        case Word::kPict:
            if (dest != Dest::kText || pict_) {
                SkipRestOfGroup();
                return;
            }
            pict_.emplace();
            s.dest = Dest::kPict;
            s.endsPict = true;
            return;
        case Word::kBin: {
            const std::size_t n = std::min<std::size_t>(std::max(param, 0), in_.size() - pos_);
            if (dest == Dest::kPict && pict_) {
                pict_->data.append(in_.substr(pos_, n));
                pict_->hexHigh = -1;
            }
            pos_ += n;
            return;
        }
        case Word::kPng: case Word::kJpeg: case Word::kOtherPict:
            if (dest == Dest::kPict && pict_) pict_->kind = w == Word::kPng ? 1 : w == Word::kJpeg ? 2 : 3;
            return;
        case Word::kPicW: case Word::kPicH: case Word::kPicWGoal: case Word::kPicHGoal:
        case Word::kPicScaleX: case Word::kPicScaleY:
            if (dest == Dest::kPict && pict_) {
                const std::int64_t v = std::clamp(param, 0, kMaxPictureTwips);
                switch (w) {
                    case Word::kPicW: pict_->picw = v; break;
                    case Word::kPicH: pict_->pich = v; break;
                    case Word::kPicWGoal: pict_->goalw = v; break;
                    case Word::kPicHGoal: pict_->goalh = v; break;
                    case Word::kPicScaleX: pict_->scalex = v; break;
                    default: pict_->scaley = v; break;
                }
            }
            return;
    }
    formatDirty_ = true;
}

void Reader::TextBytes() {
    starred_ = false;
    std::size_t end = pos_;
    while (end < in_.size()) {
        const char c = in_[end];
        if (c == '\\' || c == '{' || c == '}' || c == '\r' || c == '\n') break;
        ++end;
    }
    std::string_view bytes = in_.substr(pos_, end - pos_);
    pos_ = end;
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

void ReadPlain(std::string_view input, Sink& sink) {
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

}  // namespace

bool IsRtf(std::string_view input) { return input.substr(0, 5) == "{\\rtf"; }

void ReadRtf(std::string_view input, Sink& sink) {
    if (!IsRtf(input)) {
        ReadPlain(input, sink);
        return;
    }
    Reader reader(input, sink);
    reader.Run();
}

}  // namespace jb::richtext
