#include "workspace/dialogs.h"

namespace jb::ui {

void ShowInformation(Dialogs& dialogs, QWidget* parent, const QString& text) {
    dialogs.ShowMessage(parent, {kMessageCaption, text, MessageIcon::kInformation, kButtonOk, kButtonOk});
}

void ShowError(Dialogs& dialogs, QWidget* parent, const QString& text) {
    dialogs.ShowMessage(parent, {kMessageCaption, text, MessageIcon::kError, kButtonOk, kButtonOk});
}

bool AskYesNo(Dialogs& dialogs, QWidget* parent, const QString& text, MessageButton defaultButton,
              const QString& caption) {
    return dialogs.ShowMessage(parent, {caption, text, MessageIcon::kQuestion, kButtonYes | kButtonNo,
                                        defaultButton}) == kButtonYes;
}

}  // namespace jb::ui
