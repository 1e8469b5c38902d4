// Searching in the main window: quick search and the search dialog opening a query, stepping
// through its pages and the occurrences of its terms, refine, Reject, saving the query, the
// recent searches, page/query/program links and the reminder query of start-up.

#include <QAction>
#include <QDate>
#include <QDateEdit>
#include <QCheckBox>
#include <QFileInfo>
#include <QShortcut>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <QToolBar>
#include <QToolButton>

#include "richtext/richtext.h"
#include "search/highlight_terms.h"
#include "search/list_form.h"
#include "search/search_form.h"
#include "store/word_index.h"
#include "workspace/main_form_fixture.h"

namespace jb::test {
namespace {

using workspace::TMainForm;

const QString kNoPages = "No pages were found that match the query";
const QString kBadPageLink =
    "The page link you have clicked on is incorrect: after file://page/ you must only type the page number";
const QString kPageLinkInQuery =
    "You cannot follow page links whilst in query mode: to follow this link simply click on the \"Close query\" "
    "button, then click the link again";
const QString kNoSuchPage = "that page does not appear to be in the database";

struct PageSpec {
    std::string text;
    double reminder = 0;
};

class SearchWindowTest : public MainFormTest {
protected:
    // Pages with their words in the index; page i has ID PageIdOf(i) and was created on 44000 + i.
    void WritePages(const std::vector<PageSpec>& pages) {
        IndexList index;
        LoadIndex(index, DataSet());
        for (std::size_t i = 0; i < pages.size(); ++i) {
            const int n = static_cast<int>(i);
            ASSERT_EQ(0u, store.WritePage(DataSet(), n, "", false, false, PageIdOf(n),
                                          richtext::RtfFromPlainText(pages[i].text), pages[i].reminder, 44000 + n));
            AddPageWords(index, DataSet(), PageIdOf(n), pages[i].text);
        }
        SaveIndex(index, DataSet());
    }

    void QuickSearch(const QString& text) {
        form->EditSearchTerm->setText(text);
        form->FindToolbarButton->click();
    }

    std::vector<std::string> Query(std::string text, std::vector<int> pages) {
        std::vector<std::string> lines{std::move(text)};
        for (int p : pages) lines.push_back(PageIdOf(p));
        return lines;
    }

    QString Selected() const { return form->EditBox->textCursor().selectedText(); }
    int SelectionStart() const { return form->EditBox->textCursor().selectionStart(); }
    QString Ticker() const { return QString::fromStdU16String(form->TickerState().Text()); }
    std::string RecentFile() const { return ReadFileBytes(dir.File("data.rsc")); }
};

TEST_F(SearchWindowTest, AQuickSearchOpensAQueryOnItsFirstPage) {
    WritePages({{"a dog here"}, {"the cat sat"}, {"no animals"}, {"cat and cat"}});
    TMainForm& f = Start();
    EXPECT_FALSE(f.QueryMode());
    EXPECT_TRUE(f.QueryMenu->menuAction()->isVisible() == false);
    QuickSearch("Cat");
    ASSERT_TRUE(f.QueryMode());
    EXPECT_TRUE(f.QueryMenu->menuAction()->isVisible());
    EXPECT_TRUE(f.ToolBarQuery->isVisible());
    EXPECT_EQ(Query("cat ", {1, 3}), f.QueryList);
    EXPECT_EQ(1, f.QueryPos);
    EXPECT_EQ("1", f.EditRecNum->text());
    EXPECT_EQ(1, f.ws.pageNumber);
    EXPECT_EQ("cat", Selected());
    EXPECT_EQ(4, SelectionStart());
    EXPECT_EQ(10, f.HighlightPos) << "one term: the next search starts 3 after the occurrence";
    EXPECT_TRUE(f.ButtonUp->isEnabled());
    EXPECT_FALSE(f.ButtonDown->isEnabled());
    EXPECT_EQ(" 2 pages in query", Ticker());
    EXPECT_EQ("", f.PanelText(4));
    EXPECT_EQ("cat\r\n", RecentFile());
    EXPECT_FALSE(f.SearchForm->isVisible());
    for (QAction* a : f.QueryMenu->actions()) EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();

    // A second search puts its text first; the older ones follow in order.
    QuickSearch("dog");
    EXPECT_EQ(Query("dog ", {0}), f.QueryList);
    EXPECT_FALSE(f.ButtonUp->isEnabled()) << "one page: both step buttons off";
    EXPECT_FALSE(f.ButtonDown->isEnabled());
    EXPECT_EQ(" 1 pages in query", Ticker());
    QuickSearch("dog");
    EXPECT_EQ("dog\r\ncat\r\ndog\r\n", RecentFile());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SearchWindowTest, AQuickSearchOfOneCharacterOrNothingFoundChangesNothing) {
    WritePages({{"the cat sat"}});
    TMainForm& f = Start();
    QuickSearch("c");
    EXPECT_FALSE(f.QueryMode());
    dialogs.Expect(kNoPages);
    QuickSearch("xyzzy");
    EXPECT_EQ("Jotterbase search", dialogs.shown.back().caption);
    EXPECT_EQ(ui::MessageIcon::kInformation, dialogs.shown.back().icon);
    EXPECT_FALSE(f.QueryMode());
    EXPECT_TRUE(f.QueryList.empty());
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(dir.File("data.rsc"))));
}

