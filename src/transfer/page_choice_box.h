#pragma once
// The choice of pages that the export and print dialogs share: the current page, a range, a
// saved query, the highlighted text, or the open query.

#include <QString>
#include <QStringList>
#include <QWidget>

class QComboBox;
class QRadioButton;
class QSpinBox;
class QToolButton;

namespace jb::transfer {

enum class PageChoice { kCurrent, kRange, kSavedQuery, kSelectedText, kCurrentQuery };

class PageChoiceBox : public QWidget {
    Q_OBJECT
public:
    explicit PageChoiceBox(QWidget* parent = nullptr);

    // The dialog's FormShow: the open query unticked and disabled, both numbers limited to the
    // last page, the saved queries listed; with a query open, the open query chosen.
    void Refresh(int pageCount, const QStringList& savedQueries, bool queryOpen);
    PageChoice Chosen() const;
    void Choose(PageChoice choice);
    int From() const;
    int To() const;
    // What the saved-query box holds: a name in the program folder, or a full path.
    QString SavedQueryText() const;
    void SetSavedQueryText(const QString& text);

    QRadioButton* RCurrent;
    QRadioButton* RRange;
    QSpinBox* EditFrom;  // with its arrows, UpDown1
    QSpinBox* EditTo;    // with its arrows, UpDown2
    QRadioButton* RQuery;
    QComboBox* QueryComboBox;
    QToolButton* SpeedButton1;  // browse for a saved query
    QRadioButton* rbSelectedText;
    QRadioButton* rbCurrentQuery;

signals:
    void BrowseClicked();
};

}  // namespace jb::transfer
