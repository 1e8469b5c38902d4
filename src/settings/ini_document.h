#pragma once
// The text of an INI file held in memory, read and edited the way the Windows private-profile
// functions do it, as the program has always relied on:
//
//  - "[Name]" opens a section; "key=value" gives a value; section and key names are matched
//    without regard to (ASCII) letter case and without the blanks around them.
//  - Only the first section of a name counts, and in it only the first line of a key: a key
//    that appears only in a later duplicate section is not found.
//  - Lines before the first section, lines beginning with ";" (comments), a "[" line without
//    its "]" and lines without "=" are never a key; they are kept as they are.
//  - A value loses the blanks around it and then one pair of matching quotes ("..." or '...');
//    it ends at a NUL byte; a read gives at most kMaxValueLength characters.
//  - Set changes only the line of its key (keeping the spelling of the key's name found in the
//    file), adds a missing key after the last non-blank line of its section, and adds a missing
//    section at the end of the text. Every other byte stays as it was, line breaks included;
//    new lines take the line break of the text's first line (CR LF for an empty text).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace jb {

class IniDocument {
  public:
    // The most characters a read returns (the platform's 1024-byte buffer less its NUL).
    static constexpr std::size_t kMaxValueLength = 1023;

    IniDocument() = default;
    // Any bytes are accepted; nothing in them is an error.
    static IniDocument Parse(std::string_view bytes);

    // The value of a key, or nullopt when its section or the key is missing.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;
    // The value of a key, or `fallback` when it is missing.
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view fallback) const;
    // The value of a key read as an integer (see ParseProfileInt), or `fallback` when it is
    // missing or not a number.
    std::int32_t GetInt(std::string_view section, std::string_view key,
                        std::int32_t fallback) const;
    // Non-zero is true; missing or not a number gives `fallback`.
    bool GetBool(std::string_view section, std::string_view key, bool fallback) const;

    // Sets a key, as described above. A value is written up to its first line break or NUL,
    // so that it can never turn into more than one line.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    // The whole text, as it would be written to the file.
    std::string Serialize() const;

  private:
    struct Line {
        std::string text;  // without its line break
        std::string eol;   // "\n", "\r\n", or "" for a last line without a line break
    };

    // Index of the first section header of `section`, or npos.
    std::size_t FindSection(std::string_view section) const;
    // Index of the first line of `key` in the section whose header is at `header`, or npos.
    std::size_t FindKey(std::size_t header, std::string_view key) const;
    // The line break for new lines.
    std::string NewLineBreak() const;

    std::vector<Line> lines_;
};

// Reads an integer value the way the program always has: a value of more than two characters
// that begins with "0x" or "0X" is hexadecimal (at most 8 digits, taken as a 32-bit pattern,
// so 0xFFFFFFFF is -1); otherwise an optional sign and decimal digits within the 32-bit range.
// Anything else is not a number (nullopt) -- including a number followed by other characters,
// such as "12px": a value is a number as a whole or not at all.
std::optional<std::int32_t> ParseProfileInt(std::string_view value);

}  // namespace jb
