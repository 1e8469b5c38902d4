#include "richtext/rtf_control_words.h"

#include <unordered_map>

namespace jb::richtext {
namespace {

const std::unordered_map<std::string_view, RtfWordInfo>& Words() {
    static const auto* words = new std::unordered_map<std::string_view, RtfWordInfo>{
        {"ansi", {RtfWord::kAnsi, 0}}, {"mac", {RtfWord::kMac, 0}}, {"pc", {RtfWord::kPc, 0}},
        {"pca", {RtfWord::kPca, 0}}, {"ansicpg", {RtfWord::kAnsiCpg, 0}}, {"deff", {RtfWord::kDeff, 0}},
        {"fonttbl", {RtfWord::kFontTable, 0}}, {"colortbl", {RtfWord::kColorTable, 0}},
        {"fcharset", {RtfWord::kFcharset, 0}}, {"cpg", {RtfWord::kCpg, 0}},
        {"red", {RtfWord::kRed, 0}}, {"green", {RtfWord::kGreen, 0}}, {"blue", {RtfWord::kBlue, 0}},
        {"plain", {RtfWord::kPlain, 0}}, {"b", {RtfWord::kBold, 0}}, {"i", {RtfWord::kItalic, 0}},
        {"ul", {RtfWord::kUnderline, 0}}, {"uld", {RtfWord::kUnderline, 0}},
        {"uldash", {RtfWord::kUnderline, 0}}, {"uldashd", {RtfWord::kUnderline, 0}},
        {"uldashdd", {RtfWord::kUnderline, 0}}, {"uldb", {RtfWord::kUnderline, 0}},
        {"ulhwave", {RtfWord::kUnderline, 0}}, {"ulldash", {RtfWord::kUnderline, 0}},
        {"ulth", {RtfWord::kUnderline, 0}}, {"ulthd", {RtfWord::kUnderline, 0}},
        {"ulthdash", {RtfWord::kUnderline, 0}}, {"ulthdashd", {RtfWord::kUnderline, 0}},
        {"ulthdashdd", {RtfWord::kUnderline, 0}}, {"ulthldash", {RtfWord::kUnderline, 0}},
        {"ululdbwave", {RtfWord::kUnderline, 0}}, {"ulw", {RtfWord::kUnderline, 0}},
        {"ulwave", {RtfWord::kUnderline, 0}}, {"ulnone", {RtfWord::kUlNone, 0}},
        {"strike", {RtfWord::kStrike, 0}}, {"striked", {RtfWord::kStrike, 0}},
        {"fs", {RtfWord::kFontSize, 0}}, {"f", {RtfWord::kFont, 0}}, {"cf", {RtfWord::kColor, 0}},
        {"cb", {RtfWord::kBackground, 0}}, {"highlight", {RtfWord::kHighlight, 0}},
        {"super", {RtfWord::kSuper, 0}}, {"sub", {RtfWord::kSub, 0}},
        {"nosupersub", {RtfWord::kNoSuperSub, 0}}, {"pard", {RtfWord::kPard, 0}},
        {"ql", {RtfWord::kLeft, 0}}, {"qc", {RtfWord::kCenter, 0}}, {"qr", {RtfWord::kRight, 0}},
        {"qj", {RtfWord::kJustify, 0}}, {"qd", {RtfWord::kJustify, 0}},
        {"fi", {RtfWord::kFirstIndent, 0}}, {"li", {RtfWord::kLeftIndent, 0}},
        {"ri", {RtfWord::kRightIndent, 0}}, {"sb", {RtfWord::kSpaceBefore, 0}},
        {"sa", {RtfWord::kSpaceAfter, 0}}, {"intbl", {RtfWord::kInTable, 0}},
        {"par", {RtfWord::kPar, 0}}, {"line", {RtfWord::kLine, 0}}, {"tab", {RtfWord::kTab, 0}},
        {"page", {RtfWord::kPage, 0}}, {"sect", {RtfWord::kSect, 0}}, {"cell", {RtfWord::kCell, 0}},
        {"nestcell", {RtfWord::kCell, 0}}, {"row", {RtfWord::kRow, 0}}, {"nestrow", {RtfWord::kRow, 0}},
        {"u", {RtfWord::kUnicode, 0}}, {"uc", {RtfWord::kUnicodeSkip, 0}},
        {"bullet", {RtfWord::kSymbol, 0x2022}}, {"endash", {RtfWord::kSymbol, 0x2013}},
        {"emdash", {RtfWord::kSymbol, 0x2014}}, {"lquote", {RtfWord::kSymbol, 0x2018}},
        {"rquote", {RtfWord::kSymbol, 0x2019}}, {"ldblquote", {RtfWord::kSymbol, 0x201C}},
        {"rdblquote", {RtfWord::kSymbol, 0x201D}}, {"enspace", {RtfWord::kSymbol, 0x2002}},
        {"emspace", {RtfWord::kSymbol, 0x2003}}, {"qmspace", {RtfWord::kSymbol, 0x2005}},
        {"shppict", {RtfWord::kShpPict, 0}}, {"field", {RtfWord::kField, 0}}, {"fldinst", {RtfWord::kFldInst, 0}},
        {"fldrslt", {RtfWord::kFldRslt, 0}}, {"pict", {RtfWord::kPict, 0}}, {"bin", {RtfWord::kBin, 0}},
        {"pngblip", {RtfWord::kPng, 0}}, {"jpegblip", {RtfWord::kJpeg, 0}},
        {"emfblip", {RtfWord::kOtherPict, 0}}, {"wmetafile", {RtfWord::kOtherPict, 0}},
        {"macpict", {RtfWord::kOtherPict, 0}}, {"pmmetafile", {RtfWord::kOtherPict, 0}},
        {"dibitmap", {RtfWord::kOtherPict, 0}}, {"wbitmap", {RtfWord::kOtherPict, 0}},
        {"picw", {RtfWord::kPicW, 0}}, {"pich", {RtfWord::kPicH, 0}},
        {"picwgoal", {RtfWord::kPicWGoal, 0}}, {"pichgoal", {RtfWord::kPicHGoal, 0}},
        {"picscalex", {RtfWord::kPicScaleX, 0}}, {"picscaley", {RtfWord::kPicScaleY, 0}},
        // Destinations whose contents are not page text.
        {"stylesheet", {RtfWord::kSkipDest, 0}}, {"info", {RtfWord::kSkipDest, 0}},
        {"listtable", {RtfWord::kSkipDest, 0}}, {"listoverridetable", {RtfWord::kSkipDest, 0}},
        {"header", {RtfWord::kSkipDest, 0}}, {"headerl", {RtfWord::kSkipDest, 0}},
        {"headerr", {RtfWord::kSkipDest, 0}}, {"headerf", {RtfWord::kSkipDest, 0}},
        {"footer", {RtfWord::kSkipDest, 0}}, {"footerl", {RtfWord::kSkipDest, 0}},
        {"footerr", {RtfWord::kSkipDest, 0}}, {"footerf", {RtfWord::kSkipDest, 0}},
        {"footnote", {RtfWord::kSkipDest, 0}}, {"annotation", {RtfWord::kSkipDest, 0}},
        {"atnid", {RtfWord::kSkipDest, 0}}, {"atnauthor", {RtfWord::kSkipDest, 0}},
        {"pn", {RtfWord::kSkipDest, 0}}, {"pntxta", {RtfWord::kSkipDest, 0}},
        {"pntxtb", {RtfWord::kSkipDest, 0}}, {"revtbl", {RtfWord::kSkipDest, 0}},
        {"rsidtbl", {RtfWord::kSkipDest, 0}}, {"filetbl", {RtfWord::kSkipDest, 0}},
        {"themedata", {RtfWord::kSkipDest, 0}}, {"colorschememapping", {RtfWord::kSkipDest, 0}},
        {"datastore", {RtfWord::kSkipDest, 0}}, {"latentstyles", {RtfWord::kSkipDest, 0}},
        {"xmlnstbl", {RtfWord::kSkipDest, 0}}, {"generator", {RtfWord::kSkipDest, 0}},
        {"nonshppict", {RtfWord::kSkipDest, 0}}, {"objdata", {RtfWord::kSkipDest, 0}},
        {"objclass", {RtfWord::kSkipDest, 0}}, {"template", {RtfWord::kSkipDest, 0}},
        {"nonesttables", {RtfWord::kSkipDest, 0}}, {"ftnsep", {RtfWord::kSkipDest, 0}},
        {"ftnsepc", {RtfWord::kSkipDest, 0}}, {"aftnsep", {RtfWord::kSkipDest, 0}},
        {"aftnsepc", {RtfWord::kSkipDest, 0}}, {"bkmkstart", {RtfWord::kSkipDest, 0}},
        {"bkmkend", {RtfWord::kSkipDest, 0}}, {"xe", {RtfWord::kSkipDest, 0}},
        {"tc", {RtfWord::kSkipDest, 0}}, {"private", {RtfWord::kSkipDest, 0}},
        {"docvar", {RtfWord::kSkipDest, 0}}, {"do", {RtfWord::kSkipDest, 0}},
        {"sp", {RtfWord::kSkipDest, 0}}, {"pgdsctbl", {RtfWord::kSkipDest, 0}},
        {"mmathPr", {RtfWord::kSkipDest, 0}}, {"background", {RtfWord::kSkipDest, 0}},
        {"expandedcolortbl", {RtfWord::kSkipDest, 0}},
    };
    return *words;
}

}  // namespace

RtfWordInfo LookUpRtfWord(std::string_view word) {
    const auto& words = Words();
    const auto it = words.find(word);
    return it == words.end() ? RtfWordInfo{} : it->second;
}

}  // namespace jb::richtext
