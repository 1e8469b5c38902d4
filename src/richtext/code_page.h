#pragma once
// Code pages of stored text: Windows-1252 by table, every other single-byte and double-byte
// code page through iconv; UTF-8 helpers.

#include <map>
#include <string>
#include <string_view>

namespace jb::richtext {

// Appends the UTF-8 form of `cp`; a surrogate or a value past U+10FFFF becomes U+FFFD.
void AppendUtf8(char32_t cp, std::string& out);

// The code point of the UTF-8 sequence at `i`, moving `i` past it. Malformed input gives
// U+FFFD and moves one byte.
char32_t NextCodePoint(std::string_view utf8, std::size_t& i);

// The Unicode character of a Windows-1252 byte (the five unassigned bytes map to the C1
// controls of the same value, as Windows maps them).
char32_t FromCp1252(unsigned char byte);
// The Windows-1252 byte of a character; -1 when the code page has none.
int ToCp1252(char32_t cp);

// The code page of a font's \fcharset; `ansiCodePage` for the default charset (1) and for
// charsets with no code page of their own.
int CodePageOfCharset(int charset, int ansiCodePage);

// Decodes bytes of a code page to UTF-8, keeping one iconv converter per code page it has met.
// A code page iconv does not know reads as Windows-1252; a byte sequence the code page does not
// define becomes U+FFFD.
class Decoder {
public:
    Decoder() = default;
    ~Decoder();
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    void Decode(int codePage, std::string_view bytes, std::string& out);

private:
    void* Converter(int codePage);  // iconv_t, or nullptr for Windows-1252
    std::map<int, void*> converters_;
};

}  // namespace jb::richtext
