#pragma once
// Export: TExportForm1 chooses the file type, TExportForm2 the pages, and its Next writes them
// to the file the user names.

#include <QDialog>
#include <QString>

#include "transfer/page_assembly.h"

class QComboBox;
class QPushButton;

namespace jb::workspace {
class TMainForm;
}

namespace jb::transfer {

class PageChoiceBox;
class TExportForm2;

class TExportForm1 : public QDialog {
    Q_OBJECT
public:
    TExportForm1(workspace::TMainForm& window, TExportForm2& pages);

    // Lists the file types and selects the one of the settings.
    void FormShow();
    // "Next >": the page dialog, with the chosen type.
    void Button1Click();

    QComboBox* FileTypeComboBox;
    QPushButton* Button1;  // "Next >"
    QPushButton* Button2;  // "Cancel"
    QPushButton* Button3;  // "< Back", never enabled

private:
    workspace::TMainForm& window_;
    TExportForm2& pages_;
};

class TExportForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TExportForm2(workspace::TMainForm& window);

    // The pages preselected by the settings, or the open query.
    void FormShow();
    // "Next >": the file, then the export of the chosen pages.
    void Button1Click();
    // The browse button: a saved query chosen in the open dialog.
    void SpeedButton1Click();

    TExportForm1* Back = nullptr;  // "< Back" shows it again
    int FileTypeIndex = 0;         // the type chosen in the first dialog
    PageChoiceBox* Choice;
    QPushButton* Button1;  // "Next >"
    QPushButton* Button2;  // "Cancel"
    QPushButton* Button3;  // "< Back"
    // The hidden assembly document, shared with printing.
    PageAssembly r1;

private:
    void Export();
    // The file to write: asked until the user names one that is new or may be overwritten.
    // Empty on Cancel. `typeIndex` is the type selected when the dialog closed.
    QString AskTargetFile(int& typeIndex);
    // Saves the document; a failing writer of a file type other than rich and plain text gives
    // `converterMessage`, the others the general error.
    void Save(const QTextDocument& doc, const QString& path, int typeIndex, const QString& title,
              const QString& converterMessage);

    workspace::TMainForm& window_;
    QString folder_;  // where the save dialog starts: the last export's folder
};

}  // namespace jb::transfer
