#pragma once
// Names of a data set's member files. A data set is named by the full path of its data file;
// every companion is that path with its last extension replaced.

#include <string>
#include <string_view>

namespace jb {

// `dataSet` with its extension replaced by `extension` (which includes the dot, as ".hd").
// A name without extension gets the extension appended.
std::string CompanionPath(std::string_view dataSet, std::string_view extension);

// The folder part of a path, with its final separator ("" for a bare file name).
std::string FolderOf(std::string_view path);
// The file-name part of a path.
std::string FileNameOf(std::string_view path);

// The deleted-pages data set of a data set: "%" before the data file's name.
std::string DeletedPagesDataSet(std::string_view dataSet);
// Whether a data set is itself a deleted-pages data set (its file name begins with "%").
bool IsDeletedPagesDataSet(std::string_view dataSet);
// The data set a page moves to from `dataSet`: its deleted-pages data set ("%" before the file
// name), or, for a deleted-pages data set, the main data set (the name without its "%").
std::string CounterpartOf(std::string_view dataSet);

}  // namespace jb
