// The reader on small hand-written documents, one per construct, in the shapes common word
// processors write them.

#include <gtest/gtest.h>

#include <string>

#include "richtext/richtext.h"

namespace jb::richtext {
namespace {

struct PlainCase {
    const char* name;
    std::string rtf;
    std::string plain;
};

class ReaderPlainText : public testing::TestWithParam<PlainCase> {};

TEST_P(ReaderPlainText, GivesTheEditorsText) {
    EXPECT_EQ(PlainTextOf(GetParam().rtf), GetParam().plain);
    // The document model tells the same text as the streaming extraction.
    EXPECT_EQ(PlainText(ReadDocument(GetParam().rtf)), GetParam().plain);
}

const std::string kHead = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang2057{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}";

INSTANTIATE_TEST_SUITE_P(
    Constructs, ReaderPlainText,
    testing::Values(
        PlainCase{"WordPad", kHead + "\r\n\\viewkind4\\uc1\\pard\\f0\\fs20 Hello world\\par\r\n}\r\n", "Hello world"},
        PlainCase{"Paragraphs", kHead + "\\pard one\\par two\\par\\par four}", "one\ntwo\n\nfour"},
        PlainCase{"UnterminatedLastParagraph", kHead + "a\\par b}", "a\nb"},
        PlainCase{"EmptyDocument", "{\\rtf1\\ansi }", ""},
        PlainCase{"LineTabPage", kHead + "a\\line b\\tab c\\par\\page d\\sect e}", "a\nb\tc\nd\ne"},
        PlainCase{"Escapes", kHead + "\\\\ \\{x\\} a\\~b c\\-d e\\_f}",
                  "\\ {x} a b c\xC2\xAD" "d e\xE2\x80\x91" "f"},
        PlainCase{"NamedSymbols", kHead + "\\bullet\\endash\\emdash\\lquote\\rquote\\ldblquote\\rdblquote"
                                          "\\enspace\\emspace}",
                  "\xE2\x80\xA2\xE2\x80\x93\xE2\x80\x94\xE2\x80\x98\xE2\x80\x99\xE2\x80\x9C\xE2\x80\x9D"
                  "\xE2\x80\x82\xE2\x80\x83"},
        PlainCase{"HexCp1252", kHead + "caf\\'e9 \\'80 \\'93q\\'94}", "caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D"},
        PlainCase{"CyrillicFontCharset",
                  "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}"
                  "{\\f1\\fnil\\fcharset204 Arial Cyr;}}\\f1\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2\\f0  caf\\'e9}",
                  "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 caf\xC3\xA9"},
        PlainCase{"AnsiCodePage1250", "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fnil Arial;}}\\f0 Prosz\\'ea}",
                  "Prosz\xC4\x99"},
        PlainCase{"DoubleByteGbk",
                  "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}"
                  "\\f0\\'c4\\'e3\\'ba\\'c3}",
                  "\xE4\xBD\xA0\xE5\xA5\xBD"},
        PlainCase{"UnicodeSkipOne", kHead + "\\u1046?\\u-3913?x}", "\xD0\x96\xEF\x82\xB7x"},
        PlainCase{"UnicodeSkipZero", kHead + "\\uc0\\u26580\\u36947 x}", "\xE6\x9F\x94\xE9\x81\x93x"},
        PlainCase{"UnicodeSkipTwo", kHead + "{\\uc2\\u26580\\'e6\\'9f\\u36947\\'e9\\'81}x}", "\xE6\x9F\x94\xE9\x81\x93x"},
        PlainCase{"UnicodeSurrogatePair", kHead + "\\u-10179?\\u-8704?}", "\xF0\x9F\x98\x80"},
        PlainCase{"SkippedDestinations",
                  kHead + "{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}{\\*\\generator Riched20;}"
                          "{\\header head}{\\footer foot}{\\*\\listtable{\\list x}}{\\*\\shiny{new stuff}}"
                          "\\pard body\\par}",
                  "body"},
        PlainCase{"UnknownWordsIgnored", kHead + "\\newword12 a\\xyz b}", "ab"},
        PlainCase{"HyperlinkField",
                  kHead + "see {\\field{\\*\\fldinst{HYPERLINK \"http://example.com/\"}}{\\fldrslt{\\ul\\cf1 here}}} now}",
                  "see here now"},
        PlainCase{"OtherFieldGivesResult",
                  kHead + "p {\\field{\\*\\fldinst{ PAGE }}{\\fldrslt 3}}}", "p 3"},
        PlainCase{"PngPicture",
                  kHead + "a{\\pict\\pngblip\\picw1\\pich1\\picwgoal300\\pichgoal150 89504e47}b}",
                  "a\xEF\xBF\xBC" "b"},
        PlainCase{"MetafileSkipped", kHead + "a{\\pict\\wmetafile8\\picw1\\pich1 0100090000}b}", "ab"},
        PlainCase{"ShapePictureOnce",
                  kHead + "{\\*\\shppict{\\pict\\pngblip 89504e47}}{\\nonshppict{\\pict\\wmetafile8 0100}}x}",
                  "\xEF\xBF\xBCx"},
        PlainCase{"ObjectResult",
                  kHead + "{\\object\\objemb{\\*\\objclass Paint}{\\*\\objdata 0102}{\\result{\\pict\\jpegblip ffd8}}}}",
                  "\xEF\xBF\xBC"},
        PlainCase{"TableFlattened",
                  kHead + "\\trowd\\cellx1000\\cellx2000\\pard\\intbl a\\cell b\\cell\\row"
                          "\\trowd\\cellx1000\\cellx2000\\pard\\intbl c\\cell\\cell\\row\\pard after\\par}",
                  "a\tb\nc\t\nafter"},
        PlainCase{"ListText",
                  kHead + "{\\pntext\\f0 1.\\tab}{\\*\\pn\\pnlvlbody{\\pntxta .}}one\\par"
                          "{\\listtext\\pard\\plain \\'b7\\tab}two\\par}",
                  "1.\tone\n\xC2\xB7\ttwo"},
        PlainCase{"TrailerByteIgnored", kHead + "text\\par}\xFB", "text"},
        PlainCase{"AnyByteAfterTheEnd", kHead + "text\\par}E garbage {\\par more}", "text"},
        PlainCase{"PlainWindows1252", "first line\r\nsecond \xE9\n\nlast", "first line\nsecond \xC3\xA9\n\nlast"},
        PlainCase{"PlainStopsAtNul", std::string("abc\0def", 7), "abc"},
        PlainCase{"BinarySkippedOutsidePicture", kHead + "a{\\*\\blob\\bin3 }}}}b}", "ab"}),
    [](const testing::TestParamInfo<PlainCase>& info) { return std::string(info.param.name); });

// The formats of the runs a document holds, in order.
std::vector<CharFormat> Formats(const Document& doc) {
    std::vector<CharFormat> out;
    for (const auto& p : doc.paragraphs) {
        for (const auto& r : p.runs) out.push_back(r.format);
    }
    return out;
}

TEST(Reader, CharacterFormatsAndNestedGroupsRestoreThem) {
    const Document doc = ReadDocument(
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fmodern Courier New;}}"
        "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
        "\\f0\\fs20 a{\\b\\i b{\\ul\\strike\\f1\\fs32\\cf1\\highlight2 c}d}e\\super f\\nosupersub\\sub g\\plain h"
        "\\uldb i\\ulnone j\\b0 k}");
    ASSERT_EQ(doc.paragraphs.size(), 1u);
    const auto& runs = doc.paragraphs[0].runs;
    std::string texts;
    for (const auto& r : runs) texts += r.text + "|";
    EXPECT_EQ(texts, "a|b|c|d|e|f|g|h|i|jk|");
    const auto f = Formats(doc);
    ASSERT_EQ(f.size(), 10u);
    EXPECT_EQ(f[0], (CharFormat{"Arial", 20, {}, {}, false, false, false, false, VerticalAlign::kNormal}));
    EXPECT_EQ(f[1], (CharFormat{"Arial", 20, {}, {}, true, true, false, false, VerticalAlign::kNormal}));
    EXPECT_EQ(f[2], (CharFormat{"Courier New", 32, Rgb{255, 0, 0}, Rgb{0, 0, 255}, true, true, true, true,
                                VerticalAlign::kNormal}));
    EXPECT_EQ(f[3], f[1]);
    EXPECT_EQ(f[4], f[0]);
    EXPECT_EQ(f[5].valign, VerticalAlign::kSuperscript);
    EXPECT_EQ(f[6].valign, VerticalAlign::kSubscript);
    EXPECT_EQ(f[7], (CharFormat{"Arial", 24, {}, {}, false, false, false, false, VerticalAlign::kNormal}));
    EXPECT_TRUE(f[8].underline);
    EXPECT_FALSE(f[9].underline);
}

