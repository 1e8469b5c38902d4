#pragma once
// The Dialogs seam for random walks: every question is answered at random with one of the
// buttons it offers, every message is logged with its answer, and the file dialogs give what
// the walker queued for them (Cancel otherwise).

#include <deque>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "workspace/dialogs.h"

namespace jb::walk {

struct Shown {
    std::string text;  // a message's text, or "<remind date>" for the reminder-date dialog
    ui::MessageButton answer = ui::kButtonNone;
    std::optional<double> date;  // the reminder-date dialog's answer
};

class RandomDialogs final : public ui::Dialogs {
  public:
    explicit RandomDialogs(std::mt19937& random) : random_(random) {}

    ui::MessageButton ShowMessage(QWidget* parent, const ui::MessageRequest& request) override;
    std::optional<double> AskRemindDate(QWidget* parent, double proposedDate) override;
    QString AskOpenFile(QWidget* parent, const QString& caption, const QString& filter,
                        const QString& folder) override;
    QString AskSaveFile(QWidget* parent, const QString& caption, const QString& folder,
                        const QString& filter, const QString& defaultSuffix) override;
    std::optional<ui::OpenedFiles> AskOpenFilesOfType(QWidget* parent, const QString& caption,
                                                      const QString& folder,
                                                      const QStringList& filters,
                                                      int selected) override;

    // What the next file dialog of each kind gives (an empty text: Cancel).
    std::deque<QString> openFiles, saveFiles;
    std::deque<QStringList> importFiles;
    // Everything shown since the walker last took it.
    std::vector<Shown> log;

  private:
    std::mt19937& random_;
};

}  // namespace jb::walk
