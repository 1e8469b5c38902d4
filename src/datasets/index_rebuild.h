#pragma once
// Rebuilding a data set's index file from its pages: the work of IndexBld and of
// `jotterbase-cli reindex`.

#include <string>
#include <vector>

#include "store/file_system.h"

namespace jb {

struct RebuildReport {
    int pages = 0;        // pages in the data set
    int indexed = 0;      // pages whose words were indexed
    int protectedPages = 0;  // skipped: their text cannot be read without the password
    int deletedPages = 0;    // records of deleted pages
    std::vector<std::string> damaged;  // one message per page that could not be read
    std::size_t entries = 0;           // entries in the new index file
};

// Reads every live page's plain text (one pass over the header file and the data file) and
// writes a fresh index file for the data set, replacing the old one only when complete.
// Throws IoError when the data set cannot be read at all or the index file cannot be written,
// and when another program is writing the data set (the rebuild holds it from start to end).
RebuildReport RebuildIndex(const std::string& dataSet, FileSystem& files = FileSystem::Default());

}  // namespace jb
