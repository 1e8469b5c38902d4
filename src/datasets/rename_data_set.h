#pragma once
// Save Database as: every file of a data set and of its deleted-pages data set takes the new
// name, step by step in a fixed order. Each step has a code the user is told when it fails. A
// rename stopped part way (the program killed) is undone by the next program to open the data
// set under either name.

#include <string>
#include <vector>

#include "store/file_system.h"

namespace jb {

struct RenameMessage {
    std::string text;
    bool critical = false;
};

struct RenameOutcome {
    // Every file now carries the new name: the new name is the current data set. When false,
    // every file carries the old name again.
    bool renamed = false;
    std::vector<RenameMessage> messages;  // in the order the failures happened
};

// Renames the data set `oldDataSet` (the path of its data file) to `newDataSet`: the data file
// (step FA), the index file (FB), the header file (FC), the recent searches file (FD), then the
// same four of the deleted-pages data set (FAA, FBA, FCA, FDA). A file that does not exist is
// skipped: there is nothing to rename. A step whose target already exists fails, so no file of
// another data set is ever replaced. A failed step of a recent searches file is reported and the
// renaming goes on; any other failed step is reported, and the files renamed before it get
// their old names back, so that the data set is whole under one name.
RenameOutcome RenameDataSet(const std::string& oldDataSet, const std::string& newDataSet,
                            FileSystem& files = FileSystem::Default());

// Before its first file is renamed, a rename records what it is about to do in "<name>.rnm"
// beside the old and the new data set (each written as "<name>.rn1", synced and renamed into
// place); it removes both when it is done. Should it stop part way, the record is left, and the
// data set's files may be split between the two names.
std::string RenameRecordPath(const std::string& dataSet);

// Whether a rename of `dataSet` (its old or its new name, or the deleted pages of either) stopped
// part way.
bool RenameInterrupted(const std::string& dataSet, FileSystem& files = FileSystem::Default());

// Puts right a rename of `dataSet` that stopped part way: every file it had renamed takes its
// old name again, so that the data set is whole under the name it had before, as a rename that
// never reported success should leave it. A record that never took its place is removed.
// Returns whether there was a record to put right. Throws IoError when a file cannot be renamed
// back; the record stays then.
bool FinishInterruptedRename(const std::string& dataSet, FileSystem& files = FileSystem::Default());

}  // namespace jb
