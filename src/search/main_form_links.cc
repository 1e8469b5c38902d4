// Links clicked in the page: page links ("file://page/" and a page number), query links
// ("file://query/" and a query text), program links ("file://" and a command line) and every
// other link, which goes to the browser. A TMainForm member.

#include <QApplication>
#include <QLineEdit>
#include <QProcess>

#include "workspace/main_form.h"

namespace jb::workspace {

namespace {

constexpr int kLinkLimit = 255;
const QString kPageLink = "file://page/";
const QString kQueryLink = "file://query/";
const QString kProgramLink = "file://";

}  // namespace

void TMainForm::EditBoxURLClick(const QString& link) {
    const QString text = link.left(kLinkLimit);
    if (text.contains(kPageLink)) {
        const QString number = text.mid(kPageLink.size());
        for (QChar c : number) {
            if (c < '0' || c > '9') {
                ui::ShowInformation(dialogs, this,
                                    "The page link you have clicked on is incorrect: after file://page/ you must only "
                                    "type the page number");
                return;
            }
        }
        if (QueryMode()) {
            ui::ShowInformation(dialogs, this,
                                "You cannot follow page links whilst in query mode: to follow this link simply click "
                                "on the \"Close query\" button, then click the link again");
            return;
        }
        bool ok = false;
        const int n = number.toInt(&ok);
        if (!ok) {
            ShowGeneralError(QString("'%1' is not a valid integer value").arg(number));
            return;
        }
        if (n < PageCount()) {
            ShowPageNumber(n);
        } else {
            ui::ShowError(dialogs, this, "that page does not appear to be in the database");
        }
        return;
    }
    if (text.startsWith(kQueryLink)) {
        const QString query = text.mid(kQueryLink.size());
        const bool write =
            settings.autoUpdate ||
            (Modified() && ui::AskYesNo(dialogs, this,
                                        "You have not saved the changes (updated) the current page. Do you wish to "
                                        "do so now?",
                                        ui::kButtonYes, ui::kUnsavedCaption));
        // The query would take the place of a page that could not be written.
        if (write && !UpdateButtonClick()) return;
        QApplication::processEvents();
        EditSearchTerm->setText(query);
        FindToolbarButtonClick();
        return;
    }
    if (text.startsWith(kProgramLink)) {
        QStringList parts = QProcess::splitCommand(text.mid(kProgramLink.size()));
        if (parts.isEmpty()) return;
        const QString program = parts.takeFirst();
        if (!desktop.StartProgram(program, parts))
            ui::ShowError(dialogs, this, QString("The program %1 could not be started.").arg(program));
        return;
    }
    if (!desktop.OpenUrl(link))
        ui::ShowError(dialogs, this,
                      QString("No web browser could be started to open %1. Copy the address into a browser "
                              "instead.")
                          .arg(link));
}

}  // namespace jb::workspace
