#include "workspace/focus_order.h"

#include <QApplication>
#include <QToolBar>
#include <QWidget>
#include <algorithm>
#include <tuple>

namespace jb::workspace {
namespace {

bool TakesTabFocus(const QWidget* w, const QWidget* window) {
    return !w->isWindow() && w->window() == window && w->isVisible() && w->isEnabled() &&
           (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus;
}

// A control inside another that Tab stops at (the line edit of a date box) is reached through
// that one.
bool InsideAnother(const QWidget* w, const QWidget* window) {
    for (const QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
        if (TakesTabFocus(p, window)) return true;
    return false;
}

QToolBar* ToolbarOf(QWidget* w, QWidget* window) {
    for (QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
        if (auto* bar = qobject_cast<QToolBar*>(p)) return bar;
    return nullptr;
}

using Place = std::tuple<int, int, int>;  // row (top), column (left), place along a toolbar

Place PlaceOf(QWidget* w, QWidget* window) {
    if (QToolBar* bar = ToolbarOf(w, window)) {
        const QPoint at = bar->mapTo(window, QPoint(0, 0));
        const QPoint inBar = w->mapTo(bar, QPoint(0, 0));
        return {at.y(), at.x(), bar->orientation() == Qt::Horizontal ? inBar.x() : inBar.y()};
    }
    const QPoint at = w->mapTo(window, QPoint(0, 0));
    return {at.y(), at.x(), 0};
}

}  // namespace

std::vector<QWidget*> TabChain(QWidget* window) {
    std::vector<std::pair<Place, QWidget*>> placed;
    for (QWidget* w : window->findChildren<QWidget*>())
        if (TakesTabFocus(w, window) && !InsideAnother(w, window))
            placed.emplace_back(PlaceOf(w, window), w);
    std::stable_sort(placed.begin(), placed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<QWidget*> chain;
    for (const auto& p : placed) chain.push_back(p.second);
    return chain;
}

bool MoveFocusAlongLayout(QWidget* window, bool next) {
    const std::vector<QWidget*> chain = TabChain(window);
    if (chain.empty()) return false;
    const int n = static_cast<int>(chain.size());
    int at = -1;
    for (QWidget* w = QApplication::focusWidget(); w && at < 0 && w != window;
         w = w->parentWidget()) {
        const auto found = std::find(chain.begin(), chain.end(), w);
        if (found != chain.end()) at = static_cast<int>(found - chain.begin());
    }
    const int to = at < 0 ? (next ? 0 : n - 1) : (at + (next ? 1 : n - 1)) % n;
    chain[static_cast<std::size_t>(to)]->setFocus(next ? Qt::TabFocusReason
                                                       : Qt::BacktabFocusReason);
    return true;
}

}  // namespace jb::workspace
