#include "transfer/transfer_commands.h"

#include <QAction>
#include <QToolButton>

#include "transfer/export_forms.h"
#include "transfer/import_commands.h"
#include "transfer/print_form.h"
#include "transfer/template_commands.h"
#include "workspace/main_form.h"

namespace jb::transfer {

TransferCommands::TransferCommands(workspace::TMainForm& window) : QObject(&window), window_(window) {
    ExportForm2 = new TExportForm2(window);
    ExportForm1 = new TExportForm1(window, *ExportForm2);
    ExportForm2->Back = ExportForm1;
    PrintForm1 = new TPrintForm1(window, ExportForm2->r1);
    Import = new ImportCommands(window);
    Templates = new TemplateCommands(window);
    connect(window.ExportButton, &QToolButton::clicked, this, [this] { ExportButtonClick(); });
    connect(window.PrintButton, &QToolButton::clicked, this, [this] { PrintButtonClick(); });
    // The menu items click the buttons.
    connect(window.MMenuExport, &QAction::triggered, window.ExportButton, &QToolButton::click);
    connect(window.MMenuPrint, &QAction::triggered, window.PrintButton, &QToolButton::click);
}

void TransferCommands::ExportButtonClick() { ExportForm1->FormShow(); }

void TransferCommands::PrintButtonClick() { PrintForm1->FormShow(); }

}  // namespace jb::transfer
