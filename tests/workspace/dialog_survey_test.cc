// Every dialog of the program, made as the program makes it, and the main window: each dialog
// is wide enough for its caption, and a screen reader can name every control that takes the
// focus.

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QTextEdit>
#include <QToolButton>
#include <functional>
#include <memory>

#include "editor/font_form.h"
#include "protect/password_forms.h"
#include "remind/remind_date_form.h"
#include "spelling/spell_check_form.h"
#include "spelling/spelling_commands.h"
#include "workspace/caption_fit.h"
#include "workspace/main_form_fixture.h"

namespace jb::test {
namespace {

using workspace::TMainForm;

// What a screen reader reads out for a control: its name, or the label it is labelled by.
QString SpokenName(QWidget* w) {
    QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w);
    if (!i) return {};
    QString name = i->text(QAccessible::Name).trimmed();
    for (const auto& [label, relation] : i->relations(QAccessible::Label))
        if (name.isEmpty() && label) name = label->text(QAccessible::Name).trimmed();
    return name;
}

// The controls of `window` that take the focus and have no spoken name. A control inside
// another one that takes the focus (the line edit of a date box) is spoken as that one.
QStringList Unnamed(QWidget* window) {
    QStringList unnamed;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->isWindow() || w->window() != window || w->focusPolicy() == Qt::NoFocus)
            continue;
        bool inside = false;
        for (QWidget* p = w->parentWidget(); p && p != window && !inside; p = p->parentWidget())
            inside =
                p->focusPolicy() != Qt::NoFocus && !qobject_cast<QTextEdit*>(w->parentWidget());
        if (!inside && SpokenName(w).isEmpty())
            unnamed << window->objectName() + "/" + w->metaObject()->className() + " " +
                           w->objectName();
    }
    return unnamed;
}

class DialogSurveyTest : public MainFormTest {
  protected:
    // Shows every dialog of the program in turn, as its command would, and hands it to `look`.
    void ForEachDialog(const std::function<void(QDialog&)>& look) {
        // A misspelt page, for the spelling check.
        WriteFileBytes(dir.File("British English.Lexicon"),
                       "/usr/share/hunspell/en_GB.aff,/usr/share/hunspell/en_GB.dic\r\n");
        MakePages(1);
        TMainForm& f = Start();
        Type("recieve ");
        f.SetModified(false);
        f.Spelling->AddDictionaryClick();  // made on demand
        // The production Dialogs' own forms (the tests answer in their place), children of the
        // window as there.
        new protect::TEnterPasswordForm(dialogs, &f);
        new remind::TGetRemindDateForm(&f);
        new editor::TFontForm(&f);
        const QList<QDialog*> all = f.findChildren<QDialog*>();
        const auto show = [&](QDialog& d) {
            d.show();
            QApplication::processEvents();
            SCOPED_TRACE(d.objectName().toStdString() + " " + d.windowTitle().toStdString());
            look(d);
            d.hide();
        };
        for (QDialog* d : all)
            if (d->isWindow()) show(*d);  // not Qt's font dialog inside the Font dialog
        bool spellingShown = false;
        f.Spelling->runCheckDialog = [&](spelling::TSpellCheckForm& d) {
            spellingShown = true;
            show(d);
        };
        f.CheckSpellingButton->click();
        EXPECT_TRUE(spellingShown);
        EXPECT_GE(all.size(), 14) << "every dialog";
    }
};

TEST_F(DialogSurveyTest, EveryDialogIsWideEnoughForItsCaption) {
    ForEachDialog([](QDialog& d) {
        EXPECT_FALSE(d.windowTitle().isEmpty());
        EXPECT_GT(ui::CaptionWidth(d.windowTitle()),
                  d.fontMetrics().horizontalAdvance(d.windowTitle()));
        EXPECT_GE(d.width(), ui::CaptionWidth(d.windowTitle()));
        EXPECT_GE(d.minimumWidth(), ui::CaptionWidth(d.windowTitle())) << "and stays so";
    });
}

TEST_F(DialogSurveyTest, EveryControlHasANameForAScreenReader) {
    ForEachDialog([](QDialog& d) { EXPECT_EQ(QStringList(), Unnamed(&d)); });
    form->OpenQuery("page ", {PageIdOf(0)}, "page");
    EXPECT_EQ(QStringList(), Unnamed(form.get())) << "the main window";
}

}  // namespace
}  // namespace jb::test
