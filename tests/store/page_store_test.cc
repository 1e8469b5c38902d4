#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <cstring>
#include <random>
#include <set>

#include "protect/decipher.h"
#include "protect/page_key.h"
#include "store/io_error.h"
#include "store/page_id_table.h"
#include "store/page_store.h"
#include "store_fixture.h"

namespace jb::test {
namespace {

using PageStoreTest = StoreTest;

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s.push_back(static_cast<char>(v));
    return s;
}

// One record laid out by hand (little-endian fields, see the record layout).
std::string Record(const char* id, int start, int end, const std::string& passwordField) {
    std::string r(id, 8);
    r += Bytes({0, 0, 0, 0, 0x40, 0x4b, 0xe6, 0x40});  // created 45658.0 (2025-01-01)
    r += std::string(8, '\0');                          // no reminder
    r += Bytes({0, 0, 0, 0, 0x20, 0x76, 0xe6, 0x40});  // modified 46001.0 (2025-12-10)
    r += Bytes({start & 0xff, (start >> 8) & 0xff, 0, 0});
    r += Bytes({end & 0xff, (end >> 8) & 0xff, 0, 0});
    return r + passwordField;
}

const std::string kOpenField = Bytes({0x21, 0x24, 0x29, 0x30, 0x39, 0x44, 0x51, 0x60});

TEST_F(PageStoreTest, ADataSetWithoutFilesHasNoPages) {
    EXPECT_EQ(store.PageCount(dataSet), 0);
    EXPECT_EQ(store.FindPageById(dataSet, "00000000"), -1);
    EXPECT_EQ(store.PageIdAt(dataSet, 0), "");
    EXPECT_TRUE(store.ReadAllHeaders(dataSet).empty());
    double value = 0;
    EXPECT_EQ(store.ReadCreatedAt(dataSet, 0, value), kStatusDatesHeaderUnopenable);
}

TEST_F(PageStoreTest, ReadsAHandWrittenDataSet) {
    // Two records and a 4-byte tail that does not count as a page: 100 bytes, 2 pages.
    WriteFileBytes(Companion(".hd"), Record("0000AAAA", 0, 6, kOpenField) + Record("0000BBBB", 6, 10, kOpenField) + "tail");
    WriteFileBytes(dataSet, std::string("hello") + "E" + "ro!" + "\xFB");
    ASSERT_EQ(store.PageCount(dataSet), 2);

    PageInfo info;
    ASSERT_EQ(store.ReadPage(dataSet, 0, info), kStatusOk);
    EXPECT_EQ(info.id, "0000AAAA");
    EXPECT_EQ(info.created, 45658.0);
    EXPECT_EQ(info.modified, 46001.0);
    EXPECT_EQ(info.reminder, 0.0);
    EXPECT_FALSE(info.readOnly);
    EXPECT_EQ(info.password, "");
    EXPECT_EQ(ReadFileBytes(Companion(".tpm")), "helloE");

    PageInfo second;
    second.id = "x";  // the read appends to the ID it is given
    ASSERT_EQ(store.ReadPage(dataSet, 1, second), kStatusOk);
    EXPECT_EQ(second.id, "x0000BBBB");
    EXPECT_TRUE(second.readOnly);
    EXPECT_EQ(ReadFileBytes(Companion(".tpm")), "ro!\xFB");

    EXPECT_EQ(store.FindPageById(dataSet, "0000BBBB"), 1);
    EXPECT_EQ(store.FindPageById(dataSet, "0000CCCC"), -2);
    EXPECT_EQ(store.PageIdAt(dataSet, 1), "0000BBBB");
    double created = 0, modified = 0, reminder = 1;
    EXPECT_EQ(store.ReadCreatedAt(dataSet, 1, created), kStatusOk);
    EXPECT_EQ(store.ReadModifiedAt(dataSet, 1, modified), kStatusOk);
    EXPECT_EQ(store.ReadReminderAt(dataSet, 1, reminder), kStatusOk);
    EXPECT_EQ(created, 45658.0);
    EXPECT_EQ(modified, 46001.0);
    EXPECT_EQ(reminder, 0.0);
}

TEST_F(PageStoreTest, ADeletedRecordReadsAsAnEmptyPageWithoutReadOut) {
    WriteFileBytes(Companion(".hd"), Record("0000AAAA", 3, 3, Bytes({0x71, 0x7b, 0x29, 0x30, 0x39, 0x44, 0x51, 0x60})));
    WriteFileBytes(dataSet, "abcE");
    PageInfo info;
    info.password = "kept";
    info.readOnly = true;
    ASSERT_EQ(store.ReadPage(dataSet, 0, info), kStatusOk);
    EXPECT_EQ(info.id, "0000AAAA");
    EXPECT_EQ(info.created, 45658.0);
    EXPECT_EQ(info.password, "kept");
    EXPECT_TRUE(info.readOnly);
    EXPECT_FALSE(FileExists(Companion(".tpm")));
}

TEST_F(PageStoreTest, FirstWriteCreatesDataAndHeaderFiles) {
    ASSERT_EQ(store.WritePage(dataSet, 0, "", false, false, "0000ABCD", "{\\rtf1 hi}", 0, 45658), kStatusOk);
    EXPECT_EQ(ReadFileBytes(dataSet), "{\\rtf1 hi}E");
    std::string header = ReadFileBytes(Companion(".hd"));
    ASSERT_EQ(header.size(), 48u);
    EXPECT_EQ(header.substr(0, 8), "0000ABCD");
    EXPECT_EQ(header.substr(24, 8), Bytes({0, 0, 0, 0, 0xc0, 0xa3, 0xe6, 0x40}));  // modified 46366.0: today
    EXPECT_EQ(header.substr(32, 8), Bytes({0, 0, 0, 0, 11, 0, 0, 0}));
    EXPECT_EQ(header.substr(40), kOpenField);
    EXPECT_FALSE(FileExists(Companion(".ptm")));
}

TEST_F(PageStoreTest, TrailerByteCarriesTheReadOnlyFlag) {
    for (bool readOnly : {true, false}) {
        AddPage("text", readOnly);
        int n = store.PageCount(dataSet) - 1;
        std::string body = Body(n);
        EXPECT_EQ(static_cast<unsigned char>(body.back()), readOnly ? 0xFB : 0x45);
        PageInfo info;
        ASSERT_EQ(store.ReadPage(dataSet, n, info), kStatusOk);
        EXPECT_EQ(info.readOnly, readOnly);
    }
}

TEST_F(PageStoreTest, AnUpdateAppendsAndRepointsTheRecord) {
    std::string id = AddPage("first");
    ASSERT_EQ(store.WritePage(dataSet, 0, "", false, false, id, "second", 46000.5, 45000), kStatusOk);
    EXPECT_EQ(ReadFileBytes(dataSet), "firstEsecondE");
    EXPECT_EQ(store.PageCount(dataSet), 1);
    EXPECT_EQ(Body(0), "secondE");
    PageInfo info;
    store.ReadPage(dataSet, 0, info);
    EXPECT_EQ(info.reminder, 46000.5);
    EXPECT_EQ(info.created, 45000);
    EXPECT_EQ(info.modified, kToday);
}

TEST_F(PageStoreTest, TheDeleteFlagMarksTheRecordAndPurgeRemovesIt) {
    std::string a = AddPage("a"), b = AddPage("b"), c = AddPage("c");
    ASSERT_EQ(store.WritePage(dataSet, 1, "", true, false, b, "b", 0, 0), kStatusOk);
    auto records = store.ReadAllHeaders(dataSet);
    EXPECT_TRUE(records[1].IsDeleted());
    EXPECT_EQ(ReadFileBytes(dataSet), "aEbEcEbE");  // the body is appended all the same
    ASSERT_EQ(store.PurgeDeletedHeaders(dataSet), kStatusOk);
    EXPECT_EQ(store.PageCount(dataSet), 2);
    EXPECT_EQ(store.PageIdAt(dataSet, 1), c);
    EXPECT_EQ(Body(1), "cE");
    EXPECT_FALSE(FileExists(Companion(".hd1")));
}

TEST_F(PageStoreTest, AProtectedPageIsStoredEnciphered) {
    const std::string text = "{\\rtf1 secret words}";
    AddPage(text, false, "abc");
    std::string body = Body(0);
    ASSERT_EQ(body.size(), text.size() + 1);
    EXPECT_EQ(body.substr(0, text.size()), Rc4Bytes("ABC     ", text));
    EXPECT_EQ(body.back(), 'E');
    PageInfo info;
    ASSERT_EQ(store.ReadPage(dataSet, 0, info), kStatusOk);
    EXPECT_EQ(info.password, "abc");
    EXPECT_EQ(Rc4Bytes(PageKey("ABC"), ReadFileBytes(Companion(".tpm"))).substr(0, text.size()), text);
    EXPECT_FALSE(FileExists(Companion(".t01")));
    EXPECT_FALSE(FileExists(Companion(".ptm")));
}

TEST_F(PageStoreTest, PasswordsAreCutToEightCharacters) {
    AddPage("x", false, "twelveletter");
    PageInfo info;
    store.ReadPage(dataSet, 0, info);
    EXPECT_EQ(info.password, "twelvele");
}

TEST_F(PageStoreTest, FindPageByIdTakesTheFirstMatch) {
    ASSERT_EQ(store.WritePage(dataSet, 0, "", false, false, "11111111", "a", 0, 0), kStatusOk);
    ASSERT_EQ(store.WritePage(dataSet, 1, "", false, false, "22222222", "b", 0, 0), kStatusOk);
    ASSERT_EQ(store.WritePage(dataSet, 2, "", false, false, "22222222", "c", 0, 0), kStatusOk);
    EXPECT_EQ(store.FindPageById(dataSet, "22222222"), 1);
    EXPECT_EQ(store.FindPageById(dataSet, "2222222"), -2);
}

TEST_F(PageStoreTest, DamagedRecordsFailTheReadWithAClearError) {
    struct Case {
        int start, end;
    } cases[] = {{-5, 3}, {4, 2}, {0, 500}, {7, 9}, {0, 3} /* no trailer byte at its end */};
    for (const auto& c : cases) {
        WriteFileBytes(Companion(".hd"), Record("0000AAAA", 0, 4, kOpenField) +
                                             Record("0000BBBB", c.start & 0xffff, c.end, kOpenField));
        if (c.start < 0) {  // a negative start needs all four bytes set
            std::string header = ReadFileBytes(Companion(".hd"));
            header.replace(48 + 32, 4, Bytes({0xfb, 0xff, 0xff, 0xff}));
            WriteFileBytes(Companion(".hd"), header);
        }
        WriteFileBytes(dataSet, "abcE");
        PageInfo info;
        std::string body;
        try {
            store.ReadPageBody(dataSet, 1, info, body);
            ADD_FAILURE() << "no error for " << c.start << ".." << c.end;
        } catch (const IoError& e) {
            EXPECT_NE(std::string(e.what()).find("Page 1 is damaged"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(dataSet), std::string::npos) << e.what();
        }
        EXPECT_EQ(Body(0), "abcE");  // the neighbour still reads
    }
}

TEST_F(PageStoreTest, ADataFileCutShortNeverLendsItsBytesToANewPage) {
    AddPage("first");
    AddPage("second page");
    // " page" and the trailer go; the new body is just as long, so had it been written where the
    // file now ends, page 1 would read "secondthird" with a good trailer byte.
    std::filesystem::resize_file(dataSet, std::filesystem::file_size(dataSet) - 6);
    const std::string id = AddPage("third");
    PageInfo info;
    std::string body;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "as written" : "after a pack");
        EXPECT_THROW(store.ReadPageBody(dataSet, 1, info, body), IoError) << "page 1 stays damaged";
        EXPECT_EQ("firstE", Body(0));
        EXPECT_EQ("thirdE", Body(2));
        EXPECT_EQ(id, store.PageIdAt(dataSet, 2));
        if (round == 0) {
            EXPECT_EQ(kStatusOk, store.PackDataSet(dataSet));
        }
    }
}

