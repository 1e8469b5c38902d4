// jotterbase-cli: headless access to a data set.

#include <exception>
#include <iostream>

#include "app/cli_command.h"
#include "store/io_error.h"
#include "store/memory_tuning.h"
#include "store/page_store.h"

namespace {

void PrintOverview(std::ostream& out) {
    out << "usage: jotterbase-cli COMMAND [--data PATH] [options]\n"
           "The data set defaults to data.jb in the program folder.\n\ncommands:\n";
    for (const auto& c : jb::cli::Commands()) out << "  " << c.name << "\t" << c.summary << "\n";
    out << "\n'jotterbase-cli COMMAND --help' describes a command.\n";
}

}  // namespace

int main(int argc, char** argv) {
    jb::KeepLargeAllocationsInProcess();
    std::vector<std::string> words(argv + 1, argv + argc);
    if (words.empty() || words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
        PrintOverview(words.empty() ? std::cerr : std::cout);
        return words.empty() ? 2 : 0;
    }
    for (const auto& command : jb::cli::Commands()) {
        if (words[0] != command.name) continue;
        std::vector<std::string> rest(words.begin() + 1, words.end());
        try {
            jb::cli::Args args = jb::cli::ParseArgs(rest, command.valued);
            if (args.Has("help")) {
                std::cout << "usage: jotterbase-cli " << command.usage << "\n";
                return 0;
            }
            jb::PageStore().FinishInterruptedPack(jb::cli::DataSetPath(args));
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
