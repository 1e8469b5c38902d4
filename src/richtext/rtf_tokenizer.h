#pragma once
// The lexical level of RTF, for the reader: the input cut into group braces, control words,
// control symbols, hex bytes and runs of text, and the skips the reader asks for. It knows no
// destination and keeps no state but its place in the input; it never fails on any bytes.

#include <cstddef>
#include <string_view>

namespace jb::richtext {

// Control word parameters are cut to this, so that no arithmetic on them can overflow.
inline constexpr int kMaxRtfParam = 1'000'000'000;

// The value of a hexadecimal digit, or -1.
int HexValue(char c);

struct RtfToken {
    enum class Kind {
        kEnd,           // the input is used up
        kGroupOpen,     // "{"
        kGroupClose,    // "}"
        kControlWord,   // "\word" with its optional parameter
        kControlSymbol, // "\" and one other character (a line end counts as one)
        kHexByte,       // "\'hh": the byte (one hex digit makes a byte too)
        kText,          // a run of bytes up to the next "\", "{", "}", CR or LF
    };
    Kind kind = Kind::kEnd;
    // kControlWord: its letters (empty when longer than 32), and its parameter, cut to
    // +-kMaxRtfParam (0 when it has none).
    std::string_view word;
    bool hasParam = false;
    int param = 0;
    char symbol = 0;           // kControlSymbol
    unsigned char byte = 0;    // kHexByte
    std::string_view text;     // kText: never empty
};

class RtfTokenizer {
public:
    explicit RtfTokenizer(std::string_view in) : in_(in) {}

    // The next token. Line ends between tokens are passed over; so are a "\" at the very end
    // and a "\'" without a hex digit after it.
    RtfToken Next();

    // Passes over the rest of the group the reader is in, up to (not past) its closing brace or
    // the end of the input. Groups inside are passed over whole, and the data of "\binN" too,
    // so that its bytes are not taken for braces.
    void SkipRestOfGroup();
    // Passes over a group whose opening brace was just read, its closing brace included,
    // without looking at anything inside but braces and escapes.
    void SkipGroup();
    // The next `n` bytes of the input as they are (fewer at its end), for "\binN".
    std::string_view Binary(int n);

private:
    RtfToken ControlWord();

    std::string_view in_;
    std::size_t pos_ = 0;
};

}  // namespace jb::richtext
