#include <gtest/gtest.h>

#include "store/dataset_paths.h"

namespace jb {
namespace {

TEST(DataSetPaths, CompanionReplacesTheLastExtension) {
    struct Case {
        const char* dataSet;
        const char* extension;
        const char* expected;
    } cases[] = {
        {"/home/u/Jotterbase/data.jb", ".hd", "/home/u/Jotterbase/data.hd"},
        {"/home/u/notes.v2.jb", ".idx", "/home/u/notes.v2.idx"},
        {"/home/u/plain", ".hd", "/home/u/plain.hd"},
        {"/home/u.dir/plain", ".tpm", "/home/u.dir/plain.tpm"},
        {"data.jb", ".ptm", "data.ptm"},
    };
    for (const auto& c : cases) EXPECT_EQ(CompanionPath(c.dataSet, c.extension), c.expected);
}

TEST(DataSetPaths, DeletedPagesCounterpart) {
    EXPECT_EQ(DeletedPagesDataSet("/a/b/data.jb"), "/a/b/%data.jb");
    EXPECT_EQ(DeletedPagesDataSet("data.jb"), "%data.jb");
    EXPECT_TRUE(IsDeletedPagesDataSet("/a/b/%data.jb"));
    EXPECT_FALSE(IsDeletedPagesDataSet("/a/%b/data.jb"));
    EXPECT_EQ(CompanionPath(DeletedPagesDataSet("/a/data.jb"), ".hd"), "/a/%data.hd");
}

TEST(DataSetPaths, FolderAndName) {
    EXPECT_EQ(FolderOf("/a/b/data.jb"), "/a/b/");
    EXPECT_EQ(FileNameOf("/a/b/data.jb"), "data.jb");
    EXPECT_EQ(FolderOf("data.jb"), "");
}

}  // namespace
}  // namespace jb
