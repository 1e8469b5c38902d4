#include "search/search_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>

#include "remind/qt_dates.h"
#include "search/query_files.h"

namespace jb::search {

namespace {

template <typename W>
W* Named(W* w, const char* name) {
    w->setObjectName(name);
    return w;
}

QDateEdit* DatePicker(QWidget* parent, const char* name) {
    auto* d = Named(new QDateEdit(parent), name);
    d->setCalendarPopup(true);
    d->setMinimumDate(remind::DayZero());
    d->setDisplayFormat(remind::PickerDateFormat());
    return d;
}

}  // namespace

TSearchForm::TSearchForm(QWidget* parent) : QDialog(parent) {
    setObjectName("SearchForm");
    setWindowTitle("Quorvane Search");
    setModal(false);

    Label1 = Named(new QLabel("Search for:", this), "Label1");
    SearchTerm = Named(new QComboBox(this), "SearchTerm");
    SearchTerm->setEditable(true);
    SearchTerm->setInsertPolicy(QComboBox::NoInsert);
    SearchTerm->setCompleter(nullptr);
    SearchTerm->setMinimumWidth(260);
    Label1->setBuddy(SearchTerm);
    Label2 = Named(new QLabel("You may use the words and, and not, or", this), "Label2");
    Label3 = Named(new QLabel("and the prefix commands + and -", this), "Label3");
    for (QLabel* l : {Label2, Label3}) {
        QFont small = l->font();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        l->setFont(small);
    }
    Button1 = Named(new QPushButton("&Search", this), "Button1");
    Button1->setDefault(true);
    Button2 = Named(new QPushButton("C&ancel", this), "Button2");

    GroupBox1 = Named(new QGroupBox("Op&tions", this), "GroupBox1");
    DateComboBox = Named(new QComboBox(GroupBox1), "DateComboBox");
    DateComboBox->addItems({"Reminder Date", "Creation Date", "Modificaiton Date"});
    DateComboBox->setCurrentIndex(-1);
    BeforeDateTick = Named(new QCheckBox("&Before:", GroupBox1), "BeforeDateTick");
    BeforeDate = DatePicker(GroupBox1, "BeforeDate");
    AfterDateTick = Named(new QCheckBox("&After:", GroupBox1), "AfterDateTick");
    AfterDate = DatePicker(GroupBox1, "AfterDate");
    SortComboBox = Named(new QComboBox(GroupBox1), "SortComboBox");
    SortComboBox->addItems(
        {"Sort by Page number", "Sort by Creation date", "Sort by Modification date", "Sort by reminder date"});

    auto* options = new QGridLayout(GroupBox1);
    options->addWidget(DateComboBox, 0, 0, 1, 2);
    options->addWidget(AfterDateTick, 1, 0);
    options->addWidget(AfterDate, 1, 1);
    options->addWidget(BeforeDateTick, 2, 0);
    options->addWidget(BeforeDate, 2, 1);
    options->addWidget(SortComboBox, 3, 0, 1, 2);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addStretch();
    auto* left = new QVBoxLayout;
    left->addWidget(Label1);
    left->addWidget(SearchTerm);
    left->addWidget(Label2);
    left->addWidget(Label3);
    left->addWidget(GroupBox1);
    auto* all = new QHBoxLayout(this);
    all->addLayout(left, 1);
    all->addLayout(buttons);
    all->setSizeConstraint(QLayout::SetFixedSize);

    connect(Button1, &QPushButton::clicked, this, &TSearchForm::Search);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, &TSearchForm::HelpRequested);
}

void TSearchForm::PresetDates(double now) {
    AfterDate->setDate(remind::DateOfDays(now - 7));
    BeforeDate->setDate(remind::DateOfDays(now + 7));
}

void TSearchForm::DoShow(int defSort, int defDateType, const QString& recentFile) {
    SortComboBox->setCurrentIndex(std::clamp(defSort, 0, SortComboBox->count() - 1));
    if (DateComboBox->currentIndex() < 0)
        DateComboBox->setCurrentIndex(std::clamp(defDateType, 0, DateComboBox->count() - 1));
    BeforeDateTick->setChecked(false);
    AfterDateTick->setChecked(false);
    if (std::optional<std::vector<std::string>> lines = ReadTextLines(recentFile)) {
        QStringList items;
        for (const std::string& line : *lines) items << TextOfBytes(line);
        items.sort();
        const QString typed = SearchTerm->currentText();
        SearchTerm->clear();
        SearchTerm->addItems(items);
        SearchTerm->setEditText(typed);
    }
    Label1->setText(Refining ? "Refine to" : "Search for");
    SearchTerm->setFocus();
}

SearchSettings TSearchForm::Settings() const {
    SearchSettings s;
    s.sortChoice = std::max(0, SortComboBox->currentIndex());
    s.dateKind = std::max(0, DateComboBox->currentIndex());
    if (AfterDateTick->isChecked()) s.after = remind::DaysOfDate(AfterDate->date());
    if (BeforeDateTick->isChecked()) s.before = remind::DaysOfDate(BeforeDate->date());
    return s;
}

QString TSearchForm::QueryText() const { return SearchTerm->currentText(); }

void TSearchForm::PutFirst(const QString& text) {
    const QString typed = SearchTerm->currentText();
    SearchTerm->insertItem(0, text);
    SearchTerm->setEditText(typed);
}

QStringList TSearchForm::Items() const {
    QStringList items;
    for (int i = 0; i < SearchTerm->count(); ++i) items << SearchTerm->itemText(i);
    return items;
}

void TSearchForm::CentreOnScreen() {
    QScreen* screen = parentWidget() != nullptr ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    adjustSize();
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
}

}  // namespace jb::search
