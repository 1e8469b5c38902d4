#pragma once
// The control words the RTF reader acts on, by name. Every other word is kUnknown and ignored.

#include <cstdint>
#include <string_view>

namespace jb::richtext {

enum class RtfWord : std::uint8_t {
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

struct RtfWordInfo {
    // kUnknown for a word the reader does not act on.
    RtfWord word = RtfWord::kUnknown;
    char32_t symbol = 0;  // the character of a kSymbol
};

RtfWordInfo LookUpRtfWord(std::string_view word);

}  // namespace jb::richtext
