#include "transfer/import_cut.h"

#include <algorithm>

#include "richtext/code_page.h"

namespace jb::transfer {
namespace {

// The length of the UTF-8 sequence at `at`, or 0 when it is not a valid one.
std::size_t Utf8SequenceAt(std::string_view s, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char b = byte(at);
    if (b < 0x80) return 1;
    std::size_t length;
    char32_t cp;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
        cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        cp = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        cp = b & 0x07;
    } else {
        return 0;
    }
    if (at + length > s.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
        cp = cp << 6 | (byte(at + i) & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if ((length == 3 && cp < 0x800) || (length == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

bool IsUtf8(std::string_view s) {
    for (std::size_t at = 0; at < s.size();) {
        const std::size_t n = Utf8SequenceAt(s, at);
        if (n == 0) return false;
        at += n;
    }
    return true;
}

}  // namespace

int NextPieceLines(const std::vector<std::string_view>& lines, bool dosRecords) {
    const int available = static_cast<int>(lines.size());
    if (!dosRecords) return std::min(kImportPageLines, available);
    const int searched = std::min(kImportPageLines, available);
    for (int i = 0; i < searched; ++i)
        if (lines[static_cast<std::size_t>(i)] == "~") return i + 1;
    return std::min(kDosRecordLines, available);
}

ImportContent CheckImportContent(std::string_view bytes, bool richText) {
    if (bytes.find('\0') != std::string_view::npos) return ImportContent::kBinary;
    if (!richText) return ImportContent::kText;
    const std::size_t start = bytes.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos || bytes.substr(start, 5) != "{\\rtf") return ImportContent::kNotRichText;
    return ImportContent::kText;
}

std::string WithoutUtf16(std::string bytes) {
    const bool little = bytes.starts_with("\xFF\xFE");
    if (!little && !bytes.starts_with("\xFE\xFF")) return bytes;
    const auto unit = [&](std::size_t at) -> char32_t {
        const auto b0 = static_cast<unsigned char>(bytes[at]), b1 = static_cast<unsigned char>(bytes[at + 1]);
        return static_cast<char32_t>(little ? (b1 << 8 | b0) : (b0 << 8 | b1));
    };
    std::string out;
    out.reserve(bytes.size());
    std::size_t at = 2;
    for (; at + 1 < bytes.size(); at += 2) {
        char32_t cp = unit(at);
        if (cp >= 0xD800 && cp <= 0xDBFF && at + 3 < bytes.size() && unit(at + 2) >= 0xDC00 && unit(at + 2) <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(at + 2) - 0xDC00);
            at += 2;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        richtext::AppendUtf8(cp, out);
    }
    if (at < bytes.size()) richtext::AppendUtf8(0xFFFD, out);
    return out;
}

std::string DecodePlainText(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    if (IsUtf8(bytes)) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (unsigned char b : bytes) richtext::AppendUtf8(richtext::FromCp1252(b), out);
    return out;
}

}  // namespace jb::transfer