// A damaged end field claims bytes far past the data file: new bodies still go where the file
// ends, the file grows by what is written and no more, and the damaged page stays damaged.
TEST_F(PageStoreTest, AnEndFieldPastTheDataFileIsDamageNotRoom) {
    for (const std::int32_t claimed : {0x40000000, 0x7FFFFFF0}) {
        SCOPED_TRACE(claimed);
        std::filesystem::remove(dataSet);
        std::filesystem::remove(Companion(".hd"));
        AddPage("first");
        AddPage("second");
        AddPage("third");
        {
            std::fstream header(Companion(".hd"), std::ios::in | std::ios::out | std::ios::binary);
            header.seekp(kHeaderRecordSize + offsetof(HeaderRecord, end));
            header.write(reinterpret_cast<const char*>(&claimed), sizeof claimed);
        }
        const auto before = std::filesystem::file_size(dataSet);
        const std::string id = AddPage("fourth");
        EXPECT_EQ(std::filesystem::file_size(dataSet), before + 7);
        EXPECT_EQ("fourthE", Body(3));
        EXPECT_EQ(id, store.PageIdAt(dataSet, 3));
        int n = 0;
        EXPECT_EQ(kStatusOk, store.UpdatePage(dataSet, n, "", false, false, store.PageIdAt(dataSet, 0), "one", 0, 0));
        EXPECT_EQ("oneE", Body(0));
        PageInfo info;
        std::string body;
        EXPECT_THROW(store.ReadPageBody(dataSet, 1, info, body), IoError) << "page 1 stays damaged";
        EXPECT_EQ("thirdE", Body(2));
        EXPECT_EQ(std::filesystem::file_size(dataSet), before + 7 + 4);
    }
}

