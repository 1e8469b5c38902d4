#pragma once
// Print: TPrintForm1 chooses the pages; its Next runs the print dialog and prints them as one
// job, assembled in the export dialog's document.

#include <QDialog>

class QPushButton;
class QPrinter;

namespace jb::workspace {
class TMainForm;
}

namespace jb::transfer {

class PageAssembly;
class PageChoiceBox;

class TPrintForm1 : public QDialog {
    Q_OBJECT
public:
    TPrintForm1(workspace::TMainForm& window, PageAssembly& r1);

    // The open query offered (and chosen) while one is open; the choice otherwise as left.
    void FormShow();
    // "Next >": the print dialog, then the chosen pages printed.
    void Button1Click();
    void SpeedButton1Click();

    PageChoiceBox* Choice;
    QPushButton* Button1;  // "Next >"
    QPushButton* Button2;  // "Cancel"
    QPushButton* Button3;  // "< Back", never enabled

private:
    void Print();
    // Prints the current page, or its highlighted text, leaving the page's modified state as it
    // was.
    void PrintCurrent(QPrinter& printer, bool selectionOnly);

    workspace::TMainForm& window_;
    PageAssembly& r1_;
};

}  // namespace jb::transfer
