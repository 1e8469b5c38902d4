// Templates: Save as template, Change loaded template, Goto Next Field, and the template a new
// page starts from.

#include <QAction>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>
#include <filesystem>

#include "richtext/richtext.h"
#include "workspace/main_form_fixture.h"

namespace jb::test {
namespace {

using workspace::TMainForm;

const QString kExists =
    "The name of the template you wish to save already exists. Click \"OK\" to overwrite it, or \"Cancel\" to "
    "choose another filename";
const QString kTooLong =
    "The maximum allowable length of templates is 50 lines. Shorten the current page and try again.";
const char* const kNoTemplate = "[Remind]\r\nOnNoDateAlready=2\r\n[Template]\r\nDef=None\r\n";

// The window in its program folder, for the template commands.
class TemplateTest : public MainFormTest {};

QString Lines(int n) {
    QStringList lines;
    for (int i = 1; i <= n; ++i) lines << QString("line %1").arg(i);
    return lines.join('\n');
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

std::string SavedText(const std::string& path) { return richtext::PlainTextOf(ReadFileBytes(path)); }

TEST_F(TemplateTest, HoldsAtMostFiftyDisplayLines) {
    const struct {
        const char* name;
        QString text;
        bool saved;
    } cases[] = {
        {"fifty lines", Lines(50), true},
        {"fifty-one lines", Lines(51), false},
        {"a wrapped line counts as the lines it shows", Lines(49) + "\n" + QString("word ").repeated(300), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(dir.File("t.tp"));
        WriteSettings(kNoTemplate);
        TMainForm& f = Start();
        f.EditBox->setPlainText(c.text);
        dialogs.ExpectSaveFile(Q(dir.File("t.tp")));
        if (!c.saved) dialogs.Expect(kTooLong);
        f.Saveastemplate1->trigger();
        EXPECT_TRUE(dialogs.Done());
        ASSERT_EQ(c.saved, FileExists(dir.File("t.tp")));
        if (c.saved) {
            EXPECT_EQ(c.text.toStdString(), SavedText(dir.File("t.tp")));
        } else {
            ASSERT_FALSE(dialogs.shown.empty());
            EXPECT_EQ(ui::MessageIcon::kInformation, dialogs.shown.back().icon);
            EXPECT_EQ(QString(ui::kMessageCaption), dialogs.shown.back().caption);
        }
    }
}

TEST_F(TemplateTest, SaveDialogAndExtension) {
    const struct {
        const char* typed;
        const char* written;
    } cases[] = {
        {"bare", "bare.tp"},
        {"x.txt", "x.txt.tp"},
        {"kept.tp", "kept.tp"},
        {"upper.TP", "upper.TP.tp"},
    };
    WriteSettings(kNoTemplate);
    TMainForm& f = Start();
    Type("Dear [~]");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        dialogs.ExpectSaveFile(Q(dir.File(c.typed)));
        f.Saveastemplate1->trigger();
        EXPECT_TRUE(dialogs.Done());
        EXPECT_EQ("Dear [~]", SavedText(dir.File(c.written)));
        ASSERT_FALSE(dialogs.saveRequests.empty());
        const ScriptedDialogs::SaveRequest& asked = dialogs.saveRequests.back();
        EXPECT_EQ("Save the current page as a template", asked.caption);
        EXPECT_EQ(Q(dir.Path()), asked.folder);
        EXPECT_EQ("Jotterbase Templates (*.tp)", asked.filter);
        EXPECT_EQ("", asked.defaultSuffix);
    }
    EXPECT_FALSE(FileExists(dir.File("bare"))) << "only the name with the extension is written";

    dialogs.ExpectSaveFile("");  // Cancel
    f.Saveastemplate1->trigger();
    EXPECT_TRUE(dialogs.Done());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(TemplateTest, OverwriteQuestion) {
    const struct {
        const char* name;
        ui::MessageButton answer;
        const char* secondChoice;  // the second save dialog, after Cancel ("": cancelled)
        const char* oldAfter;      // old.tp afterwards
        const char* writtenOther;  // the other file written, if any
    } cases[] = {
        {"OK overwrites", ui::kButtonOk, nullptr, "new text", nullptr},
        {"Cancel then another name", ui::kButtonCancel, "other", "old text", "other.tp"},
        {"Cancel then the same name, not asked again", ui::kButtonCancel, "old", "new text", nullptr},
        {"Cancel then Cancel", ui::kButtonCancel, "", "old text", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(dir.File("other.tp"));
        WriteFileBytes(dir.File("old.tp"), richtext::RtfFromPlainText("old text"));
        WriteSettings(kNoTemplate);
        dialogs.shown.clear();
        TMainForm& f = Start();
        f.EditBox->setPlainText("new text");
        dialogs.ExpectSaveFile(Q(dir.File("old")));
        dialogs.Expect(kExists, c.answer);
        if (c.secondChoice) dialogs.ExpectSaveFile(*c.secondChoice ? Q(dir.File(c.secondChoice)) : QString());
        f.Saveastemplate1->trigger();
        EXPECT_TRUE(dialogs.Done());
        EXPECT_EQ(c.oldAfter, SavedText(dir.File("old.tp")));
        if (c.writtenOther) {
            EXPECT_EQ("new text", SavedText(dir.File(c.writtenOther)));
        } else {
            EXPECT_FALSE(FileExists(dir.File("other.tp")));
        }
        ASSERT_EQ(1u, dialogs.shown.size());
        EXPECT_EQ(ui::MessageIcon::kQuestion, dialogs.shown[0].icon);
        EXPECT_EQ(ui::kButtonOk | ui::kButtonCancel, dialogs.shown[0].buttons);
        EXPECT_EQ(QString(ui::kMessageCaption), dialogs.shown[0].caption);
    }
}

TEST_F(TemplateTest, ChosenNamedNoneSwitchesTemplatesOff) {
    for (const char* chosen : {"none.tp", "NoNe", "NONEsuch.tp"}) {
        SCOPED_TRACE(chosen);
        WriteFileBytes(dir.File("normal.tp"), richtext::RtfFromPlainText("Dear diary"));
        WriteFileBytes(dir.File(chosen), richtext::RtfFromPlainText("not this"));
        WriteSettings("[Remind]\r\nOnNoDateAlready=2\r\n");
        const std::string ini = ReadFileBytes(dir.File("JotBase.ini"));
        TMainForm& f = Start();
        dialogs.ExpectOpenFile(Q(dir.File(chosen)));
        f.ChangeLoadedTemplate1->trigger();
        EXPECT_TRUE(dialogs.Done());
        EXPECT_EQ("None", Q(f.settings.templateDef));
        EXPECT_EQ(ini, ReadFileBytes(dir.File("JotBase.ini"))) << "the settings file keeps its template";
        f.AddButton->click();
        EXPECT_EQ("", EditorText());
        ASSERT_FALSE(dialogs.openFolders.empty());
        EXPECT_EQ(Q(dir.Path()), dialogs.openFolders.back());
        EXPECT_EQ("Jotterbase Templates (*.tp)", dialogs.openFilters.back());
    }
}

TEST_F(TemplateTest, ChosenIsWhatTheNextPageStartsFrom) {
    WriteFileBytes(dir.File("normal.tp"), richtext::RtfFromPlainText("Dear diary"));
    WriteFileBytes(dir.File("memo.tp"), richtext::RtfFromPlainText("Memo to [~]"));
    std::filesystem::create_directory(dir.File("elsewhere"));
    WriteFileBytes(dir.File("elsewhere/memo.tp"), richtext::RtfFromPlainText("a copy elsewhere"));
    WriteSettings("[Remind]\r\nOnNoDateAlready=2\r\n");
    TMainForm& f = Start();

    dialogs.ExpectOpenFile("");  // Cancel keeps the template
    f.ChangeLoadedTemplate1->trigger();
    EXPECT_EQ("normal.tp", Q(f.settings.templateDef));

    const struct {
        std::string chosen;
        const char* pageText;
    } cases[] = {
        {dir.File("memo.tp"), "Memo to [~]"},
        {dir.File("elsewhere/memo.tp"), "Memo to [~]"},  // templates are always taken from the program folder
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen);
        dialogs.ExpectOpenFile(Q(c.chosen));
        f.ChangeLoadedTemplate1->trigger();
        EXPECT_TRUE(dialogs.Done());
        EXPECT_EQ(c.chosen, f.settings.templateDef);
        f.AddButton->click();
        EXPECT_EQ(c.pageText, EditorText());
        EXPECT_FALSE(f.Modified());
    }
}

TEST_F(TemplateTest, GotoNextFieldRemovesMarkersInTurn) {
    WriteFileBytes(dir.File("normal.tp"), richtext::RtfFromPlainText("Dear [~],\nfrom [~]"));
    WriteSettings("[Remind]\r\nOnNoDateAlready=2\r\n");
    TMainForm& f = Start();
    f.AddButton->click();
    const struct {
        const char* text;
        int caret;
    } steps[] = {
        {"Dear ,\nfrom [~]", 5},
        {"Dear ,\nfrom ", 12},
        {"Dear ,\nfrom ", 12},  // no marker left: nothing changes
    };
    for (const auto& s : steps) {
        f.GotoNextField1->trigger();
        EXPECT_EQ(s.text, EditorText());
        EXPECT_EQ(s.caret, f.EditBox->textCursor().position());
        EXPECT_FALSE(f.EditBox->textCursor().hasSelection());
    }
    EXPECT_TRUE(f.Modified());
}

TEST_F(TemplateTest, NoneLeavesMarkersAlone) {
    WriteSettings(kNoTemplate);
    TMainForm& f = Start();
    f.AddButton->click();
    EXPECT_EQ("", EditorText());
    Type("Dear [~]");
    const int caret = f.EditBox->textCursor().position();
    f.GotoNextField1->trigger();
    EXPECT_EQ("Dear [~]", EditorText());
    EXPECT_EQ(caret, f.EditBox->textCursor().position());
}

}  // namespace
}  // namespace jb::test
