// Export and print from the window: the dialogs, every page choice, protected and locked pages,
// the messages, and the files checked from outside; the window's export and the command line's
// export of the same pages give the same file.

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include "datasets/dataset_commands.h"
#include "datasets/progress_form.h"
#include "richtext/richtext.h"
#include "transfer/export_forms.h"
#include "transfer/outside_tools.h"
#include "transfer/page_choice_box.h"
#include "transfer/print_form.h"
#include "transfer/transfer_commands.h"
#include "transfer/transfer_window.h"
#include "workspace/main_form_fixture.h"

namespace jb::test {
namespace {

using transfer::PageChoice;
using workspace::TMainForm;

const QString kCurrentFailed =
    "An error has occured whilst attempting to save the current record to a non RTF file. If this error persists, "
    "please save the file as an RTF file.";

class TransferWindowTest : public MainFormTest {
protected:
    // Pages "page i"; the ones in `passwords` are stored enciphered.
    void WritePages(int n, const std::map<int, std::string>& passwords = {}) {
        for (int i = 0; i < n; ++i) {
            const auto p = passwords.find(i);
            ASSERT_EQ(0u, store.WritePage(DataSet(), i, p == passwords.end() ? "" : p->second, false, false,
                                          PageIdOf(i), richtext::RtfFromPlainText("page " + std::to_string(i)), 0,
                                          44000 + i));
        }
    }
    TMainForm& StartQuietly(const std::string& moreSettings = "") {
        WriteSettings("[Remind]\r\nOnNoDateAlready=2\r\n[Template]\r\nDef=none\r\n" + moreSettings);
        return Start();
    }
    transfer::TExportForm1& Form1() { return *form->Transfer->ExportForm1; }
    transfer::TExportForm2& Form2() { return *form->Transfer->ExportForm2; }
    transfer::PageChoiceBox& Choice() { return *Form2().Choice; }
    // Through the toolbar to the page dialog, with the file type of the settings.
    void OpenPageDialog() {
        form->ExportButton->click();
        ASSERT_TRUE(Form1().isVisible());
        Form1().Button1->click();
        ASSERT_TRUE(Form2().isVisible());
    }
    // Next on the page dialog, answering the save dialog with `name` in the test folder.
    void ExportTo(const std::string& name, int typeIndex) {
        dialogs.ExpectSaveFileOfType(QString::fromStdString(dir.File(name)), typeIndex);
        Form2().Button1->click();
    }
    std::string FileText(const std::string& name) { return richtext::PlainTextOf(ReadFileBytes(dir.File(name))); }
    static std::string Cli(const std::string& arguments) {
        return CommandOutput(std::string(JB_CLI_PATH) + " " + arguments + " 2>&1");
    }
};

TEST_F(TransferWindowTest, TheDialogsFollowOneAnotherFromButtonMenuAndKey) {
    WritePages(3);
    TMainForm& f = StartQuietly("[ExportPrint]\r\nFileType=4\r\nDefault=1\r\n");
    EXPECT_EQ("Quorvane Export pages to file", Form1().windowTitle());
    f.MMenuExport->trigger();
    ASSERT_TRUE(Form1().isVisible()) << "the menu item clicks the button";
    ASSERT_EQ(6, Form1().FileTypeComboBox->count());
    EXPECT_EQ("Markdown", Form1().FileTypeComboBox->currentText()) << "the type of the settings";
    EXPECT_FALSE(Form1().Button3->isEnabled()) << "the first dialog has no way back";
    Form1().FormShow();
    EXPECT_EQ(6, Form1().FileTypeComboBox->count()) << "each type once, however often it shows";
    Form1().Button1->click();
    EXPECT_FALSE(Form1().isVisible());
    ASSERT_TRUE(Form2().isVisible());
    EXPECT_EQ(PageChoice::kRange, Choice().Chosen()) << "[ExportPrint] Default=1";
    EXPECT_FALSE(Choice().rbCurrentQuery->isEnabled()) << "no query is open";
    EXPECT_EQ(2, Choice().EditFrom->maximum()) << "the last page";
    Choice().EditFrom->setValue(2);
    EXPECT_EQ(2, Choice().EditTo->value()) << "To never starts below From";
    Form2().Button3->click();
    EXPECT_TRUE(Form1().isVisible()) << "Back";
    EXPECT_FALSE(Form2().isVisible());
    Form1().Button2->click();
    EXPECT_FALSE(Form1().isVisible()) << "Cancel";

    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    QTest::keyClick(&f, Qt::Key_E, Qt::ControlModifier);
    EXPECT_TRUE(Form1().isVisible()) << "Ctrl+E reaches the export";
    Form1().hide();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    QTest::keyClick(&f, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(f.Transfer->PrintForm1->isVisible()) << "Ctrl+Shift+P reaches the print";
}

TEST_F(TransferWindowTest, TheCurrentPageGoesOutAsTheEditorHoldsItAndABareNameGetsItsExtension) {
    WritePages(2);
    TMainForm& f = StartQuietly();
    f.EditBox->moveCursor(QTextCursor::End);
    Type(" with edits");
    OpenPageDialog();
    ExportTo("note", 1);
    EXPECT_EQ("page 0 with edits", ReadFileBytes(dir.File("note.txt"))) << "plain text, unsaved edits included";
    ASSERT_EQ(1u, dialogs.typedSaveRequests.size());
    const auto& request = dialogs.typedSaveRequests.back();
    EXPECT_EQ("Create file named:", request.caption);
    EXPECT_EQ("Rich Text Format (*.rtf)", request.filters.value(0));
    EXPECT_EQ("Plain Text format (*.txt)", request.filters.value(1));
    EXPECT_EQ(6, request.filters.size());
    EXPECT_EQ(0, request.selected) << "the type chosen in the first dialog";
    EXPECT_FALSE(Form2().isVisible()) << "the export ends with the dialog hidden";
    EXPECT_FALSE(f.DataSets->ProgressForm->isVisible());
    EXPECT_TRUE(f.Modified()) << "exporting saves nothing";

    // The same bare name again: the file asked about is the one the extension makes.
    OpenPageDialog();
    dialogs.ExpectSaveFileOfType(QString::fromStdString(dir.File("note")), 1);
    dialogs.Expect("OK to overwrite file?", ui::kButtonCancel);
    dialogs.ExpectSaveFileOfType("", 0);
    Form2().Button1->click();
    EXPECT_EQ(ui::MessageIcon::kQuestion, dialogs.shown.back().icon);
    EXPECT_EQ(ui::kButtonOk | ui::kButtonCancel, dialogs.shown.back().buttons);
    EXPECT_TRUE(Form2().isVisible()) << "Cancel in the save dialog leaves the dialog open";
    f.EditBox->moveCursor(QTextCursor::End);
    Type("!");
    dialogs.ExpectSaveFileOfType(QString::fromStdString(dir.File("note")), 1);
    dialogs.Expect("OK to overwrite file?", ui::kButtonOk);
    Form2().Button1->click();
    EXPECT_EQ("page 0 with edits!", ReadFileBytes(dir.File("note.txt")));
    EXPECT_TRUE(dialogs.Done());
}

TEST_F(TransferWindowTest, TheHighlightedTextKeepsItsFormatting) {
    ASSERT_EQ(0u, store.WritePage(DataSet(), 0, "", false, false, PageIdOf(0),
                                  "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 one \\b two\\b0  three\\par}", 0, 1));
    TMainForm& f = StartQuietly();
    QTextCursor c = f.EditBox->textCursor();
    c.setPosition(4);
    c.setPosition(7, QTextCursor::KeepAnchor);
    f.EditBox->setTextCursor(c);
    OpenPageDialog();
    Choice().rbSelectedText->setChecked(true);
    ExportTo("sel.rtf", 0);
    const std::string rtf = ReadFileBytes(dir.File("sel.rtf"));
    EXPECT_EQ("two", richtext::PlainTextOf(rtf));
    EXPECT_NE(std::string::npos, rtf.find("\\b ")) << rtf;
}

TEST_F(TransferWindowTest, ARangeAsksForEachProtectedPageAndMatchesTheCommandLine) {
    WritePages(4, {{2, "abc"}});
    StartQuietly();
    OpenPageDialog();
    Choice().EditFrom->setValue(1);
    Choice().EditTo->setValue(3);
    EXPECT_EQ(PageChoice::kRange, Choice().Chosen()) << "touching the numbers chooses the range";
    dialogs.ExpectPagePassword(false);
    ExportTo("range.rtf", 0);
    ASSERT_EQ(1u, dialogs.pagePasswordRequests.size());
    EXPECT_EQ("Page number 2 is encrypted.", dialogs.pagePasswordRequests[0].pageLabel);
    EXPECT_EQ("ABC", dialogs.pagePasswordRequests[0].expectedPassword);
    EXPECT_EQ("---Record Number 1 begins---\npage 1\n\n---Record Number 3 begins---\npage 3\n", FileText("range.rtf"))
        << "the cancelled page leaves no trace";

    const std::string said = Cli("export --data " + DataSet() + " --range 1-3 -o " + dir.File("cli.rtf"));
    EXPECT_NE(std::string::npos, said.find("page 2 is protected")) << said;
    EXPECT_EQ(ReadFileBytes(dir.File("range.rtf")), ReadFileBytes(dir.File("cli.rtf"))) << "the same bytes";

    OpenPageDialog();
    EXPECT_EQ(PageChoice::kCurrent, Choice().Chosen()) << "each showing starts from [ExportPrint] Default";
    Choice().RRange->setChecked(true);
    dialogs.ExpectPagePassword(true);
    ExportTo("range.txt", 1);
    Cli("export --data " + DataSet() + " --range 1-3 --password 2=ABC -o " + dir.File("cli.txt"));
    EXPECT_EQ(ReadFileBytes(dir.File("range.txt")), ReadFileBytes(dir.File("cli.txt")));
    EXPECT_NE(std::string::npos, ReadFileBytes(dir.File("range.txt")).find("page 2")) << "deciphered";
}

TEST_F(TransferWindowTest, SavedAndOpenQueriesExportTheirPagesInTheirOrder) {
    WritePages(4, {{2, "abc"}});
    WriteFileBytes(dir.File("mine.jqr"), "page\r\n" + PageIdOf(3) + "\r\nFFFFFFFF\r\n" + PageIdOf(2) + "\r\n" +
                                             PageIdOf(0) + "\r\n");
    TMainForm& f = StartQuietly("[ExportPrint]\r\nDefault=2\r\n");
    OpenPageDialog();
    EXPECT_EQ(PageChoice::kSavedQuery, Choice().Chosen());
    ASSERT_EQ(1, Choice().QueryComboBox->count());
    EXPECT_EQ("mine.jqr", Choice().QueryComboBox->itemText(0));

    Choice().SetSavedQueryText("nothere.jqr");
    dialogs.Expect(transfer::kMissingQueryText);
    ExportTo("none.rtf", 0);
    EXPECT_FALSE(FileExists(dir.File("none.rtf")));
    EXPECT_TRUE(Form2().isVisible()) << "the dialog stays open";

    Choice().SetSavedQueryText("mine.jqr");
    dialogs.ExpectPagePassword(false);
    ExportTo("query.rtf", 0);
    EXPECT_EQ("Query: \"page\"\n\n---Record Number 3 begins---\npage 3\n\n---Record Number 2 begins---\n"
              "---Record Number 0 begins---\npage 0\n",
              FileText("query.rtf"))
        << "a missing page is skipped; a page without its password keeps its separator";
    Cli("export --data " + DataSet() + " --query " + dir.File("mine.jqr") + " -o " + dir.File("cli.rtf"));
    EXPECT_EQ(ReadFileBytes(dir.File("query.rtf")), ReadFileBytes(dir.File("cli.rtf")));

    // The browse button puts the chosen file's full path in the box.
    dialogs.ExpectOpenFile(QString::fromStdString(dir.File("mine.jqr")));
    Choice().SpeedButton1->click();
    EXPECT_EQ(QString::fromStdString(dir.File("mine.jqr")), Choice().SavedQueryText());
    EXPECT_EQ(QString::fromStdString(dir.Path()), dialogs.openFolders.back()) << "it starts in the program folder";

    Form2().hide();
    f.OpenQuery("page", {PageIdOf(1), PageIdOf(0)}, "page");
    OpenPageDialog();
    EXPECT_TRUE(Choice().rbCurrentQuery->isEnabled());
    EXPECT_EQ(PageChoice::kCurrentQuery, Choice().Chosen()) << "an open query is chosen";
    ExportTo("open.txt", 1);
    EXPECT_EQ("Query: \"page\"\n\n---Record Number 1 begins---\npage 1\n\n---Record Number 0 begins---\npage 0\n",
              ReadFileBytes(dir.File("open.txt")));
}

TEST_F(TransferWindowTest, ALockedCurrentPageExportsAnEmptyDocument) {
    WritePages(2, {{1, "abc"}});
    TMainForm& f = StartQuietly();
    OpenPageDialog();
    f.ShowPageNumber(1);
    ASSERT_TRUE(f.PwLocked());
    ExportTo("locked.txt", 1);
    EXPECT_EQ("", ReadFileBytes(dir.File("locked.txt")));
    EXPECT_FALSE(f.MMenuExport->isEnabled()) << "while locked the File menu's commands are off";
}

TEST_F(TransferWindowTest, AWriterThatFailsSaysSo) {
    WritePages(1);
    StartQuietly();
    OpenPageDialog();
    dialogs.Expect(kCurrentFailed);
    ExportTo("no/such/folder/page.html", 2);
    EXPECT_EQ(ui::MessageIcon::kError, dialogs.shown.back().icon);
    OpenPageDialog();
    Choice().RRange->setChecked(true);
    dialogs.Expect("There was an error exporting the page-range to a Non RTF file. If the error persists, please try "
                   "saving as an RTF file");
    ExportTo("no/such/folder/range.odt", 3);
    OpenPageDialog();
    dialogs.Expect(QString());  // the general error message, naming the file
    ExportTo("no/such/folder/page.rtf", 0);
    EXPECT_TRUE(dialogs.shown.back().text.contains("page.rtf")) << dialogs.shown.back().text.toStdString();
}

TEST_F(TransferWindowTest, PrintingTheCurrentPageLeavesItsModifiedStateAlone) {
    WritePages(3);
    TMainForm& f = StartQuietly();
    transfer::TPrintForm1& print = *f.Transfer->PrintForm1;
    EXPECT_EQ("Quorvane Print pages", print.windowTitle());
    for (bool edited : {false, true}) {
        if (edited) Type("typed ");
        ASSERT_EQ(edited, f.Modified());
        f.PrintButton->click();
        ASSERT_TRUE(print.isVisible());
        const std::string pdf = dir.File(edited ? "edited.pdf" : "page.pdf");
        dialogs.ExpectPrinter(QString::fromStdString(pdf));
        print.Button1->click();
        EXPECT_FALSE(print.isVisible());
        EXPECT_EQ(edited, f.Modified());
        EXPECT_EQ(edited, f.EditBox->document()->isModified());
        EXPECT_EQ("Jotterbase printing...", PdfTitle(pdf));
        EXPECT_NE(std::string::npos, PdfText(pdf).find(edited ? "typed page 0" : "page 0")) << PdfText(pdf);
    }
    f.MMenuPrint->trigger();
    ASSERT_TRUE(print.isVisible()) << "the menu item clicks the button";
    dialogs.ExpectPrinter("");
    print.Button1->click();
    EXPECT_FALSE(print.isVisible()) << "Cancel in the print dialog ends the print";
    EXPECT_FALSE(f.DataSets->ProgressForm->isVisible());
}

// With separator lines and without.
class PrintChoicesTest : public TransferWindowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(PrintChoicesTest, RangesQueriesAndSelectionsHaveTheirTitlesAndHeadings) {
    const bool marks = GetParam();
    WritePages(4);
    WriteFileBytes(dir.File("q.jqr"), "page\r\n" + PageIdOf(2) + "\r\n" + PageIdOf(1) + "\r\n");
    TMainForm& f = StartQuietly(marks ? "" : "[Database]\r\nMarkRecsExport=0\r\n");
    transfer::TPrintForm1& print = *f.Transfer->PrintForm1;
    auto printTo = [&](const std::string& name) {
        dialogs.ExpectPrinter(QString::fromStdString(dir.File(name)));
        print.Button1->click();
        return PdfText(dir.File(name));
    };
    f.PrintButton->click();
    print.Choice->EditFrom->setValue(1);
    print.Choice->EditTo->setValue(2);
    std::string text = printTo("range.pdf");
    EXPECT_EQ("Range 1 to 2", PdfTitle(dir.File("range.pdf")));
    EXPECT_EQ(marks, text.find("---Record Number 2 begins---") != std::string::npos) << text;
    EXPECT_LT(text.find("page 1"), text.find("page 2"));

    f.PrintButton->click();
    print.Choice->RQuery->setChecked(true);
    print.Choice->SetSavedQueryText("q.jqr");
    text = printTo("query.pdf");
    EXPECT_EQ("Jotterbase Query", PdfTitle(dir.File("query.pdf")));
    EXPECT_NE(std::string::npos, text.find("Query: \"page\"")) << text;
    EXPECT_LT(text.find("page 2"), text.find("page 1")) << "the query's order";

    QTextCursor c = f.EditBox->textCursor();
    c.setPosition(0);
    c.setPosition(4, QTextCursor::KeepAnchor);
    f.EditBox->setTextCursor(c);
    f.PrintButton->click();
    print.Choice->rbSelectedText->setChecked(true);
    text = printTo("selection.pdf");
    EXPECT_EQ("Jotterbase printing...", PdfTitle(dir.File("selection.pdf")));
    EXPECT_EQ(marks, text.find("---Jotterbase Page Number 0 (selection)") != std::string::npos) << text;
    EXPECT_EQ(std::string::npos, text.find("page 0")) << "only the selection";
    EXPECT_NE(std::string::npos, text.find("page")) << text;
}

INSTANTIATE_TEST_SUITE_P(Separators, PrintChoicesTest, ::testing::Bool());

}  // namespace
}  // namespace jb::test
