// The password lock of the main window: the password attribute, the Set Password dialog's
// answers, and the panel that keeps a protected page's text out of the editor until its
// password is typed. TMainForm members, built with the window.

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "protect/page_key.h"
#include "protect/password_forms.h"
#include "protect/decipher.h"
#include "search/query_files.h"
#include "store/dataset_paths.h"
#include "store/io_error.h"
#include "workspace/main_form.h"

namespace jb::workspace {

namespace {

std::string ReadWholeFile(FileSystem& files, const std::string& path) {
    std::unique_ptr<File> file = files.Open(path, OpenMode::kRead);
    if (!file) throw IoError(path, "Cannot open the file");
    std::string bytes(static_cast<std::size_t>(file->Size()), '\0');
    file->ReadExactly(bytes.data(), bytes.size());
    return bytes;
}

}  // namespace

void TMainForm::BuildProtection() {
    PwForm = new protect::TPwForm(dialogs, this);
    connect(PwForm, &protect::TPwForm::PasswordSet, this,
            [this](const std::string& p) { RunGuarded([this, p] { PasswordSet(p); }); });
    connect(PwForm, &protect::TPwForm::Cancelled, this,
            [this] { RunGuarded([this] { PasswordCancelled(); }); });

    PasswordPanel = new QFrame(EditBox->parentWidget());
    PasswordPanel->setObjectName("PasswordPanel");
    auto* title = new QLabel("Protected Page", PasswordPanel);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    title->setStyleSheet("color: navy;");
    auto* image = new QLabel(PasswordPanel);
    image->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    EditPw = new QLineEdit(PasswordPanel);
    EditPw->setObjectName("EditPw");
    EditPw->setAccessibleName("Password");
    EditPw->setEchoMode(QLineEdit::Password);
    EditPw->setMaxLength(protect::kMaxPassword);
    PwButton = new QPushButton("&OK", PasswordPanel);
    PwButton->setObjectName("PwButton");
    PwButton->setDefault(true);
    PwCancelButton = new QPushButton("C&ancel", PasswordPanel);
    PwCancelButton->setObjectName("Button2");
    auto* rows = new QVBoxLayout(PasswordPanel);
    rows->addWidget(title);
    auto* entry = new QHBoxLayout;
    entry->addWidget(image);
    auto* field = new QVBoxLayout;
    field->addWidget(new QLabel("Enter Password:", PasswordPanel));
    field->addWidget(EditPw);
    entry->addLayout(field);
    rows->addLayout(entry);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(PwButton);
    buttons->addWidget(PwCancelButton);
    rows->addLayout(buttons);
    PasswordPanel->adjustSize();
    PasswordPanel->setEnabled(false);
    PasswordPanel->hide();

    connect(PwButton, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { PwButtonClick(); }); });
    connect(EditPw, &QLineEdit::returnPressed, this,
            [this] { RunGuarded([this] { PwButtonClick(); }); });
    connect(PwCancelButton, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { Button2Click(); }); });

    hooks.enablePassword = [](TMainForm& f) { f.EnablePw(); };
    hooks.passwordBoxClicked = [](TMainForm& f, bool ticked) { f.PasswordBoxClicked(ticked); };
}

bool TMainForm::PwLocked() const { return !PasswordPanel->isHidden(); }

void TMainForm::ReleaseLock() {
    if (!PwLocked()) return;
    DisablePw();
    store.Files().Remove(CompanionPath(ws.dataSet, ".tpm"));
}

void TMainForm::PasswordBoxClicked(bool ticked) {
    SetModified(true);
    if (ticked) {
        if (ws.password.empty()) {
            PwForm->show();
            PwForm->raise();
        }
        MMenuPassword->setChecked(true);
        return;
    }
    ws.password.clear();
    MMenuPassword->setChecked(false);
    SetModified(true);
}

void TMainForm::MMenuPasswordClick() {
    MMenuPassword->setChecked(CheckBoxPassword->isChecked());  // the box's handler sets it
    CheckBoxPassword->toggle();
}

void TMainForm::PasswordSet(const std::string& password) {
    ws.password = password;
    EditBox->document()->setModified(true);
    SetModified(true);
}

void TMainForm::PasswordCancelled() {
    ws.password.clear();
    CheckBoxPassword->setChecked(false);
}

namespace {

template <typename T, std::size_t N>
bool Contains(const T* const (&list)[N], const T* item) {
    return std::find(std::begin(list), std::end(list), item) != std::end(list);
}

// Every command of a menu and of its submenus.
void CollectActions(const QMenu* menu, std::vector<QAction*>& out) {
    for (QAction* a : menu->actions()) {
        if (a->isSeparator()) continue;
        if (a->menu())
            CollectActions(a->menu(), out);
        else
            out.push_back(a);
    }
}

}  // namespace