TEST_F(SearchWindowTest, FindNextSkipsAnOccurrenceRightAfterTheLastAndMovesOn) {
    WritePages({{"cat cat"}, {"one cat"}});
    TMainForm& f = Start();
    QuickSearch("cat");
    ASSERT_EQ(Query("cat ", {0, 1}), f.QueryList);
    EXPECT_EQ(0, SelectionStart());
    EXPECT_EQ("cat", Selected());
    f.FindNextButton->click();  // the second "cat" starts before position 6: skipped
    EXPECT_EQ("1", f.EditRecNum->text());
    EXPECT_EQ(2, f.QueryPos);
    EXPECT_EQ("cat", Selected());
    EXPECT_EQ(4, SelectionStart());
    EXPECT_EQ(0, f.HighlightPos);
    f.FindNext1->trigger();  // the same occurrence again
    EXPECT_EQ(4, SelectionStart());
    EXPECT_EQ("cat", Selected());
    f.FindNextButton->click();  // last page, nothing more: nothing changes
    EXPECT_EQ("1", f.EditRecNum->text());
    EXPECT_EQ(2, f.QueryPos);
}

// Find previous on the last page of a query, reached by Find next: the page shows its first
// occurrence, and the next search starts at the top of the page, so nothing lies before it there;
// the previous occurrence is the last one of the page before.
TEST_F(SearchWindowTest, FindPreviousOnTheLastPageGoesBackFromItsFirstOccurrence) {
    WritePages({{"cat zero cat"}, {"one cat two cat"}});
    TMainForm& f = Start();
    QuickSearch("cat");
    f.FindNextButton->click();
    EXPECT_EQ(9, SelectionStart());
    f.FindNextButton->click();  // onto the last page
    ASSERT_EQ(2, f.QueryPos);
    EXPECT_EQ(4, SelectionStart());
    EXPECT_EQ(0, f.HighlightPos);
    f.FindPreviousButton->click();
    EXPECT_EQ(1, f.QueryPos);
    EXPECT_EQ(12, f.HighlightPos) << "the following search starts at the end of the page";
    f.FindPreviousButton->click();
    EXPECT_EQ(1, f.QueryPos);
    EXPECT_EQ("cat", Selected());
    EXPECT_EQ(9, SelectionStart());

    // Turning from Find next to Find previous, the search backwards starts just past the
    // occurrence selected last: it is selected again, then the one before it.
    f.ButtonUp->click();
    EXPECT_EQ(4, SelectionStart());
    f.FindNextButton->click();
    EXPECT_EQ(12, SelectionStart());
    f.FindPreviousButton->click();
    EXPECT_EQ(12, SelectionStart());
    f.FindPreviousButton->click();
    EXPECT_EQ(2, f.QueryPos);
    EXPECT_EQ(4, SelectionStart());
}

