#pragma once
// An in-memory rich-text document: paragraphs of runs. It is what the reader builds for the
// editor bridge and what the writer writes.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "richtext/format.h"
#include "richtext/sink.h"

namespace jb::richtext {

// A stretch of a paragraph in one format: either text (UTF-8, see sink.h for its characters)
// or one picture. `link` is the target of the hyperlink the run belongs to, empty for none.
struct Run {
    CharFormat format;
    std::string text;
    std::string link;
    std::optional<Image> image;
    friend bool operator==(const Run&, const Run&) = default;
};

struct Paragraph {
    ParaFormat format;
    std::vector<Run> runs;
    friend bool operator==(const Paragraph&, const Paragraph&) = default;
};

struct Document {
    std::vector<Paragraph> paragraphs;
    friend bool operator==(const Document&, const Document&) = default;
};

// Builds a Document from what the reader reports, joining neighbouring text in one format.
class DocumentBuilder final : public Sink {
public:
    void Text(std::string_view utf8, const CharFormat& format) override;
    void ParagraphEnd(const ParaFormat& format) override;
    void Picture(const Image& image, const CharFormat& format) override;
    void LinkStart(std::string_view href) override { link_ = href; }
    void LinkEnd() override { link_.clear(); }

    // The document so far; the builder is empty afterwards.
    Document Take();

private:
    Document doc_;
    Paragraph current_;
    std::string link_;
};

// The text of a document as the editor shows it in plain text: paragraphs joined by "\n",
// a line break as "\n", a no-break space as " ", a TAB as TAB, a picture as U+FFFC (the
// object replacement character), the cells of a table row joined by TAB.
std::string PlainText(const Document& doc);

// A font name as the font table can hold it: no control characters, no ';', no spaces at
// either end.
std::string CleanFontName(std::string_view name);

// Appends `utf8` to `out` with the plain-text substitutions above (U+2028 and U+00A0).
void AppendPlain(std::string_view utf8, std::string& out);

}  // namespace jb::richtext
