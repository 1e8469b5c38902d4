#pragma once
// The file types that export (and import) offer, in the order their dialogs list them. The
// settings keep the index of the preselected type, so the names and their order never change:
// index 0 is rich text and 1 plain text.

#include <string>
#include <string_view>
#include <vector>

namespace jb::transfer {

// What a file of a type holds.
enum class FileKind { kRichText, kPlainText, kHtml, kOdt, kMarkdown, kPdf };

struct FileType {
    std::string_view name;      // as the dialogs show it
    std::string_view patterns;  // "*.htm *.html"
    FileKind kind;
};

// Rich text, plain text, then the writers of the desktop layer in their fixed order.
const std::vector<FileType>& ExportFileTypes();

// Rich text, plain text, then what Qt reads, in their fixed order ([Import] FileType indexes it).
const std::vector<FileType>& ImportFileTypes();

// The kind a type name stands for: a name holding "Rich Text" is rich text, else one holding
// "Plain Text" plain text, else the listed type of that name. Rich text for a name not listed.
FileKind KindOfTypeName(std::string_view name, const std::vector<FileType>& types);

// The extension a bare file name gets: the type's first pattern without its "*", at most a dot
// and three characters (".rtf", ".htm", ".md").
std::string ExtensionOfType(const FileType& type);

// How the type handed to ImportKindOf came: the user chose it for these files (a type filter of
// the import dialog, --type), or it is the default for files whose extension says nothing (the
// dialog's "All supported files", no --type, a file named at start-up).
enum class TypeChoice { kChosen, kDefault };

// The kind an imported file is read as: a name ending exactly in ".txt" is plain text and one
// ending exactly in ".rtf" rich text (letter case counts), whatever type was chosen. Else a
// chosen `type` of ImportFileTypes() decides; a default one only when the extension, in any
// letter case, names no kind that import reads (.txt, .rtf, .htm, .html, .md, .markdown).
// Rich text for an index outside the list.
FileKind ImportKindOf(std::string_view fileName, int type, TypeChoice choice);

// The import dialog's first filter, which shows every file that import reads by its extension.
inline const char* const kAllSupportedFiles = "All supported files (*.rtf *.txt *.htm *.html *.md *.markdown)";

// The type of a short format name as the command line takes it ("rtf", "txt", "html", "odt",
// "md", "pdf"); -1 for another name.
int ExportTypeOfFormat(std::string_view format);

}  // namespace jb::transfer
