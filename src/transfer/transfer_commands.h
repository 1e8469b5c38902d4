#pragma once
// The export, print, import and template commands of the main window: the toolbar buttons and
// menu items, and the dialogs they open.

#include <QObject>

namespace jb::workspace {
class TMainForm;
}

namespace jb::transfer {

class ImportCommands;
class TemplateCommands;
class TExportForm1;
class TExportForm2;
class TPrintForm1;

class TransferCommands : public QObject {
    Q_OBJECT
public:
    // Creates the dialogs and wires the window's export and print buttons and menu items.
    explicit TransferCommands(workspace::TMainForm& window);

    void ExportButtonClick();
    void PrintButtonClick();

    TExportForm1* ExportForm1;
    TExportForm2* ExportForm2;
    TPrintForm1* PrintForm1;
    ImportCommands* Import;
    TemplateCommands* Templates;

private:
    workspace::TMainForm& window_;
};

}  // namespace jb::transfer
