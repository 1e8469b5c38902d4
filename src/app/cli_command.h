#pragma once
// The commands of jotterbase-cli. Each command lives in a file of its own and gets the
// arguments after its name; it writes results to `out`, errors to `err`, and returns the exit
// code. IoError and other exceptions are caught once, in main.

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace jb::cli {

struct Args {
    std::vector<std::string> words;  // arguments that are not options
    std::vector<std::pair<std::string, std::string>> options;  // "--name value" or "--flag" ""

    bool Has(const std::string& name) const;
    std::optional<std::string> Value(const std::string& name) const;
};

// Splits the arguments: `valued` names the options that take a value. "-o" stands for
// "--output" where that is one of them.
Args ParseArgs(const std::vector<std::string>& argv, const std::vector<std::string>& valued);

// The single page number a command takes; throws std::invalid_argument otherwise.
int PageNumberArgument(const Args& args);
// A JSON string literal of the bytes (quotes, backslashes and control characters escaped).
std::string JsonString(std::string_view text);
// The stored rich text of page n: its body without the trailer byte, deciphered with --password
// when the page is protected. Returns false after saying on `err` why it cannot.
bool ReadPageText(const Args& args, const std::string& dataSet, int n, std::string& text, std::ostream& err);

// The data set a command works on: --data, else data.jb in the program folder.
std::string DataSetPath(const Args& args);
// What to tell a user whose page was stored but whose words could not be indexed.
std::string UnindexedPageMessage(int n, const std::string& id, const std::string& dataSet, const std::string& why);

struct Command {
    const char* name;
    const char* summary;
    const char* usage;                 // shown by --help
    std::vector<std::string> valued;   // options that take a value
    std::vector<std::string> flags;    // options that take none
    int words;                         // the most words it takes; kAnyWords for no limit
    int (*run)(const Args& args, std::ostream& out, std::ostream& err);
};
inline constexpr int kAnyWords = -1;

const std::vector<Command>& Commands();

// The first argument `command` does not take, as the user typed it: an option it does not know
// (every command knows --data and --help) or a word beyond the ones it takes. Empty when none.
std::string StrayArgument(const Command& command, const Args& args);

int RunInfo(const Args&, std::ostream&, std::ostream&);
int RunList(const Args&, std::ostream&, std::ostream&);
int RunDump(const Args&, std::ostream&, std::ostream&);
int RunPurge(const Args&, std::ostream&, std::ostream&);
int RunPack(const Args&, std::ostream&, std::ostream&);
int RunShow(const Args&, std::ostream&, std::ostream&);
int RunAdd(const Args&, std::ostream&, std::ostream&);
int RunReindex(const Args&, std::ostream&, std::ostream&);
int RunSearch(const Args&, std::ostream&, std::ostream&);
int RunZap(const Args&, std::ostream&, std::ostream&);
int RunRestore(const Args&, std::ostream&, std::ostream&);
int RunRename(const Args&, std::ostream&, std::ostream&);
int RunExport(const Args&, std::ostream&, std::ostream&);
int RunImport(const Args&, std::ostream&, std::ostream&);
int RunCheck(const Args&, std::ostream&, std::ostream&);
// The options of export and import that take a value.
extern const std::vector<std::string> kExportValued;
extern const std::vector<std::string> kImportValued;

}  // namespace jb::cli
