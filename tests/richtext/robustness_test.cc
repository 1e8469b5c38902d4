// Hostile input: the reader must finish quickly, without a crash, on anything.

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>

#include "richtext/richtext.h"

namespace jb::richtext {
namespace {

TEST(Robustness, DeepNestingIsSkippedNotFollowed) {
    const std::string deep = "{\\rtf1 a" + std::string(1'000'000, '{') + "x" + std::string(1'000'000, '}') + " b}";
    EXPECT_EQ(PlainTextOf(deep), "a b");
    // Formatting just inside the limit still applies; text deeper than it is left out.
    std::string nested = "{\\rtf1 ";
    for (int k = 1; k < kMaxGroupDepth + 5; ++k) nested += "{" + std::to_string(k % 10);
    nested += std::string(kMaxGroupDepth + 4, '}') + "}";
    EXPECT_EQ(PlainTextOf(nested).size(), static_cast<std::size_t>(kMaxGroupDepth - 1));
}

TEST(Robustness, TruncatedAndMalformedInput) {
    for (const std::string input :
         {"{\\rtf", "{\\rtf1", "{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"x", "{\\rtf1\\'", "{\\rtf1\\'4",
          "{\\rtf1\\u", "{\\rtf1\\u-", "{\\rtf1\\bin", "{\\rtf1\\bin-5 x}", "{\\rtf1{\\pict\\pngblip 8",
          "{\\rtf1\\fs99999999999999999999 x}", "{\\rtf1\\ansicpg999999 \\'e9}", "{\\rtf1}}}}}}",
          "{\\rtf1\\uc99999\\u65 abc}", "{\\rtf1\\cell\\cell\\row\\row}", "{\\rtf1{\\fonttbl{\\f0 x"}) {
        SCOPED_TRACE(input);
        const std::string plain = PlainTextOf(input);
        EXPECT_LE(plain.size(), input.size() * 3);
        EXPECT_EQ(PlainText(ReadDocument(input)), plain);
    }
}

TEST(Robustness, RandomBytesFinishQuickly) {
    std::mt19937 random(7);
    const std::string alphabet = "{}\\\\\\'abcdefuxbinpictpar0123456789 -;*\r\n\xE9\xFF";
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < 2000; ++round) {
        std::string input = "{\\rtf1 ";
        const int length = static_cast<int>(random() % 400);
        for (int k = 0; k < length; ++k) input += alphabet[random() % alphabet.size()];
        const Document doc = ReadDocument(input);
        const std::string once = WriteRtf(doc);
        ASSERT_EQ(WriteRtf(ReadDocument(once)), once) << input;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST(Robustness, HugeBinClaimIsBoundedByTheInput) {
    const std::string input = "{\\rtf1{\\pict\\pngblip\\bin2000000000 abc}} after}";
    const Document doc = ReadDocument(input);
    EXPECT_TRUE(doc.paragraphs.empty());  // the picture's group swallowed the rest and never closed
}

}  // namespace
}  // namespace jb::richtext
