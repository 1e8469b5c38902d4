// The table of jotterbase-cli's commands.

#include "app/cli_command.h"

namespace jb::cli {

// Shared with jotterbase-transfer, which does the work of export and import.
extern const char* const kExportUsage;
extern const char* const kImportUsage;

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"info", "path, page count, data file size, bytes held by live page bodies",
         "info [--data PATH]", {}, {}, 0, RunInfo},
        {"list", "one line per page: number, ID, created, modified, reminder, ro/rw, protected/open",
         "list [--data PATH] [--json]\n  Tab-separated columns: number, ID, created (yyyy-mm-dd), modified,\n"
         "  reminder (yyyy-mm-ddThh:mm:ss or -), ro|rw|deleted|damaged, protected|open.",
         {}, {"json"}, 0, RunList},
        {"dump", "the stored body of a page without its trailer byte",
         "dump N [--data PATH] [--password P]", {"password"}, {}, 1, RunDump},
        {"purge", "remove the records of deleted pages from the header file", "purge [--data PATH]", {}, {}, 0, RunPurge},
        {"pack", "copy the live page bodies into a new data file and drop deleted records",
         "pack [--data PATH]", {}, {}, 0, RunPack},
        {"show", "the plain text of a page (or its stored rich text with --rtf)",
         "show N [--data PATH] [--password P] [--rtf]", {"password"}, {"rtf"}, 1, RunShow},
        {"add", "add a new last page from a .txt or .rtf file, or from standard input",
         "add [--data PATH] [--file F] [--read-only] [--password P] [--reminder yyyy-mm-ddThh:mm]",
         {"file", "password", "reminder"}, {"read-only"}, 0, RunAdd},
        {"reindex", "rebuild the data set's index file from all its pages", "reindex [--data PATH]", {}, {}, 0, RunReindex},
        {"search", "run a query and print the pages it finds",
         "search \"QUERY\" [--data PATH] [--sort page|creation|modified|reminder] [--after DATE] [--before DATE]\n"
         "       [--date-kind reminder|creation|modified] [--refine \"STORED TEXT\"] [--json]",
         {"sort", "after", "before", "date-kind", "refine"}, {"json"}, 1, RunSearch},
        {"zap", "move page N to the deleted pages (the last page there), keeping its ID and attributes",
         "zap N [--data PATH]\n  The page becomes the last page of %NAME.jb beside the data set; a page zapped in\n"
         "  %NAME.jb goes back to the end of NAME.jb.",
         {}, {}, 1, RunZap},
        {"restore", "move page N of the deleted pages back to the end of the data set",
         "restore N [--data PATH]\n  --data names the main data set; its deleted pages are %NAME.jb beside it.", {},
         {}, 1, RunRestore},
        {"rename", "give the data set and its deleted pages a new name (.jb is added when missing)",
         "rename NEWPATH [--data PATH]\n"
         "  Every file of the data set (.jb .idx .hd .rsc) and of its deleted pages takes the\n"
         "  new name. No existing file is replaced: the data set keeps its name when one is in\n"
         "  the way. NEWPATH may not begin with %, and deleted pages are not renamed on their own.\n"
         "  A rename that is stopped part way is undone by the next command on either name.",
         {}, {}, 1, RunRename},
        {"export", "write pages to a rich text, plain text, HTML, OpenDocument, Markdown or PDF file",
         kExportUsage, kExportValued, {"no-marks"}, 0, RunExport},
        {"check", "report damage: bodies outside the data file or without their trailer, duplicate IDs, index entries",
         "check [--data PATH] [--json] [--repair]\n"
         "  One line per finding: kind, page (- for the data set), detail. Kinds: interrupted-rename,\n"
         "  interrupted-pack, work-file, clear-text-file, duplicate-id, outside-data-file, no-trailer,\n"
         "  unindexed-words, unknown-ids. Work files and index entries naming no page are harmless\n"
         "  (marked so; \"damage\":false with --json). Exit 1 when damage is found, 0 otherwise.\n"
         "  --repair undoes an interrupted rename, finishes an interrupted pack, removes the program's\n"
         "  leftover work files, cuts back a record that claims bytes past the data file's end to what\n"
         "  is left of its body (the page stays damaged) and mends the index (entries naming no page\n"
         "  go, missing ones of readable pages are added), then checks again; it never drops a page or\n"
         "  rewrites its bytes.",
         {}, {"json", "repair"}, 0, RunCheck},
        {"import", "make new pages of text, rich text, HTML or Markdown files, 150 lines a page",
         kImportUsage, kImportValued, {"dos"}, kAnyWords, RunImport},
    };
    return commands;
}

}  // namespace jb::cli
