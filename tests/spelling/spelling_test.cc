// Spelling: the Hunspell engine with the system's dictionaries, the words it looks at, the check
// of a page (the run, its dialog and the window's command), the add-dictionary dialog and the
// underlining as the user types.

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <QToolButton>
#include <chrono>
#include <iostream>

#include "editor/rtf_bridge.h"
#include "settings/options_form.h"
#include "spelling/add_dictionary_form.h"
#include "spelling/hunspell_engine.h"
#include "spelling/spell_check_form.h"
#include "spelling/spell_check_run.h"
#include "spelling/spell_highlighter.h"
#include "spelling/spell_words.h"
#include "spelling/spelling_commands.h"
#include "store/file_system.h"
#include "workspace/main_form_fixture.h"

namespace jb::test {
namespace {

using spelling::HunspellEngine;
using workspace::TMainForm;
using spelling::SpellCheckRun;
using spelling::TSpellCheckForm;

const std::string kGb = "/usr/share/hunspell/en_GB.aff,/usr/share/hunspell/en_GB.dic";
const std::string kUs = "/usr/share/hunspell/en_US.aff,/usr/share/hunspell/en_US.dic";

// An engine over the given main lexicon list, with its user lexicons in `folder`.
void UseLexicons(HunspellEngine& engine, const std::string& folder, const std::string& mainFiles) {
    engine.SetMainLexPath(folder);
    engine.SetUserLexPath(folder);
    engine.SetMainLexFiles(mainFiles);
    engine.SetUserLexFiles(std::string(kUserLexiconFiles));
}

// --- The engine ---

TEST(HunspellEngineTest, JudgesWordsByTheChosenDictionary) {
    EnsureApplication();
    TempDir dir;
    struct Case {
        std::string lexicons;
        QString word;
        bool correct;
    };
    const Case cases[] = {
        {kGb, "colour", true},       {kGb, "receive", true},  {kGb, "recieve", false},
        {kGb, "Colour", true},       {kGb, "don't", true},    {kGb, QString::fromUtf8("don\u2019t"), true},
        {kGb, "qwzxv", false},       {kUs, "color", true},    {kUs, "recieve", false},
        {kUs, "receive", true},      {"en_GB.aff,en_GB.dic", "colour", true},  // names in the main folder
        {"/usr/share/hunspell/en_GB.dic,/usr/share/hunspell/en_GB.aff", "recieve", false},  // either order
    };
    for (const Case& c : cases) {
        HunspellEngine engine;
        UseLexicons(engine, dir.Path(), c.lexicons);
        if (c.lexicons.find('/') == std::string::npos) engine.SetMainLexPath("/usr/share/hunspell/");
        EXPECT_TRUE(engine.Loaded()) << c.lexicons;
        EXPECT_EQ(c.correct, engine.Correct(c.word)) << c.lexicons << " " << c.word.toStdString();
    }
}

TEST(HunspellEngineTest, SuggestsTheRightSpelling) {
    EnsureApplication();
    TempDir dir;
    struct Case {
        QString word;
        QString expected;
    };
    const Case cases[] = {{"recieve", "receive"}, {"seperate", "separate"}, {"definately", "definitely"},
                          {"accomodation", "accommodation"}};
    HunspellEngine engine;
    UseLexicons(engine, dir.Path(), kGb);
    for (const Case& c : cases) {
        EXPECT_TRUE(engine.Suggest(c.word).contains(c.expected)) << c.word.toStdString() << ": "
                                                                 << engine.Suggest(c.word).join(',').toStdString();
    }
}

TEST(HunspellEngineTest, LoadsAgainWhenTheListChanges) {
    EnsureApplication();
    TempDir dir;
    HunspellEngine engine;
    UseLexicons(engine, dir.Path(), kGb);
    EXPECT_TRUE(engine.Correct("colour"));
    const auto before = engine.Generation();
    engine.SetMainLexFiles(kUs);
    EXPECT_TRUE(engine.Correct("color"));
    EXPECT_NE(before, engine.Generation());
    EXPECT_TRUE(engine.LoadError().isEmpty());
}

TEST(HunspellEngineTest, AddedWordsAreAcceptedAndKeptInTheIgnoreList) {
    EnsureApplication();
    TempDir dir;
    {
        HunspellEngine engine;
        UseLexicons(engine, dir.Path(), kGb);
        ASSERT_FALSE(engine.Correct("Jotterbase"));
        ASSERT_FALSE(engine.Correct("frobnicator"));
        EXPECT_TRUE(engine.Add("Jotterbase"));
        EXPECT_TRUE(engine.Add("frobnicator"));
        EXPECT_TRUE(engine.Correct("Jotterbase"));
        EXPECT_TRUE(engine.Correct("frobnicator"));
        EXPECT_EQ(dir.File("Uignore.tlx"), engine.IgnoreListPath().toStdString());
    }
    EXPECT_EQ("Jotterbase\nfrobnicator\n", ReadFileBytes(dir.File("Uignore.tlx")));
    // A later session reads the list; a capitalised word at a sentence's start counts too.
    HunspellEngine later;
    UseLexicons(later, dir.Path(), kGb);
    struct Case {
        QString word;
        bool correct;
    };
    for (const Case& c : {Case{"Jotterbase", true}, Case{"frobnicator", true}, Case{"Frobnicator", true},
                          Case{"jotterbase", false}, Case{"frobnicatr", false}}) {
        EXPECT_EQ(c.correct, later.Correct(c.word)) << c.word.toStdString();
    }
}

TEST(HunspellEngineTest, IgnoreListWithoutFinalLineEndGetsOne) {
    EnsureApplication();
    TempDir dir;
    WriteFileBytes(dir.File("Uignore.tlx"), "zorblat");
    HunspellEngine engine;
    UseLexicons(engine, dir.Path(), kGb);
    EXPECT_TRUE(engine.Correct("zorblat"));
    EXPECT_TRUE(engine.Add("quixplod"));
    EXPECT_EQ("zorblat\nquixplod\n", ReadFileBytes(dir.File("Uignore.tlx")));
}

TEST(HunspellEngineTest, CorrectionListsComeFirst) {
    EnsureApplication();
    TempDir dir;
    WriteFileBytes(dir.File("autocorr.tlx"), "recieve=receive\r\ncolour=color\r\n");
    WriteFileBytes(dir.File("Condcorr.tlx"), "teh=ten\nrecieve=relieve\n");
    HunspellEngine engine;
    UseLexicons(engine, dir.Path(), kGb);
    struct Case {
        QString word;
        bool correct;
        QString first;
        QString second;
    };
    const Case cases[] = {
        {"recieve", false, "receive", "relieve"},  // automatic, then conditional
        {"colour", false, "color", ""},            // an automatic correction's wrong word is wrong
        {"teh", false, "ten", ""},                 // the conditional one, before the dictionary's
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.correct, engine.Correct(c.word)) << c.word.toStdString();
        const QStringList s = engine.Suggest(c.word);
        ASSERT_FALSE(s.isEmpty());
        EXPECT_EQ(c.first, s[0]) << c.word.toStdString();
        if (!c.second.isEmpty()) {
            ASSERT_GE(s.size(), 2);
            EXPECT_EQ(c.second, s[1]);
        }
        EXPECT_EQ(1, s.count(c.first)) << "offered once";
    }
}

TEST(HunspellEngineTest, MissingDictionaryAcceptsEveryWordAndSaysWhy) {
    EnsureApplication();
    TempDir dir;
    WriteFileBytes(dir.File("broken.aff"), "");
    struct Case {
        std::string lexicons;
        QString error;
    };
    const Case cases[] = {
        {"missing.aff,missing.dic",
         "The spelling dictionary could not be loaded: " + QString::fromStdString(dir.File("missing.aff")) +
             " cannot be read."},
        {"broken.aff," + dir.File("none.dic"),
         "The spelling dictionary could not be loaded: " + QString::fromStdString(dir.File("none.dic")) +
             " cannot be read."},
        {"", "No spelling dictionary has been chosen."},
        {"only.aff", "The spelling dictionary only.aff does not name both a .aff and a .dic file."},
    };
    for (const Case& c : cases) {
        HunspellEngine engine;
        UseLexicons(engine, dir.Path(), c.lexicons);
        EXPECT_FALSE(engine.Loaded()) << c.lexicons;
        EXPECT_EQ(c.error, engine.LoadError());
        EXPECT_TRUE(engine.Correct("qwzxv"));
        EXPECT_TRUE(engine.Suggest("recieve").isEmpty());
    }
}

TEST(HunspellEngineTest, ReadsAndWritesTheDictionarysCharacterSet) {
    EnsureApplication();
    TempDir dir;
    WriteFileBytes(dir.File("fr.aff"), "SET ISO8859-1\nTRY aeiouc\xe9\xef\n");
    WriteFileBytes(dir.File("fr.dic"), "3\ncaf\xe9\nna\xefve\nplage\n");  // Latin-1 bytes
    HunspellEngine engine;
    UseLexicons(engine, dir.Path(), "fr.aff,fr.dic");
    struct Case {
        QString word;
        bool correct;
    };
    for (const Case& c : {Case{QString::fromUtf8("caf\u00e9"), true}, Case{QString::fromUtf8("na\u00efve"), true},
                          Case{"cafe", false}, Case{"plage", true}, Case{QString::fromUtf8("\u4e2d\u6587"), true}}) {
        EXPECT_EQ(c.correct, engine.Correct(c.word)) << c.word.toStdString();
    }
    EXPECT_TRUE(engine.Suggest("cafe").contains(QString::fromUtf8("caf\u00e9")))
        << engine.Suggest("cafe").join(',').toStdString();
}

// --- The words looked at ---

TEST(CheckedWordsTest, SplitsTextIntoCheckedWords) {
    struct Case {
        QString text;
        QStringList words;
    };
    const Case cases[] = {
        {"Hello world", {"Hello", "world"}},
        {"  one,two;three.  ", {"one", "two", "three"}},
        {"abc123 x2 test 42", {"test"}},
        {"don't stop 'quoted' rock'n'roll", {"don't", "stop", "quoted", "rock'n'roll"}},
        {"see http://www.exmple.com/pth now", {"see", "now"}},
        {"mail me@exmaple.org or www.sitte.org today", {"mail", "or", "today"}},
        {QString::fromUtf8("na\u00efve caf\u00e9"), {QString::fromUtf8("na\u00efve"), QString::fromUtf8("caf\u00e9")}},
        {"", {}},
    };
    for (const Case& c : cases) {
        QStringList got;
        for (const spelling::WordSpan& w : spelling::CheckedWords(c.text)) got << c.text.mid(w.start, w.length);
        EXPECT_EQ(c.words, got) << c.text.toStdString();
    }
}

// --- The check run over a document ---

// A document "I recieve the parcel" with "recieve" bold, and so on: runs of (text, bold, italic).
struct Run {
    QString text;
    bool bold = false;
    bool italic = false;
};

void Fill(QTextDocument& doc, const std::vector<Run>& runs) {
    QTextCursor cursor(&doc);
    for (const Run& r : runs) {
        QTextCharFormat f;
        f.setFontWeight(r.bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(r.italic);
        cursor.insertText(r.text, f);
    }
}

// The format of the first character of `word` in the document.
QTextCharFormat FormatOf(const QTextDocument& doc, const QString& word) {
    const QTextCursor found = doc.find(word);
    EXPECT_FALSE(found.isNull()) << word.toStdString();
    QTextCursor at(const_cast<QTextDocument*>(&doc));
    at.setPosition(found.selectionStart() + 1);
    return at.charFormat();
}

enum class Decision { kChange, kChangeAll, kIgnore, kIgnoreAll, kAdd };
struct Step {
    QString expectedWord;
    Decision decision;
    QString replacement = {};
};

class SpellCheckRunTest : public ::testing::Test {
protected:
    SpellCheckRunTest() {
        EnsureApplication();
        UseLexicons(engine, dir.Path(), kGb);
    }
    TempDir dir;
    HunspellEngine engine;
};

TEST_F(SpellCheckRunTest, AppliesEachDecision) {
    struct Case {
        const char* name;
        QString text;
        std::vector<Step> steps;
        QString result;
        bool changed;
    };
    const Case cases[] = {
        {"change", "I recieve it", {{"recieve", Decision::kChange, "receive"}}, "I receive it", true},
        {"change each", "teh cat and teh dog",
         {{"teh", Decision::kChange, "the"}, {"teh", Decision::kChange, "ten"}}, "the cat and ten dog", true},
        {"change all", "teh cat, teh dog, teh end",
         {{"teh", Decision::kChangeAll, "the"}}, "the cat, the dog, the end", true},
        {"ignore once", "teh cat and teh dog",
         {{"teh", Decision::kIgnore}, {"teh", Decision::kChange, "the"}}, "teh cat and the dog", true},
        {"ignore all", "teh cat and teh dog seperate",
         {{"teh", Decision::kIgnoreAll}, {"seperate", Decision::kIgnore}}, "teh cat and teh dog seperate", false},
        {"add", "Zorblat met zorblat. Zorblat left",
         {{"Zorblat", Decision::kAdd}, {"zorblat", Decision::kIgnore}}, "Zorblat met zorblat. Zorblat left", false},
        {"digits skipped", "abc123 x9y recieve", {{"recieve", Decision::kChange, "receive"}}, "abc123 x9y receive",
         true},
        {"same word", "recieve", {{"recieve", Decision::kChange, "recieve"}}, "recieve", false},
        {"longer and shorter", "accomodation thier end",
         {{"accomodation", Decision::kChange, "accommodation"}, {"thier", Decision::kChange, "their"}},
         "accommodation their end", true},
        {"second paragraph", "fine words\nand recieve here",
         {{"recieve", Decision::kChangeAll, "receive"}}, "fine words\nand receive here", true},
        {"nothing wrong", "All of these words are fine.", {}, "All of these words are fine.", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument doc;
        doc.setPlainText(c.text);
        SpellCheckRun run(doc, engine);
        bool more = run.Next();
        for (const Step& s : c.steps) {
            ASSERT_TRUE(more);
            EXPECT_EQ(s.expectedWord, run.Word());
            EXPECT_EQ(s.expectedWord, doc.toPlainText().mid(run.Position(), s.expectedWord.size()));
            switch (s.decision) {
                case Decision::kChange: more = run.Change(s.replacement); break;
                case Decision::kChangeAll: more = run.ChangeAll(s.replacement); break;
                case Decision::kIgnore: more = run.Ignore(); break;
                case Decision::kIgnoreAll: more = run.IgnoreAll(); break;
                case Decision::kAdd: more = run.Add(); break;
            }
        }
        EXPECT_FALSE(more) << "left at " << run.Word().toStdString();
        EXPECT_TRUE(run.Finished());
        EXPECT_EQ(c.result, doc.toPlainText());
        EXPECT_EQ(c.changed, run.Changed());
    }
    EXPECT_EQ("Zorblat\n", ReadFileBytes(dir.File("Uignore.tlx")));
}

TEST_F(SpellCheckRunTest, ChangesKeepTheWordsFormatting) {
    QTextDocument doc;
    Fill(doc, {{"I "}, {"recieve", true}, {" the "}, {"parsel", false, true}, {" and "}, {"teh", true, true},
               {" letter, "}, {"teh", false, false}, {" end"}});
    SpellCheckRun run(doc, engine);
    ASSERT_TRUE(run.Next());
    ASSERT_TRUE(run.Change("receive"));
    ASSERT_EQ("parsel", run.Word());
    ASSERT_TRUE(run.Change("parcel"));
    ASSERT_EQ("teh", run.Word());
    EXPECT_FALSE(run.ChangeAll("the"));
    EXPECT_EQ("I receive the parcel and the letter, the end", doc.toPlainText());
    struct Case {
        QString word;
        bool bold;
        bool italic;
    };
    for (const Case& c : {Case{"receive", true, false}, Case{"parcel", false, true}, Case{"the letter", true, true},
                          Case{"the end", false, false}, Case{"I ", false, false}}) {
        const QTextCharFormat f = FormatOf(doc, c.word);
        EXPECT_EQ(c.bold, f.fontWeight() == QFont::Bold) << c.word.toStdString();
        EXPECT_EQ(c.italic, f.fontItalic()) << c.word.toStdString();
    }
}

TEST_F(SpellCheckRunTest, ShowsTheWordInItsSentence) {
    QTextDocument doc;
    doc.setPlainText("First one is fine. This has recieve in it. Last one.");
    SpellCheckRun run(doc, engine);
    ASSERT_TRUE(run.Next());
    const spelling::WordInSentence at = run.Sentence();
    EXPECT_EQ("This has recieve in it. ", at.sentence);
    EXPECT_EQ(9, at.wordStart);
    EXPECT_EQ(7, at.wordLength);
    EXPECT_TRUE(run.Suggestions().contains("receive"));
}

TEST_F(SpellCheckRunTest, DialogDrivesTheRun) {
    QTextDocument doc;
    doc.setPlainText("I recieve teh parsel and teh zorblat thier");
    SpellCheckRun run(doc, engine);
    ASSERT_TRUE(run.Next());
    ScriptedDialogs dialogs;
    TSpellCheckForm form(run, dialogs);
    // Every control has a name for assistive technology.
    for (QWidget* w : form.findChildren<QWidget*>()) {
        if (qobject_cast<QLabel*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<QListWidget*>(w) ||
            qobject_cast<QPushButton*>(w)) {
            EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
        }
    }
    EXPECT_EQ("I <b><font color=\"#c00000\">recieve</font></b> teh parsel and teh zorblat thier",
              form.SentenceLabel->text());
    ASSERT_GT(form.SuggestionList->count(), 0);
    EXPECT_EQ("receive", form.ChangeTo->text());  // the first suggestion
    EXPECT_EQ(form.SuggestionList->item(0)->text(), form.ChangeTo->text());
    form.ChangeButton->click();
    EXPECT_EQ("teh", run.Word());
    form.ChangeTo->setText("the");
    form.ChangeAllButton->click();
    EXPECT_EQ("parsel", run.Word());
    form.SuggestionList->setCurrentRow(form.SuggestionList->findItems("parcel", Qt::MatchExactly).isEmpty()
                                           ? 0
                                           : form.SuggestionList->row(
                                                 form.SuggestionList->findItems("parcel", Qt::MatchExactly)[0]));
    EXPECT_EQ("parcel", form.ChangeTo->text());  // choosing a suggestion puts it in the box
    form.IgnoreButton->click();
    EXPECT_EQ("zorblat", run.Word());
    form.AddWordButton->click();
    EXPECT_EQ("thier", run.Word());
    EXPECT_EQ(QDialog::Rejected, form.result());
    form.IgnoreAllButton->click();
    EXPECT_TRUE(run.Finished());
    EXPECT_EQ(QDialog::Accepted, form.result());
    EXPECT_EQ("I receive the parsel and the zorblat thier", doc.toPlainText());
    EXPECT_EQ("zorblat\n", ReadFileBytes(dir.File("Uignore.tlx")));
}

TEST_F(SpellCheckRunTest, DialogCancelRejects) {
    QTextDocument doc;
    doc.setPlainText("recieve thier");
    SpellCheckRun run(doc, engine);
    ASSERT_TRUE(run.Next());
    ScriptedDialogs dialogs;
    TSpellCheckForm form(run, dialogs);
    form.ChangeButton->click();
    form.CancelButton->click();
    EXPECT_EQ(QDialog::Rejected, form.result());
    EXPECT_FALSE(run.Finished());
    EXPECT_EQ("receive thier", doc.toPlainText());
}

// --- The window ---

// A page with bold and italic words, two of them misspelt.
const std::string kFormattedPage =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 I {\\b recieve} the {\\i parsel} today\\par}";

class SpellingWindowTest : public MainFormTest {
protected:
    // The program folder's British English list names the system's Hunspell files.
    void WriteLexicon(const std::string& name = "British English", const std::string& line = kGb) {
        WriteFileBytes(dir.File(name + ".Lexicon"), line + "\r\n");
    }
    void MakePage(const std::string& rtf) {
        ASSERT_EQ(0u, store.WritePage(DataSet(), 0, "", false, false, PageIdOf(0), rtf, 0, 44000));
    }
    spelling::SpellingCommands& Spelling() { return *form->Spelling; }
    // Lets the underlining run (it starts from the event loop).
    static void Settle() {
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    }
    // The underlined stretches of the editor's document, as text.
    QStringList Underlined() const {
        QStringList words;
        for (QTextBlock b = form->EditBox->document()->begin(); b.isValid(); b = b.next()) {
            for (const QTextLayout::FormatRange& r : b.layout()->formats()) {
                if (r.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline) {
                    words << b.text().mid(r.start, r.length);
                }
            }
        }
        return words;
    }
};

TEST_F(SpellingWindowTest, TheWindowUsesTheHunspellEngine) {
    WriteLexicon();
    MakePages(1);
    TMainForm& f = Start();
    EXPECT_EQ(&Spelling().Engine(), dynamic_cast<HunspellEngine*>(f.spellEngine));
    EXPECT_TRUE(Spelling().Engine().Loaded()) << Spelling().Engine().LoadError().toStdString();
    EXPECT_FALSE(Spelling().Engine().Correct("recieve"));
    EXPECT_EQ(dir.File("Uignore.tlx"), Spelling().Engine().IgnoreListPath().toStdString());
}

TEST_F(SpellingWindowTest, CheckChangesTheCopyAndTheEditorTakesItBackWithItsFormatting) {
    WriteLexicon();
    MakePage(kFormattedPage);
    TMainForm& f = Start();
    ASSERT_EQ("I recieve the parsel today", EditorText());
    ASSERT_FALSE(f.Modified());
    const QTextDocument* before = f.EditBox->document();
    std::vector<QString> seen;
    Spelling().runCheckDialog = [&](TSpellCheckForm& dialog) {
        // The check works on a copy: the editor still holds the page as it was.
        seen.push_back(dialog.SentenceLabel->text());
        dialog.ChangeButton->click();
        EXPECT_EQ("I recieve the parsel today", EditorText());
        dialog.ChangeTo->setText("parcel");
        dialog.ChangeAllButton->click();
    };
    dialogs.Expect("The spelling check is complete.");
    f.CheckSpellingButton->click();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("I receive the parcel today", EditorText());
    EXPECT_NE(before, f.EditBox->document());
    EXPECT_TRUE(f.Modified());
    EXPECT_EQ(QFont::Bold, FormatOf(*f.EditBox->document(), "receive").fontWeight());
    EXPECT_TRUE(FormatOf(*f.EditBox->document(), "parcel").fontItalic());
    EXPECT_FALSE(FormatOf(*f.EditBox->document(), "today").fontItalic());
    EXPECT_TRUE(dialogs.Done());
}

TEST_F(SpellingWindowTest, CheckThatChangesNothingStillReloadsTheEditor) {
    WriteLexicon();
    struct Case {
        const char* name;
        std::string page;
        bool dialogShown;
    };
    const Case cases[] = {
        {"no misspelt word", "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 All {\\b good} words\\par}", false},
        {"everything ignored", kFormattedPage, true},
    };
    MakePage(cases[0].page);
    ASSERT_EQ(0u, store.WritePage(DataSet(), 1, "", false, false, PageIdOf(1), cases[1].page, 0, 44001));
    TMainForm& f = Start();
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(cases[i].name);
        f.ShowPageNumber(i);
        ASSERT_FALSE(f.Modified());
        const QString text = EditorText();
        const std::string rtf = editor::SaveRtf(*f.EditBox->document());
        const QTextDocument* before = f.EditBox->document();
        int shown = 0;
        Spelling().runCheckDialog = [&](TSpellCheckForm& dialog) {
            ++shown;
            dialog.IgnoreAllButton->click();
            dialog.IgnoreAllButton->click();
        };
        dialogs.Expect("The spelling check is complete.");
        f.CheckSpelling1->trigger();
        EXPECT_EQ(cases[i].dialogShown ? 1 : 0, shown);
        EXPECT_NE(before, f.EditBox->document()) << "the editor took the copy back";
        EXPECT_EQ(text, EditorText());
        EXPECT_EQ(rtf, editor::SaveRtf(*f.EditBox->document()));
        EXPECT_FALSE(f.Modified());
    }
    EXPECT_TRUE(dialogs.Done());
}

TEST_F(SpellingWindowTest, CancelEndsTheCheckAndTheEditorTakesTheCopyAsItIs) {
    WriteLexicon();
    MakePage(kFormattedPage);
    TMainForm& f = Start();
    Spelling().runCheckDialog = [&](TSpellCheckForm& dialog) {
        dialog.ChangeButton->click();
        dialog.CancelButton->click();
    };
    f.CheckSpellingButton->click();  // no "complete" message after Cancel
    EXPECT_EQ("I receive the parsel today", EditorText());
    EXPECT_TRUE(f.Modified());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SpellingWindowTest, CheckRunsAsAModalDialog) {
    WriteLexicon();
    MakePage(kFormattedPage);
    TMainForm& f = Start();
    int clicks = 0;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<TSpellCheckForm*>(QApplication::activeModalWidget());
        if (!dialog) return;
        ++clicks;
        EXPECT_TRUE(dialog->isModal());
        dialog->IgnoreButton->click();
    });
    driver.start(10);
    dialogs.Expect("The spelling check is complete.");
    f.CheckSpelling1->trigger();
    driver.stop();
    EXPECT_EQ(2, clicks);
    EXPECT_EQ("I recieve the parsel today", EditorText());
    EXPECT_FALSE(f.Modified());
}

