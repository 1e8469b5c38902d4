// libFuzzer target for the search's small text files: any bytes as a data set's recent searches
// (".rsc") or as a saved query (".jqr") must read as lines, round-trip through the window's text,
// write back and read again unchanged, and make queries and page lookups that stay in bounds.
//
// Laws:
// - the lines are the bytes cut at each line feed, one carriage return before it dropped, an
//   unterminated last line kept when not empty; a missing file reads as nothing;
// - every line's bytes come back from the window's text unchanged (Windows-1252 both ways);
// - written and read again, the lines are the same, and the file holds each with CR LF;
// - every line, as a recent search, parses to a working text of at most 255 bytes; the first
//   line, as the stored text of an open query being refined, is what the working text starts with
//   (as far as the limit lets it);
// - every further line, as a page ID, finds nothing or the first page with that ID.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "search/query_files.h"
#include "search/query_parser.h"
#include "store/dataset_paths.h"
#include "store/page_store.h"
#include "fuzz/fuzz_folder.h"
#include "support/temp_dir.h"

namespace {

using namespace jb;
using namespace jb::search;

[[noreturn]] void Fail(const std::string& what) {
    std::cerr << "recent_fuzz: " << what << "\n";
    std::abort();
}

struct Fixture {
    std::string dataSet = fuzz::FuzzFolder() + "recent.jb";
    PageStore store;
    std::vector<HeaderRecord> records;

    Fixture() {
        const char* const ids[] = {"0000000A", "0000000B", "DEADBEEF", "0000000A"};
        int n = 0;
        for (const char* id : ids) store.WritePage(dataSet, n++, "", false, false, id, "{\\rtf1 page}", 0, 46000);
        records = store.ReadAllHeaders(dataSet);
    }
};

Fixture& TheFixture() {
    static Fixture* fixture = new Fixture;
    return *fixture;
}

std::vector<std::string> ExpectedLines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    for (std::size_t end; (end = bytes.find('\n', at)) != std::string_view::npos; at = end + 1) {
        std::string_view line = bytes.substr(at, end - at);
        if (line.ends_with('\r')) line.remove_suffix(1);
        lines.emplace_back(line);
    }
    if (at < bytes.size()) lines.emplace_back(bytes.substr(at));
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fixture& f = TheFixture();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const QString recent = RecentSearchesPath(f.dataSet);
    if (ReadTextLines(recent)) Fail("a missing recent searches file was read");
    test::WriteFileBytes(recent.toStdString(), bytes);
    const std::optional<std::vector<std::string>> lines = ReadTextLines(recent);
    if (!lines) Fail("a present file could not be read");
    if (*lines != ExpectedLines(bytes)) Fail("the lines are not the file's lines");
    for (const std::string& line : *lines)
        if (BytesOfText(TextOfBytes(line)) != line) Fail("a line did not come back from the window's text");

    const QString saved = QString::fromStdString(fuzz::FuzzFolder() + "saved.jqr");
    if (!WriteTextLines(saved, *lines)) Fail("the lines could not be written");
    std::string written;
    for (const std::string& line : *lines) written += line + "\r\n";
    if (test::ReadFileBytes(saved.toStdString()) != written) Fail("the written file is not the lines with CR LF");
    if (ReadTextLines(saved) != lines) Fail("the written lines read back differently");
    std::remove(recent.toStdString().c_str());

    for (const std::string& line : *lines)
        if (ParseQuery(line, 0, nullptr).workingText.size() > kWorkingTextLimit)
            Fail("a recent search parsed over the limit");
    if (!lines->empty()) {
        const std::string& stored = lines->front();
        const ParsedQuery q = ParseQuery("cat", 1, &stored);
        const std::string prefix = (stored + "+").substr(0, kWorkingTextLimit);
        if (q.workingText.size() > kWorkingTextLimit || !q.workingText.starts_with(prefix))
            Fail("a refined query does not start with the stored text");
        for (std::size_t i = 1; i < lines->size() && i <= 64; ++i) {
            const std::string& id = (*lines)[i];
            const int n = f.store.FindPageById(f.dataSet, id);
            int first = -2;
            for (std::size_t k = 0; k < f.records.size() && first < 0; ++k)
                if (f.records[k].id == IdField(id)) first = static_cast<int>(k);
            if (n != first) Fail("the page of ID [" + id + "] is not the first with it");
        }
    }
    return 0;
}
