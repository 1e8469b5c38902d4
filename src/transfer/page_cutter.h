#pragma once
// Cuts an imported file into pages the way the assembly document lays it out: 641 pixels wide,
// a long paragraph counting as several lines. The file's paragraphs flow through a small
// window of that document, so a file of any size is cut in memory that follows one page, not
// the file; pieces are taken from one layout of what the window holds, so a paragraph of a
// megabyte is laid out once, not once a page.

#include <QTextDocument>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "richtext/document.h"
#include "transfer/file_types.h"
#include "transfer/import_cut.h"

namespace jb::transfer {

// The paragraphs of an imported file, one at a time.
class ParagraphSource {
public:
    virtual ~ParagraphSource() = default;
    // The next paragraph; false at the end of the file.
    virtual bool Next(richtext::Paragraph& paragraph) = 0;
    // How much of the file has been read, 0..100.
    virtual int Percent() const = 0;
};

// The width, in pixels, at which an imported file is laid out and cut.
inline constexpr int kImportLayoutWidth = 641;

// The paragraphs of a file's bytes read as `kind` (a file in UTF-16 with its byte-order mark is
// read as the same text in UTF-8); nothing when the bytes cannot be read as that kind (a binary
// file, rich text that is not RTF), and then `refused`, when given, says which.
std::unique_ptr<ParagraphSource> OpenImportSource(std::string bytes, FileKind kind, ImportContent* refused = nullptr);

class PageCutter {
public:
    // Pages of 150 lines, or (`dosRecords`) one page per tilde-ended record of at most 151 lines.
    PageCutter(ParagraphSource& source, bool dosRecords);

    // The next page's text as rich text; false when the file is used up. A DOS record loses its
    // closing "~".
    bool NextPiece(std::string& rtf);
    int Percent() const { return source_.Percent(); }
    // How many characters of the file the layout window holds now.
    int WindowCharacters() const { return window_.characterCount(); }

private:
    struct Line {
        int start;         // position in the window
        std::string text;  // as laid out (UTF-8), kept only for a line of at most 2 characters:
                           // all a record's closing "~" line can be
    };
    // Drops what has been cut, takes in more of the file and lays the window out again.
    void Refill();
    void LayOut();

    ParagraphSource& source_;
    const bool dosRecords_;
    bool sourceDone_ = false;
    QTextDocument window_;
    std::vector<Line> lines_;
    std::size_t next_ = 0;  // the first line not yet cut
    // The pieces of a long paragraph not yet taken into the window, last piece first.
    std::vector<richtext::Paragraph> rest_;
};

// A page's text as the editor stores it after loading `rtf`, and its plain text (what Update
// writes and indexes).
struct StoredPage {
    std::string rtf;
    std::string plainText;
};
StoredPage PageAsStored(std::string_view rtf);

}  // namespace jb::transfer
