// The index rebuild against its literal twin: one thread reading every page in turn, the index
// list built in memory and saved. Both must report the same and write the same bytes, on random
// data sets with deleted, protected and damaged pages, IDs shared by several pages and IDs
// holding line breaks.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>

#include "datasets/index_rebuild.h"
#include "richtext/richtext.h"
#include "store/dataset_paths.h"
#include "store/index_builder.h"
#include "store/io_error.h"
#include "store/page_store.h"
#include "store/storage_status.h"
#include "store/word_index.h"
#include "support/temp_dir.h"

namespace jb {
namespace {

// The rebuild as it was first written: each page read and indexed in turn, then Finish and
// SaveIndex.
RebuildReport LiteralRebuild(const std::string& dataSet) {
    FileSystem& files = FileSystem::Default();
    PageStore store(files);
    RebuildReport report;
    std::vector<HeaderRecord> records = store.ReadAllHeaders(dataSet);
    report.pages = static_cast<int>(records.size());
    IndexList list(files);
    IndexBuilder builder(list, dataSet);
    auto data = records.empty() ? nullptr : files.Open(dataSet, OpenMode::kRead);
    if (!records.empty() && !data) throw IoError(dataSet, "Error #" + std::to_string(kStatusDataFileUnopenable) + " occurred");
    const std::int64_t dataSize = data ? data->Size() : 0;
    std::string body;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const HeaderRecord& r = records[i];
        if (r.IsDeleted()) {
            ++report.deletedPages;
            continue;
        }
        if (!r.Password().empty()) {
            ++report.protectedPages;
            continue;
        }
        try {
            CheckBodyBounds(r, static_cast<int>(i), dataSize, dataSet);
            body.resize(static_cast<std::size_t>(r.end - r.start));
            data->Seek(r.start);
            data->ReadExactly(body.data(), body.size());
        } catch (const IoError& e) {
            report.damaged.push_back(e.what());
            continue;
        }
        builder.AddPage(r.Id(), richtext::PlainTextOf(body));
        ++report.indexed;
    }
    report.entries = builder.Finish();
    SaveIndex(list, dataSet);
    return report;
}

void ExpectSameReport(const RebuildReport& a, const RebuildReport& b, int round) {
    EXPECT_EQ(a.pages, b.pages) << "round " << round;
    EXPECT_EQ(a.indexed, b.indexed) << "round " << round;
    EXPECT_EQ(a.protectedPages, b.protectedPages) << "round " << round;
    EXPECT_EQ(a.deletedPages, b.deletedPages) << "round " << round;
    EXPECT_EQ(a.damaged, b.damaged) << "round " << round;
    EXPECT_EQ(a.entries, b.entries) << "round " << round;
}

TEST(IndexRebuildTwin, WritesWhatTheLiteralRebuildWrites) {
    const char* fixed = std::getenv("JB_SEED");
    const unsigned seed = fixed ? static_cast<unsigned>(std::strtoul(fixed, nullptr, 10)) : std::random_device{}();
    SCOPED_TRACE("JB_SEED=" + std::to_string(seed));
    std::mt19937 random(seed);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    static const char* const kWords[] = {"cat",  "Cat", "dog",     "the", "computer", "don't", "e-mail", "ab1",
                                         "ab'",  "ab",  "zebra\\'e9", "x",   "Invoice",  "ab`",   "2026",   "mat"};
    static const char* const kIds[] = {"00A3F19C", "00a3f19c", "7FFF0000", "7fff", "", "AB\r\nCD", "EF\nGH", "0000000A"};
    std::size_t entries = 0, damaged = 0, skipped = 0;
    for (int round = 0; round < 40; ++round) {
        test::TempDir dir;
        const std::string dataSet = dir.File("data.jb");
        test::WriteFileBytes(dir.File("Exclude.lst"), "THE\r\nzebra\r\n");
        // Written straight as files (records and bodies as the store lays them out), so that
        // many pages cost no time.
        std::string data, header;
        const int pages = round % 8 == 7 ? 700 + pick(300) : pick(40);  // some take several batches
        for (int n = 0; n < pages; ++n) {
            std::string rich = "{\\rtf1\\ansi ";
            for (int w = pick(12); w > 0; --w) rich += std::string(kWords[pick(16)]) + (pick(4) ? " " : "\\par ");
            rich += "}";
            std::string id = round % 3 == 0 ? kIds[pick(6)] : kIds[pick(8)];
            if (pick(3) == 0) id = "P" + std::to_string(1000000 + n);
            HeaderRecord r;
            r.id = IdField(id);
            r.created = r.modified = 45000;
            r.passwordField = EncodePasswordField(pick(10) == 0 ? "Secret" : "");
            r.start = static_cast<std::int32_t>(data.size());
            if (pick(12) != 0) data += rich + static_cast<char>(kTrailerWritable);  // else deleted
            r.end = static_cast<std::int32_t>(data.size());
            std::uint8_t bytes[kHeaderRecordSize];
            EncodeHeaderRecord(r, bytes);
            header.append(reinterpret_cast<const char*>(bytes), kHeaderRecordSize);
        }
        test::WriteFileBytes(dataSet, data);
        test::WriteFileBytes(CompanionPath(dataSet, ".hd"), header);
        if (pages > 0 && pick(2) == 0) {
            // A damaged record: its body runs past the end of the data file.
            std::fstream header(CompanionPath(dataSet, ".hd"), std::ios::in | std::ios::out | std::ios::binary);
            header.seekp(static_cast<std::streamoff>(pick(pages)) * 48 + 36);
            const std::int32_t end = 0x7FFFFFF0;
            header.write(reinterpret_cast<const char*>(&end), 4);
        }
        const std::string indexPath = CompanionPath(dataSet, ".idx");
        const RebuildReport literal = LiteralRebuild(dataSet);
        const std::string literalBytes = test::ReadFileBytes(indexPath);
        std::remove(indexPath.c_str());
        const RebuildReport fast = RebuildIndex(dataSet);
        ExpectSameReport(fast, literal, round);
        ASSERT_EQ(test::ReadFileBytes(indexPath), literalBytes) << "round " << round;
        entries += literal.entries;
        damaged += literal.damaged.size();
        skipped += static_cast<std::size_t>(literal.protectedPages + literal.deletedPages);
    }
    // The data sets had something to index, and pages of every kind to skip.
    EXPECT_GT(entries, 1000u);
    EXPECT_GT(damaged, 0u);
    EXPECT_GT(skipped, 0u);
}

TEST(IndexRebuildTwin, AMissingDataFileFailsAsBefore) {
    test::TempDir dir;
    const std::string dataSet = dir.File("data.jb");
    PageStore store;
    store.WritePage(dataSet, 0, "", false, false, "00000001", "{\\rtf1 alpha}", 0, 45000);
    std::remove(dataSet.c_str());
    EXPECT_THROW(RebuildIndex(dataSet), IoError);
    EXPECT_THROW(LiteralRebuild(dataSet), IoError);
}

}  // namespace
}  // namespace jb
