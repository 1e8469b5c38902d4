// jotterbase-cli export and import: handed to jotterbase-transfer, the helper program that holds
// the desktop layer's document code, so that every other command runs without Qt.

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ostream>

#include "app/cli_command.h"
#include "settings/program_folder.h"

namespace jb::cli {

namespace {

int HandOver(const char* command, const std::vector<std::string>& valued, const Args& args, std::ostream& err) {
    const std::string program = InstallationOf(ExecutableFolder()).helpers + "jotterbase-transfer";
    std::vector<std::string> argv = {program, command, "--data=" + DataSetPath(args)};
    for (const std::string& w : args.words) argv.push_back(w);
    for (const auto& [name, value] : args.options) {
        if (name == "data") continue;
        const bool takesValue = std::find(valued.begin(), valued.end(), name) != valued.end();
        argv.push_back(takesValue ? "--" + name + "=" + value : "--" + name);
    }
    std::vector<char*> pointers;
    for (std::string& a : argv) pointers.push_back(a.data());
    pointers.push_back(nullptr);
    err.flush();
    ::execv(program.c_str(), pointers.data());
    err << "jotterbase-cli: cannot start " << program << ": " << std::strerror(errno) << "\n";
    return 1;
}

}  // namespace

const std::vector<std::string> kExportValued = {"page", "range", "query", "format", "output", "password"};
const std::vector<std::string> kImportValued = {"type"};

int RunExport(const Args& args, std::ostream&, std::ostream& err) { return HandOver("export", kExportValued, args, err); }

int RunImport(const Args& args, std::ostream&, std::ostream& err) { return HandOver("import", kImportValued, args, err); }

}  // namespace jb::cli
