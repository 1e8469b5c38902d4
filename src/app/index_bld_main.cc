// IndexBld: rebuilds the index file of the active data set. It takes no arguments: the data set
// is the file named by [Database] ActiveData in JotBase.ini, looked for in the program folder.

#include <exception>
#include <iostream>

#include "app/cli_command.h"
#include "datasets/index_rebuild.h"
#include "settings/settings.h"
#include "store/page_store.h"
#include "store/memory_tuning.h"

namespace jb::cli {
void PrintRebuildReport(const RebuildReport& report, std::ostream& out, std::ostream& err);
}

int main(int argc, char**) {
    jb::KeepLargeAllocationsInProcess();
    if (argc > 1) std::cerr << "IndexBld: arguments are ignored\n";
    try {
        const std::string dataSet = jb::ActiveDataSetPath(jb::cli::ProgramFolder());
        jb::PageStore().FinishInterruptedPack(dataSet);
        jb::cli::PrintRebuildReport(jb::RebuildIndex(dataSet), std::cout, std::cerr);
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "IndexBld: " << e.what() << "\n";
        return 1;
    }
}