TEST_F(SpellingWindowTest, NoCheckOnReadOnlyPages) {
    WriteLexicon();
    MakePage(kFormattedPage);
    TMainForm& f = Start();
    f.CheckBoxReadOnly->click();
    ASSERT_TRUE(f.EditBox->isReadOnly());
    const QTextDocument* before = f.EditBox->document();
    Spelling().runCheckDialog = [](TSpellCheckForm&) { ADD_FAILURE() << "no check on a read-only page"; };
    f.CheckSpellingButton->click();
    EXPECT_EQ(before, f.EditBox->document());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SpellingWindowTest, MissingDictionaryIsReported) {
    WriteLexicon("British English", "gone.aff,gone.dic");
    MakePage(kFormattedPage);
    TMainForm& f = Start();
    Spelling().runCheckDialog = [](TSpellCheckForm&) { ADD_FAILURE() << "nothing to check with"; };
    dialogs.Expect("The spelling dictionary could not be loaded: " + QString::fromStdString(dir.File("gone.aff")) +
                   " cannot be read. Please choose another spell checker language in the options (File > Options).");
    const QTextDocument* before = f.EditBox->document();
    f.CheckSpellingButton->click();
    EXPECT_EQ(before, f.EditBox->document());
    EXPECT_FALSE(f.Modified());
    ASSERT_EQ(1u, dialogs.shown.size());
    EXPECT_EQ(ui::MessageIcon::kInformation, dialogs.shown[0].icon);
    EXPECT_TRUE(Underlined().isEmpty());
}

