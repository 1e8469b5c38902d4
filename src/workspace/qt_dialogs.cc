#include "workspace/qt_dialogs.h"

#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <algorithm>
#include <memory>

#include "editor/font_form.h"
#include "protect/password_forms.h"
#include "remind/remind_date_form.h"

namespace jb::ui {

QtDialogs::QtDialogs() = default;
QtDialogs::~QtDialogs() = default;

void QtDialogs::CreateForms(QWidget* mainWindow) {
    // TPwForm (the main window's own), TExportForm1, TExportForm2, TOptionsForm, TPrintForm1,
    // TSearchForm and TProgressForm come before these as their subsystems add them.
    EnterPasswordForm = new protect::TEnterPasswordForm(*this, mainWindow);
    GetRemindDateForm = new remind::TGetRemindDateForm(mainWindow);
    // TAddNewDictionaryForm and TListForm follow.
}

MessageButton QtDialogs::ShowMessage(QWidget* parent, const MessageRequest& request) {
    QMessageBox box(parent);
    box.setWindowTitle(request.caption);
    box.setText(request.text);
    switch (request.icon) {
        case MessageIcon::kInformation: box.setIcon(QMessageBox::Information); break;
        case MessageIcon::kWarning: box.setIcon(QMessageBox::Warning); break;
        case MessageIcon::kError: box.setIcon(QMessageBox::Critical); break;
        case MessageIcon::kQuestion: box.setIcon(QMessageBox::Question); break;
    }
    const std::pair<MessageButton, QMessageBox::StandardButton> kinds[] = {{kButtonOk, QMessageBox::Ok},
                                                                          {kButtonCancel, QMessageBox::Cancel},
                                                                          {kButtonYes, QMessageBox::Yes},
                                                                          {kButtonNo, QMessageBox::No}};
    QMessageBox::StandardButtons buttons;
    for (auto [ours, qt] : kinds)
        if (request.buttons & ours) buttons |= qt;
    box.setStandardButtons(buttons);
    for (auto [ours, qt] : kinds)
        if (request.defaultButton == ours) box.setDefaultButton(qt);
    const int pressed = box.exec();
    for (auto [ours, qt] : kinds)
        if (pressed == qt) return ours;
    // Closed without a button: the answer of Escape.
    return (request.buttons & kButtonNo) ? kButtonNo : (request.buttons & kButtonCancel) ? kButtonCancel : kButtonOk;
}

std::optional<double> QtDialogs::AskRemindDate(QWidget* parent, double proposedDate) {
    if (!GetRemindDateForm) GetRemindDateForm = new remind::TGetRemindDateForm(parent);
    GetRemindDateForm->Propose(proposedDate);
    if (GetRemindDateForm->exec() != QDialog::Accepted) return std::nullopt;
    return GetRemindDateForm->Chosen();
}

std::optional<FontChoice> QtDialogs::AskFont(QWidget* parent, const QFont& font, const QColor& colour) {
    editor::TFontForm form(parent);
    form.Propose(font, colour);
    if (form.exec() != QDialog::Accepted) return std::nullopt;
    return FontChoice{form.ChosenFont(), form.ChosenColour()};
}

QString QtDialogs::AskOpenFile(QWidget* parent, const QString& caption, const QString& filter,
                               const QString& folder) {
    return QFileDialog::getOpenFileName(parent, caption, folder, filter);
}

std::optional<SavedFile> QtDialogs::AskSaveFileOfType(QWidget* parent, const QString& caption, const QString& folder,
                                                      const QStringList& filters, int selected) {
    QFileDialog dialog(parent, caption, folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setNameFilters(filters);
    if (selected >= 0 && selected < filters.size()) dialog.selectNameFilter(filters[selected]);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return SavedFile{dialog.selectedFiles().front(),
                     std::max(0, static_cast<int>(filters.indexOf(dialog.selectedNameFilter())))};
}

std::optional<OpenedFiles> QtDialogs::AskOpenFilesOfType(QWidget* parent, const QString& caption,
                                                         const QString& folder, const QStringList& filters,
                                                         int selected) {
    QFileDialog dialog(parent, caption, folder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(filters);
    if (selected >= 0 && selected < filters.size()) dialog.selectNameFilter(filters[selected]);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return OpenedFiles{dialog.selectedFiles(), std::max(0, static_cast<int>(filters.indexOf(dialog.selectedNameFilter())))};
}

bool QtDialogs::AskPrinter(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

QString QtDialogs::AskSaveFile(QWidget* parent, const QString& caption, const QString& folder, const QString& filter,
                               const QString& defaultSuffix) {
    QFileDialog dialog(parent, caption, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

bool QtDialogs::AskPagePassword(QWidget* parent, const QString& pageLabel, const std::string& expectedPassword) {
    protect::TEnterPasswordForm* form = EnterPasswordForm;
    std::unique_ptr<protect::TEnterPasswordForm> own;
    if (!form) {
        own = std::make_unique<protect::TEnterPasswordForm>(*this, parent);
        form = own.get();
    }
    form->PNLabel->setText(pageLabel);
    form->ExpectedPassword = expectedPassword.substr(0, protect::kMaxPassword);
    return form->exec() == QDialog::Accepted;
}

}  // namespace jb::ui
