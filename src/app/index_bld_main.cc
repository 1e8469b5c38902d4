// IndexBld: rebuilds the index file of a data set. The window starts it with the current data
// set's full path, which may lie outside the program folder. Without an argument it rebuilds
// the active data set of JotBase.ini: [Database] ActiveData as it stands when it names a data
// file that exists, otherwise that file name in the program folder, as a start opens it. The
// program folder is the window's: it hands it over in the environment.

#include <exception>
#include <iostream>
#include <string>
#include <string_view>

#include "app/cli_command.h"
#include "datasets/index_rebuild.h"
#include "datasets/rename_data_set.h"
#include "settings/program_folder.h"
#include "settings/settings.h"
#include "store/file_system.h"
#include "store/page_store.h"
#include "store/memory_tuning.h"

namespace jb::cli {
void PrintRebuildReport(const RebuildReport& report, std::ostream& out, std::ostream& err);
}

namespace {

constexpr const char* kUsage =
    "usage: IndexBld [DATA_FILE]\n"
    "       IndexBld --help | --version\n"
    "Rebuilds the index file of DATA_FILE, or of the active data set of the program folder.\n";

std::string ActiveDataSet() {
    const std::string folder = jb::ProgramFolder();
    const std::string activeData = jb::StoredActiveData(folder);
    if (!activeData.empty() && activeData.front() == '/' &&
        jb::FileSystem::Default().Exists(activeData))
        return activeData;
    return jb::DataSetInProgramFolder(folder, activeData);
}

}  // namespace

int main(int argc, char** argv) {
    jb::KeepLargeAllocationsInProcess();
    if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::cout << kUsage;
        return 0;
    }
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::cout << "IndexBld " << JB_VERSION << "\n";
        return 0;
    }
    if (argc > 2 || (argc == 2 && (std::string_view(argv[1]).empty() || argv[1][0] == '-'))) {
        std::cerr << kUsage;
        return 2;
    }
    try {
        const std::string dataSet = argc == 2 ? std::string(argv[1]) : ActiveDataSet();
        jb::PageStore store;
        jb::FinishInterruptedRename(dataSet, store.Files());
        store.FinishInterruptedPack(dataSet);
        // A rebuild of a data set that is not there would make an empty index and lock file
        // beside nothing and report success.
        if (!store.Files().Exists(dataSet)) {
            std::cerr << "IndexBld: there is no data set " << dataSet << "\n";
            return 1;
        }
        jb::cli::PrintRebuildReport(jb::RebuildIndex(dataSet), std::cout, std::cerr);
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "IndexBld: " << e.what() << "\n";
        return 1;
    }
}