TEST(Reader, ParagraphFormats) {
    const Document doc = ReadDocument(
        "{\\rtf1\\ansi\\pard\\qc\\fi-360\\li720\\ri240\\sb120\\sa60 a\\par b\\par\\pard\\qr c\\par"
        "\\pard\\qj d\\par\\pard\\ql e\\par}");
    ASSERT_EQ(doc.paragraphs.size(), 5u);
    EXPECT_EQ(doc.paragraphs[0].format, (ParaFormat{Align::kCenter, -360, 720, 240, 120, 60}));
    EXPECT_EQ(doc.paragraphs[1].format, doc.paragraphs[0].format);  // formats carry until \pard
    EXPECT_EQ(doc.paragraphs[2].format, (ParaFormat{Align::kRight, 0, 0, 0, 0, 0}));
    EXPECT_EQ(doc.paragraphs[3].format.align, Align::kJustify);
    EXPECT_EQ(doc.paragraphs[4].format, ParaFormat{});
}

TEST(Reader, HyperlinkAroundItsResultText) {
    const Document doc = ReadDocument(
        "{\\rtf1 go {\\field{\\*\\fldinst{HYPERLINK \"http://example.com/a b\"}}{\\fldrslt{\\ul click}}} "
        "{\\field{\\*\\fldinst HYPERLINK \\\\l \"Mark\"}{\\fldrslt there}}}");
    ASSERT_EQ(doc.paragraphs.size(), 1u);
    const auto& runs = doc.paragraphs[0].runs;
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0].link, "");
    EXPECT_EQ(runs[1].text, "click");
    EXPECT_EQ(runs[1].link, "http://example.com/a b");
    EXPECT_TRUE(runs[1].format.underline);
    EXPECT_EQ(runs[2].text, " ");
    EXPECT_EQ(runs[2].link, "");
    EXPECT_EQ(runs[3].link, "#Mark");
}

TEST(Reader, PicturesInHexAndBinaryWithTheirSize) {
    const Document doc = ReadDocument(
        "{\\rtf1{\\pict\\pngblip\\picw10\\pich20\\picwgoal600\\pichgoal300\\picscalex50\\picscaley200 "
        "89 50\r\n4e 47}{\\pict\\jpegblip\\picw4\\pich2\\bin3 \xFF\xD8}}{\\pict\\jpegblip\\bin999 ab}}");
    // The last \bin claims more than is left: it takes the rest, and its group never ends.
    ASSERT_EQ(doc.paragraphs.size(), 1u);
    const auto& runs = doc.paragraphs[0].runs;
    ASSERT_EQ(runs.size(), 2u);
    ASSERT_TRUE(runs[0].image && runs[1].image);
    EXPECT_EQ(*runs[0].image, (Image{ImageType::kPng, "\x89PNG", 300, 600}));
    // No goal size: the picture's pixels at 15 twips each.
    EXPECT_EQ(*runs[1].image, (Image{ImageType::kJpeg, "\xFF\xD8}", 60, 30}));
}

}  // namespace
}  // namespace jb::richtext
