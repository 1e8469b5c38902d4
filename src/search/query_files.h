#pragma once
// The small text files of the search: the recent searches of a data set (".rsc" beside its data
// file, one stored query text a line) and saved queries (".jqr": the query text, then one page
// ID a line). Lines end in CR LF; the bytes are the stored Windows-1252 text.

#include <QString>
#include <optional>
#include <string>
#include <vector>

namespace jb::search {

// Windows-1252 bytes and the window's text.
QString TextOfBytes(const std::string& bytes);
std::string BytesOfText(const QString& text);

// The recent searches file of a data set.
QString RecentSearchesPath(const std::string& dataSet);

// The lines of a text file (CR LF or LF), or nothing when it does not exist or cannot be read.
std::optional<std::vector<std::string>> ReadTextLines(const QString& path);
// The same, the file named by its bytes (a name need not be UTF-8).
std::optional<std::vector<std::string>> ReadTextLines(const std::string& path);
// Writes `lines`, each followed by CR LF, beside the file and renamed over it. False when the
// file cannot be created.
bool WriteTextLines(const QString& path, const std::vector<std::string>& lines);

}  // namespace jb::search
