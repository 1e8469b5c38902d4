#include "transfer/import_bounds.h"

#include <algorithm>
#include <map>

namespace jb::transfer {

namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsNameCharacter(char c) { return IsLetter(c) || (c >= '0' && c <= '9') || c == '-' || c == ':'; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// One past the '>' that ends the tag opening at `lt`, quoted attribute values skipped; npos when
// the tag never ends.
std::size_t TagEnd(std::string_view html, std::size_t lt) {
    char quote = 0;
    for (std::size_t i = lt + 1; i < html.size(); ++i) {
        const char c = html[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i + 1;
        }
    }
    return std::string_view::npos;
}

std::string NameAt(std::string_view html, std::size_t at) {
    std::string name;
    if (at >= html.size() || !IsLetter(html[at])) return name;
    while (at < html.size() && IsNameCharacter(html[at])) name += Lower(html[at++]);
    return name;
}

bool IsVoid(const std::string& name) {
    static const char* const kVoid[] = {"area", "base", "br",    "col",   "embed", "hr",    "img",
                                        "input", "link", "meta", "param", "source", "track", "wbr"};
    return std::any_of(std::begin(kVoid), std::end(kVoid), [&](const char* v) { return name == v; });
}

// Elements whose content is text up to their end tag, never markup.
bool IsRawText(const std::string& name) {
    return name == "script" || name == "style" || name == "textarea" || name == "title";
}

// Whether a start tag of `name` ends an open `open` whose end tag was left out.
bool EndsOpen(const std::string& name, const std::string& open) {
    if (open == "li") return name == "li";
    if (open == "p") return name == "p" || name == "li" || name == "div" || name == "ul" || name == "ol" ||
                            name == "table" || name == "blockquote" || name == "pre" || name == "dl" ||
                            (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6');
    if (open == "dt" || open == "dd") return name == "dt" || name == "dd";
    if (open == "td" || open == "th") return name == "td" || name == "th" || name == "tr";
    if (open == "tr") return name == "tr";
    if (open == "option") return name == "option";
    return false;
}

class HtmlBounder {
public:
    HtmlBounder(std::string_view html, int limit) : html_(html), limit_(limit) { out_.reserve(html.size()); }

    std::string Run() {
        std::size_t at = 0;
        while (at < html_.size()) {
            const std::size_t lt = html_.find('<', at);
            if (lt == std::string_view::npos) {
                out_.append(html_.substr(at));
                break;
            }
            out_.append(html_.substr(at, lt - at));
            at = Markup(lt);
        }
        return std::move(out_);
    }

private:
    struct Open {
        std::string name;
        bool kept;
    };

    // Copies or drops the markup at `lt`; where the text after it begins.
    std::size_t Markup(std::size_t lt) {
        if (html_.substr(lt, 4) == "<!--") {
            const std::size_t close = html_.find("-->", lt + 4);
            const std::size_t end = close == std::string_view::npos ? html_.size() : close + 3;
            out_.append(html_.substr(lt, end - lt));
            return end;
        }
        const std::size_t end = TagEnd(html_, lt);
        if (end == std::string_view::npos) {
            out_.append(html_.substr(lt));
            return html_.size();
        }
        const std::string_view tag = html_.substr(lt, end - lt);
        const bool closing = tag.size() > 1 && tag[1] == '/';
        const std::string name = NameAt(html_, lt + (closing ? 2 : 1));
        if (name.empty()) {
            out_.append(tag);  // a declaration, or a '<' that is text
        } else if (closing) {
            if (Close(name)) out_.append(tag);
        } else if (IsVoid(name) || tag.ends_with("/>")) {
            out_.append(tag);
        } else if (IsRawText(name)) {
            // Never nests, and its content must not become text: it stays at any depth.
            out_.append(tag);
            return RawText(name, end);
        } else {
            while (!open_.empty() && EndsOpen(name, open_.back().name)) Pop();
            const bool keep = kept_ < limit_;
            if (keep) out_.append(tag);
            Push(name, keep);
        }
        return end;
    }

    // The content of a raw-text element, copied up to its end tag (which then ends nothing open and
// stays as it stands).
    std::size_t RawText(const std::string& name, std::size_t from) {
        for (std::size_t at = html_.find("</", from); at != std::string_view::npos; at = html_.find("</", at + 2)) {
            if (NameAt(html_, at + 2) == name) {
                out_.append(html_.substr(from, at - from));
                return at;
            }
        }
        out_.append(html_.substr(from));
        return html_.size();
    }

    void Push(const std::string& name, bool keep) {
        open_.push_back({name, keep});
        ++count_[name];
        if (keep) ++kept_;
    }
    void Pop() {
        --count_[open_.back().name];
        if (open_.back().kept) --kept_;
        open_.pop_back();
    }
    // Ends the innermost open element of `name` and those inside it; whether its end tag stays.
    // An end tag that ends nothing stays as it stands.
    bool Close(const std::string& name) {
        if (count_[name] == 0) return true;
        while (open_.back().name != name) Pop();
        const bool kept = open_.back().kept;
        Pop();
        return kept;
    }

    std::string_view html_;
    int limit_;
    std::string out_;
    std::vector<Open> open_;
    std::map<std::string, int> count_;  // open elements of each name
    int kept_ = 0;                      // open elements whose start tag was kept
};

// The length of the container marker at `at` ("> ", "- ", "12. "), 0 for none.
std::size_t MarkerAt(std::string_view line, std::size_t at) {
    if (at >= line.size()) return 0;
    const auto blankOrEnd = [&](std::size_t i) { return i >= line.size() || line[i] == ' ' || line[i] == '\t'; };
    if (line[at] == '>') return 1;
    if ((line[at] == '-' || line[at] == '+' || line[at] == '*') && blankOrEnd(at + 1)) return 1;
    std::size_t i = at;
    while (i < line.size() && i - at < 9 && line[i] >= '0' && line[i] <= '9') ++i;
    if (i > at && i < line.size() && (line[i] == '.' || line[i] == ')') && blankOrEnd(i + 1)) return i + 1 - at;
    return 0;
}

void BoundLine(std::string_view line, int limit, std::string& out) {
    const std::size_t maxIndent = static_cast<std::size_t>(limit) * 4;
    std::size_t at = 0;
    int markers = 0;
    while (true) {
        const std::size_t blanks = std::min(line.find_first_not_of(" \t", at), line.size()) - at;
        const std::size_t marker = MarkerAt(line, at + blanks);
        if (marker == 0) {
            out.append(line.substr(at, std::min(blanks, maxIndent)));
            out.append(line.substr(at + blanks));
            return;
        }
        if (markers < limit) {
            out.append(line.substr(at, std::min(blanks, maxIndent)));
            out.append(line.substr(at + blanks, marker));
        }
        ++markers;
        at += blanks + marker;
    }
}

}  // namespace

std::string BoundHtmlNesting(std::string_view html, int limit) { return HtmlBounder(html, limit).Run(); }

std::string BoundMarkdownNesting(std::string_view markdown, int limit) {
    std::string out;
    out.reserve(markdown.size());
    std::size_t at = 0;
    while (at <= markdown.size()) {
        std::size_t end = markdown.find('\n', at);
        if (end == std::string_view::npos) end = markdown.size();
        BoundLine(markdown.substr(at, end - at), limit, out);
        if (end < markdown.size()) out += '\n';
        at = end + 1;
    }
    return out;
}

std::vector<richtext::Paragraph> CutLongParagraph(richtext::Paragraph paragraph, std::size_t limit) {
    std::vector<richtext::Paragraph> pieces;
    richtext::Paragraph piece{paragraph.format, {}};
    std::size_t length = 0;
    const auto endPiece = [&] {
        pieces.push_back(std::move(piece));
        piece = richtext::Paragraph{paragraph.format, {}};
        length = 0;
    };
    for (richtext::Run& run : paragraph.runs) {
        if (run.image) {
            if (length + 1 > limit && length > 0) endPiece();
            piece.runs.push_back(std::move(run));
            ++length;
            continue;
        }
        std::string_view text = run.text;
        if (text.empty()) piece.runs.push_back(run);
        while (!text.empty()) {
            if (length >= limit) endPiece();
            std::size_t take = std::min(text.size(), limit - length);
            // Never inside a character: back up to the start of the one the cut falls in.
            while (take < text.size() && take > 0 && (static_cast<unsigned char>(text[take]) & 0xC0) == 0x80) --take;
            if (take == 0) {
                if (length > 0) {
                    endPiece();
                    continue;
                }
                take = std::min(text.size(), limit);  // a limit smaller than one character
            }
            piece.runs.push_back(richtext::Run{run.format, std::string(text.substr(0, take)), run.link, {}});
            length += take;
            text.remove_prefix(take);
        }
    }
    pieces.push_back(std::move(piece));
    return pieces;
}

}  // namespace jb::transfer
