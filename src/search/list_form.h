#pragma once
// The recent searches list (TListForm, caption "Quorvane Recent Searches"): not modal, fixed
// size, centred on the screen, filled by the list box List in the file's order. Choosing an item
// reports its text (ItemChosen); the window puts it in the quick search box.

#include <QDialog>

class QListWidget;

namespace jb::search {

class TListForm : public QDialog {
    Q_OBJECT
public:
    explicit TListForm(QWidget* parent = nullptr);

    // Empties List and fills it with the lines of `recentFile` when it exists.
    void Load(const QString& recentFile);
    void CentreOnScreen();

    QListWidget* List;

signals:
    void ItemChosen(const QString& text);
};

}  // namespace jb::search
