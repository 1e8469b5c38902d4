// Placeholder until the command is written.

#include <ostream>

#include "app/cli_command.h"

namespace jb::cli {

int RunSearch(const Args&, std::ostream&, std::ostream& err) {
    err << "jotterbase-cli: this command is not available yet\n";
    return 2;
}

}  // namespace jb::cli
