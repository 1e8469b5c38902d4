#include "transfer/print_form.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/rtf_bridge.h"
#include "store/io_error.h"
#include "transfer/document_output.h"
#include "transfer/page_assembly.h"
#include "transfer/page_choice_box.h"
#include "transfer/transfer_window.h"
#include "workspace/main_form.h"

namespace jb::transfer {
namespace {

void PrintOrThrow(const QTextDocument& doc, QPrinter& printer, const QString& title) {
    PrintDocument(doc, printer, title);
    if (printer.printerState() == QPrinter::Error) throw IoError(printer.printerName().toStdString(), "Printing failed");
}

}  // namespace

TPrintForm1::TPrintForm1(workspace::TMainForm& window, PageAssembly& r1)
    : QDialog(&window), window_(window), r1_(r1) {
    setObjectName("PrintForm1");
    setWindowTitle("Quorvane Print pages");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Which pages do you wish to include in the print?", this));
    Choice = new PageChoiceBox(this);
    layout->addWidget(Choice);
    auto* row = new QHBoxLayout;
    row->addStretch();
    Button3 = new QPushButton("&< Back", this);
    Button3->setObjectName("Button3");
    Button3->setEnabled(false);
    Button1 = new QPushButton("Next &>", this);
    Button1->setObjectName("Button1");
    Button1->setDefault(true);
    Button2 = new QPushButton("C&ancel", this);
    Button2->setObjectName("Button2");
    for (QPushButton* b : {Button3, Button1, Button2}) row->addWidget(b);
    layout->addLayout(row);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, &QDialog::hide);
    connect(Choice, &PageChoiceBox::BrowseClicked, this, [this] { SpeedButton1Click(); });
}

void TPrintForm1::FormShow() {
    Choice->Refresh(window_.store.PageCount(window_.ws.dataSet), SavedQueryNames(window_.programFolder),
                    window_.QueryMode());
    show();
    raise();
    activateWindow();
}

void TPrintForm1::SpeedButton1Click() { BrowseSavedQuery(window_, this, *Choice); }

void TPrintForm1::Button1Click() { window_.RunGuarded([this] { Print(); }); }

void TPrintForm1::PrintCurrent(QPrinter& printer, bool selectionOnly) {
    const bool modified = window_.Modified();
    const bool documentModified = window_.EditBox->document()->isModified();
    if (selectionOnly) {
        r1_.Clear();
        r1_.AppendPage(editor::SaveSelectionRtf(window_.EditBox->textCursor()));
        if (window_.settings.markRecsExport)
            r1_.PrependLine(QString("---Jotterbase Page Number %1 (selection)").arg(window_.ws.pageNumber));
        PrintOrThrow(r1_.Document(), printer, kPageTitle);
        r1_.Clear();
    } else {
        PrintOrThrow(*window_.EditBox->document(), printer, kPageTitle);
    }
    window_.EditBox->document()->setModified(documentModified);
    window_.SetModified(modified);
}

void TPrintForm1::Print() {
    QPrinter printer(QPrinter::HighResolution);
    if (!window_.dialogs.AskPrinter(this, printer)) {
        hide();
        return;
    }
    const PageChoice choice = Choice->Chosen();
    std::vector<std::string> lines;
    if (!TakeQueryLines(window_, this, *Choice, lines)) return;
    ProgressShown progress(window_, "Printing");
    const AssemblyOptions options = WindowAssemblyOptions(window_, this, progress);
    switch (choice) {
        case PageChoice::kCurrent: PrintCurrent(printer, false); break;
        case PageChoice::kSelectedText: PrintCurrent(printer, true); break;
        case PageChoice::kRange:
            r1_.Clear();
            r1_.AppendRange(window_.store, window_.ws.dataSet, Choice->From(), Choice->To(), options);
            progress.Set(51);
            PrintOrThrow(r1_.Document(), printer, RangeTitle(Choice->From(), Choice->To()));
            r1_.Clear();
            break;
        case PageChoice::kSavedQuery:
        case PageChoice::kCurrentQuery:
            r1_.Clear();
            r1_.AppendQuery(window_.store, window_.ws.dataSet, lines, options);
            options.pendingEvents();
            PrintOrThrow(r1_.Document(), printer, kQueryTitle);
            r1_.Clear();
            break;
    }
    progress.Set(100);
    hide();
}

}  // namespace jb::transfer
