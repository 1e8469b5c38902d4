#pragma once
// The naming rule of a data set's new name: the data file extension. The reserved "%" of
// deleted-pages data sets and the counterpart a page moves to are store/dataset_paths.h's.

#include <string>
#include <string_view>

namespace jb {

// New Database and Save Database as: a name whose extension is not ".jb" (any letter case) gets
// ".jb" appended, so "work" becomes "work.jb" and "work.txt" becomes "work.txt.jb".
std::string WithDataExtension(std::string_view path);

}  // namespace jb
