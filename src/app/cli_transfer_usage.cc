namespace jb::cli {

extern const char* const kExportUsage;
extern const char* const kImportUsage;
const char* const kExportUsage =
    "export (--page N | --range FROM-TO | --query FILE.jqr) -o FILE [--format rtf|txt|html|odt|md|pdf]\n"
    "       [--no-marks] [--password N=P ...] [--data PATH]\n"
    "  Writes the pages as the window's export does: a page as it is stored; a range or the pages of\n"
    "  a saved query one after another, each opened by a \"---Record Number N begins---\" line and\n"
    "  followed by an empty line (--no-marks leaves both out). The format defaults to the output\n"
    "  file's extension. A protected page is included only with its password (--password N=P for\n"
    "  page N); without it the page is left out and standard error says so.";

const char* const kImportUsage =
    "import FILE... [--dos] [--type rtf|txt|html|md] [--data PATH]\n"
    "  Makes new last pages of the files, as the window's import does: each file laid out 641 pixels\n"
    "  wide and cut every 150 lines. A name ending in .txt is plain text and one ending in .rtf rich\n"
    "  text; any other file is read as --type, or without it as its extension says (.txt .rtf .htm\n"
    "  .html .md .markdown, in any letter case), else as rich text. A text file may be UTF-8,\n"
    "  Windows-1252, or UTF-16 with its byte-order mark. --dos reads DOS Jotterbase record exports:\n"
    "  one page per record, a record ending with a line holding only \"~\". Prints the number and ID\n"
    "  of each new page.";

}  // namespace jb::cli
