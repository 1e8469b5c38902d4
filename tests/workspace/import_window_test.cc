// Import from the window: the dialog, several files, the DOS record import, the start-up
// import, the messages for files that cannot be imported, and the same pages as the command
// line's import.

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QTextCursor>
#include <QToolButton>
#include <map>
#include <set>
#include <sstream>

#include "datasets/dataset_commands.h"
#include "datasets/progress_form.h"
#include "richtext/richtext.h"
#include "store/word_index.h"
#include "transfer/import_commands.h"
#include "transfer/outside_tools.h"
#include "transfer/transfer_commands.h"
#include "workspace/main_form_fixture.h"

namespace jb::test {
namespace {

using workspace::TMainForm;

const QString kDosWarning =
    "This function imports files that were exported from Jotterbase for DOS by exporting as records; This operation "
    "will fail unless the file is delimited by tilde ~ characters.";

std::string Lines(int from, int to, const std::string& word = "line") {
    std::string text;
    for (int i = from; i <= to; ++i) text += word + " " + std::to_string(i) + "\n";
    return text;
}

class ImportWindowTest : public MainFormTest {
protected:
    // A reminder question and a template would both show on a page a user adds.
    TMainForm& StartWithTemplate() {
        WriteFileBytes(dir.File("normal.tp"), richtext::RtfFromPlainText("TEMPLATE TEXT [~]"));
        WriteSettings("[Remind]\r\nOnNoDateAlready=0\r\n");
        MakePages(1);
        return Start();
    }
    QString File(const std::string& name, const std::string& bytes) {
        WriteFileBytes(dir.File(name), bytes);
        return QString::fromStdString(dir.File(name));
    }
    // Every page's plain text, from `first` on.
    std::vector<std::string> Texts(int first, const std::string& dataSet = {}) {
        std::vector<std::string> texts;
        for (int n = first; n < PageCount(dataSet); ++n) texts.push_back(StoredText(n, nullptr, dataSet));
        return texts;
    }
};

TEST_F(ImportWindowTest, TwoFilesBecomePagesOf150LinesWithoutTemplateOrReminderQuestion) {
    TMainForm& f = StartWithTemplate();
    const QString a = File("a.txt", Lines(1, 301));
    const QString b = File("b.rtf", "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\b walrus\\b0  words\\par}");
    dialogs.ExpectOpenFilesOfType({a, b}, 3);
    f.ImportButton->click();
    ASSERT_EQ(1u, dialogs.typedOpenRequests.size());
    EXPECT_EQ("Select a file to import:", dialogs.typedOpenRequests[0].caption);
    EXPECT_EQ((QStringList{"All supported files (*.rtf *.txt *.htm *.html *.md *.markdown)", "Rich Text Format (*.rtf)",
                           "Plain Text format (*.txt)", "HTML Document (*.htm *.html)", "Markdown (*.md *.markdown)"}),
              dialogs.typedOpenRequests[0].filters);
    EXPECT_EQ(0, dialogs.typedOpenRequests[0].selected) << "all supported files";
    const std::vector<std::string> texts = Texts(1);
    ASSERT_EQ(4u, texts.size()) << "three pages of a.txt (HTML chosen, but .txt is text), one of b.rtf";
    EXPECT_EQ(Lines(1, 150), texts[0] + "\n");
    EXPECT_EQ(Lines(151, 300), texts[1] + "\n");
    EXPECT_EQ("line 301", texts[2]);
    EXPECT_EQ("walrus words", texts[3]);
    EXPECT_FALSE(f.ws.importInProgress);
    EXPECT_FALSE(f.DataSets->ProgressForm->isVisible());
    EXPECT_EQ(nullptr, QApplication::overrideCursor()) << "the hourglass is gone";
    EXPECT_EQ(4, f.ws.pageNumber) << "the last imported page is on screen";
    EXPECT_FALSE(f.Modified());
    EXPECT_TRUE(dialogs.shown.empty()) << "no reminder question, no other message";
    // Imported pages are indexed as Update indexes them.
    SaveIndex(f.indexList, f.ws.dataSet);
    const std::string index = ReadFileBytes(dir.File("data.idx"));
    EXPECT_NE(std::string::npos, index.find("\nwalrus=")) << "indexed as Update indexes";

    // The menu item and its key reach the same command; a new Add still takes the template.
    dialogs.ExpectOpenFilesOfType({}, 0);
    f.MMenuImport->trigger();
    f.AddButton->click();
    EXPECT_TRUE(EditorText().startsWith("TEMPLATE TEXT")) << EditorText().toStdString();
}

TEST_F(ImportWindowTest, TheUnsavedPageIsSettledBeforeTheImportAsTheUserWouldHaveIt) {
    TMainForm& f = StartWithTemplate();
    f.EditBox->moveCursor(QTextCursor::End);
    Type(" edited");
    dialogs.ExpectOpenFilesOfType({File("one.txt", "imported\n")}, 1);
    dialogs.Expect("You have not saved the changes (updated) the current record. Do you wish to do so now?",
                   ui::kButtonYes);
    dialogs.Expect("This page has no reminder-date set. Do you wish to add one?", ui::kButtonNo);
    f.ImportButton->click();
    EXPECT_EQ("page 0 edited", StoredText(0)) << "the user's page is written, with its own questions";
    EXPECT_EQ("imported", StoredText(1));
    EXPECT_EQ(0, f.EditBox->textCursor().position()) << "the new page shows from its start";
    EXPECT_TRUE(dialogs.Done());
}

TEST_F(ImportWindowTest, FilesThatCannotBeImportedSaySoAndKeepWhatCameBefore) {
    TMainForm& f = StartWithTemplate();
    const QString good = File("good.txt", "kept page\n");
    const struct {
        QString file;
        int type;
        QString message;
    } cases[] = {
        {QString::fromStdString(dir.File("missing.txt")), 1,
         "The file you have selected does not exist. Please try again"},
        {File("binary.txt", std::string("a\0b", 3)), 1,
         QString("The file %1 is not a text, RTF, HTML or Markdown file.").arg(QString::fromStdString(dir.File("binary.txt")))},
        {File("picture.png", std::string("\x89PNG\0\0", 6)), 0,
         QString("The file %1 is not a text, RTF, HTML or Markdown file.").arg(QString::fromStdString(dir.File("picture.png")))},
        {File("fake.rtf", "not rich text"), 1,
         "An error occured whilst openning the file. If the error persists, please try converting the file to Rich "
         "Text (.RTF) format, and try again."},
        {File("empty.txt", ""), 1, QString("The file %1 holds no text: no page was made from it.")
                                       .arg(QString::fromStdString(dir.File("empty.txt")))},
    };
    int pages = PageCount();
    for (const auto& c : cases) {
        dialogs.ExpectOpenFilesOfType({good, c.file, good}, c.type);
        dialogs.Expect(c.message);
        f.ImportButton->click();
        const bool stops = !c.message.contains("holds no text");
        pages += stops ? 1 : 2;
        EXPECT_EQ(pages, PageCount()) << c.file.toStdString() << ": the file before it stays"
                                      << (stops ? ", the one after it waits" : ", the one after it follows");
        EXPECT_FALSE(f.ws.importInProgress);
    }
}

// Under "All supported files" each file is read as its extension says, and the default type of
// the settings takes a file whose extension says nothing; a type filter the user picks decides.
TEST_F(ImportWindowTest, TheExtensionSaysWhatAFileIsUnlessATypeIsChosen) {
    WriteSettings("[Import]\r\nFileType=2\r\n[Template]\r\nDef=none\r\n[Remind]\r\nOnNoDateAlready=0\r\n");
    MakePages(1);
    TMainForm& f = Start();
    const std::string html = "<p><b>walrus</b> words</p>";
    const std::string utf16 = std::string("\xFF\xFE", 2) + std::string("w\0\xE9\0\n\0x\0", 8);
    const struct {
        QString file;
        int filter;  // 0 all supported files, else the type before it
        std::string text;
    } cases[] = {
        {File("a.html", html), 0, "walrus words"},
        {File("b.MD", "# Walrus\n\n*words*\n"), 0, "Walrus\nwords"},
        {File("c.markdown", "*words*\n"), 0, "words"},
        {File("u16.txt", utf16), 0, "w\xC3\xA9\nx"},
        {File("notes.data", html), 0, "walrus words"},  // the settings' default type: HTML
        {File("d.html", html), 2, html},                 // "Plain Text format" chosen
        {File("e.htm", "{\\rtf1 rich}"), 1, "rich"},   // "Rich Text Format" chosen
    };
    for (const auto& c : cases) {
        dialogs.ExpectOpenFilesOfType({c.file}, c.filter);
        f.ImportButton->click();
        EXPECT_EQ(c.text, StoredText(PageCount() - 1)) << c.file.toStdString();
    }
    EXPECT_EQ(8, PageCount());
    EXPECT_TRUE(dialogs.shown.empty()) << "nothing refused";
}

TEST_F(ImportWindowTest, AFileNamedAtStartUpIsReadAsItsExtensionSays) {
    WriteSettings("[Template]\r\nDef=none\r\n");
    MakePages(1);
    WriteFileBytes(dir.File("notes.md"), "# Walrus\n\n*words*\n");
    Start({QString::fromStdString(dir.File("notes.md"))});
    ASSERT_EQ(2, PageCount());
    EXPECT_EQ("Walrus\nwords", StoredText(1));
}

TEST_F(ImportWindowTest, DosRecordsBecomeOnePageEach) {
    TMainForm& f = StartWithTemplate();
    const QString file = File("export.dos", "first record\nmore\n~\nsecond ~ record\n~ \nstill second\n~\n" +
                                                Lines(1, 200) + "~\n");
    dialogs.Expect(kDosWarning, ui::kButtonCancel);
    f.ImportDOSJotterbasefile1->trigger();
    EXPECT_EQ(1, PageCount()) << "Cancel stops";
    dialogs.Expect(kDosWarning, ui::kButtonOk);
    dialogs.ExpectOpenFilesOfType({file}, 0);
    f.ImportDOSJotterbasefile1->trigger();
    EXPECT_EQ(QStringList{"DOS Jotterbase Record exports (*)"}, dialogs.typedOpenRequests.back().filters);
    const std::vector<std::string> texts = Texts(1);
    ASSERT_EQ(4u, texts.size());
    EXPECT_EQ("first record\nmore\n", texts[0]);
    EXPECT_EQ("second ~ record\n~ \nstill second\n", texts[1]);
    EXPECT_EQ(Lines(1, 151), texts[2] + "\n") << "151 lines when no tilde line comes in 150";
    EXPECT_EQ(Lines(152, 200), texts[3]);
}

TEST_F(ImportWindowTest, AFileNamedAtStartUpIsImportedEvenOverALockedPage) {
    ASSERT_EQ(0u, store.WritePage(DataSet(), 0, "abc", false, false, PageIdOf(0),
                                  richtext::RtfFromPlainText("secret"), 0, 44000));
    WriteSettings("[BrowseTo]\r\nLastPage=0\r\nPageNum=0\r\n[Template]\r\nDef=none\r\n");
    WriteFileBytes(dir.File("my notes.txt"), "from the command line\n");
    TMainForm& f = Start({QString::fromStdString(dir.Path() + "my"), "notes.txt"});
    EXPECT_EQ(2, PageCount());
    EXPECT_EQ("from the command line", StoredText(1));
    PageInfo info;
    EXPECT_EQ("", StoredText(0, &info).substr(0, 0));
    EXPECT_EQ("abc", info.password) << "the locked page is left as it was";
    EXPECT_FALSE(f.PwLocked());
}

TEST_F(ImportWindowTest, TheWindowAndTheCommandLineMakeTheSamePages) {
    TMainForm& f = StartWithTemplate();
    std::string long_paragraph;
    for (int i = 0; i < 400; ++i) long_paragraph += "walrus" + std::to_string(i) + " ";
    const QString text = File("t.txt", Lines(1, 120) + long_paragraph + "\n" + Lines(121, 260));
    const QString rich =
        File("r.rtf", "{\\rtf1\\ansi{\\fonttbl{\\f0 Courier New;}}\\qc\\f0\\fs28\\i tilted\\i0  words\\par plain}");
    dialogs.ExpectOpenFilesOfType({text, rich}, 0);
    f.ImportButton->click();
    const std::string cliData = dir.File("cli.jb");
    const std::string said = CommandOutput(std::string(JB_CLI_PATH) + " import --data " + cliData + " " +
                                           text.toStdString() + " " + rich.toStdString() + " 2>&1");
    ASSERT_EQ(PageCount() - 1, PageCount(cliData)) << said;
    for (int n = 1; n < PageCount(); ++n) {
        PageInfo windowInfo, cliInfo;
        std::string windowBody, cliBody;
        ASSERT_EQ(0u, store.ReadPageBody(DataSet(), n, windowInfo, windowBody));
        ASSERT_EQ(0u, store.ReadPageBody(cliData, n - 1, cliInfo, cliBody));
        EXPECT_EQ(windowBody, cliBody) << "page " << n;
        EXPECT_NE(std::string::npos, said.find(std::to_string(n - 1) + "\t" + cliInfo.id)) << said;
    }
    // The same words point at the same pages.
    SaveIndex(f.indexList, f.ws.dataSet);
    auto entries = [](const std::string& indexFile, const std::string& dataSet, int first) {
        PageStore pages;
        std::map<std::string, int> numbers;
        for (int n = first; n < pages.PageCount(dataSet); ++n) numbers[pages.PageIdAt(dataSet, n)] = n - first;
        std::multiset<std::string> out;
        std::istringstream lines(ReadFileBytes(indexFile));
        for (std::string line; std::getline(lines, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const std::size_t eq = line.find('=');
            if (eq == std::string::npos) continue;
            auto page = numbers.find(line.substr(eq + 1));
            if (page != numbers.end()) out.insert(line.substr(0, eq) + "@" + std::to_string(page->second));
        }
        return out;
    };
    const auto windowEntries = entries(dir.File("data.idx"), DataSet(), 1);
    EXPECT_FALSE(windowEntries.empty());
    EXPECT_EQ(windowEntries, entries(dir.File("cli.idx"), cliData, 0));
}

}  // namespace
}  // namespace jb::test