TEST_F(SearchWindowTest, TheEarliestOfSeveralTermsIsHighlightedFirst) {
    WritePages({{"dog cat"}});
    TMainForm& f = Start();
    QuickSearch("cat dog");
    ASSERT_TRUE(f.QueryMode());
    EXPECT_EQ("dog", Selected());
    EXPECT_EQ(0, SelectionStart());
    EXPECT_EQ(4, f.HighlightPos) << "several terms: one after the occurrence";
    f.FindNextButton->click();
    EXPECT_EQ("cat", Selected());
    EXPECT_EQ(4, SelectionStart());
    f.FindPreviousButton->click();
    EXPECT_EQ("cat", Selected()) << "backwards from 8: the latest occurrence is cat again";
    f.FindPreviousButton->click();
    EXPECT_EQ("dog", Selected());
}

TEST_F(SearchWindowTest, StepButtonsFollowTheQueryNotThePageNumbers) {
    WritePages({{"cat zero"}, {"one"}, {"two"}, {"three"}, {"four"}, {"cat five"}});
    TMainForm& f = Start();
    QuickSearch("cat sort=date");
    ASSERT_EQ(Query("cat  ", {5, 0}), f.QueryList) << "the sort keyword leaves its space";
    EXPECT_EQ("5", f.EditRecNum->text());
    EXPECT_TRUE(f.ButtonUp->isEnabled());
    EXPECT_FALSE(f.ButtonDown->isEnabled());
    struct Step {
        QToolButton* button;
        const char* page;
        int queryPos;
        bool up, down;
    };
    const Step steps[] = {{f.ButtonUp, "0", 2, false, true},
                          {f.ButtonUp, "0", 2, false, true},
                          {f.ButtonDown, "5", 1, true, false},
                          {f.ButtonDown, "5", 1, true, false}};
    for (const Step& s : steps) {
        emit s.button->clicked(false);
        EXPECT_EQ(s.page, f.EditRecNum->text()) << s.page;
        EXPECT_EQ(s.queryPos, f.QueryPos);
        EXPECT_EQ(s.up, f.ButtonUp->isEnabled()) << s.page;
        EXPECT_EQ(s.down, f.ButtonDown->isEnabled()) << s.page;
        EXPECT_EQ("cat", Selected()) << "each page shows its first occurrence";
    }
}

TEST_F(SearchWindowTest, ADateQueryStepsPagesWithoutSelectingText) {
    WritePages({{"alpha"}, {"beta"}, {"gamma"}, {"delta"}});
    TMainForm& f = Start();
    QuickSearch("date>=" + f.ShortDate(44002));
    ASSERT_TRUE(f.QueryMode());
    EXPECT_TRUE(f.NoHighlight);
    EXPECT_EQ("2", f.EditRecNum->text());
    EXPECT_EQ("", Selected());
    f.FindNextButton->click();
    EXPECT_EQ("3", f.EditRecNum->text());
    EXPECT_EQ("", Selected());
    f.FindPreviousButton->click();
    EXPECT_EQ("2", f.EditRecNum->text());
    EXPECT_FALSE(f.DoHighlight("gamma"));
    EXPECT_EQ("", Selected());

    f.CloseQueryButton->click();
    EXPECT_FALSE(f.QueryMode());
    EXPECT_FALSE(f.NoHighlight);
    EXPECT_TRUE(f.QueryList.empty());
    EXPECT_EQ(" ... Query Closed ...", Ticker());
    EXPECT_TRUE(f.ButtonUp->isEnabled());
    EXPECT_TRUE(f.ButtonDown->isEnabled());
    EXPECT_EQ("2", f.EditRecNum->text()) << "the page on show stays";
}

