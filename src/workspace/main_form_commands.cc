// The page commands: Add, Update, Zap, and Exit without Updating.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColor>
#include <QFileInfo>
#include <QLineEdit>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>
#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "remind/reminder_value.h"
#include "store/dataset_lock.h"
#include "store/dataset_paths.h"
#include "store/io_error.h"
#include "workspace/main_form.h"

namespace jb::workspace {

namespace {

QString WriteError(unsigned status) { return QString("Error #%1 occured").arg(status); }

// Whether the page's ID has gone over to the counterpart: another program moved the page to
// the deleted pages (or back) since it was shown.
bool MovedToCounterpart(PageStore& store, const std::string& dataSet, int number,
                        const std::string& id) {
    return store.FindPageById(dataSet, id, number) == -2 &&
           store.FindPageById(CounterpartOf(dataSet), id) >= 0;
}

std::string LowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

}  // namespace

void TMainForm::ApplyDefaultFont(bool withStyle) {
    QFont font(QString::fromStdString(settings.fontName));
    font.setPointSize(settings.fontSize > 0 ? settings.fontSize : 10);
    font.setBold(settings.fontBold);
    if (withStyle) {
        font.setItalic(settings.fontItalic);
        font.setUnderline(settings.fontUnderline);
    }
    // The stored colour is 0x00BBGGRR.
    const std::uint32_t c = settings.fontColor;
    const QColor color(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
    EditBox->document()->setDefaultFont(font);
    QTextCharFormat format;
    format.setFont(font);
    format.setForeground(color);
    EditBox->setCurrentCharFormat(format);
}

void TMainForm::ClearToNewPage() {
    ws.pageId.clear();
    ws.pageNumber = PageCount();
    EditRecNum->setText(QString::number(ws.pageNumber));
    ClearAttributes();
    ws.created = clock.Today();
    ws.modified = ws.created;
    SetPanelText(2, "Created: " + ShortDate(ws.created));
    SetPanelText(3, "Modified: " + ShortDate(ws.modified));
}

void TMainForm::ShowNewEmptyPage() {
    ReleaseLock();
    ClearEditor();
    ClearToNewPage();
    ShowReminder(0);
    SetModified(false);
    ButtonUp->setEnabled(false);
    ButtonDown->setEnabled(false);
}

void TMainForm::AddButtonClick() {
    if (PwLocked()) return;  // the locked page stays until it is unlocked or left
    if (!CheckUnsavedChanges()) return;
    ClearToNewPage();
    ApplyDefaultFont(true);
    if (ws.importInProgress) {
        ClearEditor();
    } else if (LowerAscii(settings.templateDef) != "none") {
        // Templates live in the program folder: a full path chosen by the user names the file there.
        const std::string path =
            programFolder + QFileInfo(QString::fromStdString(settings.templateDef)).fileName().toStdString();
        std::string body;
        bool found = false;
        if (std::unique_ptr<File> file = store.Files().Open(path, OpenMode::kRead)) {
            body.resize(static_cast<std::size_t>(file->Size()));
            file->ReadExactly(body.data(), body.size());
            found = true;
        }
        if (found) {
            LoadEditor(body);
            EditBox->moveCursor(QTextCursor::Start);
        } else {
            // The new page starts empty; the user learns which template is missing.
            ClearEditor();
            ui::ShowError(dialogs, this,
                          QString("The template file %1 does not exist.").arg(QString::fromStdString(path)));
        }
    } else {
        ClearEditor();
        settings.templateDef = "None";
    }
    ApplyDefaultFont(true);
    SetModified(false);
    EditBox->setFocus();
    ButtonUp->setEnabled(false);
    ButtonDown->setEnabled(true);
    NewPageReminderDefaults();
}

bool TMainForm::UpdateButtonClick() {
    // A locked page's text is not in the editor: writing the editor would lose the page.
    if (PwLocked()) return true;
    if (!CheckBoxRemindMe->isChecked()) SetRemindDateValue(0);
    NoReminderPrompt();
    const double reminder = StoredReminderValue();
    std::vector<std::string> entries;
    IndexAppend append;
    unsigned status = 0;
    // Where the page is and its write there are one step to other programs: a zap or a restore
    // in between would leave its ID in both data sets, or twice in one.
    std::optional<DataSetLock> hold;
    bool newPage = false;
    try {
        hold.emplace(ws.dataSet);
        // A page without an ID has never been written: it becomes the last page as the data set
        // is when it is written, which another program may have added to since it was begun.
        newPage = ws.pageId.empty();
        if (!newPage && !ws.zapInProgress && MovedToCounterpart(store, ws.dataSet, ws.pageNumber, ws.pageId)) {
            // The text on screen is kept as a new page with an ID of its own: its old ID belongs
            // to the moved page.
            ws.pageId.clear();
            newPage = true;
        }
        if (newPage) ws.pageId = store.NewPageId(ws.dataSet);
        // The page's new index entries go into the index file with the page, before its record,
        // so that the page can be found whenever the program stops; the list gets them once it
        // is stored.
        if (EditorHasLines() && !ws.zapInProgress) {
            if (!indexList.Loaded()) LoadIndex(indexList, ws.dataSet);
            entries = PageEntries(indexList.Stops(), ws.dataSet, ws.pageId, EditorPlainText());
            const WordIndex& present = std::as_const(indexList).Entries();
            std::erase_if(entries, [&](const std::string& entry) { return present.Contains(entry); });
            append.text = EntryLines(entries);
        }
        if (newPage && !ws.zapInProgress) {
            // The box names the new page unless the user typed another number there (Update may
            // run on the way to it).
            const bool boxNamesPage = EditRecNum->text() == QString::number(ws.pageNumber);
            status = store.AppendPage(ws.dataSet, ws.password, ReadOnlyTicked(), ws.pageId, EditorRtf(), reminder,
                                      ws.created, ws.pageNumber, &append);
            if (boxNamesPage) EditRecNum->setText(QString::number(ws.pageNumber));
        } else {
            // Another program may have renumbered the page since it was shown. The box keeps a
            // number the user typed (Update may run on the way to it) unless the page moved.
            const int shownAs = ws.pageNumber;
            status = store.UpdatePage(ws.dataSet, ws.pageNumber, ws.password, ws.zapInProgress, ReadOnlyTicked(),
                                      ws.pageId, EditorRtf(), reminder, ws.created, &append);
            if (ws.pageNumber != shownAs) EditRecNum->setText(QString::number(ws.pageNumber));
        }
    } catch (...) {
        // Nothing of the page may be stored (another program held the data set, a file
        // failed): it stays modified, so that leaving it still asks about the changes.
        SetModified(true);
        throw;
    }
    hold.reset();
    if (status != 0) {
        // Nothing was stored: the page stays modified, so that leaving it or closing the window
        // asks about it again instead of dropping the text. A new page has no stored ID yet.
        if (newPage) ws.pageId.clear();
        SetModified(true);
        ui::ShowError(dialogs, this, WriteError(status));
        return false;
    }
    SetModified(false);
    if (!entries.empty()) {
        // Entries the file could not take stay in the list, which is written whole at the end.
        indexList.Entries().AddAll(std::move(entries));
        indexList.NoteAppend(append);
    }
    // A new page adds one to the count in the title.
    CaptionRefresh();
    EditBox->setFocus();
    return true;
}

void TMainForm::ZapButtonClick() {
    // A locked page's text is not in the editor: its copy would be empty.
    if (PwLocked()) return;
    const QString nothingStored = ws.deletedPagesMode ? "There is no stored page on screen to restore."
                                                      : "There is no stored page on screen to delete.";
    // Only a stored page can move. A page never written (a new page, a data set without pages,
    // a page that failed to read) would arrive as a blank or unsaved copy with an ID of its own.
    if (ws.pageId.empty() || store.FindPageById(ws.dataSet, ws.pageId, ws.pageNumber) < 0) {
        ui::ShowInformation(dialogs, this, nothingStored);
        return;
    }
    const QString question = ws.deletedPagesMode
                                 ? "Are you sure you wish to transfer this page back to the main data file?"
                                 : "Are you sure you wish to remove this page from the database?";
    if (!ui::AskYesNo(dialogs, this, question, ui::kButtonNo)) return;
    // Both data sets are held from the look at the page to its purge, so that no other program
    // moves or renumbers it meanwhile. While the question was on screen one may have: the page
    // is then no longer here to move.
    std::optional<DataSetPairLock> hold;
    hold.emplace(ws.dataSet);
    if (store.FindPageById(ws.dataSet, ws.pageId, ws.pageNumber) < 0) {
        hold.reset();
        ui::ShowInformation(dialogs, this, nothingStored);
        return;
    }
    const std::string target = CounterpartOf(ws.dataSet);
    const double reminder = remind::WholeDays(RemindDateValue()) + remind::TimeOfDayPart(RemindTimeValue());
    // A copy the counterpart already has (a move stopped part way) takes the text on screen; the
    // page is not copied a second time. A page moved back is found in the data set by the words
    // it holds now: it may have changed among the deleted pages, or on screen before the move,
    // since its entries there were made.
    IndexAppend append;
    if (ws.deletedPagesMode && EditorHasLines())
        append = PageEntriesAppend(indexList.Stops(), target, ws.pageId, EditorPlainText());
    int placed = -1;
    unsigned status = store.UpdatePage(target, placed, ws.password, false, ReadOnlyTicked(), ws.pageId, EditorRtf(),
                                       reminder, ws.created, append.text.empty() ? nullptr : &append);
    if (status != 0) {
        hold.reset();
        ui::ShowError(dialogs, this, WriteError(status));
        return;
    }
    ClearEditor();
    ws.zapInProgress = true;
    bool marked = false;
    try {
        marked = UpdateButtonClick();
    } catch (...) {
        ws.zapInProgress = false;
        ReshowUnmovedPage();
        throw;
    }
    ws.zapInProgress = false;
    if (!marked) {
        hold.reset();
        ReshowUnmovedPage();
        return;
    }
    QApplication::processEvents();
    status = store.PurgeDeletedHeaders(ws.dataSet);
    hold.reset();
    if (status != 0) ui::ShowError(dialogs, this, WriteError(status));

    // The removed page's ID now belongs to its copy in the target: the window lets go of it
    // before anything else is shown, so that no Update can write it here again.
    const std::string removedId = ws.pageId;
    ws.pageId.clear();
    ws.password.clear();
    ShowAfterZap(ws.pageNumber, removedId);
    CaptionRefresh();
}

void TMainForm::ReshowUnmovedPage() {
    // The page could not be marked as moved: it is still here as well as in the target, where a
    // second Zap finds its copy and finishes the move. The emptied editor is no change of the
    // user's, so it must not be offered for saving.
    SetModified(false);
    GotoRecord(ws.pageNumber);
}

void TMainForm::ShowAfterZap(int removedNumber, const std::string& removedId) {
    if (QueryMode() && DropFromQuery(removedId)) return;
    const int count = PageCount();
    if (count == 0) {
        // Nothing is left: the window holds a new page.
        ShowNewEmptyPage();
        return;
    }
    ShowPageNumber(std::min(removedNumber == 0 ? 0 : removedNumber - 1, count - 1));
}

void TMainForm::MMenuExitNoUpdateClick() {
    SetModified(false);
    close();
}

}  // namespace jb::workspace
