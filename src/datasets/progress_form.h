#pragma once
// The progress dialog of the long commands (pack; later export, print and import): a caption, a
// label "Progress:" and one bar from 0 to 100, shown without blocking the window and painted at
// once at each step, since the command runs on the window's own thread.

#include <QDialog>

class QProgressBar;

namespace jb::datasets {

class TProgressForm : public QDialog {
    Q_OBJECT
public:
    explicit TProgressForm(QWidget* parent = nullptr);

    // Shows the dialog with `caption` and the bar at 0.
    void Begin(const QString& caption);
    // Moves the bar and paints it.
    void SetProgress(int percent);
    // Hides the dialog.
    void End();

    QProgressBar* ProgressBar1;

private:
    void PaintNow();
};

}  // namespace jb::datasets
