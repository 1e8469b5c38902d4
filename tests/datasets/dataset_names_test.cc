// The naming rules of data sets.

#include <gtest/gtest.h>

#include "datasets/dataset_names.h"
#include "store/dataset_paths.h"

namespace jb {
namespace {

TEST(DataSetNames, TheDataExtensionIsAddedUnlessPresent) {
    const struct {
        const char* chosen;
        const char* path;
    } cases[] = {
        {"/d/work", "/d/work.jb"},         {"/d/work.jb", "/d/work.jb"},   {"/d/WORK.JB", "/d/WORK.JB"},
        {"/d/work.txt", "/d/work.txt.jb"}, {"/d/my.notes/work", "/d/my.notes/work.jb"},
        {"/d/work.jbx", "/d/work.jbx.jb"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.path, WithDataExtension(c.chosen)) << c.chosen;
}

TEST(DataSetNames, TheCounterpartIsTheDeletedPagesOrTheMainDataSet) {
    EXPECT_EQ("/d/%data.jb", CounterpartOf("/d/data.jb"));
    EXPECT_EQ("/d/data.jb", CounterpartOf("/d/%data.jb"));
    EXPECT_EQ("/d/%x/data.jb", CounterpartOf("/d/%x/%data.jb")) << "a % in a folder name is no mark";
}

}  // namespace
}  // namespace jb
