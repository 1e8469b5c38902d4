#include "transfer/export_forms.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "store/io_error.h"
#include "editor/rtf_bridge.h"
#include "transfer/document_output.h"
#include "transfer/file_types.h"
#include "transfer/transfer_window.h"
#include "workspace/main_form.h"

namespace jb::transfer {
namespace {

const char* const kCaption = "Quorvane Export pages to file";

QPushButton* AddButton(QBoxLayout* row, QWidget* parent, const char* name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    row->addWidget(b);
    return b;
}

// The three buttons every page of the export shows: "< Back", "Next >" (the default), "Cancel".
QHBoxLayout* ButtonRow(QWidget* parent, QPushButton*& back, QPushButton*& next, QPushButton*& cancel) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    back = AddButton(row, parent, "Button3", "&< Back");
    next = AddButton(row, parent, "Button1", "Next &>");
    cancel = AddButton(row, parent, "Button2", "C&ancel");
    next->setDefault(true);
    return row;
}

}  // namespace

TExportForm1::TExportForm1(workspace::TMainForm& window, TExportForm2& pages)
    : QDialog(&window), window_(window), pages_(pages) {
    setObjectName("ExportForm1");
    setWindowTitle(kCaption);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel("Please Select the file-type you wish to create:", this);
    FileTypeComboBox = new QComboBox(this);
    FileTypeComboBox->setObjectName("FileTypeComboBox");
    FileTypeComboBox->setAccessibleName("File type");
    label->setBuddy(FileTypeComboBox);
    layout->addWidget(label);
    layout->addWidget(FileTypeComboBox);
    layout->addLayout(ButtonRow(this, Button3, Button1, Button2));
    Button3->setEnabled(false);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, &QDialog::hide);
}

void TExportForm1::FormShow() {
    FileTypeComboBox->clear();
    for (const FileType& t : ExportFileTypes()) FileTypeComboBox->addItem(QString::fromLatin1(t.name.data(), t.name.size()));
    const int saved = window_.settings.exportFileType;
    FileTypeComboBox->setCurrentIndex(saved >= 0 && saved < FileTypeComboBox->count() ? saved : 0);
    show();
    raise();
    activateWindow();
}

void TExportForm1::Button1Click() {
    pages_.FileTypeIndex = std::max(0, FileTypeComboBox->currentIndex());
    pages_.FormShow();
    hide();
}

TExportForm2::TExportForm2(workspace::TMainForm& window) : QDialog(&window), window_(window) {
    setObjectName("ExportForm2");
    setWindowTitle(kCaption);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Which pages do you wish to include in the file?", this));
    Choice = new PageChoiceBox(this);
    layout->addWidget(Choice);
    layout->addLayout(ButtonRow(this, Button3, Button1, Button2));
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, &QDialog::hide);
    connect(Button3, &QPushButton::clicked, this, [this] {
        if (Back) Back->FormShow();
        hide();
    });
    connect(Choice, &PageChoiceBox::BrowseClicked, this, [this] { SpeedButton1Click(); });
    folder_ = QDir::homePath();
}

void TExportForm2::FormShow() {
    static constexpr PageChoice kDefaults[] = {PageChoice::kCurrent, PageChoice::kRange, PageChoice::kSavedQuery};
    const unsigned saved = window_.settings.exportPrintDefault;
    Choice->Choose(saved < std::size(kDefaults) ? kDefaults[saved] : PageChoice::kCurrent);
    Choice->Refresh(window_.store.PageCount(window_.ws.dataSet), SavedQueryNames(window_.programFolder),
                    window_.QueryMode());
    show();
    raise();
    activateWindow();
}

void TExportForm2::SpeedButton1Click() { BrowseSavedQuery(window_, this, *Choice); }

void TExportForm2::Button1Click() { window_.RunGuarded([this] { Export(); }); }

QString TExportForm2::AskTargetFile(int& typeIndex) {
    const std::vector<FileType>& types = ExportFileTypes();
    for (;;) {
        const std::optional<ui::SavedFile> chosen =
            window_.dialogs.AskSaveFileOfType(this, "Create file named:", folder_, DialogFilters(ExportFileTypes()),
                                              FileTypeIndex);
        if (!chosen) return {};
        typeIndex = chosen->typeIndex >= 0 && chosen->typeIndex < static_cast<int>(types.size()) ? chosen->typeIndex
                                                                                                 : 0;
        // The type's extension goes on a bare name before the check for an existing file, so
        // that the file asked about is the file written.
        QString path = chosen->path;
        if (QFileInfo(path).suffix().isEmpty()) path += QString::fromStdString(ExtensionOfType(types[typeIndex]));
        if (!QFileInfo::exists(path)) return path;
        ui::MessageRequest ask;
        ask.caption = ui::kMessageCaption;
        ask.text = "OK to overwrite file?";
        ask.icon = ui::MessageIcon::kQuestion;
        ask.buttons = ui::kButtonOk | ui::kButtonCancel;
        ask.defaultButton = ui::kButtonOk;
        if (window_.dialogs.ShowMessage(this, ask) == ui::kButtonOk) return path;
    }
}

void TExportForm2::Save(const QTextDocument& doc, const QString& path, int typeIndex, const QString& title,
                        const QString& converterMessage) {
    const FileType& type = ExportFileTypes()[static_cast<std::size_t>(typeIndex)];
    const FileKind kind = KindOfTypeName(type.name, ExportFileTypes());
    if (SaveDocument(doc, path, kind, title)) return;
    if (kind == FileKind::kRichText || kind == FileKind::kPlainText)
        throw IoError(path.toStdString(), "The file cannot be written");
    ui::ShowError(window_.dialogs, this, converterMessage);
}

void TExportForm2::Export() {
    static const QString kPageFailed =
        "An error has occured whilst attempting to save the current record to a non RTF file. If this error "
        "persists, please save the file as an RTF file.";
    r1.Clear();
    int typeIndex = 0;
    const QString path = AskTargetFile(typeIndex);
    if (path.isEmpty()) return;
    folder_ = QFileInfo(path).absolutePath();
    const PageChoice choice = Choice->Chosen();
    std::vector<std::string> lines;
    if (!TakeQueryLines(window_, this, *Choice, lines)) return;
    ProgressShown progress(window_, "Exporting");
    const AssemblyOptions options = WindowAssemblyOptions(window_, this, progress);
    switch (choice) {
        case PageChoice::kCurrent:
            Save(*window_.EditBox->document(), path, typeIndex, kPageTitle, kPageFailed);
            break;
        case PageChoice::kSelectedText:
            r1.AppendPage(editor::SaveSelectionRtf(window_.EditBox->textCursor()));
            Save(r1.Document(), path, typeIndex, kPageTitle, kPageFailed);
            break;
        case PageChoice::kRange:
            r1.AppendRange(window_.store, window_.ws.dataSet, Choice->From(), Choice->To(), options);
            Save(r1.Document(), path, typeIndex, RangeTitle(Choice->From(), Choice->To()),
                 "There was an error exporting the page-range to a Non RTF file. If the error persists, please try "
                 "saving as an RTF file");
            break;
        case PageChoice::kSavedQuery:
        case PageChoice::kCurrentQuery:
            r1.AppendQuery(window_.store, window_.ws.dataSet, lines, options);
            Save(r1.Document(), path, typeIndex, kQueryTitle,
                 "There was an error exporting the query-pages to a Non RTF file. If the error persists, please try "
                 "saving as an RTF file");
            break;
    }
    r1.Clear();
    hide();
}

}  // namespace jb::transfer
