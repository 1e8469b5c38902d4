#include "search/list_form.h"

#include <QGuiApplication>
#include <QListWidget>
#include <QScreen>
#include <QVBoxLayout>

#include "search/query_files.h"

namespace jb::search {

TListForm::TListForm(QWidget* parent) : QDialog(parent) {
    setObjectName("ListForm");
    setWindowTitle("Quorvane Recent Searches");
    setModal(false);
    List = new QListWidget(this);
    List->setObjectName("List");
    List->setAccessibleName("Recent searches");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(List);
    setFixedSize(300, 240);
    // A click, or a keyboard choice (Enter), picks an item.
    connect(List, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { emit ItemChosen(item->text()); });
    connect(List, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) { emit ItemChosen(item->text()); });
}

void TListForm::Load(const QString& recentFile) {
    List->clear();
    if (std::optional<std::vector<std::string>> lines = ReadTextLines(recentFile))
        for (const std::string& line : *lines) List->addItem(TextOfBytes(line));
}

void TListForm::CentreOnScreen() {
    QScreen* screen = parentWidget() != nullptr ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
}

}  // namespace jb::search
