#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/faulty_file_system.h"
#include "support/temp_dir.h"

namespace jb {
namespace {

class SettingsFileTest : public ::testing::Test {
  protected:
    test::TempDir dir_;
    std::string path_ = SettingsFilePath(dir_.Path());
};

TEST_F(SettingsFileTest, PathIsTheProgramFolderFollowedByTheFileName) {
    EXPECT_EQ(SettingsFilePath("/opt/jb/"), "/opt/jb/JotBase.ini");
    EXPECT_EQ(SettingsFilePath("/opt/jb"), "/opt/jb/JotBase.ini");
}

TEST_F(SettingsFileTest, MissingFileReadsAsDefaultsAndAWriteCreatesIt) {
    SettingsFile file(path_);
    EXPECT_EQ(file.ReadString("Spell", "Dict", "British English"), "British English");
    EXPECT_EQ(file.ReadInt("Font", "Size", 10), 10);

    file.WriteInt("Font", "Size", 12);
    file.WriteBool("Font", "Bold", true);
    EXPECT_EQ(test::ReadFileBytes(path_), "[Font]\r\nSize=12\r\nBold=1\r\n");
    EXPECT_EQ(file.ReadInt("Font", "Size", 10), 12);
    EXPECT_TRUE(file.ReadBool("Font", "Bold", false));
    EXPECT_FALSE(test::FileExists(file.TemporaryPath()));
}

TEST_F(SettingsFileTest, EveryReadSeesTheFileAsItIsNow) {
    SettingsFile file(path_);
    test::WriteFileBytes(path_, "[A]\nx=1\n");
    EXPECT_EQ(file.ReadString("A", "x", ""), "1");
    test::WriteFileBytes(path_, "[A]\nx=2\n");
    EXPECT_EQ(file.ReadString("A", "x", ""), "2");
    // A write starts from the file's current content too, not from an earlier read.
    test::WriteFileBytes(path_, "; hand-edited\n[A]\nx=3\n");
    file.WriteString("A", "y", "4");
    EXPECT_EQ(test::ReadFileBytes(path_), "; hand-edited\n[A]\nx=3\ny=4\n");
}

TEST_F(SettingsFileTest, AFolderInPlaceOfTheFileReadsAsDefaults) {
    std::filesystem::create_directory(path_);
    EXPECT_EQ(SettingsFile(path_).ReadInt("mwind", "left", 1), 1);
}

TEST_F(SettingsFileTest, ARefusedWriteRaisesUnableToWriteAndLeavesTheFileAsItWas) {
    const std::string before = "[A]\r\nx=1\r\n; keep me\r\n";
    test::WriteFileBytes(path_, before);

    // Count the calls of a write that succeeds, then make each of them fail in turn.
    test::FaultyFileSystem counting;
    SettingsFile(path_, counting).WriteString("A", "x", "2");
    const long calls = counting.Calls();
    ASSERT_GE(calls, 5);  // open, read, create, write, sync, rename at least

    // The last call syncs the folder after the new file has taken the old one's name: its
    // failure cannot undo the write, and is no error.
    {
        test::WriteFileBytes(path_, before);
        test::FaultyFileSystem faulty(calls);
        SettingsFile(path_, faulty).WriteString("A", "x", "2");
        EXPECT_TRUE(faulty.Failed());
        EXPECT_EQ(test::ReadFileBytes(path_), "[A]\r\nx=2\r\n; keep me\r\n");
    }
    for (long failAt = 1; failAt < calls; ++failAt) {
        SCOPED_TRACE(failAt);
        test::WriteFileBytes(path_, before);
        test::FaultyFileSystem faulty(failAt);
        SettingsFile file(path_, faulty);
        try {
            file.WriteString("A", "x", "2");
            ADD_FAILURE() << "no error";
        } catch (const SettingsWriteError& e) {
            EXPECT_STREQ(e.what(), ("Unable to write to " + path_).c_str());
            EXPECT_EQ(e.file(), path_);
        }
        EXPECT_EQ(test::ReadFileBytes(path_), before);
        EXPECT_FALSE(test::FileExists(file.TemporaryPath()));
    }
}

TEST_F(SettingsFileTest, TheErrorIsCaughtWithTheOtherFileFailures) {
    test::FaultyFileSystem faulty(1);
    EXPECT_THROW(SettingsFile(path_, faulty).WriteString("A", "x", "1"), IoError);
}

}  // namespace
}  // namespace jb
