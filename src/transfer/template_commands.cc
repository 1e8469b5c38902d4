#include "transfer/template_commands.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <utility>

#include "editor/rtf_bridge.h"
#include "store/io_error.h"
#include "workspace/main_form.h"

namespace jb::transfer {
namespace {

// A template holds at most this many display lines of the editor.
constexpr int kMaxTemplateLines = 50;

const char* const kTemplateFilter = "Jotterbase Templates (*.tp)";
const char* const kExists =
    "The name of the template you wish to save already exists. Click \"OK\" to overwrite it, or \"Cancel\" to "
    "choose another filename";
const char* const kTooLong =
    "The maximum allowable length of templates is 50 lines. Shorten the current page and try again.";

// Template files end in ".tp": any other name gets it appended (so "notes.txt" becomes "notes.txt.tp").
QString WithTemplateExtension(const QString& path) {
    return QFileInfo(path).suffix() == "tp" ? path : path + ".tp";
}

// The display lines of the editor: wrapped lines count, as the editor lays the page out at the
// width of its viewport.
int DisplayLines(QTextEdit& editor) {
    QTextDocument& doc = *editor.document();
    if (editor.lineWrapMode() == QTextEdit::WidgetWidth && doc.textWidth() != editor.viewport()->width())
        doc.setTextWidth(editor.viewport()->width());
    doc.size();  // lays the whole page out
    int lines = 0;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        lines += layout != nullptr && layout->lineCount() > 0 ? layout->lineCount() : 1;
    }
    return lines;
}

void WriteBytes(const QString& path, const std::string& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()) ||
        !file.flush())
        throw IoError(path.toStdString(), "The file cannot be written");
}

}  // namespace

TemplateCommands::TemplateCommands(workspace::TMainForm& window) : QObject(&window), window_(window) {
    const std::pair<QAction*, void (TemplateCommands::*)()> commands[] = {
        {window.Saveastemplate1, &TemplateCommands::Saveastemplate1Click},
        {window.ChangeLoadedTemplate1, &TemplateCommands::ChangeLoadedTemplate1Click},
        {window.GotoNextField1, &TemplateCommands::GotoNextField1Click},
    };
    for (auto [item, command] : commands)
        connect(item, &QAction::triggered, this,
                [this, command = command] { window_.RunGuarded([this, command] { (this->*command)(); }); });
}

void TemplateCommands::Saveastemplate1Click() {
    const QString folder = QString::fromStdString(window_.programFolder);
    const auto ask = [&] {
        const QString chosen = window_.dialogs.AskSaveFile(&window_, "Save the current page as a template", folder,
                                                           kTemplateFilter, QString());
        return chosen.isEmpty() ? chosen : WithTemplateExtension(chosen);
    };
    QString path = ask();
    if (path.isEmpty()) return;
    if (QFileInfo::exists(path)) {
        const ui::MessageRequest question{ui::kMessageCaption, kExists, ui::MessageIcon::kQuestion,
                                          ui::kButtonOk | ui::kButtonCancel, ui::kButtonOk};
        // On Cancel the second name is taken as it comes, without asking again.
        if (window_.dialogs.ShowMessage(&window_, question) != ui::kButtonOk) {
            path = ask();
            if (path.isEmpty()) return;
        }
    }
    if (DisplayLines(*window_.EditBox) > kMaxTemplateLines) {
        ui::ShowInformation(window_.dialogs, &window_, kTooLong);
        return;
    }
    WriteBytes(path, editor::SaveRtf(*window_.EditBox->document()));
}

void TemplateCommands::ChangeLoadedTemplate1Click() {
    const QString chosen = window_.dialogs.AskOpenFile(&window_, "Change the current template to:", kTemplateFilter,
                                                       QString::fromStdString(window_.programFolder));
    if (chosen.isEmpty()) return;
    // Only for this run: the settings file keeps its own template.
    window_.settings.templateDef =
        QFileInfo(chosen).fileName().left(4).toUpper() == "NONE" ? std::string("None") : chosen.toStdString();
}

void TemplateCommands::GotoNextField1Click() {
    if (QFileInfo(QString::fromStdString(window_.settings.templateDef)).fileName() == "None") return;
    const QString marker = QString::fromStdString(window_.settings.templateWord);
    if (marker.isEmpty()) return;
    QTextDocument& doc = *window_.EditBox->document();
    const int at = editor::EditorPlainText(doc).indexOf(marker);
    if (at < 0) return;
    QTextCursor cursor(&doc);
    cursor.setPosition(at);
    cursor.setPosition(at + static_cast<int>(marker.size()), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    window_.EditBox->setTextCursor(cursor);
}

}  // namespace jb::transfer