TEST_F(SearchWindowTest, TheSearchDialogSearchesAndRefines) {
    WritePages({{"cat only"}, {"cat and dog"}, {"dog only"}, {"dog with cat"}});
    WriteFileBytes(dir.File("data.rsc"), "zebra\r\napple\r\n");
    TMainForm& f = Start();
    f.FindButton->click();
    search::TSearchForm& s = *f.SearchForm;
    ASSERT_TRUE(s.isVisible());
    EXPECT_EQ("Quorvane Search", s.windowTitle());
    EXPECT_FALSE(s.isModal());
    EXPECT_EQ("Search for", s.Label1->text());
    EXPECT_EQ((QStringList{"apple", "zebra"}), s.Items()) << "the recent searches, sorted";
    EXPECT_EQ(QDate(2023, 3, 8), s.AfterDate->date());
    EXPECT_EQ(QDate(2023, 3, 22), s.BeforeDate->date());
    EXPECT_FALSE(s.AfterDateTick->isChecked());
    EXPECT_EQ(0, s.SortComboBox->currentIndex());
    EXPECT_EQ(0, s.DateComboBox->currentIndex());
    EXPECT_TRUE(f.SearchMessages);

    s.SearchTerm->setEditText("cat");
    s.Button1->click();
    ASSERT_EQ(Query("cat ", {0, 1, 3}), f.QueryList);
    EXPECT_FALSE(s.isVisible());
    EXPECT_EQ("cat\r\napple\r\nzebra\r\n", RecentFile());

    f.RefineButton->click();
    ASSERT_TRUE(s.isVisible());
    EXPECT_EQ("Refine to", s.Label1->text());
    s.SearchTerm->setEditText("dog");
    s.Button1->click();
    EXPECT_EQ(Query("cat +dog ", {1, 3}), f.QueryList);
    EXPECT_EQ("1", f.EditRecNum->text());
    EXPECT_EQ("dog", Selected()) << "the text as typed is highlighted";

    f.FindButton->click();
    EXPECT_EQ("Search for", s.Label1->text()) << "Adv. Find ends refining";
    s.Button2->click();
    EXPECT_FALSE(s.isVisible());
    EXPECT_EQ(Query("cat +dog ", {1, 3}), f.QueryList) << "Cancel leaves the query";
}

TEST_F(SearchWindowTest, TheSearchDialogHelpIsContext30) {
    WritePages({{"cat"}});
    TMainForm& f = Start();
    f.FindButton->click();
    QShortcut* help = f.SearchForm->findChild<QShortcut*>();
    ASSERT_NE(nullptr, help);
    EXPECT_EQ(QKeySequence(Qt::Key_F1), help->key());
    emit help->activated();
    ASSERT_FALSE(desktop.calls.empty());
    EXPECT_EQ(QString("help %1 30").arg(f.HelpFile()), desktop.calls.back());
}

TEST_F(SearchWindowTest, RejectShowsTheNeighbourOrClosesTheQuery) {
    WritePages({{"cat one"}, {"cat two"}, {"cat three"}, {"dog"}});
    TMainForm& f = Start();
    QuickSearch("cat");
    f.ButtonUp->click();
    f.ButtonUp->click();
    ASSERT_EQ(3, f.QueryPos);
    f.RejectButton->click();
    EXPECT_EQ(Query("cat ", {0, 1}), f.QueryList);
    EXPECT_EQ(2, f.QueryPos);
    EXPECT_EQ("1", f.EditRecNum->text());
    EXPECT_EQ("cat two", EditorText());
    EXPECT_EQ(" 2 pages in query", f.PanelText(4));
    EXPECT_FALSE(f.ButtonUp->isEnabled());
    EXPECT_TRUE(f.ButtonDown->isEnabled());
    EXPECT_EQ(4, PageCount()) << "the page itself stays";

    QuickSearch("dog");
    ASSERT_EQ(Query("dog ", {3}), f.QueryList);
    f.RejectCurrentpage1->trigger();
    EXPECT_FALSE(f.QueryMode());
    EXPECT_TRUE(f.QueryList.empty());
    EXPECT_EQ(" ... Query Closed ...", Ticker());
}

