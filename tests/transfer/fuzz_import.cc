// libFuzzer target for the import's file handling: the type rule, the content check, the
// decoding of plain text and the cutting of laid-out lines into pages. The first byte chooses
// the import type and whether DOS records are cut; the first line is the file's name; the rest
// is the file. Any input must hold these laws:
// - decoded text is valid UTF-8, and UTF-8 that does not open with a byte-order mark decodes to
//   itself;
// - cutting the file's lines takes at least one line a page and at most 151, ends exactly at the
//   last line, and a DOS record ends at its first line holding only "~" among its first 150;
// - bounding the nesting of HTML and Markdown only takes away (never adds a '<' or a '>'), keeps
//   every line, and a bounded file bounded again stays as it is; a deep file's bound is found in
//   time that grows with its length;
// - a long paragraph cut into pieces keeps every byte, each piece within the limit.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "transfer/file_types.h"
#include "transfer/import_bounds.h"
#include "transfer/import_cut.h"

namespace {

// A plain check of UTF-8: lead bytes, continuation bytes, no overlong form, no surrogate.
bool ValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t n = b < 0x80 ? 1 : b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        char32_t cp = n == 1 ? b : b & (0xFF >> (n + 1));
        for (std::size_t k = 1; k < n; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = cp << 6 | (c & 0x3F);
        }
        if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace jb::transfer;
    if (size == 0) return 0;
    const int chosen = static_cast<int>(data[0] % 6) - 1;
    const bool dos = data[0] & 0x80;
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t nameEnd = rest.find('\n');
    const std::string_view name = rest.substr(0, nameEnd);
    const std::string_view bytes = nameEnd == std::string_view::npos ? std::string_view() : rest.substr(nameEnd + 1);

    const FileKind kind = ImportKindOf(name, chosen, data[0] & 0x40 ? TypeChoice::kChosen : TypeChoice::kDefault);
    if (name.ends_with(".txt") && kind != FileKind::kPlainText) std::abort();
    if (name.ends_with(".rtf") && kind != FileKind::kRichText) std::abort();
    const ImportContent content = CheckImportContent(bytes, kind == FileKind::kRichText);
    if ((bytes.find('\0') != std::string_view::npos) != (content == ImportContent::kBinary)) std::abort();

    const std::string text = DecodePlainText(bytes);
    if (!ValidUtf8(text)) std::abort();
    if (ValidUtf8(bytes) && !bytes.starts_with("\xEF\xBB\xBF") && text != bytes) std::abort();

    std::vector<std::string_view> lines;
    for (std::size_t at = 0; at <= text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        lines.emplace_back(text.data() + at, end - at);
        at = end + 1;
    }
    std::size_t next = 0;
    while (next < lines.size()) {
        const std::size_t window = std::min<std::size_t>(lines.size() - next, kDosRecordLines);
        const std::vector<std::string_view> head(lines.begin() + static_cast<std::ptrdiff_t>(next),
                                                 lines.begin() + static_cast<std::ptrdiff_t>(next + window));
        const int taken = NextPieceLines(head, dos);
        if (taken < 1 || taken > static_cast<int>(window) || taken > kDosRecordLines) std::abort();
        if (!dos && taken != static_cast<int>(std::min<std::size_t>(window, kImportPageLines))) std::abort();
        if (dos) {
            for (int i = 0; i < taken - 1 && i < kImportPageLines; ++i)
                if (head[static_cast<std::size_t>(i)] == "~") std::abort();
            const bool endsAtTilde = head[static_cast<std::size_t>(taken - 1)] == "~" && taken <= kImportPageLines;
            if (!endsAtTilde && taken != static_cast<int>(window)) std::abort();
        }
        next += static_cast<std::size_t>(taken);
    }
    if (next != lines.size()) std::abort();

    const auto count = [](std::string_view s, char c) { return std::count(s.begin(), s.end(), c); };
    for (const int limit : {2, jb::transfer::kMaxImportNesting}) {
        const std::string html = BoundHtmlNesting(bytes, limit);
        if (html.size() > bytes.size() || count(html, '<') > count(bytes, '<')) std::abort();
        if (BoundHtmlNesting(html, limit) != html) std::abort();
        const std::string markdown = BoundMarkdownNesting(bytes, limit);
        if (markdown.size() > bytes.size() || count(markdown, '\n') != count(bytes, '\n')) std::abort();
        if (BoundMarkdownNesting(markdown, limit) != markdown) std::abort();
    }

    // A sample of the text is enough to meet every kind of cut.
    const std::string sample = text.substr(0, 1024);
    jb::richtext::Paragraph paragraph;
    paragraph.runs.push_back({{}, sample, {}, {}});
    const std::size_t limit = 1 + data[0] % 64;
    std::string joined;
    for (const jb::richtext::Paragraph& piece : CutLongParagraph(paragraph, limit)) {
        std::size_t length = 0;
        for (const jb::richtext::Run& run : piece.runs) {
            length += run.text.size();
            joined += run.text;
        }
        if (length > limit) std::abort();
    }
    if (joined != sample) std::abort();
    return 0;
}