// --- Adding a dictionary ---

TEST_F(SpellingWindowTest, AddDictionaryChecksTheNameAndTheFiles) {
    WriteLexicon();
    MakePages(1);
    TMainForm& f = Start();
    const QString exists = "A dictionary with that name already exists. Please select another name, and try again";
    const QString notTwo =
        "You have not selected the two dictionary definition files that Jotterbase needs. Please try again.";
    const QString added = "The new dictionary was added successfully.";
    const QString aff = "/usr/share/hunspell/en_US.aff";
    const QString dic = "/usr/share/hunspell/en_US.dic";
    struct Case {
        const char* name;
        QString typed;
        std::optional<QStringList> files;  // nullopt: no file dialog
        QString message;                   // empty: none
        std::string written;               // the list file's bytes; empty: not written
        bool staysOpen;
    };
    const Case cases[] = {
        {"one character", "M", std::nullopt, exists, "", true},
        {"empty name", "", std::nullopt, exists, "", true},
        {"existing name", "British English", std::nullopt, exists, "", true},
        {"cancelled", "Medical", QStringList{}, "", "", true},
        {"one file", "Medical", QStringList{aff}, notTwo, "", true},
        {"three files", "Medical", QStringList{aff, dic, "/usr/share/hunspell/en_GB.aff"}, notTwo, "", true},
        {"two files", "Medical", QStringList{aff, dic}, added, (aff + "," + dic + "\n").toStdString(), false},
        {"two files, .dic first", "Legal", QStringList{dic, aff}, added, (aff + "," + dic + "\n").toStdString(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        emit f.OptionsForm->AddDictionaryClicked();
        spelling::TAddNewDictionaryForm* d = Spelling().AddDictionaryForm();
        ASSERT_NE(nullptr, d);
        ASSERT_TRUE(d->isVisible());
        d->Edit1->setText(c.typed);
        if (c.files) dialogs.ExpectOpenFilesOfType(*c.files, 0);
        if (!c.message.isEmpty()) dialogs.Expect(c.message);
        const std::size_t requests = dialogs.typedOpenRequests.size();
        const std::size_t messages = dialogs.shown.size();
        d->Button1->click();
        EXPECT_TRUE(dialogs.Done());
        EXPECT_EQ(requests + (c.files ? 1 : 0), dialogs.typedOpenRequests.size());
        if (c.files) {
            const auto& r = dialogs.typedOpenRequests.back();
            EXPECT_EQ("Please select both new dictionary files now:", r.caption);
            EXPECT_EQ(QStringList{"Hunspell dictionaries (*.aff *.dic)"}, r.filters);
            EXPECT_EQ(0, r.selected);
        }
        ASSERT_EQ(messages + (c.message.isEmpty() ? 0 : 1), dialogs.shown.size());
        if (!c.message.isEmpty()) {
            EXPECT_EQ("Jotterbase", dialogs.shown.back().caption);
            EXPECT_EQ(ui::MessageIcon::kInformation, dialogs.shown.back().icon);
        }
        const std::string list = dir.File(c.typed.toStdString() + ".Lexicon");
        if (c.written.empty()) {
            if (c.typed != "British English") {
                EXPECT_FALSE(FileExists(list));
            }
        } else {
            EXPECT_EQ(c.written, ReadFileBytes(list));
        }
        EXPECT_EQ(c.staysOpen, d->isVisible());
        if (c.message == exists) {
            EXPECT_EQ(d->Edit1, d->focusWidget());
        }
    }
    // The added language works as the window's language.
    HunspellEngine engine;
    engine.SetMainLexPath(f.programFolder);
    engine.SetUserLexPath(f.programFolder);
    SetUpLexiconLists(f.programFolder, "Medical", engine, FileSystem::Default());
    EXPECT_TRUE(engine.Correct("color"));
}

TEST_F(SpellingWindowTest, AddDictionaryDialogTexts) {
    MakePages(1);
    TMainForm& f = Start();
    emit f.OptionsForm->AddDictionaryClicked();
    spelling::TAddNewDictionaryForm* d = Spelling().AddDictionaryForm();
    ASSERT_NE(nullptr, d);
    EXPECT_EQ("Quorvane Add new dictionary", d->windowTitle());
    EXPECT_EQ(
        "Please type a name for the new dictionary.\nWhen you have typed in a name for the \ndictionary you wish to "
        "add, you must select\nthe two new dictionary definition files,\n*.aff and *.dic",
        d->Label1->text());
    EXPECT_EQ("Dictionary Name:", d->Label2->text());
    EXPECT_EQ(d->Edit1, d->Label2->buddy());
    EXPECT_EQ("&Select files", d->Button1->text());
    EXPECT_TRUE(d->Button1->isDefault());
    EXPECT_EQ("&Cancel", d->Button2->text());
    d->Button2->click();
    EXPECT_FALSE(d->isVisible());
    emit f.OptionsForm->AddDictionaryClicked();
    EXPECT_EQ(d, Spelling().AddDictionaryForm()) << "one dialog, shown again";
    EXPECT_TRUE(d->isVisible());
}

// --- Underlining as the user types ---

TEST_F(SpellingWindowTest, UnderlinesMisspeltWordsWithoutChangingThePage) {
    WriteLexicon();
    MakePage(kFormattedPage);
    TMainForm& f = Start();
    Settle();
    ASSERT_TRUE(Spelling().Highlighter().Active());
    EXPECT_EQ((QStringList{"recieve", "parsel"}), Underlined());
    EXPECT_FALSE(f.Modified());
    const std::string on = editor::SaveRtf(*f.EditBox->document());
    // Off, as when the setting is cleared.
    f.settings.spellAsYouType = false;
    Spelling().Highlighter().Refresh();
    Settle();
    EXPECT_FALSE(Spelling().Highlighter().Active());
    EXPECT_TRUE(Underlined().isEmpty());
    const std::string off = editor::SaveRtf(*f.EditBox->document());
    EXPECT_EQ(off, on);
    EXPECT_FALSE(f.Modified());
    // Updating the page stores the same page either way.
    f.SetModified(true);
    const QString noReminder = "This page has no reminder-date set. Do you wish to add one?";
    dialogs.Expect(noReminder, ui::kButtonNo);
    f.UpdateButtonClick();
    PageInfo info;
    std::string stored;
    ASSERT_EQ(0u, store.ReadPageBody(DataSet(), 0, info, stored));
    f.settings.spellAsYouType = true;
    Spelling().Highlighter().Refresh();
    Settle();
    EXPECT_FALSE(Underlined().isEmpty());
    f.SetModified(true);
    dialogs.Expect(noReminder, ui::kButtonNo);
    f.UpdateButtonClick();
    std::string storedOn;
    ASSERT_EQ(0u, store.ReadPageBody(DataSet(), 0, info, storedOn));
    EXPECT_EQ(stored, storedOn);
    EXPECT_FALSE(f.Modified());
}

TEST_F(SpellingWindowTest, LinksKeepTheirLookWithUnderliningOnAndOff) {
    WriteLexicon();
    MakePage("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 see http://exmple.com/pge recieve\\par}");
    TMainForm& f = Start();
    Settle();
    auto looks = [&] {
        QStringList found;
        const QTextBlock b = f.EditBox->document()->begin();
        for (const QTextLayout::FormatRange& r : b.layout()->formats()) {
            const QString text = b.text().mid(r.start, r.length);
            if (r.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline) found << "misspelt " + text;
            if (r.format.underlineStyle() == QTextCharFormat::SingleUnderline) found << "link " + text;
        }
        found.sort();
        return found;
    };
    EXPECT_EQ((QStringList{"link http://exmple.com/pge", "misspelt recieve"}), looks());
    f.settings.spellAsYouType = false;
    Spelling().Highlighter().Refresh();
    Settle();
    EXPECT_EQ(QStringList{"link http://exmple.com/pge"}, looks());
}

TEST_F(SpellingWindowTest, UnderlinesWhatIsTyped) {
    WriteLexicon();
    MakePages(1);
    TMainForm& f = Start();
    f.EditBox->setFocus();
    f.EditBox->moveCursor(QTextCursor::End);
    Type(" thier colour");
    Settle();
    EXPECT_EQ(QStringList{"thier"}, Underlined());
    // An added word is no longer underlined.
    Spelling().Engine().Add("thier");
    Spelling().Highlighter().Refresh();
    Settle();
    EXPECT_TRUE(Underlined().isEmpty());
}

// Each row: the check dialog's button for "recieve" (the page's first misspelt word; "parsel"
// is ignored once), and whether the word is still underlined after the check and when it is
// typed again.
TEST_F(SpellingWindowTest, WordsIgnoredOrAddedInTheCheckAreNotUnderlinedAfterIt) {
    WriteLexicon();
    const struct {
        const char* name;
        QPushButton* TSpellCheckForm::*button;
        bool underlined;
    } rows[] = {{"Ignore", &TSpellCheckForm::IgnoreButton, true},
                {"Ignore All", &TSpellCheckForm::IgnoreAllButton, false},
                {"Add", &TSpellCheckForm::AddWordButton, false}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        MakePage(kFormattedPage);
        TMainForm& f = Start();
        Settle();
        ASSERT_EQ((QStringList{"recieve", "parsel"}), Underlined());
        Spelling().runCheckDialog = [&](TSpellCheckForm& dialog) {
            (dialog.*r.button)->click();
            dialog.IgnoreButton->click();
        };
        dialogs.Expect("The spelling check is complete.");
        f.CheckSpellingButton->click();
        Settle();
        const QStringList expected =
            r.underlined ? QStringList{"recieve", "parsel"} : QStringList{"parsel"};
        EXPECT_EQ(expected, Underlined());
        f.EditBox->setFocus();
        f.EditBox->moveCursor(QTextCursor::End);
        Type(" recieve");
        Settle();
        EXPECT_EQ(r.underlined ? 2 : 0, Underlined().count("recieve"));
        form->SetModified(false);
        form.reset();
        std::remove(dir.File("Uignore.tlx").c_str());
    }
    EXPECT_TRUE(dialogs.Done());
}

TEST_F(SpellingWindowTest, NoUnderliningWhenOffOrReadOnly) {
    struct Case {
        const char* name;
        std::string ini;
        bool readOnly;
        bool active;
    };
    const Case cases[] = {
        {"on", "", false, true},
        {"setting off", "[Spell]\r\nAsYouType=0\r\n", false, false},
        {"read-only page", "", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteLexicon();
        WriteSettings(c.ini);
        ASSERT_EQ(0u, store.WritePage(DataSet(), 0, "", false, c.readOnly, PageIdOf(0), kFormattedPage, 0, 44000));
        TMainForm& f = Start();
        Settle();
        ASSERT_EQ(c.readOnly, f.EditBox->isReadOnly());
        EXPECT_EQ(c.active, Spelling().Highlighter().Active());
        EXPECT_EQ(c.active ? 2 : 0, Underlined().size());
        if (c.readOnly) {
            // Clearing read-only turns the underlining on.
            f.CheckBoxReadOnly->click();
            Settle();
            EXPECT_TRUE(Spelling().Highlighter().Active());
            EXPECT_EQ(2, Underlined().size());
        }
        form->SetModified(false);
        form.reset();
        std::remove(DataSet().c_str());
        for (const char* ext : {".hd", ".ix"}) std::remove((DataSet().substr(0, DataSet().size() - 3) + ext).c_str());
    }
}

TEST_F(SpellingWindowTest, BigPageUnderliningStaysFast) {
    WriteLexicon();
    // About 1 MB in paragraphs of about 600 characters, one misspelt word in twelve.
    const QStringList vocabulary = {"the",  "quick", "brown",  "fox",    "jumps", "over", "lazy",   "dog",
                                    "note", "page",  "recieve", "garden", "letter", "house", "window", "river"};
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 ";
    std::size_t words = 0;
    while (rtf.size() < 1'000'000) {
        for (int i = 0; i < 100; ++i) {
            rtf += vocabulary[static_cast<int>((words * 7 + words / 16) % vocabulary.size())].toStdString();
            rtf += (words % 5 == 0) ? std::to_string(words % 1000) + "th " : std::string(" ");
            ++words;
        }
        rtf += "\\par ";
    }
    rtf += "}";
    MakePage(rtf);
    QElapsedTimer clock;
    clock.start();
    TMainForm& f = Start();
    const qint64 shown = clock.elapsed();
    clock.restart();
    Settle();
    const qint64 underlined = clock.elapsed();
    EXPECT_TRUE(Spelling().Highlighter().Active());
    // A key in the middle of the page underlines its paragraph again only.
    QTextCursor middle(f.EditBox->document()->findBlockByNumber(f.EditBox->document()->blockCount() / 2));
    f.EditBox->setTextCursor(middle);
    f.EditBox->setFocus();
    clock.restart();
    for (int i = 0; i < 20; ++i) QTest::keyClick(f.EditBox, Qt::Key_A);
    Settle();
    const qint64 twentyKeys = clock.elapsed();
    std::cout << "1 MB page (" << words << " words): shown in " << shown << " ms, underlined in " << underlined
              << " ms, 20 keys in " << twentyKeys << " ms\n";
    EXPECT_LT(twentyKeys, 2000);
    // Only what is on screen is checked; the end of the page is checked once it is scrolled to.
    const QTextBlock last = f.EditBox->document()->findBlockByNumber(f.EditBox->document()->blockCount() - 2);
    EXPECT_TRUE(last.layout()->formats().isEmpty()) << "not checked while it is off screen";
    f.EditBox->verticalScrollBar()->setValue(f.EditBox->verticalScrollBar()->maximum());
    Settle();
    int underlinedThere = 0;
    for (int n : {0, 1, 2, 3, f.EditBox->document()->blockCount() - 2}) {
        const QTextBlock b = f.EditBox->document()->findBlockByNumber(n);
        for (const QTextLayout::FormatRange& r : b.layout()->formats()) {
            if (r.format.underlineStyle() != QTextCharFormat::SpellCheckUnderline) continue;
            EXPECT_EQ("recieve", b.text().mid(r.start, r.length));
            ++underlinedThere;
        }
    }
    EXPECT_GT(underlinedThere, 5);
}

}  // namespace
}  // namespace jb::test
