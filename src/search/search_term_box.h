#pragma once
// The Search toolbar's term box. Entering it or clicking into it selects all its text, so that a
// new search term typed there replaces the last one.

#include <QLineEdit>

namespace jb::search {

class SearchTermBox : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

protected:
    void focusInEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace jb::search
