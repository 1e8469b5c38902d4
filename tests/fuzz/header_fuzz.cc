// libFuzzer target for the stored files of a damaged data set: any header file and data file
// must read as pages or fail with IoError (a clear message), never crash, throw anything else,
// allocate without bound or hang.
//
// Input: bytes 0-1 the header file's length (little-endian, cut to what follows), then the header
// file (".hd"), then the data file (".jb"). Each record's ID is given the index entries
// "cat=ID" and "dog=ID", so that the search reaches the records it finds.
//
// Laws:
// - the page count is the header file's size div 48, and the records read at once are those
//   bytes exactly;
// - a page read that succeeds hands back the whole body its record points at, inside the data
//   file; a page outside the count is an IoError;
// - the page found by an ID is the first whose stored ID field is that ID;
// - every page ID the search finds names a page.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "search/search_engine.h"
#include "store/dataset_paths.h"
#include "store/io_error.h"
#include "store/page_store.h"
#include "store/word_index.h"
#include "fuzz/fuzz_folder.h"
#include "support/temp_dir.h"

namespace {

using namespace jb;
using namespace jb::search;

[[noreturn]] void Fail(const std::string& what) {
    std::cerr << "header_fuzz: " << what << "\n";
    std::abort();
}

const std::string& DataSet() {
    static const std::string dataSet = fuzz::FuzzFolder() + "damaged.jb";
    return dataSet;
}

void CheckPages(PageStore& store, const std::string& dataSet, std::string_view header, std::string_view dataFile) {
    const int count = store.PageCount(dataSet);
    if (count != static_cast<int>(header.size() / kHeaderRecordSize)) Fail("page count is not the size div 48");
    const std::vector<HeaderRecord> records = store.ReadAllHeaders(dataSet);
    if (records.size() != static_cast<std::size_t>(count)) Fail("ReadAllHeaders gave another count");
    if (count > 0 && std::memcmp(records.data(), header.data(), records.size() * kHeaderRecordSize) != 0)
        Fail("ReadAllHeaders changed the records' bytes");

    for (int n = 0; n < count; ++n) {
        const HeaderRecord& r = records[static_cast<std::size_t>(n)];
        PageInfo info;
        std::string body;
        try {
            if (store.ReadPageBody(dataSet, n, info, body) != kStatusOk) Fail("a present file could not be opened");
        } catch (const IoError&) {
            continue;
        }
        if (info.id != r.Id()) Fail("page read gave another ID");
        if (r.IsDeleted()) {
            if (!body.empty()) Fail("a deleted page has a body");
            continue;
        }
        if (r.start < 0 || r.end < r.start || static_cast<std::size_t>(r.end) > dataFile.size())
            Fail("a record pointing outside the data file was read");
        if (body != dataFile.substr(static_cast<std::size_t>(r.start), static_cast<std::size_t>(r.end - r.start)))
            Fail("page read gave other bytes than its record points at");
    }
    for (int n : {-1, count}) {
        PageInfo info;
        std::string body;
        bool threw = false;
        try {
            store.ReadPageBody(dataSet, n, info, body);
        } catch (const IoError&) {
            threw = true;
        }
        if (!threw) Fail("a page outside the count was read");
    }

    for (int n = 0; n < count && n < 64; ++n) {
        const std::string id = records[static_cast<std::size_t>(n)].Id();
        // IDs are compared as their stored 8 bytes: a damaged field with bytes after a zero byte
        // is not the ID its text up to that zero names.
        const std::array<char, 8> field = IdField(id);
        int first = -2;
        for (int k = 0; k < count && first < 0; ++k)
            if (records[static_cast<std::size_t>(k)].id == field) first = k;
        if (store.FindPageById(dataSet, id) != first) Fail("FindPageById missed the first page with an ID");
        if (store.PageIdAt(dataSet, n) != id) Fail("PageIdAt gave another ID");
    }
    const std::array<char, 8> other = IdField("ZZ-other");
    int first = -2;
    for (int k = 0; k < count && first < 0; ++k)
        if (records[static_cast<std::size_t>(k)].id == other) first = k;
    if (store.FindPageById(dataSet, "ZZ-other") != first) Fail("FindPageById of an ID not from the loop went wrong");
}

void CheckSearch(PageStore& store, const std::string& dataSet) {
    WordIndex index;
    std::vector<std::string> entries;
    for (const HeaderRecord& r : store.ReadAllHeaders(dataSet)) {
        entries.push_back("cat=" + r.Id());
        entries.push_back("dog=" + r.Id());
    }
    index.AddAll(std::move(entries));
    // Few queries, each reaching several parts: every word and prefix lookup sorts its IDs with
    // a fixed-size table, which takes most of the time of an input.
    static const char* const kQueries[] = {
        "cat or \"e\" sort=date", "c* and not 'rtf' sort=modified", "reminder=today modified=yesterday dog",
        "date>=01/01/2000 modified<=31/12/2099 sort=reminder", "\"cat\"",
    };
    int i = 0;
    for (const char* query : kQueries) {
        SearchSettings settings;
        settings.today = 46000;
        settings.sortChoice = i % 4;
        settings.dateKind = i % 3;
        if (i == 4) settings.after = 45000;
        ++i;
        SearchOutcome outcome;
        try {
            outcome = RunSearch(query, settings, dataSet, index, store);
        } catch (const IoError&) {
            continue;
        }
        for (const std::string& id : outcome.ids)
            if (store.FindPageById(dataSet, id) < 0) Fail(std::string("the search for [") + query + "] found no page");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::size_t headerSize = std::min<std::size_t>(data[0] | (std::size_t{data[1]} << 8), rest.size());
    const std::string_view header = rest.substr(0, headerSize), dataFile = rest.substr(headerSize);

    const std::string& dataSet = DataSet();
    test::WriteFileBytes(CompanionPath(dataSet, ".hd"), std::string(header));
    test::WriteFileBytes(dataSet, std::string(dataFile));
    PageStore store;
    CheckPages(store, dataSet, header, dataFile);
    CheckSearch(store, dataSet);
    return 0;
}
