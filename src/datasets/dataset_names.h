#pragma once
// The naming rules of data sets: the data file extension, the reserved "%" of deleted-pages
// data sets and the counterpart a page moves to on Zap or Restore.

#include <string>
#include <string_view>

namespace jb {

// New Database and Save Database as: a name whose extension is not ".jb" (any letter case) gets
// ".jb" appended, so "work" becomes "work.jb" and "work.txt" becomes "work.txt.jb".
std::string WithDataExtension(std::string_view path);

// The data set a page moves to from `dataSet`: its deleted-pages data set ("%" before the file
// name), or, for a deleted-pages data set, the main data set (the name without its "%").
std::string CounterpartOf(std::string_view dataSet);

}  // namespace jb
