#pragma once
// The message of the day: one line drawn from "todays.messages" in the program folder.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/file_system.h"

namespace jb::remind {

inline constexpr std::string_view kDailyMessagesFile = "todays.messages";

// The lines of a text (ended by CR LF, LF or CR; a final line end adds no empty line).
std::vector<std::string> SplitLines(std::string_view text);

// Which line a draw picks: uniform over 0 .. count - 2 (0 for a single line), so the last line
// of a file of two or more lines is never drawn. `seed` comes from the clock. count > 0.
std::size_t DrawMessageIndex(std::size_t count, std::uint32_t seed);

// The message of the day from the messages file of `programFolder` (with its final "/"), cut to
// 255 bytes; empty when the file is missing, unreadable or holds no line.
std::string TodaysMessage(FileSystem& fs, const std::string& programFolder, std::uint32_t seed);

}  // namespace jb::remind
