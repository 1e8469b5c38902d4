// The writer: its classic shape, its encodings, and documents that survive a write and a read.

#include <gtest/gtest.h>

#include <string>

#include "richtext/richtext.h"

namespace jb::richtext {
namespace {

TEST(Writer, PlainTextBecomesClassicRichText) {
    EXPECT_EQ(RtfFromPlainText("Hello\nworld"),
              "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang2057{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}}\r\n"
              "\\viewkind4\\uc1\\pard\\fs20 Hello\\par\r\nworld\\par\r\n}\r\n");
}

TEST(Writer, PlainTextSurvivesTheTrip) {
    for (const std::string text : {"", "one", "a\nb", "a\n", "\n\n", "tab\there", "caf\xC3\xA9 \xE2\x82\xAC",
                                   "\xD0\x96 \xF0\x9F\x98\x80", "{braces} \\back\\"}) {
        EXPECT_EQ(PlainTextOf(RtfFromPlainText(text)), text);
    }
    EXPECT_EQ(PlainTextOf(RtfFromPlainText("a\r\nb\rc")), "a\nb\nc");
}

TEST(Writer, CharactersOutsideAsciiAndSpecials) {
    const std::string rtf = RtfFromPlainText("\xC3\xA9\xE2\x82\xAC\xD0\x96\xF0\x9F\x98\x80\t{\\}");
    EXPECT_NE(rtf.find("\\'e9\\'80\\u1046?\\u-10179?\\u-8704?\\tab\\{\\\\\\}"), std::string::npos) << rtf;
}

Document Sample() {
    CharFormat plain{"Arial", 20, {}, {}, false, false, false, false, VerticalAlign::kNormal};
    CharFormat fancy{"Times New Roman", 28, Rgb{200, 10, 20}, Rgb{255, 255, 0}, true, true, true, true,
                     VerticalAlign::kSuperscript};
    CharFormat sub = plain;
    sub.valign = VerticalAlign::kSubscript;
    Document doc;
    doc.paragraphs.push_back(Paragraph{ParaFormat{Align::kCenter, -360, 720, 240, 120, 60},
                                       {Run{plain, "the quick brown fox", {}, {}},
                                        Run{fancy, "jumps \xC3\xA9\xD0\x96", {}, {}},
                                        Run{sub, "2", {}, {}}}});
    doc.paragraphs.push_back(Paragraph{ParaFormat{Align::kJustify, 0, 0, 0, 0, 0},
                                       {Run{plain, "see ", {}, {}}, Run{fancy, "the site", "http://example.com/?a=1", {}},
                                        Run{plain, " or ", {}, {}}, Run{plain, "mark", "#Top", {}},
                                        Run{plain, "a\tb\xE2\x80\xA8" "c\xC2\xA0" "d", {}, {}}}});
    doc.paragraphs.push_back(Paragraph{});
    doc.paragraphs.push_back(Paragraph{
        ParaFormat{Align::kRight, 0, 0, 0, 0, 0},
        {Run{plain, {}, {}, Image{ImageType::kPng, std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x02\0\0\0\x03", 24),
                                  450, 300}},
         Run{plain, {}, {}, Image{ImageType::kJpeg, "\xFF\xD8\xFF\xE0", 30, 15}}}});
    return doc;
}

TEST(Writer, DocumentSurvivesWriteAndRead) {
    const Document doc = Sample();
    const std::string rtf = WriteRtf(doc);
    EXPECT_EQ(ReadDocument(rtf), doc) << rtf;
    EXPECT_EQ(WriteRtf(ReadDocument(rtf)), rtf);
    EXPECT_EQ(PlainTextOf(rtf), PlainText(doc));
}

TEST(Writer, RunIsFoundByAByteSearch) {
    const std::string rtf = WriteRtf(Sample());
    EXPECT_NE(rtf.find("the quick brown fox"), std::string::npos);
    EXPECT_NE(rtf.find("{\\field{\\*\\fldinst{HYPERLINK \"http://example.com/?a=1\"}}{\\fldrslt{"), std::string::npos);
    EXPECT_NE(rtf.find("{\\pict\\pngblip\\picw2\\pich3\\picwgoal450\\pichgoal300\r\n89504e47"), std::string::npos);
    EXPECT_NE(rtf.find("\\pard\\qc\\fi-360\\li720\\ri240\\sb120\\sa60"), std::string::npos);
}

TEST(Writer, EveryParagraphEndsWithParAndCrLf) {
    const std::string rtf = WriteRtf(Sample());
    std::size_t pars = 0;
    for (std::size_t at = rtf.find("\\par\r\n"); at != std::string::npos; at = rtf.find("\\par\r\n", at + 1)) ++pars;
    EXPECT_EQ(pars, Sample().paragraphs.size());
}

}  // namespace
}  // namespace jb::richtext
