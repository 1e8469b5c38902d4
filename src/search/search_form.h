#pragma once
// The search dialog (TSearchForm, caption "Quorvane Search"): the query text with the recent
// searches, the date filter and the sort order. Not modal, fixed size, centred on the screen.
// It holds what the user chose; the main window runs the search when Search is pressed (the
// Search signal) and hides the dialog afterwards.

#include <QDialog>
#include <QString>
#include <QStringList>

#include "search/search_engine.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QPushButton;

namespace jb::search {

inline constexpr int kSearchHelpContext = 30;

class TSearchForm : public QDialog {
    Q_OBJECT
public:
    explicit TSearchForm(QWidget* parent = nullptr);

    // Each time the dialog is shown: AfterDate := `now` - 7 days, BeforeDate := `now` + 7 days
    // (date-times as stored, days since 30/12/1899).
    void PresetDates(double now);
    // Prepares the dialog: SortComboBox := `defSort`; DateComboBox := `defDateType` when it has
    // no choice yet; both tick boxes cleared; the items of SearchTerm replaced by the lines of
    // `recentFile` (sorted) when it exists; Label1 by Refining; focus on SearchTerm.
    void DoShow(int defSort, int defDateType, const QString& recentFile);
    // The dialog's settings for the search (sort, date kind, ticked dates).
    SearchSettings Settings() const;
    QString QueryText() const;
    // A successful search's working text goes in as the first item.
    void PutFirst(const QString& text);
    QStringList Items() const;
    // Centred on the screen of `over` (or the primary screen).
    void CentreOnScreen();

    bool Refining = false;

    QLabel* Label1;
    QComboBox* SearchTerm;
    QLabel* Label2;
    QLabel* Label3;
    QPushButton* Button1;  // "&Search"
    QPushButton* Button2;  // "C&ancel"
    QGroupBox* GroupBox1;
    QComboBox* DateComboBox;
    QCheckBox* BeforeDateTick;
    QDateEdit* BeforeDate;
    QCheckBox* AfterDateTick;
    QDateEdit* AfterDate;
    QComboBox* SortComboBox;

signals:
    void Search();
    void HelpRequested();
};

}  // namespace jb::search
