#pragma once
// Import: files chosen in the import dialog, or named on the command line, become new pages,
// cut into pieces the way the assembly document lays them out.

#include <QObject>
#include <QStringList>

namespace jb::workspace {
class TMainForm;
}

namespace jb::transfer {

class ImportCommands : public QObject {
    Q_OBJECT
public:
    // Wires the import button, its menu items and the window's start-up import.
    explicit ImportCommands(workspace::TMainForm& window);

    void ImportButtonClick();
    void ImportDOSJotterbasefile1Click();
    // Imports the files with the type chosen in the dialog (`typeIndex`); stops at a missing file.
    void ImportFiles(const QStringList& files, int typeIndex);

private:
    workspace::TMainForm& window_;
};

}  // namespace jb::transfer