TEST_F(SearchWindowTest, SavingAQueryWritesItsLines) {
    WritePages({{"cat and dog"}, {"cat"}, {"dog cat"}});
    TMainForm& f = Start();
    QuickSearch("Cat AND Dog");
    ASSERT_TRUE(f.QueryMode());
    dialogs.ExpectSaveFile(QString::fromStdString(dir.File("mine")));
    f.SaveQueryButton->click();
    ASSERT_EQ(1u, dialogs.saveRequests.size());
    EXPECT_EQ("Save query to file:", dialogs.saveRequests[0].caption);
    EXPECT_EQ(QString::fromStdString(dir.Path()), dialogs.saveRequests[0].folder);
    EXPECT_EQ("jqr", dialogs.saveRequests[0].defaultSuffix);
    EXPECT_EQ("cat +dog \r\n" + PageIdOf(0) + "\r\n" + PageIdOf(2) + "\r\n", ReadFileBytes(dir.File("mine.jqr")));

    dialogs.ExpectSaveFile(QString());  // Cancel writes nothing
    f.SaveQuery1->trigger();
    dialogs.ExpectSaveFile(QString::fromStdString(dir.File("no/such/folder/q.jqr")));
    dialogs.Expect(QString("Cannot create file %1").arg(QString::fromStdString(dir.File("no/such/folder/q.jqr"))));
    f.SaveQueryButton->click();
    EXPECT_TRUE(f.QueryMode()) << "the query stays open";
}

TEST_F(SearchWindowTest, TheRecentSearchesListFillsTheQuickSearchBox) {
    WritePages({{"cat"}});
    WriteFileBytes(dir.File("data.rsc"), "zebra\r\napple\r\n");
    TMainForm& f = Start();
    f.ToolbarButton972->click();
    search::TListForm& l = *f.ListForm;
    ASSERT_TRUE(l.isVisible());
    EXPECT_EQ("Quorvane Recent Searches", l.windowTitle());
    ASSERT_EQ(2, l.List->count());
    EXPECT_EQ("zebra", l.List->item(0)->text()) << "the file's order";
    emit l.List->itemClicked(l.List->item(1));
    EXPECT_EQ("apple", f.EditSearchTerm->text());
    EXPECT_FALSE(l.isVisible());
    EXPECT_FALSE(f.QueryMode()) << "choosing does not search";
}

TEST_F(SearchWindowTest, PageLinks) {
    WritePages({{"cat zero"}, {"one"}, {"cat two"}});
    TMainForm& f = Start();
    const struct {
        const char* link;
        bool inQuery;
        const char* message;  // null: none
        const char* page;
    } rows[] = {
        {"file://page/2", false, nullptr, "2"},
        {"file://page/0", false, nullptr, "0"},
        {"file://page/12a", false, "bad", "0"},
        {"file://page/3", false, "none", "0"},
        {"see:file://page/1", false, "bad", "0"},
        {"file://page/1", true, "query", "0"},
        {"file://page/1x", true, "bad", "0"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.link);
        if (r.inQuery && !f.QueryMode()) QuickSearch("cat");
        const QString message = r.message == nullptr               ? QString()
                                : std::string(r.message) == "bad"  ? kBadPageLink
                                : std::string(r.message) == "none" ? kNoSuchPage
                                                                   : kPageLinkInQuery;
        if (!message.isNull()) dialogs.Expect(message);
        f.EditBoxURLClick(r.link);
        EXPECT_EQ(r.page, f.EditRecNum->text());
        if (!message.isNull()) {
            EXPECT_EQ(message == kNoSuchPage ? ui::MessageIcon::kError : ui::MessageIcon::kInformation,
                      dialogs.shown.back().icon);
        }
    }
    EXPECT_TRUE(desktop.calls.empty());
}

