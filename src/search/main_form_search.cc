// The ways into the search from the main window: the search dialog (Adv. Find, Refine), the
// quick search box of the Search toolbar, the recent searches list, the quiet reminder query of
// start-up and "/FIND". These are TMainForm members, built with the window.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>
#include <utility>

#include "search/list_form.h"
#include "search/query_files.h"
#include "search/search_engine.h"
#include "search/search_form.h"
#include "store/dates.h"
#include "workspace/main_form.h"

namespace jb::workspace {

void TMainForm::BuildSearch() {
    SearchForm = new search::TSearchForm(this);
    ListForm = new search::TListForm(this);

    Searchpages1 = new QAction("&Search pages", this);
    Searchpages1->setObjectName("Searchpages1");
    Searchpages1->setShortcut(QKeySequence("Ctrl+F"));
    PageMenu->addSeparator();
    PageMenu->addAction(Searchpages1);
    RMenuSearch = new QAction("&Search Pages", this);
    RMenuSearch->setObjectName("RMenuSearch");
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(RMenuSearch);

    auto on = [this](auto* sender, auto signal, std::function<void()> command) {
        connect(sender, signal, this, [this, command] { RunGuarded(command); });
    };
    on(FindButton, &QToolButton::clicked, [this] { FindButtonClick(); });
    for (QAction* item : {Searchpages1, RMenuSearch})
        connect(item, &QAction::triggered, FindButton, [this] { emit FindButton->clicked(false); });
    on(RefineButton, &QToolButton::clicked, [this] { RefineButtonClick(); });
    on(FindToolbarButton, &QToolButton::clicked, [this] { FindToolbarButtonClick(); });
    on(EditSearchTerm, &QLineEdit::returnPressed, [this] { FindToolbarButtonClick(); });
    on(ToolbarButton972, &QToolButton::clicked, [this] { ToolbarButton972Click(); });
    on(FindNextButton, &QToolButton::clicked, [this] { FindNextButtonClick(); });
    on(FindPreviousButton, &QToolButton::clicked, [this] { FindPreviousButtonClick(); });
    on(RejectButton, &QToolButton::clicked, [this] { RejectButtonClick(); });
    on(SaveQueryButton, &QToolButton::clicked, [this] { SaveQueryButtonClick(); });
    on(SearchForm, &search::TSearchForm::Search, [this] { SearchFormSearch(); });
    connect(SearchForm, &search::TSearchForm::HelpRequested, this,
            [this] { desktop.ShowHelp(SearchForm, helpFile_, search::kSearchHelpContext); });
    connect(ListForm, &search::TListForm::ItemChosen, this,
            [this](const QString& item) { RunGuarded([this, item] { ListFormClick(item); }); });
    // The user closing the query toolbar closes the query.
    connect(ToolBarQuery->toggleViewAction(), &QAction::triggered, this, [this](bool shown) {
        if (!shown) RunGuarded([this] { ToolBarQueryClose(); });
    });

    hooks.startupReminderQuery = [](TMainForm& f) { f.StartupReminderQuery(); };
    hooks.openSearchDialog = [](TMainForm& f) { f.OpenSearchDialogOnTop(); };
    hooks.queryNext = [](TMainForm& f) { f.QueryNextPage(); };
    hooks.queryPrevious = [](TMainForm& f) { f.QueryPreviousPage(); };
    hooks.closeQuery = [](TMainForm& f) { f.CloseQueryButtonClick(); };
}

QString TMainForm::RecentSearchesFile() const { return search::RecentSearchesPath(ws.dataSet); }

void TMainForm::ShowSearchForm() {
    // FormShow: the date pickers, the search may speak, then DoShow.
    SearchForm->PresetDates(clock.Now());
    SearchMessages = true;
    SearchForm->DoShow(settings.defSort, settings.defDateType, RecentSearchesFile());
    SearchForm->CentreOnScreen();
    SearchForm->show();
    SearchForm->raise();
    SearchForm->SearchTerm->setFocus();
}

void TMainForm::FindButtonClick() {
    if (Modified() && !UpdateButtonClick()) return;
    if (!indexList.Loaded()) LoadIndex(indexList, ws.dataSet);
    NoHighlight = false;
    SearchForm->Refining = false;
    ShowSearchForm();
}

void TMainForm::RefineButtonClick() {
    SearchForm->Refining = true;
    ShowSearchForm();
}

void TMainForm::FindToolbarButtonClick() {
    const QString text = EditSearchTerm->text();
    if (text.size() < 2) return;
    NoHighlight = false;
    if (Modified() && !UpdateButtonClick()) return;
    if (!indexList.Loaded()) LoadIndex(indexList, ws.dataSet);
    SearchForm->DoShow(settings.defSort, settings.defDateType, RecentSearchesFile());
    SearchForm->SearchTerm->setEditText(text);
    SearchFormSearch();
}

void TMainForm::SearchFormSearch() {
    search::SearchSettings s = SearchForm->Settings();
    // Refining with no query open searches without refinement.
    if (SearchForm->Refining && QueryMode() && !QueryList.empty()) s.refine = QueryList.front();
    s.searchMessages = SearchMessages;
    s.today = clock.Today();
    s.dateOrder = LocaleDateOrder();
    if (!indexList.Loaded()) LoadIndex(indexList, ws.dataSet);
    const QString typed = SearchForm->QueryText();
    search::SearchOutcome outcome =
        search::RunSearch(search::BytesOfText(typed), s, ws.dataSet, std::as_const(indexList).Entries(), store);
    if (outcome.noHighlight) NoHighlight = true;
    for (const search::SearchMessage& m : outcome.messages) {
        ui::MessageRequest request;
        request.caption = QString::fromStdString(m.caption);
        request.text = search::TextOfBytes(m.text);
        request.icon = m.error ? ui::MessageIcon::kError : ui::MessageIcon::kInformation;
        dialogs.ShowMessage(this, request);
    }
    if (outcome.stopped) return;  // the dialog stays open, the open query as it was
    // A single page ID that names no page any more counts as nothing found.
    if (outcome.found && outcome.ids.size() == 1 && store.FindPageById(ws.dataSet, outcome.ids.front()) < 0) {
        outcome.found = false;
        if (SearchMessages) {
            const search::SearchMessage m = search::NoPagesMessage();
            ui::MessageRequest request;
            request.caption = QString::fromStdString(m.caption);
            request.text = search::TextOfBytes(m.text);
            dialogs.ShowMessage(this, request);
        }
    }
    if (!outcome.found || outcome.ids.empty()) {
        SearchForm->hide();
        return;
    }
    OpenQuery(outcome.storedText, outcome.ids, typed);

    // The recent searches: the working text first, then every item, replacing the file.
    if (!outcome.workingText.empty()) SearchForm->PutFirst(search::TextOfBytes(outcome.workingText));
    std::vector<std::string> lines;
    for (const QString& item : SearchForm->Items()) lines.push_back(search::BytesOfText(item));
    const QString recent = RecentSearchesFile();
    if (!search::WriteTextLines(recent, lines)) {
        ui::ShowError(dialogs, this, QString("Cannot create file %1").arg(recent));
        return;
    }
    if (SearchMessages) StartTicker(search::TextOfBytes(outcome.StatusText()), true, true);
    SearchForm->hide();
}

void TMainForm::ToolbarButton972Click() {
    ListForm->Load(RecentSearchesFile());
    ListForm->CentreOnScreen();
    ListForm->show();
    ListForm->raise();
}

void TMainForm::ListFormClick(const QString& item) {
    EditSearchTerm->setText(item);
    EditSearchTerm->setFocus();
    ListForm->hide();
}

void TMainForm::StartupReminderQuery() {
    QString today = ShortDate(clock.Today());
    if (today.size() == 8) {
        // A two-digit year at the end: the century goes in front of it.
        const int year = today.right(2).toInt();
        today.insert(6, year > 85 ? "19" : "20");
    }
    SearchMessages = false;
    EditSearchTerm->setText("reminder<=" + today + " sort=reminder");
    try {
        FindToolbarButtonClick();
    } catch (...) {
        EditSearchTerm->clear();
        SearchMessages = true;
        throw;
    }
    EditSearchTerm->clear();
    SearchMessages = true;
}

void TMainForm::OpenSearchDialogOnTop() {
    FindButtonClick();
    SearchForm->raise();
    SearchForm->activateWindow();
    SearchForm->SearchTerm->setFocus();
}

}  // namespace jb::workspace
