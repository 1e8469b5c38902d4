#pragma once
// The naming rules of data sets: the data file extension; the reserved "%" of deleted-pages
// data sets and the counterpart a page moves to on Zap or Restore are store/dataset_paths.h's.

#include <string>
#include <string_view>

#include "store/dataset_paths.h"

namespace jb {

// New Database and Save Database as: a name whose extension is not ".jb" (any letter case) gets
// ".jb" appended, so "work" becomes "work.jb" and "work.txt" becomes "work.txt.jb".
std::string WithDataExtension(std::string_view path);

}  // namespace jb
