#pragma once
// The production Dialogs: Qt message boxes and the program's own forms.

#include <memory>

#include "workspace/dialogs.h"

namespace jb::remind {
class TGetRemindDateForm;
}
namespace jb::protect {
class TEnterPasswordForm;
}

namespace jb::ui {

class QtDialogs final : public Dialogs {
public:
    QtDialogs();
    ~QtDialogs() override;

    // Creates the program's own forms, in the order the program has always created them, as
    // children of the main window.
    void CreateForms(QWidget* mainWindow);

    MessageButton ShowMessage(QWidget* parent, const MessageRequest& request) override;
    std::optional<double> AskRemindDate(QWidget* parent, double proposedDate) override;
    std::optional<FontChoice> AskFont(QWidget* parent, const QFont& font, const QColor& colour) override;
    QString AskOpenFile(QWidget* parent, const QString& caption, const QString& filter,
                        const QString& folder) override;
    std::optional<SavedFile> AskSaveFileOfType(QWidget* parent, const QString& caption, const QString& folder,
                                               const QStringList& filters, int selected) override;
    bool AskPrinter(QWidget* parent, QPrinter& printer) override;
    std::optional<OpenedFiles> AskOpenFilesOfType(QWidget* parent, const QString& caption, const QString& folder,
                                                  const QStringList& filters, int selected) override;
    QString AskSaveFile(QWidget* parent, const QString& caption, const QString& folder, const QString& filter,
                        const QString& defaultSuffix) override;
    bool AskPagePassword(QWidget* parent, const QString& pageLabel, const std::string& expectedPassword) override;

    protect::TEnterPasswordForm* EnterPasswordForm = nullptr;
    remind::TGetRemindDateForm* GetRemindDateForm = nullptr;
};

}  // namespace jb::ui
