#pragma once
// Import: files chosen in the import dialog, or named on the command line, become new pages,
// cut into pieces the way the assembly document lays them out.

#include <QObject>
#include <QString>
#include <QStringList>

namespace jb::workspace {
class TMainForm;
}

namespace jb::transfer {

class ParagraphSource;

class ImportCommands : public QObject {
    Q_OBJECT
public:
    // Wires the import button, its menu items and the window's start-up import.
    explicit ImportCommands(workspace::TMainForm& window);

    void ImportButtonClick();
    void ImportDOSJotterbasefile1Click();
    // Imports the files, each as its name or the type chosen in the dialog (`typeIndex`) makes
    // it, or as DOS record exports; stops at a file that is missing or cannot be read.
    void ImportFiles(const QStringList& files, int typeIndex, bool dosRecords);

private:
    // Makes the file's pages; false when it held nothing to make a page of.
    bool ImportOne(ParagraphSource& source, bool dosRecords);

    workspace::TMainForm& window_;
    QString folder_;  // where the import dialog starts: the last import's folder
};

}  // namespace jb::transfer
