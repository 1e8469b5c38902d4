#include "transfer/page_choice_box.h"

#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <algorithm>

namespace jb::transfer {
namespace {

QSpinBox* NumberField(QWidget* parent, const char* name, const QString& accessible) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setAccessibleName(accessible);
    box->setRange(0, 0);
    box->setWrapping(false);
    return box;
}

}  // namespace

PageChoiceBox::PageChoiceBox(QWidget* parent) : QWidget(parent) {
    RCurrent = new QRadioButton("&Current", this);
    RCurrent->setObjectName("RCurrent");
    RCurrent->setChecked(true);
    RRange = new QRadioButton("&Range:", this);
    RRange->setObjectName("RRange");
    EditFrom = NumberField(this, "EditFrom", "From page");
    EditTo = NumberField(this, "EditTo", "To page");
    RQuery = new QRadioButton("from a saved &Query:", this);
    RQuery->setObjectName("RQuery");
    QueryComboBox = new QComboBox(this);
    QueryComboBox->setObjectName("QueryComboBox");
    QueryComboBox->setAccessibleName("Saved query");
    QueryComboBox->setEditable(true);
    QueryComboBox->setInsertPolicy(QComboBox::NoInsert);
    QueryComboBox->completer()->setCompletionMode(QCompleter::InlineCompletion);
    QueryComboBox->setMinimumContentsLength(20);
    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setObjectName("SpeedButton1");
    SpeedButton1->setText("...");
    SpeedButton1->setAccessibleName("Browse for a saved query");
    SpeedButton1->setToolTip("Browse for a saved query");
    rbSelectedText = new QRadioButton("Highlighted Text", this);
    rbSelectedText->setObjectName("rbSelectedText");
    rbCurrentQuery = new QRadioButton("from the &current Query", this);
    rbCurrentQuery->setObjectName("rbCurrentQuery");

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(RCurrent, 0, 0);
    grid->addWidget(RRange, 1, 0);
    grid->addWidget(EditFrom, 1, 1);
    grid->addWidget(new QLabel("to:", this), 1, 2);
    grid->addWidget(EditTo, 1, 3);
    grid->addWidget(RQuery, 2, 0);
    grid->addWidget(QueryComboBox, 2, 1, 1, 3);
    grid->addWidget(SpeedButton1, 2, 4);
    grid->addWidget(rbSelectedText, 3, 0);
    grid->addWidget(rbCurrentQuery, 4, 0);

    // Stepping From up carries To along: To never starts below From. Touching either number
    // chooses the range, and the saved-query box chooses the saved query.
    connect(EditFrom, &QSpinBox::valueChanged, this, [this](int from) {
        EditTo->setMinimum(from);
        RRange->setChecked(true);
    });
    connect(EditTo, &QSpinBox::valueChanged, this, [this] { RRange->setChecked(true); });
    connect(QueryComboBox, &QComboBox::activated, this, [this] { RQuery->setChecked(true); });
    connect(QueryComboBox->lineEdit(), &QLineEdit::textEdited, this, [this] { RQuery->setChecked(true); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] {
        RQuery->setChecked(true);
        emit BrowseClicked();
    });
}

void PageChoiceBox::Refresh(int pageCount, const QStringList& savedQueries, bool queryOpen) {
    // A choice of the open query does not outlive it; the current page takes its place.
    if (rbCurrentQuery->isChecked()) RCurrent->setChecked(true);
    rbCurrentQuery->setEnabled(false);
    const int last = std::max(0, pageCount - 1);
    // Limits set without the choice moving to the range.
    for (QSpinBox* box : {EditFrom, EditTo}) {
        const QSignalBlocker quiet(box);
        box->setMaximum(last);
    }
    {
        const QSignalBlocker quiet(EditTo);
        EditTo->setMinimum(std::min(EditFrom->value(), last));
    }
    const QString typed = QueryComboBox->currentText();
    QueryComboBox->clear();
    QueryComboBox->addItems(savedQueries);
    QueryComboBox->setEditText(typed);
    if (queryOpen) {
        rbCurrentQuery->setEnabled(true);
        rbCurrentQuery->setChecked(true);
    }
}

PageChoice PageChoiceBox::Chosen() const {
    if (RRange->isChecked()) return PageChoice::kRange;
    if (RQuery->isChecked()) return PageChoice::kSavedQuery;
    if (rbSelectedText->isChecked()) return PageChoice::kSelectedText;
    if (rbCurrentQuery->isChecked()) return PageChoice::kCurrentQuery;
    return PageChoice::kCurrent;
}

void PageChoiceBox::Choose(PageChoice choice) {
    switch (choice) {
        case PageChoice::kCurrent: RCurrent->setChecked(true); break;
        case PageChoice::kRange: RRange->setChecked(true); break;
        case PageChoice::kSavedQuery: RQuery->setChecked(true); break;
        case PageChoice::kSelectedText: rbSelectedText->setChecked(true); break;
        case PageChoice::kCurrentQuery: rbCurrentQuery->setChecked(true); break;
    }
}

int PageChoiceBox::From() const { return EditFrom->value(); }
int PageChoiceBox::To() const { return EditTo->value(); }

QString PageChoiceBox::SavedQueryText() const { return QueryComboBox->currentText(); }
void PageChoiceBox::SetSavedQueryText(const QString& text) { QueryComboBox->setEditText(text); }

}  // namespace jb::transfer
