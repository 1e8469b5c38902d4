#pragma once
// Moving a stored page to the counterpart data set (Zap, and Restore from the deleted pages),
// for the command-line program: the window moves the page as its editor holds it instead.

#include <string>

#include "store/page_store.h"

namespace jb {

// Appends page n of `dataSet` as the last page of `target` with its ID, created date, password,
// read-only flag and reminder, then empties its record in `dataSet` and purges it, so that the
// pages after it move down by one. The target's index is not touched, nor are the entries of the
// page in the index of `dataSet`. Returns the storage status of the first step that failed (the
// page stays where it is when the copy fails); 0 on success.
unsigned MovePage(PageStore& store, const std::string& dataSet, int n, const std::string& target);

}  // namespace jb
