// Where the program's files are, and the program folder a start chooses and makes.

#include "settings/program_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "store/io_error.h"
#include "support/temp_dir.h"

namespace jb::test {
namespace {

namespace fs = std::filesystem;

// A shared installation under a scratch prefix: bin, lib/jotterbase and share/jotterbase with
// every default file, each holding its own name.
class SharedInstallation : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(root.File("usr/bin"));
        fs::create_directories(root.File("usr/lib/jotterbase"));
        fs::create_directories(root.File("usr/share/jotterbase"));
        for (const std::string& name : DefaultFileNames()) WriteFileBytes(Default(name), "default " + name);
    }
    std::string Default(const std::string& name) const { return root.File("usr/share/jotterbase/" + name); }

    TempDir root;
    TempDir home;
};

TEST_F(SharedInstallation, IsFoundFromTheFolderOfEitherKindOfExecutable) {
    const Installation expected{root.File("usr/bin/"), root.File("usr/lib/jotterbase/"),
                                root.File("usr/share/jotterbase/"), true};
    for (const std::string folder : {"usr/bin", "usr/bin/", "usr/lib/jotterbase/"}) {
        const Installation found = InstallationOf(root.File(folder));
        EXPECT_EQ(found.programs, expected.programs) << folder;
        EXPECT_EQ(found.helpers, expected.helpers) << folder;
        EXPECT_EQ(found.defaults, expected.defaults) << folder;
        EXPECT_TRUE(found.shared) << folder;
    }
}

TEST_F(SharedInstallation, AnyOtherFolderHoldsEverythingItself) {
    fs::create_directories(root.File("Jotterbase"));
    fs::remove_all(root.File("usr/share/jotterbase"));
    // A folder of its own, and a bin folder with no shared default files beside it.
    for (const std::string folder : {"Jotterbase", "usr/bin"}) {
        const Installation found = InstallationOf(root.File(folder));
        const std::string own = root.File(folder + "/");
        EXPECT_EQ(found.programs, own);
        EXPECT_EQ(found.helpers, own);
        EXPECT_EQ(found.defaults, own);
        EXPECT_FALSE(found.shared);
    }
}

TEST_F(SharedInstallation, TheChosenFolderWinsThenTheHomeFolderThenTheProgramsOwn) {
    const Installation shared = InstallationOf(root.File("usr/bin"));
    const Installation own = InstallationOf(root.File("usr/lib"));
    const std::string current = fs::current_path().string();
    const struct {
        std::string chosen;
        const Installation& installation;
        std::string folder;
    } cases[] = {
        {"", shared, home.File("Jotterbase/")},
        {"", own, root.File("usr/lib/")},
        {root.File("notes"), shared, root.File("notes/")},
        {root.File("notes//"), own, root.File("notes/")},
        {"notes/../work", shared, current + "/work/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseProgramFolder(c.chosen, c.installation, home.Path()), c.folder) << c.chosen;
    EXPECT_THROW(ChooseProgramFolder("", shared, ""), std::invalid_argument);
    EXPECT_EQ(ChooseProgramFolder("", own, ""), root.File("usr/lib/"));
}

TEST(FolderOption, IsTakenOutOfTheArgumentsWhereverItStands) {
    const std::string current = fs::current_path().string();
    const struct {
        std::vector<std::string> words;
        std::string folder;
        std::vector<std::string> rest;
    } cases[] = {
        {{"--folder", "/tmp/a", "/FIND"}, "/tmp/a/", {"/FIND"}},
        {{"add", "--folder=/tmp/b/", "--data", "x.jb"}, "/tmp/b/", {"add", "--data", "x.jb"}},
        {{"list", "--folder", "rel"}, current + "/rel/", {"list"}},
        {{"notes.txt"}, "", {"notes.txt"}},
        {{}, "", {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> words = c.words;
        EXPECT_EQ(TakeFolderOption(words), c.folder);
        EXPECT_EQ(words, c.rest);
    }
    for (std::vector<std::string> wrong : std::vector<std::vector<std::string>>{
             {"--folder"}, {"--folder="}, {"--folder", ""}, {"--folder=a", "--folder", "b"}})
        EXPECT_THROW(TakeFolderOption(wrong), std::invalid_argument);
}

TEST_F(SharedInstallation, AFirstStartMakesTheFolderWithEveryDefaultFile) {
    const Installation shared = InstallationOf(root.File("usr/bin"));
    const std::string folder = home.File("deep/Jotterbase/");
    PrepareProgramFolder(folder, shared);
    ASSERT_FALSE(DefaultFileNames().empty());
    for (const std::string& name : DefaultFileNames())
        EXPECT_EQ(ReadFileBytes(folder + name), "default " + name) << name;
}

TEST_F(SharedInstallation, ALaterStartKeepsTheUsersFilesAndRefreshesOnlyTheHelpPage) {
    const Installation shared = InstallationOf(root.File("usr/bin"));
    const std::string folder = home.File("Jotterbase/");
    PrepareProgramFolder(folder, shared);
    WriteFileBytes(folder + "Exclude.lst", "the user's own stop words");
    WriteFileBytes(folder + "data.jb", "pages");
    fs::remove(folder + "normal.tp");
    WriteFileBytes(Default("Exclude.lst"), "a newer list");
    WriteFileBytes(Default(std::string(kHelpPageName)), "a newer help page");

    PrepareProgramFolder(folder, shared);
    EXPECT_EQ(ReadFileBytes(folder + "Exclude.lst"), "the user's own stop words");
    EXPECT_EQ(ReadFileBytes(folder + "data.jb"), "pages");
    EXPECT_EQ(ReadFileBytes(folder + "normal.tp"), "default normal.tp");  // missing, so added again
    EXPECT_EQ(ReadFileBytes(folder + std::string(kHelpPageName)), "a newer help page");
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_NE(entry.path().filename().string().front(), '.') << "a work file was left: " << entry.path();
}

TEST_F(SharedInstallation, AFolderThatCannotBeMadeIsAnError) {
    WriteFileBytes(home.File("file"), "");
    EXPECT_THROW(PrepareProgramFolder(home.File("file/Jotterbase/"), InstallationOf(root.File("usr/bin"))), IoError);
}

TEST(OwnInstallation, ItsFolderIsLeftAsItIsAndAnotherGetsWhatItHas) {
    TempDir own;
    WriteFileBytes(own.File("Exclude.lst"), "stop words");
    WriteFileBytes(own.File("data.jb"), "the user's pages");
    const Installation installation = InstallationOf(own.Path());
    PrepareProgramFolder(own.Path(), installation);
    EXPECT_EQ(ReadFileBytes(own.File("Exclude.lst")), "stop words");
    EXPECT_FALSE(FileExists(own.File("normal.tp")));

    TempDir other;
    PrepareProgramFolder(other.Path(), installation);
    EXPECT_EQ(ReadFileBytes(other.File("Exclude.lst")), "stop words");
    EXPECT_FALSE(FileExists(other.File("data.jb")));  // not a default file
    EXPECT_FALSE(FileExists(other.File("normal.tp")));  // not in the installation
}

}  // namespace
}  // namespace jb::test