TEST_F(SearchWindowTest, ClickingIntoTheTermBoxSelectsItsText) {
    WritePages({{"cat"}});
    TMainForm& f = Start();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    QLineEdit* box = f.EditSearchTerm;
    QTest::mouseClick(box, Qt::LeftButton);  // empty: nothing to select
    EXPECT_EQ("", box->selectedText());
    box->setText("cat and dog");
    f.EditBox->setFocus();
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));  // the click that enters it
    EXPECT_EQ("cat and dog", box->selectedText());
    box->deselect();
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() / 2, box->height() / 2));  // once in it
    EXPECT_EQ("cat and dog", box->selectedText());
}

TEST_F(SearchWindowTest, QueryProgramAndOtherLinks) {
    WritePages({{"cat and dog"}, {"cat"}, {"dog"}});
    TMainForm& f = Start();
    f.EditBoxURLClick("file://query/x");
    EXPECT_FALSE(f.QueryMode());
    f.EditBoxURLClick("file://query/cat+dog");
    ASSERT_TRUE(f.QueryMode());
    EXPECT_EQ(Query("cat+dog ", {0}), f.QueryList);

    f.EditBoxURLClick("file://notepad.exe");
    f.EditBoxURLClick("file://viewer --page \"my notes.txt\" -q");
    f.EditBoxURLClick("FILE://PAGE/3");
    f.EditBoxURLClick("http://example.com/a?b=c");
    EXPECT_EQ((std::vector<QString>{"program notepad.exe", "program viewer|--page|my notes.txt|-q",
                                     "url FILE://PAGE/3", "url http://example.com/a?b=c"}),
              desktop.calls);
}

TEST_F(SearchWindowTest, ALinkThatNothingCanOpenSaysSo) {
    WritePages({{"cat"}});
    TMainForm& f = Start();
    desktop.browserStarts = false;
    desktop.programsStart = false;
    dialogs.Expect("No web browser could be started to open http://example.com/x. Copy the address into a "
                   "browser instead.");
    f.EditBoxURLClick("http://example.com/x");
    EXPECT_EQ(ui::MessageIcon::kError, dialogs.shown.back().icon);
    dialogs.Expect("The program viewer could not be started.");
    f.EditBoxURLClick("file://viewer notes.txt");
    EXPECT_TRUE(dialogs.Done());
}

TEST_F(SearchWindowTest, AQueryLinkOffersToSaveAModifiedPage) {
    WritePages({{"cat"}, {"dog"}});
    WriteSettings("[Remind]\r\nOnNoDateAlready=2\r\n");
    TMainForm& f = Start();
    Type("fat ");
    dialogs.Expect("You have not saved the changes (updated) the current page. Do you wish to do so now?",
                   ui::kButtonYes);
    f.EditBoxURLClick("file://query/dog");
    EXPECT_EQ(ui::kUnsavedCaption, dialogs.shown.back().caption);
    EXPECT_EQ("fat cat", StoredText(0));
    EXPECT_EQ(Query("dog ", {1}), f.QueryList);
}

