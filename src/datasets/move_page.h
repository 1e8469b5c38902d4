#pragma once
// Moving a stored page to the counterpart data set (Zap, and Restore from the deleted pages),
// for the command-line program: the window moves the page as its editor holds it instead.

#include <string>

#include "store/page_store.h"

namespace jb {

// What a move did: the ID of the page it moved, and its number in the counterpart.
struct MovedPage {
    std::string id;
    int placed = -1;
};

// Appends page n of `dataSet` as the last page of its counterpart with its ID, created date,
// password, read-only flag and reminder, then empties its record in `dataSet` and purges it, so
// that the pages after it move down by one. Both data sets are held throughout, and page n is
// read under them, so that `moved` names the page that was moved whatever other programs did
// before. A counterpart that already has the page's ID holds a copy from a move that stopped
// part way: that copy takes the page's text, and the move is finished, not made twice. The
// counterpart's index is not touched, nor are the entries of the page in the index of
// `dataSet`. Returns the storage status of the first step that failed (the page stays where it
// is when the copy fails); 0 on success.
unsigned MovePage(PageStore& store, const std::string& dataSet, int n, MovedPage& moved);

}  // namespace jb
