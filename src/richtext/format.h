#pragma once
// The formats a page's rich text carries: character formats of text runs, paragraph formats,
// and embedded pictures. Lengths are in twips (1/1440 inch), font sizes in half points, as they
// are stored.

#include <cstdint>
#include <optional>
#include <string>

namespace jb::richtext {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

enum class VerticalAlign : std::uint8_t { kNormal, kSuperscript, kSubscript };

struct CharFormat {
    std::string font;              // family name; empty means the document's default font
    int halfPoints = 24;           // 12 pt unless the text says otherwise
    std::optional<Rgb> color;      // none: the automatic text colour
    std::optional<Rgb> highlight;  // none: no background
    bool bold = false;
    bool italic = false;
    bool underline = false;  // every kind of underline reads as a single underline
    bool strike = false;
    VerticalAlign valign = VerticalAlign::kNormal;
    friend bool operator==(const CharFormat&, const CharFormat&) = default;
};

enum class Align : std::uint8_t { kLeft, kCenter, kRight, kJustify };

struct ParaFormat {
    Align align = Align::kLeft;
    int firstIndent = 0;  // twips, relative to the left indent; may be negative
    int leftIndent = 0;
    int rightIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    friend bool operator==(const ParaFormat&, const ParaFormat&) = default;
};

enum class ImageType : std::uint8_t { kPng, kJpeg };

// A picture with its encoded bytes (a whole PNG or JPEG file) and its displayed size.
struct Image {
    ImageType type = ImageType::kPng;
    std::string data;
    int widthTwips = 0;
    int heightTwips = 0;
    friend bool operator==(const Image&, const Image&) = default;
};

}  // namespace jb::richtext
