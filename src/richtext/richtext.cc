#include "richtext/richtext.h"

namespace jb::richtext {
namespace {

// Collects the plain text straight from the reader, without building a document.
class PlainTextSink final : public Sink {
public:
    void Text(std::string_view utf8, const CharFormat&) override { AppendPlain(utf8, out_); }
    void ParagraphEnd(const ParaFormat&) override { out_ += '\n'; }
    void Picture(const Image&, const CharFormat&) override { out_ += "\xEF\xBF\xBC"; }
    void LinkStart(std::string_view) override {}
    void LinkEnd() override {}

    std::string Take() {
        // Every paragraph ends with "\n"; the editor joins them with it.
        if (!out_.empty() && out_.back() == '\n') out_.pop_back();
        return std::move(out_);
    }

private:
    std::string out_;
};

}  // namespace

Document ReadDocument(std::string_view rtfOrPlain) {
    DocumentBuilder builder;
    ReadRtf(rtfOrPlain, builder);
    return builder.Take();
}

std::string PlainTextOf(std::string_view rtfOrPlain) {
    PlainTextSink sink;
    ReadRtf(rtfOrPlain, sink);
    return sink.Take();
}

std::string RtfFromPlainText(std::string_view utf8Text, const std::string& fontName, int pointSize) {
    CharFormat format;
    format.font = fontName;
    format.halfPoints = pointSize * 2;
    Document doc;
    std::size_t i = 0;
    while (true) {
        std::size_t end = utf8Text.find_first_of("\r\n", i);
        if (end == std::string_view::npos) end = utf8Text.size();
        Paragraph& p = doc.paragraphs.emplace_back();
        if (end > i) p.runs.push_back(Run{format, std::string(utf8Text.substr(i, end - i)), {}, {}});
        if (end == utf8Text.size()) break;
        i = end + 1;
        if (utf8Text[end] == '\r' && i < utf8Text.size() && utf8Text[i] == '\n') ++i;
    }
    WriteOptions options;
    options.defaultFont = fontName;
    return WriteRtf(doc, options);
}

}  // namespace jb::richtext
