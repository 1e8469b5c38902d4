#pragma once
// Writing an assembled or edited document to a file of one of the export types, and printing
// it. Every file is written beside its name and renamed over it, so a failed export never
// leaves half a file in place of an old one.

#include <QString>

#include "store/file_system.h"
#include "transfer/file_types.h"

class QPrinter;
class QTextDocument;

namespace jb::transfer {

// Writes `doc` to `path` as `kind`: rich text as the editor stores pages; plain text as UTF-8
// with a line feed after each paragraph but the last, pictures left out; HTML and OpenDocument
// through Qt's writers; Markdown as MarkdownOf writes it; PDF laid out as a print would be, with
// `title` as the document's title. The file is on disk, under its name, before it returns (its
// folder synced through `files`). False when the file could not be written.
bool SaveDocument(const QTextDocument& doc, const QString& path, FileKind kind, const QString& title,
                  FileSystem& files = FileSystem::Default());

// The titles of print jobs, and of PDF files laid out as prints.
inline const char* const kPageTitle = "Jotterbase printing...";
inline const char* const kQueryTitle = "Jotterbase Query";
inline QString RangeTitle(int from, int to) { return QString("Range %1 to %2").arg(from).arg(to); }

// Lays `doc` out page after page over the printer's page and prints it as one job titled
// `title`. The document itself is left as it was.
void PrintDocument(const QTextDocument& doc, QPrinter& printer, const QString& title);

}  // namespace jb::transfer
