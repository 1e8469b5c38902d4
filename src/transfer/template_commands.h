#pragma once
// Templates: saving the current page as a template, changing the loaded template, and the jump
// to the next field marker of a page started from a template.

#include <QObject>

namespace jb::workspace {
class TMainForm;
}

namespace jb::transfer {

class TemplateCommands : public QObject {
    Q_OBJECT
public:
    // Wires the window's template menu items.
    explicit TemplateCommands(workspace::TMainForm& window);

    void Saveastemplate1Click();
    void ChangeLoadedTemplate1Click();
    void GotoNextField1Click();

private:
    workspace::TMainForm& window_;
};

}  // namespace jb::transfer
