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
    ASSERT_EQ(0u, MovePage(store, main, 2, deleted));
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

    ASSERT_EQ(0u, MovePage(store, deleted, 0, main));
    EXPECT_EQ(0, store.PageCount(deleted));
    ASSERT_EQ(4, store.PageCount(main));
    PageInfo back;
    EXPECT_EQ("page 2", Text(main, 3, back)) << "a restored page is the last page";
    EXPECT_EQ("0000000C", back.id);
    EXPECT_EQ("Secret", back.password);
}

TEST_F(MovePageTest, APageThatIsNotThereMovesNothing) {
    EXPECT_NE(0u, MovePage(store, dir.File("none.jb"), 0, deleted));
    EXPECT_THROW(MovePage(store, main, 7, deleted), std::exception);
    EXPECT_EQ(4, store.PageCount(main));
    EXPECT_EQ(0, store.PageCount(deleted));
}

}  // namespace
}  // namespace jb::test
