// jotterbase-cli reindex: rebuilds the data set's index file from all its pages.

#include <ostream>

#include "app/cli_command.h"
#include "datasets/index_rebuild.h"

namespace jb::cli {

void PrintRebuildReport(const RebuildReport& report, std::ostream& out, std::ostream& err) {
    for (const std::string& message : report.damaged) err << "jotterbase-cli: " << message << "\n";
    out << "Indexed " << report.indexed << " of " << report.pages << " page(s): " << report.entries << " entries";
    if (report.protectedPages > 0) out << "; " << report.protectedPages << " protected page(s) skipped";
    if (report.deletedPages > 0) out << "; " << report.deletedPages << " deleted record(s) skipped";
    if (!report.damaged.empty()) out << "; " << report.damaged.size() << " damaged page(s) skipped";
    out << ".\n";
}

int RunReindex(const Args& args, std::ostream& out, std::ostream& err) {
    PrintRebuildReport(RebuildIndex(DataSetPath(args)), out, err);
    return 0;
}

}  // namespace jb::cli
