#include "transfer/document_output.h"

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QSaveFile>
#include <QTextDocument>
#include <QTextDocumentWriter>
#include <memory>
#include <string>

#include "editor/rtf_bridge.h"
#include "store/io_error.h"
#include "transfer/markdown_output.h"
#include "transfer/odt_package.h"

namespace jb::transfer {
namespace {

bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString PlainText(const QTextDocument& doc) {
    QString text = editor::EditorPlainText(doc);
    // Pictures have no plain form; a line break inside a paragraph reads as a line feed.
    text.remove(QChar::ObjectReplacementCharacter);
    text.replace(QChar::LineSeparator, u'\n');
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::Nbsp, u' ');
    return text;
}

bool WriteWithQt(const QTextDocument& doc, const QString& path, const QByteArray& format) {
    // Qt's writers close the device they write to, which a QSaveFile must not be: they write
    // to memory first.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QTextDocumentWriter writer(&buffer, format);
    if (!writer.write(&doc)) return false;
    QByteArray bytes = buffer.data();
    if (format == "odf" && !AddEmptyStyles(bytes)) return false;
    return WriteBytes(path, bytes);
}

bool WritePdf(const QTextDocument& doc, const QString& path, const QString& title, FileSystem& files) {
    // The printer writes the file itself; it writes a name of our own beside the target, which
    // replaces the target only when the whole file is there.
    const QString part = path + ".part";
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(part);
        PrintDocument(doc, printer, title);
        if (printer.printerState() == QPrinter::Error) {
            QFile::remove(part);
            return false;
        }
    }
    if (QFileInfo(part).size() == 0) {
        QFile::remove(part);
        return false;
    }
    // The whole file is on disk before it takes the name.
    try {
        const std::string partName = QFile::encodeName(part).toStdString();
        std::unique_ptr<File> written = files.Open(partName, OpenMode::kReadWrite);
        if (!written) throw IoError(partName, "The file cannot be opened to sync");
        written->Sync();
        written.reset();
        files.Rename(partName, QFile::encodeName(path).toStdString());
    } catch (const IoError&) {
        QFile::remove(part);
        return false;
    }
    return true;
}

bool Write(const QTextDocument& doc, const QString& path, FileKind kind, const QString& title, FileSystem& files) {
    switch (kind) {
        case FileKind::kRichText: {
            const std::string rtf = editor::SaveRtf(doc);
            return WriteBytes(path, QByteArray::fromRawData(rtf.data(), static_cast<qsizetype>(rtf.size())));
        }
        case FileKind::kPlainText: return WriteBytes(path, PlainText(doc).toUtf8());
        case FileKind::kHtml: return WriteWithQt(doc, path, "html");
        case FileKind::kOdt: return WriteWithQt(doc, path, "odf");
        case FileKind::kMarkdown: return WriteBytes(path, MarkdownOf(doc).toUtf8());
        case FileKind::kPdf: return WritePdf(doc, path, title, files);
    }
    return false;
}

}  // namespace

bool SaveDocument(const QTextDocument& doc, const QString& path, FileKind kind, const QString& title,
                  FileSystem& files) {
    if (!Write(doc, path, kind, title, files)) return false;
    // The new name is kept by a power cut only once the folder is on disk.
    try {
        files.SyncFolder(QFile::encodeName(path).toStdString());
    } catch (const IoError&) {
        return false;
    }
    return true;
}

void PrintDocument(const QTextDocument& doc, QPrinter& printer, const QString& title) {
    printer.setDocName(title);
    printer.setCreator("Jotterbase");
    doc.print(&printer);
}

}  // namespace jb::transfer
