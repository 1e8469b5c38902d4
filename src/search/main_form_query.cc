// Query browsing in the main window: the open query's pages one by one, the occurrences of its
// terms selected in the page text, Reject, Save and closing the query. TMainForm members.
//
// QueryList holds the stored query text in line 0 and one page ID per further line; QueryPos is
// the line whose page is on show; HighlightPos is where the next highlight search starts in the
// editor's text.

#include <QAction>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

#include "search/highlight_terms.h"
#include "search/query_files.h"
#include "workspace/main_form.h"

namespace jb::workspace {

namespace {

QString PagesInQuery(std::size_t lines) { return QString(" %1 pages in query").arg(lines - 1); }

}  // namespace

void TMainForm::SetQueryButtons() {
    const int pages = static_cast<int>(QueryList.size()) - 1;
    ButtonUp->setEnabled(QueryPos < pages);
    ButtonDown->setEnabled(QueryPos > 1);
}

void TMainForm::ShowQueryPage(const QString& highlightText) {
    ShowPageNumber(store.FindPageById(ws.dataSet, QueryList[static_cast<std::size_t>(QueryPos)]));
    DoHighlight(highlightText);
    SetQueryButtons();
}

void TMainForm::OpenQuery(const std::string& storedText, const std::vector<std::string>& ids,
                          const QString& highlightText) {
    QueryList.clear();
    QueryList.push_back(storedText);
    QueryList.insert(QueryList.end(), ids.begin(), ids.end());
    QueryPos = 1;
    ShowPageNumber(store.FindPageById(ws.dataSet, QueryList[1]));
    SetQueryMode(true);
    SetQueryButtons();
    HighlightPos = 0;
    DoHighlight(highlightText);
}

void TMainForm::QueryNextPage() {
    HighlightPos = 0;
    const int pages = static_cast<int>(QueryList.size()) - 1;
    if (QueryPos < pages) {
        ++QueryPos;
        ShowQueryPage(search::TextOfBytes(QueryList.front()));
    } else {
        ButtonUp->setEnabled(false);
        if (QueryPos > 1) ButtonDown->setEnabled(true);
    }
}

void TMainForm::QueryPreviousPage() {
    HighlightPos = 0;
    if (QueryPos > 1) {
        --QueryPos;
        ShowQueryPage(search::TextOfBytes(QueryList.front()));
    } else {
        ButtonDown->setEnabled(false);
        if (QueryList.size() > 1) ButtonUp->setEnabled(true);
    }
}

namespace {

void Select(QTextEdit& editor, const search::HighlightHit& hit) {
    QTextCursor c(editor.document());
    c.setPosition(hit.position);
    c.setPosition(hit.position + hit.length, QTextCursor::KeepAnchor);
    editor.setTextCursor(c);
}

using HighlightSearch = std::optional<search::HighlightHit> (*)(const QString&, const QStringList&, bool, int);

// Selects the next occurrence of a query's terms that `find` gives from the highlight position,
// and moves the position past it.
bool HighlightWith(HighlightSearch find, const QString& queryText, bool noHighlight, QTextEdit& editor, int& highlightPos) {
    if (noHighlight) return false;
    bool single = false;
    const QStringList terms = search::HighlightTerms(queryText, &single);
    const auto hit = find(editor.toPlainText(), terms, single, highlightPos);
    if (!hit) return false;
    Select(editor, *hit);
    highlightPos = hit->next;
    return true;
}

}  // namespace

bool TMainForm::DoHighlight(const QString& queryText) {
    return HighlightWith(search::HighlightForward, queryText, NoHighlight, *EditBox, HighlightPos);
}

bool TMainForm::DoHighlightUp(const QString& queryText) {
    return HighlightWith(search::HighlightBackward, queryText, NoHighlight, *EditBox, HighlightPos);
}

void TMainForm::FindNextButtonClick() {
    if (!QueryMode()) return;
    if (NoHighlight) {
        ButtonUpClick();
        return;
    }
    if (!DoHighlight(search::TextOfBytes(QueryList.front())) && ButtonUp->isEnabled()) {
        ButtonUpClick();
        HighlightPos = 0;
    }
}

void TMainForm::FindPreviousButtonClick() {
    if (!QueryMode()) return;
    if (NoHighlight) {
        ButtonDownClick();
        return;
    }
    if (!DoHighlightUp(search::TextOfBytes(QueryList.front())) && ButtonDown->isEnabled()) {
        ButtonDownClick();
        HighlightPos = static_cast<int>(EditBox->toPlainText().size());
    }
}

void TMainForm::CloseQuery(bool announce) {
    QueryList.clear();
    QueryPos = 0;
    NoHighlight = false;
    SetQueryMode(false);
    if (PageCount() > 0) {
        ButtonUp->setEnabled(true);
        ButtonDown->setEnabled(true);
    }
    if (announce) StartTicker(" ... Query Closed ...", true, true);
}

void TMainForm::CloseQueryButtonClick() { CloseQuery(true); }

void TMainForm::ToolBarQueryClose() { CloseQuery(false); }

void TMainForm::RejectButtonClick() {
    if (QueryList.size() <= 1 || QueryPos <= 0) return;
    QueryList.erase(QueryList.begin() + QueryPos);
    ShowQueryAfterRemoval();
}

bool TMainForm::DropFromQuery(const std::string& id) {
    QueryList.erase(std::remove(QueryList.begin() + 1, QueryList.end(), id), QueryList.end());
    return ShowQueryAfterRemoval();
}

bool TMainForm::ShowQueryAfterRemoval() {
    HighlightPos = 0;
    const int pages = static_cast<int>(QueryList.size()) - 1;
    if (pages == 0) {
        CloseQueryButton->click();
        return false;
    }
    // The page that took the removed one's place, or the one before it at the end.
    QueryPos = std::clamp(QueryPos, 1, pages);
    ShowQueryPage(search::TextOfBytes(QueryList.front()));
    SetPanelText(4, PagesInQuery(QueryList.size()));
    return true;
}

void TMainForm::SaveQueryButtonClick() {
    QString path = dialogs.AskSaveFile(this, "Save query to file:", QString::fromStdString(programFolder),
                                       "Jotterbase Queries (*.jqr)", "jqr");
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += ".jqr";
    if (!search::WriteTextLines(path, QueryList)) ui::ShowError(dialogs, this, QString("Cannot create file %1").arg(path));
}

}  // namespace jb::workspace