TEST_F(SearchWindowTest, StartUpShowsTheFirstDueReminderQuietly) {
    WritePages({{"no reminder"}, {"due yesterday", kToday - 1 + 0.25}, {"due later", kToday + 5},
                {"due long ago", kToday - 30}});
    TMainForm& f = Start();
    ASSERT_TRUE(f.QueryMode());
    EXPECT_EQ((std::vector<std::string>{PageIdOf(1), PageIdOf(3)}), std::vector<std::string>(f.QueryList.begin() + 1, f.QueryList.end()));
    EXPECT_EQ("1", f.EditRecNum->text());
    EXPECT_EQ("due yesterday", EditorText());
    EXPECT_TRUE(f.NoHighlight);
    EXPECT_EQ("", f.EditSearchTerm->text());
    EXPECT_TRUE(f.SearchMessages);
    EXPECT_EQ(" ... REMINDER! Today's Pages to note are: 1, and 3 ...", Ticker())
        << "the reminder banner, no page count for the quiet query";
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SearchWindowTest, StartUpWithoutDueRemindersSaysNothing) {
    WritePages({{"no reminder"}, {"due later", kToday + 5}});
    TMainForm& f = Start();
    EXPECT_FALSE(f.QueryMode());
    EXPECT_TRUE(f.SearchMessages);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SearchWindowTest, FindOnTheCommandLineOpensTheSearchDialog) {
    WritePages({{"cat"}});
    TMainForm& f = Start({"/find"});
    EXPECT_TRUE(f.SearchForm->isVisible());
    EXPECT_FALSE(f.QueryMode());
}

TEST(HighlightTerms, SplitsAndStripsTheQueryText) {
    const struct {
        const char* text;
        QStringList terms;
        bool single;
    } rows[] = {
        {"cat ", {"cat"}, true},
        {"john's house", {"john", "house"}, false},
        {"cat +dog -\"big cat\" ", {"cat", "dog", "big cat"}, false},
        {"comp* ", {"comp"}, true},
        {"c*m*p ", {"cm*p"}, true},
        {"a*b c*d", {"ab", "cd"}, false},
        {"cat,dog?bird!fish", {"cat", "dog", "bird", "fish"}, false},
        {"don't stop", {}, false},
        {"", {}, false},
    };
    for (const auto& r : rows) {
        bool single = false;
        EXPECT_EQ(r.terms, search::HighlightTerms(r.text, &single)) << r.text;
        EXPECT_EQ(r.single, single) << r.text;
    }
}

TEST(HighlightTerms, PositionArithmetic) {
    using search::HighlightHit;
    const QString text = "Cat dog cat";
    EXPECT_EQ((HighlightHit{0, 3, 6}), search::HighlightForward(text, {"cat"}, true, 0));
    EXPECT_EQ((HighlightHit{8, 3, 14}), search::HighlightForward(text, {"cat"}, true, 6));
    EXPECT_EQ(std::nullopt, search::HighlightForward(text, {"cat"}, true, 9));
    EXPECT_EQ(std::nullopt, search::HighlightForward(text, {"cat"}, true, 14));
    EXPECT_EQ((HighlightHit{8, 3, 4}), search::HighlightBackward(text, {"cat"}, true, 40)) << "from beyond the end";
    EXPECT_EQ((HighlightHit{4, 3, 8}), search::HighlightForward(text, {"cat", "dog"}, false, 1));
    EXPECT_EQ((HighlightHit{8, 3, 4}), search::HighlightBackward(text, {"cat"}, true, 11));
    EXPECT_EQ((HighlightHit{4, 3, 3}), search::HighlightBackward(text, {"cat", "dog"}, false, 7));
    EXPECT_EQ(std::nullopt, search::HighlightBackward(text, {"cat"}, true, -1));
    // Equal positions: the last term in order gives the length.
    EXPECT_EQ((HighlightHit{0, 3, 4}), search::HighlightForward("catalog", {"catalog", "cat"}, false, 0));
    EXPECT_EQ((HighlightHit{0, 7, 8}), search::HighlightForward("catalog", {"cat", "catalog"}, false, 0));
    EXPECT_EQ((HighlightHit{0, 7, -1}), search::HighlightBackward("catalog", {"cat", "catalog"}, false, 5));
}

}  // namespace
}  // namespace jb::test
