// Moving a stored page to the deleted pages and back.

#include <gtest/gtest.h>

#include "datasets/dataset_names.h"
#include "store/dataset_paths.h"
#include "datasets/move_page.h"
#include "protect/decipher.h"
#include "protect/page_key.h"
#include "richtext/richtext.h"
#include "support/temp_dir.h"

namespace jb::test {
namespace {

class MovePageTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 4; ++i) {
            const std::string id = "0000000" + std::string(1, static_cast<char>('A' + i));
            ASSERT_EQ(0u, store.WritePage(main, i, i == 2 ? "Secret" : "", false, i == 2, id,
                                          richtext::RtfFromPlainText("page " + std::to_string(i)),
                                          i == 2 ? 45000.75 : 0, 44000 + i));
        }
    }
    // The plain text of page n, deciphered with its stored password.
    std::string Text(const std::string& dataSet, int n, PageInfo& info) {
        std::string body;
        EXPECT_EQ(0u, store.ReadPageBody(dataSet, n, info, body));
        body.pop_back();
        if (!info.password.empty()) body = Rc4Bytes(PageKey(info.password), body);
        return richtext::PlainTextOf(body);
    }
    TempDir dir;
    PageStore store;
    std::string main = dir.File("data.jb");
    std::string deleted = CounterpartOf(main);
};

TEST_F(MovePageTest, APageGoesToTheDeletedPagesAndBackWithEverythingItHad) {
    MovedPage out;
    ASSERT_EQ(0u, MovePage(store, main, 2, out));
    EXPECT_EQ("0000000C", out.id);
    EXPECT_EQ(0, out.placed);
    ASSERT_EQ(3, store.PageCount(main));
    ASSERT_EQ(1, store.PageCount(deleted));
    PageInfo info;
    EXPECT_EQ("page 3", Text(main, 2, info)) << "the pages after it move down";
    PageInfo moved;
    EXPECT_EQ("page 2", Text(deleted, 0, moved));
    EXPECT_EQ("0000000C", moved.id);
    EXPECT_EQ("Secret", moved.password);
    EXPECT_TRUE(moved.readOnly);
    EXPECT_EQ(45000.75, moved.reminder);
    EXPECT_EQ(44002, moved.created);

    ASSERT_EQ(0u, MovePage(store, deleted, 0, out));
    EXPECT_EQ(3, out.placed);
    EXPECT_EQ(0, store.PageCount(deleted));
    ASSERT_EQ(4, store.PageCount(main));
    PageInfo back;
    EXPECT_EQ("page 2", Text(main, 3, back)) << "a restored page is the last page";
    EXPECT_EQ("0000000C", back.id);
    EXPECT_EQ("Secret", back.password);
}

TEST_F(MovePageTest, APageThatIsNotThereMovesNothing) {
    MovedPage out;
    EXPECT_NE(0u, MovePage(store, dir.File("none.jb"), 0, out));
    EXPECT_THROW(MovePage(store, main, 7, out), std::exception);
    EXPECT_EQ(4, store.PageCount(main));
    EXPECT_EQ(0, store.PageCount(deleted));
}

// A move that stopped after its copy left the page in both data sets: moving it again, either
// way, finishes that move, and the page is in one data set once.
TEST_F(MovePageTest, APageAlreadyInTheCounterpartIsNotCopiedTwice) {
    const struct {
        const char* name;
        bool restore;  // the page is moved back from the deleted pages instead
    } cases[] = {{"zap", false}, {"restore", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir fresh;
        const std::string from = fresh.File(c.restore ? "%data.jb" : "data.jb");
        const std::string to = CounterpartOf(from);
        ASSERT_EQ(0u, store.WritePage(from, 0, "", false, false, "0000000A", richtext::RtfFromPlainText("kept"), 0, 1));
        ASSERT_EQ(0u,
                  store.WritePage(from, 1, "", false, false, "0000000B", richtext::RtfFromPlainText("split"), 0, 1));
        ASSERT_EQ(0u, store.WritePage(to, 0, "", false, false, "0000000B", richtext::RtfFromPlainText("split"), 0, 1));
        MovedPage out;
        ASSERT_EQ(0u, MovePage(store, from, 1, out));
        EXPECT_EQ("0000000B", out.id);
        EXPECT_EQ(0, out.placed) << "the copy already there";
        EXPECT_EQ(1, store.PageCount(from));
        ASSERT_EQ(1, store.PageCount(to));
        PageInfo info;
        EXPECT_EQ("split", Text(to, 0, info));
    }
}

}  // namespace
}  // namespace jb::test
