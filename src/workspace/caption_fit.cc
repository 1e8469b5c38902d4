#include "workspace/caption_fit.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFontMetrics>
#include <QLayout>
#include <QMessageBox>
#include <QStyle>
#include <algorithm>

namespace jb::ui {
namespace {

// The title bar holds, besides the caption, an icon and three buttons about as wide as the bar
// is high, and a margin at each end.
constexpr int kTitleBarSquares = 4;
constexpr int kLeastTitleBarHeight = 24;
constexpr int kTitleBarMargins = 32;

class CaptionFitter : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show && event->type() != QEvent::WindowTitleChange)
            return false;
        auto* dialog = qobject_cast<QDialog*>(watched);
        // A message box sizes itself at every show, and its caption is the program's name.
        if (dialog && dialog->isWindow() && !qobject_cast<QMessageBox*>(dialog))
            FitToCaption(*dialog);
        return false;
    }
};

}  // namespace

int CaptionWidth(const QString& title) {
    QFont font = QApplication::font();
    font.setBold(true);
    const int barHeight = std::max(kLeastTitleBarHeight,
                                   QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight));
    return QFontMetrics(font).horizontalAdvance(title) + kTitleBarSquares * barHeight +
           kTitleBarMargins;
}

void FitToCaption(QWidget& dialog) {
    const int needed = CaptionWidth(dialog.windowTitle());
    if (dialog.minimumWidth() >= needed && dialog.width() >= needed) return;
    if (QLayout* layout = dialog.layout();
        layout && layout->sizeConstraint() == QLayout::SetFixedSize) {
        // The layout would fix the width again at its next pass; the height stays as laid out.
        layout->setSizeConstraint(QLayout::SetMinimumSize);
        dialog.setMaximumSize(QWIDGETSIZE_MAX, dialog.height());
    }
    dialog.setMinimumWidth(needed);
    if (dialog.width() < needed) dialog.resize(needed, dialog.height());
}

void FitDialogsToCaptions(QObject* owner) { qApp->installEventFilter(new CaptionFitter(owner)); }

}  // namespace jb::ui
