#include "transfer/import_bounds.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace jb::transfer {
namespace {

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(BoundHtmlNesting, DropsTheElementsPastTheLimitAndKeepsTheirContent) {
    struct Case {
        std::string html;
        int limit;
        std::string bounded;
    };
    const Case cases[] = {
        {Repeat("<div>", 5) + "x" + Repeat("</div>", 5), 3, Repeat("<div>", 3) + "x" + Repeat("</div>", 3)},
        {"<div class=\"a>b\"><div title='>'>x</div>y</div>", 1, "<div class=\"a>b\">xy</div>"},
        {"<b><b>x</b>y</b>z", 1, "<b>xy</b>z"},
        // End tags left out: the items of a list are neighbours, not nested.
        {"<ul><li>a<li>b<li>c</ul>", 2, "<ul><li>a<li>b<li>c</ul>"},
        {"<table><tr><td>a<td>b<tr><td>c</table>", 3, "<table><tr><td>a<td>b<tr><td>c</table>"},
        {"<p>a<p>b<div>c</div>", 1, "<p>a<p>b<div>c</div>"},
        // Void elements, comments, declarations, scripts and stray markup never nest.
        {"<div><br><img src=x><hr/>a</div>", 1, "<div><br><img src=x><hr/>a</div>"},
        {"<!DOCTYPE html><!-- <div><div> --><div>a</div>", 1, "<!DOCTYPE html><!-- <div><div> --><div>a</div>"},
        {"<div><script>if (a<b) '<div>'</script></div>", 1, "<div><script>if (a<b) '<div>'</script></div>"},
        {"</div>a < b <3 <div", 0, "</div>a < b <3 <div"},
        {"<DIV><Div>x</DIV></div>", 1, "<DIV>x</div>"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.bounded, BoundHtmlNesting(c.html, c.limit)) << c.html;
}

TEST(BoundHtmlNesting, AHundredThousandLevelsKeepTheLimit) {
    for (const std::string open : {"<div>", "<ul><li>", "<table><tr><td>", "<blockquote>"}) {
        const std::string html = Repeat(open, 100000) + "deep";
        const std::string bounded = BoundHtmlNesting(html);
        SCOPED_TRACE(open);
        EXPECT_EQ(static_cast<std::size_t>(kMaxImportNesting), Count(bounded, "<"));
        EXPECT_TRUE(bounded.ends_with("deep"));
    }
}

TEST(BoundMarkdownNesting, DropsTheContainerMarkersPastTheLimit) {
    struct Case {
        std::string markdown;
        int limit;
        std::string bounded;
    };
    const Case cases[] = {
        {">>>>> x", 3, ">>> x"},
        {"> > > > x\n", 2, "> > x\n"},
        {"- - - - x", 2, "- - x"},
        {"1. 2) * x", 1, "1. x"},
        {std::string(500, ' ') + "- x", 2, std::string(8, ' ') + "- x"},
        // Not containers: emphasis, a minus sign, text; every line and its end kept.
        {"**bold** -5 *x*\n\n2024 was\n", 1, "**bold** -5 *x*\n\n2024 was\n"},
        {"> a\n> > b\n", 1, "> a\n> b\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.bounded, BoundMarkdownNesting(c.markdown, c.limit)) << c.markdown;
    const std::string deep = BoundMarkdownNesting(Repeat("> ", 100000) + "deep");
    EXPECT_EQ(static_cast<std::size_t>(kMaxImportNesting), Count(deep, ">"));
}

TEST(CutLongParagraph, MakesPiecesOfTheLimitBetweenCharacters) {
    richtext::CharFormat bold;
    bold.bold = true;
    const richtext::ParaFormat centred{richtext::Align::kCenter};
    richtext::Paragraph p{centred, {{{}, "abcdef", {}, {}}, {bold, "\xC3\xA9\xC3\xA9xy", "link", {}}}};
    const std::vector<richtext::Paragraph> pieces = CutLongParagraph(p, 4);
    const std::vector<richtext::Paragraph> expected = {
        {centred, {{{}, "abcd", {}, {}}}},
        {centred, {{{}, "ef", {}, {}}, {bold, "\xC3\xA9", "link", {}}}},
        {centred, {{bold, "\xC3\xA9xy", "link", {}}}},
    };
    EXPECT_EQ(expected, pieces);
    EXPECT_EQ(std::vector<richtext::Paragraph>{p}, CutLongParagraph(p, 100)) << "a short paragraph stays whole";
    EXPECT_EQ(std::vector<richtext::Paragraph>{richtext::Paragraph{}}, CutLongParagraph(richtext::Paragraph{}, 4));
}

}  // namespace
}  // namespace jb::transfer
