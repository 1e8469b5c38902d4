// jotterbase-cli export: handed to jotterbase-export, the program beside it that holds the
// desktop layer's document code, so that every other command runs without Qt.

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ostream>

#include "app/cli_command.h"

namespace jb::cli {

int RunExport(const Args& args, std::ostream&, std::ostream& err) {
    const std::string program = ProgramFolder() + "jotterbase-export";
    std::vector<std::string> argv = {program, "--data=" + DataSetPath(args)};
    for (const std::string& w : args.words) argv.push_back(w);
    const std::vector<std::string> valued = {"page", "range", "query", "format", "output", "password"};
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

}  // namespace jb::cli
