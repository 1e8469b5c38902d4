#include "datasets/progress_form.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

namespace jb::datasets {

TProgressForm::TProgressForm(QWidget* parent) : QDialog(parent) {
    setObjectName("ProgressForm");
    setWindowTitle("Quorvane Packing");
    setModal(false);
    auto* label = new QLabel("Progress:", this);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setAccessibleName("Progress");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setMinimumWidth(280);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(ProgressBar1);
    setFixedSize(sizeHint());
}

void TProgressForm::Begin(const QString& caption) {
    setWindowTitle(caption);
    ProgressBar1->setValue(0);
    if (const QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    raise();
    PaintNow();
}

void TProgressForm::SetProgress(int percent) {
    ProgressBar1->setValue(percent);
    PaintNow();
}

void TProgressForm::End() { hide(); }

// Paints what changed now, without handling the user's input.
void TProgressForm::PaintNow() {
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace jb::datasets
