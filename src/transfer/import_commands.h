#pragma once
// Import: files chosen in the import dialog, or named on the command line, become new pages,
// cut into pieces the way the assembly document lays them out.

#include <QObject>
#include <QString>
#include <QStringList>

#include "transfer/file_types.h"

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
    // Imports the files, each as ImportKindOf makes it of its name and `type` (an index of
    // ImportFileTypes), or as DOS record exports; stops at a file that is missing or cannot be
    // read.
    void ImportFiles(const QStringList& files, int type, TypeChoice choice, bool dosRecords);

private:
    enum class Imported { kPages, kNoText, kPageKept };
    // Makes the file's pages. kNoText: it held nothing to make a page of; kPageKept: the page on
    // screen could not be written, so it stays and nothing is imported.
    Imported ImportOne(ParagraphSource& source, bool dosRecords);

    workspace::TMainForm& window_;
    QString folder_;  // where the import dialog starts: the last import's folder
};

}  // namespace jb::transfer
