// jotterbase-cli: headless access to a data set.

#include <cstdlib>
#include <exception>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/cli_command.h"
#include "datasets/rename_data_set.h"
#include "settings/program_folder.h"
#include "store/dataset_paths.h"
#include "store/io_error.h"
#include "store/memory_tuning.h"
#include "store/page_store.h"

namespace {

// The options that may stand before the command name: only --data, as "--data PATH" or
// "--data=PATH". They are moved behind the command, where every command takes them.
std::vector<std::string> LeadingOptions(std::vector<std::string>& words) {
    std::vector<std::string> options;
    while (!words.empty() && (words[0] == "--data" || words[0].rfind("--data=", 0) == 0)) {
        const std::size_t taken = words[0] == "--data" ? 2 : 1;
        if (words.size() < taken) throw std::invalid_argument("--data needs a value");
        // An empty path ("--data=" or --data "") is as good as none.
        const std::string value = taken == 2 ? words[1] : words[0].substr(7);
        if (value.empty()) throw std::invalid_argument("--data needs a value");
        options.insert(options.end(), words.begin(), words.begin() + static_cast<std::ptrdiff_t>(taken));
        words.erase(words.begin(), words.begin() + static_cast<std::ptrdiff_t>(taken));
    }
    return options;
}

void PrintOverview(std::ostream& out) {
    out << "usage: jotterbase-cli [--folder DIR] [--data PATH] COMMAND [--data PATH] [options]\n"
           "       jotterbase-cli --help | --version\n"
           "The data set defaults to data.jb in the program folder: --folder DIR, else the folder the\n"
           "environment variable JOTTERBASE_FOLDER names, else ~/Jotterbase (a copy that ./run.sh\n"
           "installed uses its own folder). A missing program folder is made with the default files.\n"
           "\ncommands:\n";
    for (const auto& c : jb::cli::Commands()) out << "  " << c.name << "\t" << c.summary << "\n";
    out << "\n'jotterbase-cli COMMAND --help' describes a command.\n";
}

}  // namespace

int main(int argc, char** argv) {
    jb::KeepLargeAllocationsInProcess();
    std::vector<std::string> words(argv + 1, argv + argc);
    std::vector<std::string> leading;
    try {
        // The programs this one starts work in the same folder.
        if (const std::string folder = jb::TakeFolderOption(words); !folder.empty())
            ::setenv(jb::kFolderVariable, folder.c_str(), 1);
        leading = LeadingOptions(words);
    } catch (const std::exception& e) {
        std::cerr << "jotterbase-cli: " << e.what() << "\n";
        return 2;
    }
    if (!words.empty() && words[0] == "--version") {
        std::cout << "jotterbase-cli " << JB_VERSION << "\n";
        return 0;
    }
    if (!words.empty() && words[0].rfind("-", 0) == 0 && words[0] != "--help" && words[0] != "-h") {
        std::cerr << "jotterbase-cli: '" << words[0] << "' is not an option that may stand before the command\n";
        PrintOverview(std::cerr);
        return 2;
    }
    if (words.empty() || words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
        PrintOverview(words.empty() ? std::cerr : std::cout);
        return words.empty() ? 2 : 0;
    }
    for (const auto& command : jb::cli::Commands()) {
        if (words[0] != command.name) continue;
        std::vector<std::string> rest(leading);
        rest.insert(rest.end(), words.begin() + 1, words.end());
        try {
            jb::cli::Args args = jb::cli::ParseArgs(rest, command.valued);
            if (args.Has("help")) {
                std::cout << "usage: jotterbase-cli " << command.usage << "\n";
                return 0;
            }
            // A mistyped option must not leave the command to run as if it had not been given.
            if (const std::string stray = jb::cli::StrayArgument(command, args); !stray.empty()) {
                std::cerr << "jotterbase-cli: '" << stray << "' is not an option of "
                          << command.name << "\nusage: jotterbase-cli " << command.usage << "\n";
                return 2;
            }
            // The first use of the program folder makes it, as the window's first start does.
            if (!args.Has("data"))
                jb::PrepareProgramFolder(jb::ProgramFolder(), jb::InstallationOf(jb::ExecutableFolder()));
            const std::string dataSet = jb::cli::DataSetPath(args);
            // A mistyped path must not read as an empty data set; only add and import make a new one.
            jb::PageStore store;
            const std::string name = command.name;
            // A rename stopped part way is undone before anything reads the split files; check
            // reports it and undoes it only with --repair.
            if (name != "check") jb::FinishInterruptedRename(dataSet, store.Files());
            if (name != "add" && name != "import" && !store.Files().Exists(dataSet) &&
                !store.Files().Exists(jb::CompanionPath(dataSet, ".hd")) &&
                !jb::RenameInterrupted(dataSet, store.Files())) {
                std::cerr << "jotterbase-cli: no data set here: neither " << dataSet << " nor its header file exists\n";
                return 1;
            }
            // check reports an interrupted pack; it finishes it only with --repair.
            if (name != "check") store.FinishInterruptedPack(dataSet);
            return command.run(args, std::cout, std::cerr);
        } catch (const jb::IoError& e) {
            std::cerr << "jotterbase-cli: " << e.what() << "\n";
            return 1;
        } catch (const std::exception& e) {
            std::cerr << "jotterbase-cli: " << e.what() << "\n";
            return 1;
        }
    }
    std::cerr << "jotterbase-cli: unknown command '" << words[0] << "'\n";
    PrintOverview(std::cerr);
    return 2;
}
