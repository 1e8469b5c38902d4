#pragma once
// The texts and small rules of the main window that need no window: the caption, the page
// number box, the command line and the web addresses completed on Enter.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace jb::workspace {

// The window title is kTitlePrefix followed by the caption text.
inline constexpr std::string_view kTitlePrefix = "Quorvane Jotterbase - ";

// "data.jb (12 pages)"; for a deleted-pages data set "Deleted pages from: data.jb (3 pages)".
// The file name is lower-cased (ASCII letters); the "%" of a deleted-pages data set is dropped.
std::string CaptionText(std::string_view dataSet, int pageCount);

// The page number box check: every character a digit "0".."9" (an empty box passes).
bool IsPageNumberText(std::string_view text);
// The number in a box that passed the check; nothing for an empty box. Numbers too large for
// an int come back as INT32_MAX (past any page).
std::optional<int> PageNumberOf(std::string_view text);
// Whether the box asks for the last page ("last" in any letter case).
bool IsLastKeyword(std::string_view text);

// The command line: the search switch "/FIND" in any letter case as the first parameter.
bool IsFindSwitch(const std::vector<std::string>& parameters);
// Every parameter joined with single spaces: the name of a file to import.
std::string JoinedParameters(const std::vector<std::string>& parameters);

// Where Enter puts "http://" into the editor's text: every "www." (letter case ignored) whose two
// preceding characters are not "//". Each position is in the text as it stands after the
// insertions before it; the search goes on 11 characters after each occurrence found.
std::vector<std::size_t> WebAddressInsertions(std::u16string_view text);

}  // namespace jb::workspace
