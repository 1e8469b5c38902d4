// The CLI commands that move pages between a data set and its deleted pages, and rename a data
// set: zap, restore, rename. They do what the window's Zap, Restore and Save Database as do.

#include <ostream>
#include <stdexcept>
#include <string>

#include "app/cli_command.h"
#include "datasets/dataset_names.h"
#include "datasets/move_page.h"
#include "datasets/rename_data_set.h"
#include "store/dataset_lock.h"
#include "store/dataset_paths.h"
#include "store/page_store.h"

namespace jb::cli {

namespace {

// Moves page n of `from` to the end of its counterpart and says which page went where.
int Move(const std::string& from, int n, std::ostream& out, std::ostream& err) {
    PageStore store;
    // The number names a page only while both data sets are held: another program's zap or
    // restore renumbers the pages.
    DataSetPairLock lock(from);
    // A header file read past its end says nothing useful.
    if (const int count = store.PageCount(from); n >= count)
        throw std::invalid_argument("There is no page " + std::to_string(n) + " in " + from +
                                    (count == 0 ? ": it has no pages"
                                                : ": its pages are 0 to " + std::to_string(count - 1)));
    MovedPage moved;
    if (unsigned status = MovePage(store, from, n, moved); status != 0) {
        err << "jotterbase-cli: Error #" << status << " occurred\n";
        return 1;
    }
    out << "page " << n << " (ID " << moved.id << ") moved to " << CounterpartOf(from) << " as page " << moved.placed
        << "\n";
    return 0;
}

}  // namespace

int RunZap(const Args& args, std::ostream& out, std::ostream& err) {
    const std::string dataSet = DataSetPath(args);
    return Move(dataSet, PageNumberArgument(args), out, err);
}

int RunRestore(const Args& args, std::ostream& out, std::ostream& err) {
    const std::string dataSet = DataSetPath(args);
    if (IsDeletedPagesDataSet(dataSet))
        throw std::invalid_argument(dataSet + " holds deleted pages itself: give the main data set, --data " +
                                    CounterpartOf(dataSet));
    const std::string deleted = CounterpartOf(dataSet);
    PageStore store;
    if (!store.Files().Exists(deleted) && !store.Files().Exists(CompanionPath(deleted, ".hd")))
        throw std::invalid_argument("There is no file of deleted pages for this data-file.");
    return Move(deleted, PageNumberArgument(args), out, err);
}

int RunRename(const Args& args, std::ostream& out, std::ostream& err) {
    const std::string dataSet = DataSetPath(args);
    if (args.words.size() != 1) throw std::invalid_argument("give exactly one new name");
    if (IsDeletedPagesDataSet(dataSet)) throw std::invalid_argument("The name of the deleted data file cannot be changed.");
    if (IsDeletedPagesDataSet(args.words[0]))
        throw std::invalid_argument("You cannot use the reserved character % in a jotterbase data-set filename.");
    const std::string renamed = WithDataExtension(args.words[0]);
    const RenameOutcome outcome = RenameDataSet(dataSet, renamed);
    for (const RenameMessage& m : outcome.messages) err << "jotterbase-cli: " << m.text << "\n";
    if (!outcome.renamed) return 1;
    out << renamed << "\n";
    return 0;
}

}  // namespace jb::cli
