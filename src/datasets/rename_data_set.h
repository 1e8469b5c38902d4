#pragma once
// Save Database as: every file of a data set and of its deleted-pages data set takes the new
// name, step by step in a fixed order. Each step has a code the user is told when it fails.

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

}  // namespace jb
