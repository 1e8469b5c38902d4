// The table of jotterbase-cli's commands.

#include "app/cli_command.h"

namespace jb::cli {

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"info", "path, page count, data file size, bytes held by live page bodies",
         "info [--data PATH]", {}, RunInfo},
        {"list", "one line per page: number, ID, created, modified, reminder, ro/rw, protected/open",
         "list [--data PATH] [--json]\n  Tab-separated columns: number, ID, created (yyyy-mm-dd), modified,\n"
         "  reminder (yyyy-mm-ddThh:mm:ss or -), ro|rw|deleted|damaged, protected|open.",
         {}, RunList},
        {"dump", "the stored body of a page without its trailer byte",
         "dump N [--data PATH] [--password P]", {"password"}, RunDump},
        {"purge", "remove the records of deleted pages from the header file", "purge [--data PATH]", {}, RunPurge},
        {"pack", "copy the live page bodies into a new data file and drop deleted records",
         "pack [--data PATH]", {}, RunPack},
    };
    return commands;
}

}  // namespace jb::cli