// The four toolbars and four menus. The page number box and the navigation buttons share the
// Database toolbar but stay usable, so the toolbars' controls are disabled one by one and the
// ones that were enabled are enabled again. A disabled menu still fires its items' shortcuts,
// and the editor's context menu is no menu of the bar: their commands are disabled one by one
// too, all but those that leave the page or do not touch it.
void TMainForm::SetLockedControls(bool enabled) {
    for (QMenu* menu : {FileMenu, PageMenu, EditMenu, FormatMenu})
        menu->menuAction()->setEnabled(enabled);
    if (enabled) {
        for (QWidget* w : pwDisabled_) w->setEnabled(true);
        pwDisabled_.clear();
        for (QAction* a : pwDisabledActions_) a->setEnabled(true);
        pwDisabledActions_.clear();
        return;
    }
    const QWidget* const keptWidgets[] = {EditRecNum, ButtonUp, ButtonDown, GoButton};
    for (QToolBar* bar : {ToolBarFormatting, ToolBarDatabase, ToolBarEditing, ToolBarAttributes}) {
        for (QAction* a : bar->actions()) {
            QWidget* w = bar->widgetForAction(a);
            if (!w || Contains(keptWidgets, static_cast<const QWidget*>(w)) || !w->isEnabled()) continue;
            w->setEnabled(false);
            pwDisabled_.push_back(w);
        }
    }
    const QAction* const keptActions[] = {MMenuNext,  MMenuPrevious, RMenuNext, RMenuPrevious,
                                          Searchpages1, RMenuSearch, Exit1,     AutomaticUpdate1};
    std::vector<QAction*> commands;
    for (QMenu* menu : {FileMenu, PageMenu, EditMenu, FormatMenu, PopupMenu1}) CollectActions(menu, commands);
    for (QAction* a : commands) {
        if (Contains(keptActions, static_cast<const QAction*>(a)) || !a->isEnabled()) continue;
        a->setEnabled(false);
        pwDisabledActions_.push_back(a);
    }
}

void TMainForm::EnablePw() {
    ClearEditor();
    // Ticking the password box on the way here marked the page modified; the locked page has
    // no text of the user's, so nothing is to be saved until it is unlocked. (This comes before
    // the controls are locked, so that unlocking does not enable Update again.)
    SetModified(false);
    SetLockedControls(false);
    PasswordPanel->setEnabled(true);
    QPalette palette = PasswordPanel->palette();
    palette.setColor(QPalette::Window, EditBox->palette().color(QPalette::Base));
    PasswordPanel->setPalette(palette);
    PasswordPanel->setAutoFillBackground(true);
    const QRect editor = EditBox->geometry();
    PasswordPanel->move(editor.left() + editor.width() / 2 - PasswordPanel->width() / 2,
                        editor.top() + editor.height() / 2 - PasswordPanel->height() / 2);
    PasswordPanel->show();
    PasswordPanel->raise();
    ClearEditor();
    EditBox->setEnabled(true);
    EditBox->setReadOnly(true);
    EditPw->setFocus();
}

void TMainForm::DisablePw() {
    SetLockedControls(true);
    PasswordPanel->setEnabled(false);
    PasswordPanel->hide();
    // The unlocked page keeps its read-only attribute.
    EditBox->setReadOnly(CheckBoxReadOnly->isChecked());
    EditBox->setEnabled(true);
}

void TMainForm::PwButtonClick() {
    if (!protect::PasswordMatches(EditPw->text(), ws.password)) {
        ui::ShowInformation(
            dialogs, this,
            "You have not typed the password correctly. Please check for spelling/punctuation and "
            "try again.");
        EditPw->clear();
        EditPw->setFocus();
        return;
    }
    DisablePw();
    const std::string key = PageKey(*protect::PasswordBytes(EditPw->text()));
    EditPw->clear();
    const std::string readOut = CompanionPath(ws.dataSet, ".tpm");
    // Deciphered in memory: a file of the page's text in clear would stay on disk, readable,
    // whenever the program stopped before removing it.
    const std::string body = Rc4Bytes(key, ReadWholeFile(store.Files(), readOut));
    // What follows the rich text, the trailer byte, is not page text.
    if (body.size() > 1) LoadEditor(std::string_view(body).substr(0, body.size() - 1));
    SetModified(false);
    EditBox->document()->setModified(false);
    store.Files().Remove(readOut);
    // In a query the page shows its first occurrence, or gives way to the next page of the
    // query when it holds none. A query without highlighting (the reminders) keeps its page.
    if (QueryMode() && !NoHighlight) {
        HighlightPos = 0;
        if (!DoHighlight(search::TextOfBytes(QueryList.front()))) ButtonUpClick();
    }
}

void TMainForm::Button2Click() {
    DisablePw();
    store.Files().Remove(CompanionPath(ws.dataSet, ".tpm"));
    if (PageCount() == 1)
        AddButtonClick();
    else if (ws.pageNumber == 0)
        ButtonUpClick();
    else
        ButtonDownClick();
}

}  // namespace jb::workspace
