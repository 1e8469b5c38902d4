#include "settings/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "settings/settings_file.h"
#include "support/temp_dir.h"

namespace jb {
namespace {

// Records the set-up calls the settings make, in order.
class RecordingSpellEngine final : public SpellEngine {
  public:
    void SetMainLexPath(const std::string& folder) override {
        calls.push_back("MainLexPath " + folder);
    }
    void SetUserLexPath(const std::string& folder) override {
        calls.push_back("UserLexPath " + folder);
    }
    void SetMainLexFiles(const std::string& files) override {
        calls.push_back("MainLexFiles " + files);
    }
    void SetUserLexFiles(const std::string& files) override {
        calls.push_back("UserLexFiles " + files);
    }

    std::vector<std::string> calls;
};

class SettingsTest : public ::testing::Test {
  protected:
    void WriteSettings(const std::string& text) { test::WriteFileBytes(SettingsPath(), text); }
    std::string SettingsPath() const { return dir_.File("JotBase.ini"); }
    LoadedSettings Load() { return LoadSettings(dir_.Path(), spell_); }

    test::TempDir dir_;
    RecordingSpellEngine spell_;
};

TEST_F(SettingsTest, NoSettingsFileGivesTheDefaults) {
    LoadedSettings s = Load();
    EXPECT_EQ(s.activeData, "data.jb");
    EXPECT_FALSE(s.autoUpdate);
    EXPECT_FALSE(s.packData);
    EXPECT_TRUE(s.markRecsExport);
    EXPECT_TRUE(s.lastPage);
    EXPECT_EQ(s.pageNum, 0);
    EXPECT_FALSE(s.newPageRemind);
    EXPECT_EQ(s.soundFile, "remind.wav");
    EXPECT_EQ(s.onNoDateAlready, 1);
    EXPECT_EQ(s.howFarDef, 7);
    EXPECT_EQ(s.dict, "British English");
    EXPECT_EQ(s.fontSize, 10);
    EXPECT_EQ(s.fontName, "Arial");
    EXPECT_EQ(s.fontColor, 0u);
    EXPECT_FALSE(s.fontBold || s.fontItalic || s.fontUnderline);
    EXPECT_EQ(s.exportFileType, 0);
    EXPECT_EQ(s.exportPrintDefault, 0);
    EXPECT_EQ(s.importFileType, 0);
    EXPECT_EQ(s.templateDef, "normal.tp");
    EXPECT_EQ(s.templateWord, "[~]");
    EXPECT_FALSE(s.showOptions);
    EXPECT_EQ(s.defSort + s.defLogic + s.defDateType, 0);

    WindowLayout w = LoadWindowLayout(dir_.Path());
    EXPECT_FALSE(w.maximized);
    EXPECT_EQ(w.left, 1);
    EXPECT_EQ(w.top, 140);
    EXPECT_EQ(w.width, 638);
    EXPECT_EQ(w.height, 312);
    EXPECT_TRUE(w.rulerVisible);
    for (bool shown : w.toolbarVisible) EXPECT_TRUE(shown);

    EXPECT_EQ(ActiveDataSetPath(dir_.Path()), dir_.File("data.jb"));
    EXPECT_FALSE(test::FileExists(SettingsPath()));  // reading creates nothing
}

TEST_F(SettingsTest, ReadsEveryKey) {
    WriteSettings(
        "[Database]\nActiveData=/x/notes.jb\nAutoupdate=1\nPackData=1\nMarkRecsExport=0\n"
        "[BrowseTo]\nLastPage=0\nPageNum=42\n"
        "[Remind]\n?=1\nPlaySound=1\nSoundFile=bell.wav\nOnNoDateAlready=2\nHowFarDef=20000\n"
        "[Spell]\nDict=Medical\n"
        "[Font]\nSize=14\nName=Times New Roman\nColor=255\nBold=1\nItalic=1\nUnderline=1\n"
        "[ExportPrint]\nFileType=3\nDefault=2\n"
        "[Import]\nFileType=4\n"
        "[Template]\nDef=None\nWord=<<\n"
        "[Search]\nShowOptions=1\nDefSort=3\nDefLogic=2\nDefDateType=1\n");
    LoadedSettings s = Load();
    EXPECT_EQ(s.activeData, "/x/notes.jb");
    EXPECT_TRUE(s.autoUpdate);
    EXPECT_TRUE(s.packData);
    EXPECT_FALSE(s.markRecsExport);
    EXPECT_FALSE(s.lastPage);
    EXPECT_EQ(s.pageNum, 42);
    EXPECT_TRUE(s.newPageRemind);
    EXPECT_EQ(s.soundFile, "bell.wav");
    EXPECT_EQ(s.onNoDateAlready, 2);
    EXPECT_EQ(s.howFarDef, 20000);
    EXPECT_EQ(s.dict, "Medical");
    EXPECT_EQ(s.fontSize, 14);
    EXPECT_EQ(s.fontName, "Times New Roman");
    EXPECT_EQ(s.fontColor, 255u);
    EXPECT_TRUE(s.fontBold && s.fontItalic && s.fontUnderline);
    EXPECT_EQ(s.exportFileType, 3);
    EXPECT_EQ(s.exportPrintDefault, 2);
    EXPECT_EQ(s.importFileType, 4);
    EXPECT_EQ(s.templateDef, "None");
    EXPECT_EQ(s.templateWord, "<<");
    EXPECT_TRUE(s.showOptions);
    EXPECT_EQ(s.defSort, 3);
    EXPECT_EQ(s.defLogic, 2);
    EXPECT_EQ(s.defDateType, 1);
}

TEST_F(SettingsTest, PlaySoundOffLoadsNoSound) {
    WriteSettings("[Remind]\nSoundFile=bell.wav\nPlaySound=0\n");
    EXPECT_EQ(Load().soundFile, "nosound");
}

TEST_F(SettingsTest, KeyNamesMatchInAnyLetterCase) {
    WriteSettings("[FONT]\nUnderLine=1\nsize=0x0C\n");
    LoadedSettings s = Load();
    EXPECT_TRUE(s.fontUnderline);
    EXPECT_EQ(s.fontSize, 12);
}

TEST_F(SettingsTest, ValuesTakeTheWidthsOfTheLoadedSettings) {
    WriteSettings(
        "[Font]\nSize=300\nColor=0xFFFFFFFF\n"
        "[Remind]\nOnNoDateAlready=257\nHowFarDef=-1\n"
        "[ExportPrint]\nDefault=65538\n"
        "[Search]\nDefSort=-1\nDefLogic=0x10001\nDefDateType=65536\n");
    LoadedSettings s = Load();
    EXPECT_EQ(s.fontSize, 44);
    EXPECT_EQ(s.fontColor, 0xFFFFFFFFu);
    EXPECT_EQ(s.onNoDateAlready, 1);
    EXPECT_EQ(s.howFarDef, -1);
    EXPECT_EQ(s.exportPrintDefault, 2);
    EXPECT_EQ(s.defSort, 65535);
    EXPECT_EQ(s.defLogic, 1);
    EXPECT_EQ(s.defDateType, 0);
}

TEST_F(SettingsTest, TextsAreCut) {
    std::string longName(300, 'n');
    WriteSettings("[Template]\nWord=0123456789\n[Font]\nName=" + longName + "\n");
    LoadedSettings s = Load();
    EXPECT_EQ(s.templateWord, "01234567");
    EXPECT_EQ(s.fontName, std::string(255, 'n'));
}

TEST_F(SettingsTest, ActiveDataIsLookedForInTheProgramFolder) {
    const struct {
        const char* stored;
        const char* opened;
    } cases[] = {
        {"/home/other/notes.jb", "notes.jb"},
        {"C:\\Jotter\\work.jb", "work.jb"},
        {"plain.jb", "plain.jb"},
        {"/home/other/", "data.jb"},
        {"", "data.jb"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        SaveActiveDataSet(dir_.Path(), c.stored);
        EXPECT_EQ(Load().activeData, c.stored);
        EXPECT_EQ(ActiveDataSetPath(dir_.Path()), dir_.File(c.opened));
    }
}

TEST_F(SettingsTest, LexiconListsFollowTheDictionary) {
    const std::string user = "UserLexFiles Uignore.tlx,autocorr.tlx,Condcorr.tlx";
    const std::string longList(300, 'L');
    const struct {
        const char* name;
        std::string listFile;  // content of "<Dict>.Lexicon"; "-" for no file
        std::vector<std::string> calls;
    } cases[] = {
        {"first line only",
         "ssceam.tlx,ssceam2.clx\r\nsecond line\r\n",
         {"MainLexFiles ssceam.tlx,ssceam2.clx", user}},
        {"no line break", "a.tlx,b.clx", {"MainLexFiles a.tlx,b.clx", user}},
        {"empty file", "", {"MainLexFiles ", user}},
        {"cut to 255", longList + "\n", {"MainLexFiles " + longList.substr(0, 255), user}},
        {"no list file", "-", {user}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string listPath = dir_.File("Medical.Lexicon");
        std::filesystem::remove(listPath);
        if (c.listFile != "-") test::WriteFileBytes(listPath, c.listFile);
        WriteSettings("[Spell]\nDict=Medical\n");
        spell_.calls.clear();
        Load();
        EXPECT_EQ(spell_.calls, c.calls);
    }
}

TEST_F(SettingsTest, LexiconFoldersAreTheProgramFolder) {
    SetLexiconFolders(dir_.Path(), spell_);
    EXPECT_EQ(spell_.calls, (std::vector<std::string>{"MainLexPath " + dir_.Path(),
                                                      "UserLexPath " + dir_.Path()}));
}

TEST_F(SettingsTest, WindowLayoutSurvivesASaveAndKeepsOtherLines) {
    WriteSettings("; my settings\r\n[Font]\r\nSize=12\r\n[mwind]\r\nleft=5\r\n");
    WindowLayout saved;
    saved.maximized = true;
    saved.left = -8;
    saved.top = 20;
    saved.height = 700;
    saved.width = 1024;
    saved.rulerVisible = false;
    saved.toolbarVisible = {true, false, true, false, false};
    SaveWindowLayout(dir_.Path(), saved);

    EXPECT_EQ(test::ReadFileBytes(SettingsPath()),
              "; my settings\r\n[Font]\r\nSize=12\r\n[mwind]\r\nleft=-8\r\nmax?=1\r\ntop=20\r\n"
              "height=700\r\nwidth=1024\r\nRulerVisible=0\r\ntb1V=1\r\ntb2V=0\r\ntb3V=1\r\n"
              "tb4V=0\r\ntb5V=0\r\n");
    WindowLayout loaded = LoadWindowLayout(dir_.Path());
    EXPECT_TRUE(loaded.maximized);
    EXPECT_EQ(loaded.left, -8);
    EXPECT_EQ(loaded.top, 20);
    EXPECT_EQ(loaded.height, 700);
    EXPECT_EQ(loaded.width, 1024);
    EXPECT_FALSE(loaded.rulerVisible);
    EXPECT_EQ(loaded.toolbarVisible, saved.toolbarVisible);
}

TEST_F(SettingsTest, SaveStartPageAndActiveDataSetWriteTheirKeys) {
    WriteSettings("[BrowseTo]\nLastPage=1\nPageNum=3\n");
    SaveStartPage(dir_.Path(), 17);
    SaveActiveDataSet(dir_.Path(), "/home/me/Jotterbase/work.jb");
    EXPECT_EQ(
        test::ReadFileBytes(SettingsPath()),
        "[BrowseTo]\nLastPage=1\nPageNum=17\n[Database]\nActiveData=/home/me/Jotterbase/work.jb\n");
    LoadedSettings s = Load();
    EXPECT_EQ(s.pageNum, 17);
    EXPECT_EQ(s.activeData, "/home/me/Jotterbase/work.jb");
}

// Delegates to the real file system but refuses to create any file after the first `allowed`.
class RefusingFileSystem final : public FileSystem {
  public:
    explicit RefusingFileSystem(int allowed) : allowed_(allowed) {}
    std::unique_ptr<File> Open(const std::string& path, OpenMode mode) override {
        if (mode == OpenMode::kCreate && allowed_-- <= 0) return nullptr;
        return real_.Open(path, mode);
    }
    bool Exists(const std::string& path) override { return real_.Exists(path); }
    std::int64_t FileSize(const std::string& path) override { return real_.FileSize(path); }
    void Rename(const std::string& from, const std::string& to) override { real_.Rename(from, to); }
    void Link(const std::string& from, const std::string& to) override { real_.Link(from, to); }
    bool Remove(const std::string& path) override { return real_.Remove(path); }
    void SyncFolder(const std::string& path) override { real_.SyncFolder(path); }

  private:
    int allowed_;
    FileSystem& real_ = FileSystem::Default();
};

TEST_F(SettingsTest, ARefusedWriteStopsAtItsKeyAndKeepsTheKeysBeforeIt) {
    WriteSettings("[mwind]\nleft=5\ntop=6\nheight=7\n");
    WindowLayout layout;
    layout.left = 50;
    layout.top = 60;
    layout.height = 70;
    RefusingFileSystem refuseThird(2);  // max? and left are written, top is refused
    try {
        SaveWindowLayout(dir_.Path(), layout, refuseThird);
        ADD_FAILURE() << "no error";
    } catch (const SettingsWriteError& e) {
        EXPECT_STREQ(e.what(), ("Unable to write to " + SettingsPath()).c_str());
    }
    EXPECT_EQ(test::ReadFileBytes(SettingsPath()), "[mwind]\nleft=50\ntop=6\nheight=7\nmax?=0\n");

    RefusingFileSystem refuseAll(0);
    EXPECT_THROW(SaveStartPage(dir_.Path(), 3, refuseAll), SettingsWriteError);
    EXPECT_THROW(SaveActiveDataSet(dir_.Path(), "x.jb", refuseAll), SettingsWriteError);
    EXPECT_EQ(Load().pageNum, 0);
}

TEST_F(SettingsTest, BadSettingsFilesLoadWithDefaultsWhereValuesAreUnusable) {
    std::string garbage;
    unsigned seed = 12345;
    for (int i = 0; i < 200000; ++i) {
        seed = seed * 1103515245u + 12345u;
        garbage += static_cast<char>(seed >> 16);
    }
    const struct {
        const char* name;
        std::string text;
        std::uint8_t fontSize;
        const char* fontName;
        std::int32_t left;
    } cases[] = {
        {"binary garbage", garbage, 10, "Arial", 1},
        {"garbage around good lines", garbage + "\n[Font]\nSize=9\n" + garbage, 9, "Arial", 1},
        {"very long lines",
         std::string(1 << 20, '[') + "\n[Font]\nName=" + std::string(1 << 20, 'x') + "\nSize=" +
             std::string(5000, '9') + "\n[mwind]\n" + std::string(1 << 20, '=') + "\nleft=3\n",
         10, nullptr, 3},
        {"duplicates", "[Font]\nSize=8\nSize=9\n[mwind]\nleft=4\n[font]\nName=Courier\n", 8,
         "Arial", 4},
        {"no final line break", "[Font]\nName=Courier\n[mwind]\nleft=6", 10, "Courier", 6},
        {"unusable numbers", "[Font]\nSize=big\n[mwind]\nleft=12px\n", 10, "Arial", 1},
        {"NUL bytes",
         std::string("[Font]\nName=Cou\0rier\nSize=\0"
                     "12\n",
                     30),
         10, "Cou", 1},
        {"only line breaks", "\r\n\r\r\n\n", 10, "Arial", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteSettings(c.text);
        LoadedSettings s = Load();
        EXPECT_EQ(s.fontSize, c.fontSize);
        if (c.fontName)
            EXPECT_EQ(s.fontName, c.fontName);
        else
            EXPECT_EQ(s.fontName, std::string(255, 'x'));
        EXPECT_LE(s.dict.size(), 255u);
        EXPECT_EQ(LoadWindowLayout(dir_.Path()).left, c.left);

        // A write into such a file changes only its own line.
        SaveStartPage(dir_.Path(), 5);
        EXPECT_EQ(Load().pageNum, 5);
        EXPECT_EQ(LoadWindowLayout(dir_.Path()).left, c.left);
    }
}

}  // namespace
}  // namespace jb
