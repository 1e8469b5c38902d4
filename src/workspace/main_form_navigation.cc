// The current page: showing a page, moving between pages, the modified state, read-only and
// the web addresses completed on Enter.

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>

#include "editor/editor_front.h"
#include "editor/link_overlay.h"
#include "editor/rtf_bridge.h"
#include "store/dataset_paths.h"
#include "store/dates.h"
#include "workspace/main_form.h"
#include "workspace/workspace_text.h"

namespace jb::workspace {

int TMainForm::PageCount() { return store.PageCount(ws.dataSet); }

QString TMainForm::ShortDate(double value) const {
    return QString::fromStdString(ShortDateText(value, LocaleDateOrder()));
}

bool TMainForm::ReadOnlyTicked() const { return CheckBoxReadOnly->isChecked(); }

void TMainForm::LoadEditor(std::string_view body) {
    // Loading from program code leaves the modified flag as it was.
    const bool modified = Modified();
    loadingEditor_ = true;
    // The page is built in a document of its own and then handed to the editor, which then lays
    // out only what it shows: loading into the shown document made it lay out the whole page.
    const QTextDocument* shown = EditBox->document();
    auto* page = new QTextDocument(EditBox);  // the editor deletes it when it gets the next one
    page->setDefaultFont(shown->defaultFont());
    page->setDocumentMargin(shown->documentMargin());
    page->setDefaultTextOption(shown->defaultTextOption());
    page->setUndoRedoEnabled(shown->isUndoRedoEnabled());
    editor::LoadRtf(*page, body);
    EditBox->setDocument(page);
    if (front_) front_->Links().FollowDocument();
    page->setModified(modified);
    loadingEditor_ = false;
}

void TMainForm::ClearEditor() {
    const bool modified = Modified();
    loadingEditor_ = true;
    EditBox->clear();
    EditBox->document()->setModified(modified);
    loadingEditor_ = false;
}

std::string TMainForm::EditorRtf() const { return editor::SaveRtf(*EditBox->document()); }

std::string TMainForm::EditorPlainText() const {
    return editor::EditorPlainText(*EditBox->document()).toStdString();
}

bool TMainForm::EditorHasLines() const { return !EditBox->document()->isEmpty(); }

bool TMainForm::Modified() const { return EditBox->document()->isModified(); }

void TMainForm::SetModified(bool flag) {
    EditBox->document()->setModified(flag);
    SetPanelText(1, flag ? "Modified" : "");
    for (QToolButton* b : {UndoButton, RedoButton, UpdateButton}) b->setEnabled(flag);
    for (QAction* a : {MMenuUndo, MMenuRedo, MMenuUpdate, MMenuExitNoUpdate}) a->setEnabled(flag);
}

void TMainForm::EditBoxChange() {
    if (loadingEditor_) return;
    // Undo back to the text as it was last shown or saved leaves the page unchanged: Update and
    // the question on leaving it go with the editor's own flag.
    SetModified(EditBox->document()->isModified());
}

bool TMainForm::CheckUnsavedChanges() {
    // A locked page has no text in the editor: writing it would lose the page.
    if (!Modified() || PwLocked()) return true;
    if (settings.autoUpdate ||
        ui::AskYesNo(dialogs, this,
                     "You have not saved the changes (updated) the current record. Do you wish to do so now?",
                     ui::kButtonYes, ui::kUnsavedCaption))
        return UpdateButtonClick();
    return true;
}

bool TMainForm::PageNumberCheck() {
    if (IsPageNumberText(EditRecNum->text().toStdString())) return true;
    ui::ShowError(dialogs, this, "The page number you have typed is not a valid number");
    // The box names the page on screen again, so that it never points at another page.
    EditRecNum->setText(QString::number(ws.pageNumber));
    return false;
}

void TMainForm::ShowPageNumber(int n) {
    // The unsaved changes belong to the page on screen: they are settled while it is still the
    // current page, so that an Update they run writes that page and no other.
    if (!CheckUnsavedChanges()) return;
    // Settled: the user's answer stands, and the page read next does not ask again. (A second
    // Yes would come after the page number had moved on to page n.)
    SetModified(false);
    ws.pageNumber = n;
    EditRecNum->setText(QString::number(n));
    GotoRecord(n);
}

bool TMainForm::GotoRecord(int n) {
    if (!CheckUnsavedChanges()) return false;
    // Another page becoming current removes the lock of a locked page and its read-out file.
    ReleaseLock();
    ws.password.clear();
    ws.pageId.clear();
    PageInfo info;
    std::string body;
    unsigned status = 0;
    try {
        status = store.ReadPageBody(ws.dataSet, n, info, body);
    } catch (...) {
        // A damaged page: the page shown before must not stay on screen under its number, or
        // Update would store its text and reminder again.
        ShowNoPage();
        throw;
    }
    ClearEditor();
    ButtonDown->setEnabled(n != 0);
    ButtonUp->setEnabled(PageCount() != n + 1);
    if (status != 0) {
        ShowNoPage();
        ui::ShowError(dialogs, this, QString("Error #%1 occurred").arg(status));
        return false;
    }
    ws.pageId = info.id;
    ws.password = info.password;
    ws.created = info.created;
    ws.modified = info.modified;
    const QString created = "Created: " + ShortDate(info.created);
    const QString modified = "Modified: " + ShortDate(info.modified);

    if (!ws.password.empty()) {
        // The enciphered body goes to the read-out file for the password flow.
        std::unique_ptr<File> readOut = store.Files().Open(CompanionPath(ws.dataSet, ".tpm"), OpenMode::kCreate);
        if (!readOut) {
            ui::ShowError(dialogs, this, QString("Error #%1 occurred").arg(3));
            return false;
        }
        readOut->Write(body.data(), body.size());
        readOut.reset();
        CheckBoxPassword->setChecked(true);
        SetPanelText(2, created);
        SetPanelText(3, modified);
        ShowAttributes(info);
        EditRecNum->setText(QString::number(n));
        if (hooks.enablePassword) hooks.enablePassword(*this);
        return true;
    }

    // The stored body ends with its trailer byte (the read-only mark), which is not page text.
    if (body.size() > 1) LoadEditor(std::string_view(body).substr(0, body.size() - 1));
    SetPanelText(2, created);
    SetPanelText(3, modified);
    CheckBoxPassword->setChecked(false);
    MMenuPassword->setChecked(false);
    ShowAttributes(info);
    SetModified(false);
    store.Files().Remove(CompanionPath(ws.dataSet, ".tpm"));
    EditRecNum->setText(QString::number(n));
    EditBox->moveCursor(QTextCursor::Start);
    EditBox->setFocus();
    return true;
}

void TMainForm::ShowNoPage() {
    ClearEditor();
    ws.pageId.clear();
    ClearAttributes();
    ws.created = clock.Today();
    ws.modified = ws.created;
    SetPanelText(2, "");
    SetPanelText(3, "");
    SetModified(false);
}

void TMainForm::ClearAttributes() {
    ws.password.clear();
    CheckBoxPassword->setChecked(false);
    MMenuPassword->setChecked(false);
    CheckBoxReadOnly->setChecked(false);
    Readonly1->setChecked(false);
    EditBox->setReadOnly(false);
    ShowReminder(0);
}

void TMainForm::ShowAttributes(const PageInfo& info) {
    ShowReminder(info.reminder);
    CheckBoxReadOnly->setChecked(info.readOnly);
    EditBox->setReadOnly(info.readOnly);
    Readonly1->setChecked(info.readOnly);
}

void TMainForm::ButtonUpClick() {
    if (!PageNumberCheck()) return;
    if (!CheckUnsavedChanges()) return;
    SetModified(false);
    if (QueryMode()) {
        if (hooks.queryNext) hooks.queryNext(*this);
        return;
    }
    const int count = PageCount();
    const int m = PageNumberOf(EditRecNum->text().toStdString()).value_or(ws.pageNumber);
    if (m < count - 1) {
        ButtonDown->setEnabled(true);
        ShowPageNumber(m + 1);
    } else {
        ButtonUp->setEnabled(false);
        ButtonDown->setEnabled(true);
    }
}

void TMainForm::ButtonDownClick() {
    if (!PageNumberCheck()) return;
    if (!CheckUnsavedChanges()) return;
    SetModified(false);
    if (QueryMode()) {
        if (hooks.queryPrevious) hooks.queryPrevious(*this);
        return;
    }
    const int m = PageNumberOf(EditRecNum->text().toStdString()).value_or(ws.pageNumber);
    if (m > 0) {
        ButtonUp->setEnabled(true);
        ShowPageNumber(m - 1);
    } else {
        ButtonDown->setEnabled(false);
        if (PageCount() >= 2) ButtonUp->setEnabled(true);
    }
}

void TMainForm::GoButtonClick() {
    // "last" on an empty data set gives "-1", which the check refuses.
    if (IsLastKeyword(EditRecNum->text().toStdString())) EditRecNum->setText(QString::number(PageCount() - 1));
    if (!PageNumberCheck()) return;
    if (!CheckUnsavedChanges()) return;
    SetModified(false);
    HighlightPos = 0;
    // An empty box goes to the current page again.
    const int number = PageNumberOf(EditRecNum->text().toStdString()).value_or(ws.pageNumber);
    const int count = PageCount();
    if (number > count - 1) {
        // No such page: the page on screen stays current, and the box names it again.
        EditRecNum->setText(QString::number(ws.pageNumber));
        return;
    }
    if (number == 0) ButtonDown->setEnabled(false);
    if (count == number + 1) ButtonUp->setEnabled(false);
    ShowPageNumber(number);
}

void TMainForm::CheckBoxReadOnlyClick(bool ticked) {
    EditBox->setReadOnly(ticked);
    Readonly1->setChecked(ticked);
    SetModified(true);
}

void TMainForm::CheckBoxPasswordClick(bool ticked) {
    if (hooks.passwordBoxClicked) {
        hooks.passwordBoxClicked(*this, ticked);
        return;
    }
    // Until the password flow is plugged in: the attribute and its menu mark only.
    SetModified(true);
    MMenuPassword->setChecked(ticked);
    if (!ticked) ws.password.clear();
}

void TMainForm::AutomaticUpdate1Click(bool on) {
    if (on)
        AutoUpdateTimer->start();
    else
        AutoUpdateTimer->stop();
}

void TMainForm::EditBoxKeyPress() {
    QTextCursor cursor = EditBox->textCursor();
    // Bold, italic or underline switched with nothing selected live in the caret alone; the
    // caret set back below would drop them before the line break takes them on.
    const QTextCharFormat typing = cursor.charFormat();
    int start = cursor.selectionStart();
    const int length = cursor.selectionEnd() - start;
    const std::u16string text = EditBox->toPlainText().toStdU16String();
    for (std::size_t p : WebAddressInsertions(text)) {
        QTextCursor at(EditBox->document());
        at.setPosition(static_cast<int>(p));
        at.insertText("http://");
        // The selection stays on the text it was on, so the line break goes where Enter was
        // pressed.
        if (static_cast<int>(p) <= start) start += 7;
    }
    QTextCursor restored(EditBox->document());
    restored.setPosition(start);
    restored.setPosition(start + length, QTextCursor::KeepAnchor);
    if (length == 0) restored.setCharFormat(typing);
    EditBox->setTextCursor(restored);
}

}  // namespace jb::workspace
