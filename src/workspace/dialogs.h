#pragma once
// Everything the user answers goes through Dialogs: message boxes and the program's own modal
// forms. The window holds a reference; production passes QtDialogs, tests a scripted double.

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>

class QPrinter;
class QWidget;

namespace jb::ui {

enum class MessageIcon { kInformation, kWarning, kError, kQuestion };

// Buttons of a message box; a box shows a set of them (bitwise or).
enum MessageButton : unsigned {
    kButtonNone = 0,
    kButtonOk = 1,
    kButtonCancel = 2,
    kButtonYes = 4,
    kButtonNo = 8,
};

struct MessageRequest {
    QString caption;
    QString text;
    MessageIcon icon = MessageIcon::kInformation;
    unsigned buttons = kButtonOk;
    MessageButton defaultButton = kButtonOk;
};

// What the font dialog gives: the font and the colour of the text.
struct FontChoice {
    QFont font;
    QColor colour;
};

// A file chosen in a save dialog that offers several file types.
struct SavedFile {
    QString path;
    int typeIndex = 0;  // the file type selected when the dialog closed
};

// Files chosen in an open dialog that offers several file types.
struct OpenedFiles {
    QStringList paths;  // in the dialog's order
    int typeIndex = 0;  // the file type selected when the dialog closed
};

// The caption of the program's message boxes, and the one of the unsaved-changes prompt.
inline const char* const kMessageCaption = "Jotterbase";
inline const char* const kUnsavedCaption = "Jotter base";

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Shows a modal message box over `parent`; returns the button pressed.
    virtual MessageButton ShowMessage(QWidget* parent, const MessageRequest& request) = 0;

    // The reminder-date dialog (TGetRemindDateForm), shown modally. It proposes `proposedDate`
    // (whole days) at 00:00; on OK returns the chosen date plus time of day, as a date-time.
    virtual std::optional<double> AskRemindDate(QWidget* parent, double proposedDate) = 0;

    // The dialogs below answer as Cancel unless a seam provides them.

    // The font dialog, starting at a font and a text colour; what was chosen, or nothing on
    // Cancel.
    virtual std::optional<FontChoice> AskFont(QWidget*, const QFont& /*font*/, const QColor& /*colour*/) {
        return std::nullopt;
    }

    // The file-open dialog with a caption and a filter ("Pictures (*.png *.jpg)"), starting in
    // `folder` (empty: the process's current folder); the chosen file's full path, or an empty
    // text on Cancel.
    virtual QString AskOpenFile(QWidget*, const QString& /*caption*/, const QString& /*filter*/,
                                const QString& /*folder*/) {
        return {};
    }

    // The file-save dialog starting in `folder`; a name typed without extension gets
    // `defaultSuffix`; no overwrite question. The chosen path, or an empty text on Cancel.
    virtual QString AskSaveFile(QWidget*, const QString& /*caption*/, const QString& /*folder*/,
                                const QString& /*filter*/, const QString& /*defaultSuffix*/) {
        return {};
    }

    // The file-save dialog offering `filters` (each "Name (*.ext)"), starting in `folder` with
    // filter `selected` chosen. The name is taken as typed (no extension added, no overwrite
    // question). The path and the selected filter, or nothing on Cancel.
    virtual std::optional<SavedFile> AskSaveFileOfType(QWidget*, const QString& /*caption*/, const QString& /*folder*/,
                                                       const QStringList& /*filters*/, int /*selected*/) {
        return std::nullopt;
    }

    // The file-open dialog for one or more existing files, offering `filters`, starting in
    // `folder` with filter `selected` chosen. Nothing on Cancel.
    virtual std::optional<OpenedFiles> AskOpenFilesOfType(QWidget*, const QString& /*caption*/,
                                                          const QString& /*folder*/, const QStringList& /*filters*/,
                                                          int /*selected*/) {
        return std::nullopt;
    }

    // The platform's print dialog over `printer`, which it sets up; false on Cancel.
    virtual bool AskPrinter(QWidget*, QPrinter& /*printer*/) { return false; }

    // The Security dialog (TEnterPasswordForm), shown modally with `pageLabel` in its PNLabel,
    // expecting `expectedPassword` (already upper-cased, at most 8 characters). True when the
    // user typed it (letter case aside) and pressed OK; false on Cancel: the caller leaves the
    // page out.
    virtual bool AskPagePassword(QWidget*, const QString& /*pageLabel*/, const std::string& /*expectedPassword*/) {
        return false;
    }
};

// The common boxes, all with the caption "Jotterbase".
void ShowInformation(Dialogs& dialogs, QWidget* parent, const QString& text);
void ShowError(Dialogs& dialogs, QWidget* parent, const QString& text);
// Yes and No with the question icon; true on Yes.
bool AskYesNo(Dialogs& dialogs, QWidget* parent, const QString& text, MessageButton defaultButton,
              const QString& caption = kMessageCaption);

}  // namespace jb::ui
