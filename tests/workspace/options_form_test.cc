// The options dialog through its real widgets: what showing fills in, what Apply writes and in
// which cases, the desktop entries it switches, and its actions (switch, pack).

#include <QCheckBox>
#include <QComboBox>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTextCursor>
#include <QToolButton>
#include <cstdlib>
#include <filesystem>

#include "settings/desktop_links.h"
#include "settings/options_form.h"
#include "settings/settings_file.h"
#include "workspace/main_form_fixture.h"

namespace jb::test {
namespace {

using settings_ui::TOptionsForm;
using workspace::TMainForm;

class OptionsFormTest : public MainFormTest {
protected:
    OptionsFormTest() {
        // The desktop entries go to a folder of the test's own.
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(applications.Path()));
    }
    ~OptionsFormTest() override { qunsetenv("XDG_DATA_HOME"); }
    TOptionsForm& Show(const std::string& settings = "[Template]\r\nDef=none\r\n[Remind]\r\nOnNoDateAlready=2\r\n") {
        WriteSettings(settings);
        MakePages(2);
        Start();
        form->Options1->trigger();
        EXPECT_TRUE(form->OptionsForm->isVisible());
        return *form->OptionsForm;
    }
    std::string Stored(const char* section, const char* key) {
        return SettingsFile(SettingsFilePath(dir.Path())).ReadString(section, key, "<absent>");
    }

