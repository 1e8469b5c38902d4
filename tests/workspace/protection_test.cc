// The password attribute, the Set Password dialog, the password panel and the Security dialog.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>
#include <map>

#include "protect/decipher.h"
#include "protect/page_key.h"
#include "protect/password_forms.h"
#include "richtext/richtext.h"
#include "workspace/main_form_fixture.h"
#include "workspace/qt_dialogs.h"

namespace jb::test {
namespace {

using workspace::TMainForm;

const QString kMismatch = "You must enter the same password twice to set it.";
const QString kTooShort = "You must enter a password of more than two letters to set it.";
const QString kBadCharacter =
    "A password cannot contain a space or a character outside the Western European (Windows-1252) "
    "character set.";
const QString kWrongPanel =
    "You have not typed the password correctly. Please check for spelling/punctuation and try "
    "again.";
const QString kWrongSecurity =
    "You have not entered the correct password. Please check for spelling/punctuation errors and "
    "try again";

// Types into a field; characters QTest cannot type as keys go in as the field's own input.
void TypeInto(QLineEdit* field, const QString& text) {
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClicks(field, QString(c));
        else
            field->insert(QString(c));
    }
}

class ProtectionTest : public MainFormTest {
  protected:
    // Pages "page i"; the ones in `passwords` are stored enciphered under their password.
    void WritePages(int n, const std::map<int, std::string>& passwords,
                    const std::vector<std::string>& texts = {}) {
        for (int i = 0; i < n; ++i) {
            const auto p = passwords.find(i);
            const std::string text = i < static_cast<int>(texts.size())
                                         ? texts[static_cast<std::size_t>(i)]
                                         : "page " + std::to_string(i);
            ASSERT_EQ(0u, store.WritePage(DataSet(), i, p == passwords.end() ? "" : p->second,
                                          false, false, PageIdOf(i), richtext::RtfFromPlainText(text),
                                          0, 44000 + i));
        }
    }
    TMainForm& StartQuietly() {
        WriteSettings("[Remind]\r\nOnNoDateAlready=2\r\n[Template]\r\nDef=none\r\n");
        return Start();
    }
    void GoTo(int n) {
        form->EditRecNum->setText(QString::number(n));
        form->GoButton->click();
    }
    void Unlock(const QString& typed) {
        QTest::keyClicks(form->EditPw, typed);
        form->PwButton->click();
    }
    bool Exists(const char* suffix) const {
        return QFile::exists(QString::fromStdString(dir.File("data" + std::string(suffix))));
    }
    std::string DataBytes() { return ReadFileBytes(dir.File("data.jb")); }
};

struct SetCase {
    const char* what;
    QString first, second;
    QString message;       // empty: accepted
    std::string password;  // what the page password becomes
};

const SetCase kSetCases[] = {
    {"mismatch", "secret", "secreT", kMismatch, ""},
    {"two letters", "ab", "ab", kTooShort, ""},
    {"empty", "", "", kTooShort, ""},
    {"three letters", "abc", "abc", {}, "abc"},
    {"eight at most", "abcdefghijk", "abcdefghijk", {}, "abcdefgh"},
    {"letter case kept", "MiXeD", "MiXeD", {}, "MiXeD"},
    {"Windows-1252 letters",
     QString::fromUtf8("caf\xc3\xa9\xe2\x82\xac"),
     QString::fromUtf8("caf\xc3\xa9\xe2\x82\xac"),
     {},
     "caf\xe9\x80"},
    {"a space", "ab cd", "ab cd", kBadCharacter, ""},
    {"a leading space", " abcd", " abcd", kBadCharacter, ""},
    {"outside the code page", QString::fromUtf8("abc\xd0\xb4"), QString::fromUtf8("abc\xd0\xb4"),
     kBadCharacter, ""},
};

TEST_F(ProtectionTest, SetPasswordDialogChecksBothFields) {
    for (const SetCase& c : kSetCases) {
        SCOPED_TRACE(c.what);
        WritePages(1, {});
        TMainForm& f = StartQuietly();
        f.CheckBoxPassword->click();
        ASSERT_TRUE(f.PwForm->isVisible());
        EXPECT_EQ("Quorvane Set Password", f.PwForm->windowTitle());
        EXPECT_TRUE(f.MMenuPassword->isChecked());
        TypeInto(f.PwForm->Pw1, c.first);
        TypeInto(f.PwForm->Pw2, c.second);
        if (!c.message.isEmpty()) dialogs.Expect(c.message);
        f.PwForm->Button1->click();
        EXPECT_TRUE(dialogs.Done());
        EXPECT_EQ(c.password, f.ws.password);
        EXPECT_EQ(c.message.isEmpty(), f.PwForm->isHidden());
        if (!c.message.isEmpty()) {
            EXPECT_EQ(c.first.left(8), f.PwForm->Pw1->text()) << "fields are kept after a message";
            EXPECT_EQ("Jotterbase", dialogs.shown.back().caption);
            EXPECT_EQ(ui::MessageIcon::kInformation, dialogs.shown.back().icon);
        } else {
            EXPECT_TRUE(f.Modified());
        }
        form->SetModified(false);
        form.reset();
        std::filesystem::remove_all(dir.Path());
        std::filesystem::create_directories(dir.Path());
    }
}

TEST_F(ProtectionTest, CancelledSetPasswordUnticksTheBoxAndReopensOnTheNextTick) {
    WritePages(1, {});
    TMainForm& f = StartQuietly();
    f.MMenuPassword->trigger();
    ASSERT_TRUE(f.CheckBoxPassword->isChecked());
    ASSERT_TRUE(f.PwForm->isVisible());
    f.PwForm->Button2->click();
    EXPECT_FALSE(f.CheckBoxPassword->isChecked());
    EXPECT_FALSE(f.MMenuPassword->isChecked());
    EXPECT_TRUE(f.PwForm->isHidden());
    EXPECT_EQ("", f.ws.password);
    f.CheckBoxPassword->click();
    EXPECT_TRUE(f.PwForm->isVisible());
    EXPECT_EQ("", f.PwForm->Pw1->text()) << "fields cleared on show";
}

TEST_F(ProtectionTest, UpdateStoresAPageWithANewPasswordEnciphered) {
    WritePages(1, {});
    TMainForm& f = StartQuietly();
    f.CheckBoxPassword->click();
    QTest::keyClicks(f.PwForm->Pw1, "Lock");
    QTest::keyClicks(f.PwForm->Pw2, "Lock");
    f.PwForm->Button1->click();
    const std::size_t before = DataBytes().size();
    f.UpdateButton->click();
    const std::string appended = DataBytes().substr(before);
    EXPECT_EQ(std::string::npos, appended.find("page 0")) << "the text is not stored plain";
    PageInfo info;
    std::string body;
    ASSERT_EQ(0u, store.ReadPageBody(DataSet(), 0, info, body));
    EXPECT_EQ("Lock", info.password);
    ASSERT_GT(body.size(), 1u);
    EXPECT_EQ("page 0",
              richtext::PlainTextOf(Rc4Bytes(PageKey("lock"), body.substr(0, body.size() - 1))));
}

TEST_F(ProtectionTest, ProtectedPageIsLockedUntilItsPasswordInAnyLetterCase) {
    WritePages(3, {{1, "Secret"}});
    TMainForm& f = StartQuietly();
    GoTo(1);
    ASSERT_TRUE(f.PwLocked());
    EXPECT_TRUE(f.PasswordPanel->isVisible());
    EXPECT_EQ("", EditorText());
    EXPECT_TRUE(f.EditBox->isReadOnly());
    EXPECT_TRUE(f.EditBox->isEnabled());
    EXPECT_TRUE(f.CheckBoxPassword->isChecked());
    EXPECT_TRUE(f.PwForm->isHidden()) << "the program's own tick asks nothing";
    EXPECT_FALSE(f.Modified());
    EXPECT_TRUE(Exists(".tpm"));
    for (QWidget* w : std::initializer_list<QWidget*>{
             f.UpdateButton, f.AddButton, f.ZapButton, f.CutButton, f.PasteButton,
             f.CheckBoxPassword, f.CheckBoxReadOnly, f.CheckBoxRemindMe})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    for (QAction* a : f.ToolBarFormatting->actions()) {
        if (QWidget* w = f.ToolBarFormatting->widgetForAction(a)) {
            EXPECT_FALSE(w->isEnabled());
        }
    }
    for (QMenu* menu : {f.FileMenu, f.PageMenu, f.EditMenu, f.FormatMenu})
        EXPECT_FALSE(menu->menuAction()->isEnabled());
    EXPECT_TRUE(f.ToolBarSearch->isEnabled());
    EXPECT_TRUE(f.ViewMenu->menuAction()->isEnabled());
    EXPECT_TRUE(f.EditRecNum->isEnabled());
    EXPECT_TRUE(f.GoButton->isEnabled());
    EXPECT_TRUE(f.ButtonUp->isEnabled());
    const QRect editor = f.EditBox->geometry();
    EXPECT_EQ(editor.left() + editor.width() / 2 - f.PasswordPanel->width() / 2,
              f.PasswordPanel->x());
    EXPECT_EQ(editor.top() + editor.height() / 2 - f.PasswordPanel->height() / 2,
              f.PasswordPanel->y());

    Unlock("sECRET");
    EXPECT_FALSE(f.PwLocked());
    EXPECT_EQ("page 1", EditorText());
    EXPECT_FALSE(f.EditBox->isReadOnly());
    EXPECT_FALSE(f.Modified());
    EXPECT_EQ("", f.EditPw->text());
    EXPECT_EQ("Secret", f.ws.password) << "the password stays set";
    EXPECT_FALSE(Exists(".tpm"));
    EXPECT_FALSE(Exists(".t02"));
    for (QWidget* w : std::initializer_list<QWidget*>{f.AddButton, f.ZapButton, f.PasteButton,
                                                      f.CheckBoxPassword, f.CheckBoxReadOnly,
                                                      f.CheckBoxRemindMe})
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_FALSE(f.UpdateButton->isEnabled()) << "nothing to update";
    for (QMenu* menu : {f.FileMenu, f.PageMenu, f.EditMenu, f.FormatMenu})
        EXPECT_TRUE(menu->menuAction()->isEnabled());
}

TEST_F(ProtectionTest, WrongPasswordKeepsTheLock) {
    WritePages(2, {{1, "Secret"}});
    TMainForm& f = StartQuietly();
    GoTo(1);
    dialogs.Expect(kWrongPanel);
    Unlock("Secrets");
    EXPECT_TRUE(dialogs.Done());
    EXPECT_TRUE(f.PwLocked());
    EXPECT_EQ("", f.EditPw->text());
    EXPECT_EQ("", EditorText());
    EXPECT_TRUE(Exists(".tpm"));
    Unlock("secret");
    EXPECT_EQ("page 1", EditorText());
}

TEST_F(ProtectionTest, MissingReadOutFileGivesTheErrorAfterTheLockIsRemoved) {
    WritePages(2, {{1, "Secret"}});
    TMainForm& f = StartQuietly();
    GoTo(1);
    ASSERT_TRUE(std::filesystem::remove(dir.File("data.tpm")));
    dialogs.Expect({});  // the general error box
    Unlock("secret");
    EXPECT_TRUE(dialogs.Done());
    EXPECT_EQ(ui::MessageIcon::kError, dialogs.shown.back().icon);
    EXPECT_FALSE(f.PwLocked());
    EXPECT_EQ("", EditorText());
}

struct CancelCase {
    const char* what;
    int pages;
    int locked;
    int landsOn;  // the page number box afterwards
    int pageCount;
};

TEST_F(ProtectionTest, CancellingThePanelLandsOnANeighbour) {
    const CancelCase cases[] = {
        {"the only page starts a new page", 1, 0, 1, 1},
        {"page 0 moves forward", 3, 0, 1, 3},
        {"a later page moves back", 3, 2, 1, 3},
        {"a middle page moves back", 4, 2, 1, 4},
    };
    for (const CancelCase& c : cases) {
        SCOPED_TRACE(c.what);
        WritePages(c.pages, {{c.locked, "pass"}});
        TMainForm& f = StartQuietly();
        if (c.locked != 0) GoTo(c.locked);
        ASSERT_TRUE(f.PwLocked());
        f.PwCancelButton->click();
        EXPECT_FALSE(f.PwLocked());
        EXPECT_FALSE(Exists(".tpm"));
        EXPECT_EQ(QString::number(c.landsOn), f.EditRecNum->text());
        EXPECT_EQ(c.landsOn < c.pages ? "page " + QString::number(c.landsOn) : QString(),
                  EditorText());
        EXPECT_EQ(c.pageCount, PageCount());
        EXPECT_TRUE(f.ZapButton->isEnabled());
        form->SetModified(false);
        form.reset();
        std::filesystem::remove_all(dir.Path());
        std::filesystem::create_directories(dir.Path());
    }
}

TEST_F(ProtectionTest, LeavingALockedPageByTheButtonsRemovesTheLock) {
    WritePages(3, {{1, "pass"}});
    TMainForm& f = StartQuietly();
    GoTo(1);
    ASSERT_TRUE(f.PwLocked());
    const std::string headerBefore = ReadFileBytes(dir.File("data.hd"));
    f.ButtonUp->click();
    EXPECT_FALSE(f.PwLocked());
    EXPECT_EQ("page 2", EditorText());
    EXPECT_FALSE(Exists(".tpm"));
    EXPECT_TRUE(f.CheckBoxPassword->isEnabled());
    EXPECT_FALSE(f.CheckBoxPassword->isChecked());
    EXPECT_EQ("", f.ws.password);
    EXPECT_EQ(headerBefore, ReadFileBytes(dir.File("data.hd")))
        << "the locked page was not written";
}

TEST_F(ProtectionTest, UntickingAnUnlockedPageAndUpdatingStoresItPlain) {
    WritePages(2, {{1, "Secret"}});
    TMainForm& f = StartQuietly();
    GoTo(1);
    Unlock("SECRET");
    ASSERT_EQ("page 1", EditorText());
    EXPECT_EQ(std::string::npos, DataBytes().find("page 1")) << "stored enciphered at first";
    f.CheckBoxPassword->click();
    EXPECT_FALSE(f.MMenuPassword->isChecked());
    EXPECT_EQ("", f.ws.password);
    EXPECT_TRUE(f.Modified());
    f.UpdateButton->click();
    EXPECT_NE(std::string::npos, DataBytes().find("page 1")) << "the new body is plain on disk";
    PageInfo info;
    EXPECT_EQ("page 1", StoredText(1, &info));
    EXPECT_EQ("", info.password);
}

TEST_F(ProtectionTest, UnlockingInAQuerySkipsAPageWithoutTheTerms) {
    WritePages(4, {{1, "pass"}, {3, "pass"}},
               {"zero", "one locked", "two plain", "three locked walrus"});
    TMainForm& f = StartQuietly();
    f.NoHighlight = false;  // a search that highlights its terms
    f.OpenQuery("walrus", {PageIdOf(1), PageIdOf(2), PageIdOf(3)}, "walrus");
    ASSERT_TRUE(f.PwLocked());
    Unlock("PASS");
    EXPECT_EQ("2", f.EditRecNum->text()) << "page 1 holds no term: skipped forward";
    EXPECT_EQ(2, f.QueryPos);
    EXPECT_FALSE(f.PwLocked());
    f.ButtonUp->click();
    ASSERT_TRUE(f.PwLocked());
    Unlock("pass");
    EXPECT_EQ("3", f.EditRecNum->text()) << "page 3 holds the term: it stays";
    EXPECT_EQ("walrus", f.EditBox->textCursor().selectedText());
}

TEST_F(ProtectionTest, SecurityDialogAcceptsOnlyTheExpectedPassword) {
    WritePages(1, {});
    StartQuietly();
    protect::TEnterPasswordForm dialog(dialogs, form.get());
    EXPECT_EQ("Quorvane Security", dialog.windowTitle());
    EXPECT_EQ("Pressing this button will leave this page out of the export/print",
              dialog.Button2->toolTip());
    dialog.ExpectedPassword = "SECRET";
    dialog.PNLabel->setText("Page 4");
    dialog.show();
    dialogs.Expect(kWrongSecurity);
    QTest::keyClicks(dialog.EditPassword, "secrets");
    EXPECT_EQ("secrets", dialog.EditPassword->text());
    dialog.Button1->click();
    EXPECT_TRUE(dialogs.Done());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ("", dialog.EditPassword->text());
    QTest::keyClicks(dialog.EditPassword, "SeCrEt");
    dialog.Button1->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(QDialog::Accepted, dialog.result());
    EXPECT_EQ("", dialog.EditPassword->text());

    dialog.show();
    EXPECT_EQ("", dialog.EditPassword->text());
    dialog.Button2->click();
    EXPECT_EQ(QDialog::Rejected, dialog.result());
}

// Cancel clicked on one showing must not leave the focus on Cancel for the next: the password
// typed then, with Enter, has to reach the password field.
TEST_F(ProtectionTest, SecurityDialogTakesThePasswordEveryTimeItIsShown) {
    WritePages(1, {});
    StartQuietly();
    protect::TEnterPasswordForm dialog(dialogs, form.get());
    dialog.ExpectedPassword = "SECRET";
    auto showAndActivate = [&dialog] {
        dialog.show();
        dialog.activateWindow();
        return QTest::qWaitForWindowActive(&dialog);
    };
    ASSERT_TRUE(showAndActivate());
    EXPECT_EQ(dialog.EditPassword, QApplication::focusWidget());
    QTest::mouseClick(dialog.Button2, Qt::LeftButton);
    ASSERT_FALSE(dialog.isVisible());
    ASSERT_EQ(QDialog::Rejected, dialog.result());

    ASSERT_TRUE(showAndActivate());
    EXPECT_EQ(dialog.EditPassword, QApplication::focusWidget());
    QTest::keyClicks(QApplication::focusWidget(), "Secret");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(QDialog::Accepted, dialog.result());
    EXPECT_TRUE(dialogs.Done()) << "no message about a wrong password";
}

TEST_F(ProtectionTest, ProductionSecurityDialogIsModalAndSaysWhetherThePasswordWasTyped) {
    WritePages(1, {});
    StartQuietly();
    ui::QtDialogs qt;
    qt.CreateForms(form.get());
    ASSERT_NE(nullptr, qt.EnterPasswordForm);
    auto answer = [&](const QString& typed, bool ok) {
        QTimer::singleShot(0, form.get(), [&qt, typed, ok] {
            protect::TEnterPasswordForm* d = qt.EnterPasswordForm;
            EXPECT_TRUE(d->isModal());
            EXPECT_TRUE(d->isVisible());
            EXPECT_EQ("", d->EditPassword->text()) << "cleared on show";
            d->EditPassword->setText(typed);
            (ok ? d->Button1 : d->Button2)->click();
        });
    };
    answer("Secret", true);
    EXPECT_TRUE(qt.AskPagePassword(form.get(), "Page 3", "SECRET"));
    EXPECT_EQ("Page 3", qt.EnterPasswordForm->PNLabel->text());
    answer("Secret", false);
    EXPECT_FALSE(qt.AskPagePassword(form.get(), "Page 4", "SECRET"))
        << "Cancel leaves the page out";
}

TEST(PasswordText, ComparesIgnoringTheCaseOfAsciiLettersOnly) {
    EXPECT_TRUE(protect::PasswordMatches("sEcReT", "Secret"));
    EXPECT_FALSE(protect::PasswordMatches("secret", "secrets"));
    EXPECT_FALSE(protect::PasswordMatches(QString::fromUtf8("\xc3\xa9t\xc3\xa9"), "\xc9T\xc9"))
        << "letters outside a-z keep their case";
    EXPECT_TRUE(protect::PasswordMatches(QString::fromUtf8("\xc3\xa9T\xc3\xa9"), "\xe9t\xe9"));
}

}  // namespace
}  // namespace jb::test
