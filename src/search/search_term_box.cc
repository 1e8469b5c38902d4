#include "search/search_term_box.h"

namespace jb::search {

void SearchTermBox::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (!text().isEmpty()) selectAll();
}

// The press has placed the caret where the mouse was; the click as a whole selects everything.
void SearchTermBox::mouseReleaseEvent(QMouseEvent* event) {
    QLineEdit::mouseReleaseEvent(event);
    if (!text().isEmpty()) selectAll();
}

}  // namespace jb::search