    TempDir applications;
};

TEST_F(OptionsFormTest, ShowingTwiceListsEachItemOnce) {
    for (const char* name : {"other.jb", "letter.tp", "British English.Lexicon", "Medical.Lexicon"})
        WriteFileBytes(dir.File(name), "x\n");
    TOptionsForm& o = Show();
    EXPECT_EQ("Quorvane Jotterbase Options", o.windowTitle());
    for (int showing = 0; showing < 2; ++showing) {
        o.FormShow();
        EXPECT_EQ(2, o.ActiveDataComboBox->count()) << "data.jb and other.jb";
        EXPECT_EQ(2, o.DefTemplateComboBox->count());
        EXPECT_EQ("None", o.DefTemplateComboBox->itemText(0));
        EXPECT_EQ(2, o.SpellCheckLanguages->count());
        EXPECT_EQ("British English", o.SpellCheckLanguages->itemText(0));
        EXPECT_EQ(4, o.ImportFileTypeComboBox->count());
        EXPECT_EQ(6, o.ExportFileTypeComboBox->count());
    }
    EXPECT_EQ("none", o.DefTemplateComboBox->currentText()) << "the template box shows [Template] Def";
    EXPECT_EQ("data.jb", o.ActiveDataComboBox->currentText()) << "ActiveData absent: the data set a start opens";
    o.ApplyButton->click();
    EXPECT_EQ("data.jb", Stored("Database", "ActiveData")) << "Apply keeps the next start on the same data set";
    EXPECT_TRUE(o.PackDataCheckBox->isChecked()) << "PackData absent";
    EXPECT_TRUE(o.RBDoNotAsk->isChecked());
    EXPECT_TRUE(o.CheckBoxNoRemindDate->isChecked()) << "[Remind] ? absent: new pages get no date";
    EXPECT_FALSE(o.RemindDateHowFar->isEnabled()) << "the days ahead mean nothing then";
    o.CheckBoxNoRemindDate->click();
    EXPECT_TRUE(o.RemindDateHowFar->isEnabled());
    QTest::mouseClick(o.Label9, Qt::LeftButton);
    EXPECT_TRUE(o.CheckBoxAutoUpdate->isChecked()) << "the label continues the box";
    QTest::mouseClick(o.Label5, Qt::LeftButton);
    EXPECT_TRUE(o.CheckBoxShellExtensions->isChecked());
    o.PlaySoundCheckBox->setChecked(false);
    EXPECT_FALSE(o.EditSoundtoPlay->isEnabled());
}

TEST_F(OptionsFormTest, TheLanguageIsChosenOnlyWhenTheSettingsNameAListedOne) {
    WriteFileBytes(dir.File("British English.Lexicon"), "a.aff,a.dic\n");
    WriteFileBytes(dir.File("Medical.Lexicon"), "m.aff,m.dic\n");
    TOptionsForm& o = Show();
    EXPECT_EQ("British English", o.SpellCheckLanguages->currentText()) << "no Dict key: the language in use";
    o.ApplyButton->click();
    EXPECT_EQ("British English", Stored("Spell", "Dict")) << "Apply keeps the spelling on";
    o.SpellCheckLanguages->setCurrentIndex(-1);
    o.ApplyButton->click();
    EXPECT_EQ("", Stored("Spell", "Dict")) << "no language chosen stores an empty Dict";
    SettingsFile(SettingsFilePath(dir.Path())).WriteString("Spell", "Dict", "Medical");
    o.FormShow();
    EXPECT_EQ("Medical", o.SpellCheckLanguages->currentText());
    SettingsFile(SettingsFilePath(dir.Path())).WriteString("Spell", "Dict", "Klingon");
    o.FormShow();
    EXPECT_EQ(-1, o.SpellCheckLanguages->currentIndex()) << "a language not listed";
    // A dictionary added while the dialog is open is listed at once; the choice stays.
    o.SpellCheckLanguages->setCurrentIndex(0);
    WriteFileBytes(dir.File("Klingon.Lexicon"), "k.aff,k.dic\n");
    o.RefillLanguages();
    EXPECT_EQ(3, o.SpellCheckLanguages->count());
    EXPECT_EQ("British English", o.SpellCheckLanguages->currentText());
}

TEST_F(OptionsFormTest, FontStylesAreStoredEachTimeAndTakeEffect) {
    TOptionsForm& o = Show();
    QFont boldItalic("Liberation Serif", 14);
    boldItalic.setBold(true);
    boldItalic.setItalic(true);
    const std::vector<std::tuple<QFont, QColor, std::string>> cases = {
        {boldItalic, QColor(255, 0, 0), "1 1 0"}, {QFont("Liberation Sans", 9), QColor(0, 0, 255), "0 0 0"}};
    for (const auto& [font, colour, styles] : cases) {
        dialogs.ExpectFont(ui::FontChoice{font, colour});
        o.Button4->click();
        EXPECT_EQ(font.family(), o.FontLabel->font().family()) << "the sample takes the font";
        o.ApplyButton->click();
        EXPECT_EQ(styles, Stored("Font", "Bold") + " " + Stored("Font", "Italic") + " " + Stored("Font", "Underline"));
        EXPECT_EQ(font.family().toStdString(), Stored("Font", "Name"));
        EXPECT_EQ(std::to_string(font.pointSize()), Stored("Font", "Size"));
        EXPECT_EQ(font.family().toStdString(), form->settings.fontName) << "the settings are loaded again";
    }
    EXPECT_EQ(std::to_string(0xFF0000), Stored("Font", "Color")) << "blue, stored as 00BBGGRR";
}

TEST_F(OptionsFormTest, ApplyWritesEveryChoiceAndSwitchesNoDataSet) {
    TOptionsForm& o = Show();
    const std::string dataSet = form->ws.dataSet;
    o.ActiveDataComboBox->setEditText("elsewhere.jb");
    o.MarkRecsCheckBox->setChecked(false);
    o.EditTemplateWord->setText("<<field>>x");
    o.CheckBoxNoRemindDate->setChecked(false);
    o.RemindDateHowFar->setValue(30);
    o.RBAskMeDefYes->setChecked(true);
    o.RBQuery->setChecked(true);
    o.ExportFileTypeComboBox->setCurrentIndex(5);
    o.ImportFileTypeComboBox->setCurrentIndex(3);
    o.SortTypeComboBox->setCurrentIndex(2);
    o.EditSoundtoPlay->setText("no-such-sound.wav");
    o.SpellAsYouTypeCheckBox->setChecked(false);
    o.OKButton->click();
    EXPECT_FALSE(o.isVisible()) << "OK applies and closes";
    const std::vector<std::tuple<const char*, const char*, std::string>> stored = {
        {"Database", "ActiveData", "elsewhere.jb"}, {"Database", "MarkRecsExport", "0"},
        {"Template", "Word", "<<field>"},           {"Remind", "?", "1"},
        {"Remind", "HowFarDef", "30"},              {"Remind", "OnNoDateAlready", "0"},
        {"ExportPrint", "Default", "2"},            {"ExportPrint", "FileType", "5"},
        {"Import", "FileType", "3"},                {"Search", "DefSort", "2"},
        {"Remind", "SoundFile", "<absent>"},        {"Spell", "AsYouType", "0"},
    };
    for (const auto& [section, key, value] : stored) EXPECT_EQ(value, Stored(section, key)) << section << " " << key;
    EXPECT_EQ(dataSet, form->ws.dataSet) << "Apply switches no data set";
    EXPECT_FALSE(form->settings.markRecsExport) << "what was applied takes effect";
    EXPECT_EQ(30, form->settings.howFarDef);
    EXPECT_FALSE(form->settings.spellAsYouType);
}

TEST_F(OptionsFormTest, TheFindShortcutFollowsTheBoxWithItsHotKey) {
    TOptionsForm& o = Show();
    o.FindCheckBox->setChecked(true);
    o.HotKey1->setKeySequence(QKeySequence("F7"));
    emit o.HotKey1->editingFinished();
    EXPECT_EQ(QKeySequence("Ctrl+Alt+F7"), o.HotKey1->keySequence()) << "a key alone gets Ctrl+Alt";
    o.ApplyButton->click();
    ASSERT_TRUE(settings_ui::ReadFindShortcut().has_value());
    EXPECT_EQ(QKeySequence("Ctrl+Alt+F7"), *settings_ui::ReadFindShortcut());
    EXPECT_EQ("1", Stored("Shortcut", "?"));
    o.FindCheckBox->setChecked(false);
    o.ApplyButton->click();
    EXPECT_FALSE(settings_ui::ReadFindShortcut().has_value()) << "cleared and applied: the entry is gone";
    o.FindCheckBox->setChecked(true);
    o.HotKey1->setKeySequence(QKeySequence("Ctrl+Shift+J"));
    o.ApplyButton->click();
    EXPECT_EQ(QKeySequence("Ctrl+Shift+J"), settings_ui::ReadFindShortcut().value_or(QKeySequence()));
    o.FindCheckBox->setChecked(false);
    o.FormShow();
    EXPECT_EQ(QKeySequence("Ctrl+Shift+J"), o.HotKey1->keySequence()) << "the hot key is read back from the entry";
}

// Installed for every user, the entries start the installed program on the window's program
// folder, whichever --folder or JOTTERBASE_FOLDER chose.
TEST_F(OptionsFormTest, TheEntriesOfASharedInstallationStartItsProgram) {
    WriteSettings("[Template]\r\nDef=none\r\n[Remind]\r\nOnNoDateAlready=2\r\n");
    const Installation shared{"/opt/jb/bin/", "/opt/jb/lib/jotterbase/", "/opt/jb/share/jotterbase/", true};
    form = std::make_unique<TMainForm>(workspace::MainFormSeams{dialogs, clock, desktop, dir.Path(), shared});
    ASSERT_TRUE(form->FormShow({}));
    form->Options1->trigger();
    TOptionsForm& o = *form->OptionsForm;
    o.CheckBoxShellExtensions->setChecked(true);
    o.FindCheckBox->setChecked(true);
    o.ApplyButton->click();
    for (const QString& entry : {settings_ui::ImportEntryFile(), settings_ui::FindShortcutFile()}) {
        const std::string text = ReadFileBytes(entry.toStdString());
        const std::string folder = dir.Path().substr(0, dir.Path().size() - 1);
        EXPECT_NE(text.find("Exec=\"/opt/jb/bin/jotterbase\" \"--folder=" + folder + "\" "), std::string::npos) << text;
        EXPECT_NE(text.find("Path=" + folder + "\n"), std::string::npos) << text;
        if (std::system("command -v desktop-file-validate >/dev/null") == 0) {
            EXPECT_EQ(0, std::system(("desktop-file-validate '" + entry.toStdString() + "'").c_str())) << text;
        }
    }
}

TEST_F(OptionsFormTest, TheImportEntryIsOnExactlyWhenItExistsAndARefusedWriteStopsApply) {
    TOptionsForm& o = Show();
    EXPECT_FALSE(o.CheckBoxShellExtensions->isChecked());
    o.CheckBoxShellExtensions->setChecked(true);
    o.ApplyButton->click();
    EXPECT_TRUE(settings_ui::ImportEntryExists());
    o.FormShow();
    EXPECT_TRUE(o.CheckBoxShellExtensions->isChecked());
    o.CheckBoxShellExtensions->setChecked(false);
    o.ApplyButton->click();
    EXPECT_FALSE(settings_ui::ImportEntryExists());

    // A folder that cannot be made (a file is in its place, which stops root too): the message,
    // and nothing after that step is done.
    const std::string folder = applications.Path() + "applications";
    std::filesystem::remove_all(folder);
    WriteFileBytes(folder, "not a folder");
    o.CheckBoxShellExtensions->setChecked(true);
    o.FindCheckBox->setChecked(true);
    o.CBLastPage->setChecked(false);
    dialogs.Expect("Failed to set data for 'ThreadingModel'");
    o.ApplyButton->click();
    EXPECT_EQ("0", Stored("BrowseTo", "LastPage")) << "the steps before it are written";
    EXPECT_FALSE(settings_ui::ReadFindShortcut().has_value()) << "the step after it is not";
    EXPECT_TRUE(form->settings.lastPage) << "nor are the settings loaded again";
}

TEST_F(OptionsFormTest, TheSwitchOpensAnExistingDataSetOrCreatesOneOnYes) {
    TOptionsForm& o = Show();
    ASSERT_EQ(0u, store.WritePage(dir.File("work.jb"), 0, "", false, false, "0000AAAA",
                                  "{\\rtf1 work page\\par}", 0, 44000));
    o.ActiveDataComboBox->setEditText(QString::fromStdString(dir.File("work.jb")));
    dialogs.Expect("The new dataset has been activated, and will continue to be active until you select another "
                   "dataset from this window.");
    o.SwitchButton->click();
    EXPECT_EQ(dir.File("work.jb"), form->ws.dataSet);
    EXPECT_EQ("work page", EditorText().toStdString());
    o.ActiveDataComboBox->setEditText(QString::fromStdString(dir.File("fresh.jb")));
    dialogs.Expect("The dataset you have chosen does not appear to exist. Do you wish to create it?", ui::kButtonNo);
    o.SwitchButton->click();
    EXPECT_EQ(dir.File("work.jb"), form->ws.dataSet) << "No changes nothing";
    dialogs.Expect("The dataset you have chosen does not appear to exist. Do you wish to create it?", ui::kButtonYes);
    o.SwitchButton->click();
    EXPECT_EQ(dir.File("fresh.jb"), form->ws.dataSet);
    EXPECT_EQ("", EditorText().toStdString());
    dialogs.ExpectOpenFile(QString::fromStdString(dir.File("work.jb")));
    dialogs.Expect("do you wish to switch to this data now?", ui::kButtonNo);
    o.SpeedButton1->click();
    EXPECT_EQ(QString::fromStdString(dir.File("work.jb")), o.ActiveDataComboBox->currentText());
    EXPECT_EQ(dir.File("fresh.jb"), form->ws.dataSet);
}

TEST_F(OptionsFormTest, TheSwitchTakesABareNameInTheProgramFolderAndTheNextStartFindsTheTypedPage) {
    ASSERT_NE(std::filesystem::current_path(), std::filesystem::path(dir.Path()));
    ASSERT_EQ(0u, store.WritePage(dir.File("work.jb"), 0, "", false, false, "0000AAAA",
                                  "{\\rtf1 work page\\par}", 0, 44000));
    const struct {
        const char* typed;
        bool exists;
        const char* recorded;  // ActiveData right after the switch
    } cases[] = {{"work.jb", true, nullptr}, {"work2.jb", false, "data.jb"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        TOptionsForm& o = Show(
            "[Template]\r\nDef=none\r\n[Remind]\r\nOnNoDateAlready=2\r\n[Database]\r\n"
            "ActiveData=data.jb\r\n");
        o.ActiveDataComboBox->setFocus();
        o.ActiveDataComboBox->lineEdit()->selectAll();
        QTest::keyClicks(o.ActiveDataComboBox, c.typed);
        dialogs.Expect(
            c.exists
                ? "The new dataset has been activated, and will continue to be active until you "
                  "select another dataset from this window."
                : "The dataset you have chosen does not appear to exist. Do you wish to create it?",
            c.exists ? ui::kButtonOk : ui::kButtonYes);
        o.SwitchButton->click();
        EXPECT_EQ(dir.File(c.typed), form->ws.dataSet);
        EXPECT_EQ(c.recorded ? std::string(c.recorded) : dir.File(c.typed),
                  Stored("Database", "ActiveData"))
            << "a data set made here is recorded by Apply or OK only";
        o.OKButton->click();
        form->EditBox->setFocus();
        form->EditBox->moveCursor(QTextCursor::End);
        Type(" typed after the switch");
        form->UpdateButton->click();
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::current_path() / c.typed))
            << "nothing goes to the folder the program was started from";

        form->close();
        form.reset();
        Start();
        EXPECT_EQ(dir.File(c.typed), form->ws.dataSet);
        EXPECT_TRUE(EditorText().endsWith(" typed after the switch")) << EditorText().toStdString();
        form->close();
        form.reset();
    }
}

TEST_F(OptionsFormTest, PackDataNowPacksTheCurrentDataSet) {
    TOptionsForm& o = Show();
    form->EditBox->moveCursor(QTextCursor::End);
    Type(" grown");
    form->UpdateButton->click();
    const auto before = store.Files().FileSize(DataSet());
    o.Button3->click();
    EXPECT_LT(store.Files().FileSize(DataSet()), before) << "the old body of page 0 is gone";
    EXPECT_EQ("page 0 grown", StoredText(0));
}

}  // namespace
}  // namespace jb::test
