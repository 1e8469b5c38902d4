// The worked example of docs/format.md, made again with the program's own code: a data set of
// two pages added the way `jotterbase-cli add` adds them, with the clock and the page IDs fixed.
// Every file the example shows is compared byte by byte with the dump in the document, so the
// document cannot drift from what the program writes.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "protect/decipher.h"
#include "protect/page_key.h"
#include "richtext/richtext.h"
#include "store/page_store.h"
#include "store/word_index.h"
#include "support/temp_dir.h"

namespace jb::test {
namespace {

// The lines `hexdump -C` prints for these bytes, the line of the final offset included (an
// empty file prints nothing).
std::string HexDump(const std::string& bytes) {
    std::string out;
    std::string previous;
    bool skipping = false;
    char text[32];
    for (std::size_t at = 0; at < bytes.size(); at += 16) {
        const std::string line = bytes.substr(at, 16);
        if (line.size() == 16 && line == previous) {
            if (!skipping) out += "*\n";
            skipping = true;
            continue;
        }
        skipping = false;
        previous = line;
        std::snprintf(text, sizeof text, "%08zx", at);
        out += text;
        out += ' ';
        for (std::size_t i = 0; i < 16; ++i) {
            if (i == 8) out += ' ';
            if (i < line.size()) {
                std::snprintf(text, sizeof text, " %02x", static_cast<unsigned char>(line[i]));
                out += text;
            } else {
                out += "   ";
            }
        }
        out += "  |";
        for (unsigned char c : line) out += c >= 0x20 && c < 0x7f ? static_cast<char>(c) : '.';
        out += "|\n";
    }
    if (!bytes.empty()) {
        std::snprintf(text, sizeof text, "%08zx\n", bytes.size());
        out += text;
    }
    return out;
}

// The fenced blocks of a Markdown text that follow a line "<!-- KIND: NAME -->", by NAME.
std::map<std::string, std::string> MarkedBlocks(const std::string& markdown, const std::string& kind) {
    std::map<std::string, std::string> blocks;
    const std::string marker = "<!-- " + kind + ": ";
    for (std::size_t at = markdown.find(marker); at != std::string::npos; at = markdown.find(marker, at + 1)) {
        const std::size_t nameStart = at + marker.size();
        const std::string name = markdown.substr(nameStart, markdown.find(" -->", nameStart) - nameStart);
        const std::size_t open = markdown.find("```", nameStart);
        const std::size_t bodyStart = markdown.find('\n', open) + 1;
        const std::size_t close = markdown.find("\n```", bodyStart - 1);
        blocks[name] = close < bodyStart ? std::string() : markdown.substr(bodyStart, close + 1 - bodyStart);
    }
    return blocks;
}

std::string FormatDocument() {
    const char* source = std::getenv("JB_SOURCE_DIR");
    return ReadFileBytes(std::string(source ? source : JB_SOURCE_DIR_AT_BUILD) + "/docs/format.md");
}

struct ExamplePage {
    const char* id;
    const char* text;
    const char* password;
    bool readOnly;
    double created;
    double reminder;
};

// 2026-12-08, and 2026-12-09 with a reminder for 2026-12-14 09:00; written on 2026-12-10.
constexpr double kWrittenOn = 46366.6;
constexpr ExamplePage kPages[] = {
    {"0A1B2C3D", "Buy milk", "", false, 46364, 0},
    {"4E5F6071", "Door code 4711", "key", true, 46365, 46370.375},
};

TEST(FormatDocument, WorkedExampleMatchesTheFilesTheProgramWrites) {
    TempDir dir;
    const std::string dataSet = dir.File("Example.jb");
    FixedClock clock(kWrittenOn);
    PageStore store(FileSystem::Default(), clock);
    for (const ExamplePage& page : kPages) {
        const std::string rtf = richtext::RtfFromPlainText(page.text);
        StopWords stops(store.Files());
        IndexAppend entries = PageEntriesAppend(stops, dataSet, page.id, richtext::PlainTextOf(rtf));
        int n = -1;
        ASSERT_EQ(store.AppendPage(dataSet, page.password, page.readOnly, page.id, rtf, page.reminder, page.created, n,
                                   &entries),
                  kStatusOk);
        ASSERT_TRUE(entries.error.empty()) << entries.error;
    }

    const std::string document = FormatDocument();
    ASSERT_FALSE(document.empty()) << "docs/format.md is missing";
    const auto dumps = MarkedBlocks(document, "example-file");
    std::set<std::string> shown, written;
    for (const auto& [name, dump] : dumps) shown.insert(name);
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        written.insert(entry.path().filename().string());
    EXPECT_EQ(shown, written) << "the example shows other files than the program writes";
    for (const auto& [name, dump] : dumps)
        EXPECT_EQ(dump, HexDump(ReadFileBytes(dir.File(name)))) << "the dump of " << name << " in docs/format.md";

    // The protected page's body, deciphered with its key, is the text the document shows.
    const auto plain = MarkedBlocks(document, "example-deciphered");
    ASSERT_EQ(plain.count("1"), 1u) << "docs/format.md shows no deciphered body of page 1";
    PageInfo info;
    std::string body;
    ASSERT_EQ(store.ReadPageBody(dataSet, 1, info, body), kStatusOk);
    body.pop_back();  // the trailer byte
    std::string deciphered = Rc4Bytes(PageKey(info.password), body);
    // The block shows the RTF's line ends as plain line ends.
    std::string shownText;
    for (char c : deciphered)
        if (c != '\r') shownText += c;
    EXPECT_EQ(plain.at("1"), shownText);
}

// The dump is the one `hexdump -C` prints, so that a reader can compare a file of their own.
TEST(FormatDocument, HexDumpLooksLikeHexdumpC) {
    EXPECT_EQ(HexDump(""), "");
    EXPECT_EQ(HexDump("AB\r\n"), "00000000  41 42 0d 0a                                       |AB..|\n00000004\n");
    EXPECT_EQ(HexDump(std::string(40, '\0')),
              "00000000  00 00 00 00 00 00 00 00  00 00 00 00 00 00 00 00  |................|\n"
              "*\n"
              "00000020  00 00 00 00 00 00 00 00                           |........|\n"
              "00000028\n");
}

}  // namespace
}  // namespace jb::test
