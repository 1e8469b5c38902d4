#pragma once
// Index entries appended to a data set's index file along with a page write, so that a page
// whose header record exists is always in the index, whenever a program stops.

#include <cstdint>
#include <string>

namespace jb {

struct IndexAppend {
    std::string text;             // whole lines, each ended by CR LF
    std::string error;            // set when they could not be appended (the page is written regardless)
    std::int64_t sizeBefore = -1; // the index file's size before the append (-1: there was none)
    std::int64_t sizeAfter = -1;  // and after it
};

}  // namespace jb