TEST_F(PageStoreTest, PageNumbersOutsideTheDataSetAreRefused) {
    AddPage("a");
    PageInfo info;
    std::string body;
    EXPECT_THROW(store.ReadPageBody(dataSet, -1, info, body), IoError);
    EXPECT_THROW(store.ReadPageBody(dataSet, 1, info, body), IoError);
    EXPECT_THROW(store.WritePage(dataSet, -1, "", false, false, "X", "t", 0, 0), IoError);
    EXPECT_THROW(store.WritePage(dataSet, 2, "", false, false, "X", "t", 0, 0), IoError);
    double value;
    EXPECT_THROW(store.ReadCreatedAt(dataSet, 5, value), IoError);
    EXPECT_THROW(store.PageIdAt(dataSet, 5), IoError);
    EXPECT_EQ(ReadFileBytes(dataSet), "aE");
}

TEST_F(PageStoreTest, AMissingDataFileFailsReadsWithStatus2) {
    AddPage("a");
    std::filesystem::remove(dataSet);
    PageInfo info;
    EXPECT_EQ(store.ReadPage(dataSet, 0, info), kStatusDataFileUnopenable);
}

TEST_F(PageStoreTest, AWritePastTheOffsetLimitIsRefusedBeforeAppending) {
    AddPage("a");
    const std::string header = ReadFileBytes(Companion(".hd"));
    std::filesystem::resize_file(dataSet, 0x7FFFFFFF - 10);  // sparse: no real disk use
    EXPECT_EQ(store.WritePage(dataSet, 1, "", false, false, "0000FFFF", std::string(10, 'x'), 0, 0),
              kStatusDataFileFull);
    EXPECT_EQ(std::filesystem::file_size(dataSet), 0x7FFFFFFFu - 10);
    EXPECT_EQ(ReadFileBytes(Companion(".hd")), header);
    EXPECT_FALSE(FileExists(Companion(".ptm")));
    EXPECT_EQ(store.WritePage(dataSet, 1, "", false, false, "0000FFFF", std::string(9, 'x'), 0, 0), kStatusOk);
}

TEST_F(PageStoreTest, NewPageIdsAreFreshHexadecimal) {
    for (int i = 0; i < 20; ++i) AddPage("p");
    auto records = store.ReadAllHeaders(dataSet);
    std::set<std::string> ids;
    for (const auto& r : records) {
        std::string id = r.Id();
        ASSERT_EQ(id.size(), 8u);
        EXPECT_EQ(id.find_first_not_of("0123456789ABCDEF"), std::string::npos) << id;
        ids.insert(id);
    }
    EXPECT_EQ(ids.size(), records.size());
}

TEST_F(PageStoreTest, ReadAllHeadersAgreesWithPerPageReads) {
    for (int i = 0; i < 5; ++i) AddPage("page " + std::to_string(i), i % 2 == 0, i == 3 ? "pw" : "");
    auto records = store.ReadAllHeaders(dataSet);
    ASSERT_EQ(records.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        PageInfo info;
        std::string body;
        ASSERT_EQ(store.ReadPageBody(dataSet, i, info, body), kStatusOk);
        EXPECT_EQ(records[i].Id(), info.id);
        EXPECT_EQ(records[i].Password(), info.password);
        EXPECT_EQ(records[i].created, info.created);
    }
}

TEST_F(PageStoreTest, PageIdTableAnswersAsFindPageById) {
    std::mt19937 random(7);
    const char* ids[] = {"0000000A", "0000000B", "0000000A", "ABC", "ABC\0\0\0\0\0", "FFFFFFFF", "0000000C"};
    for (int n = 0; n < 300; ++n) {
        std::string id = n < 7 ? std::string(ids[n], n == 4 ? 8 : std::strlen(ids[n])) : std::to_string(random());
        ASSERT_EQ(store.WritePage(dataSet, n, "", false, false, id, "x", 0, 0), kStatusOk);
    }
    PageIdTable table(store.ReadAllHeaders(dataSet));
    std::vector<std::string> probes = {"0000000A", "0000000B", "ABC", "FFFFFFFF", "0000000C", "0000000D", "", "0000000A9"};
    for (int n = 0; n < 300; n += 7) probes.push_back(store.PageIdAt(dataSet, n));
    for (const std::string& probe : probes) EXPECT_EQ(table.Find(probe), store.FindPageById(dataSet, probe)) << probe;
}

}  // namespace
}  // namespace jb::test
