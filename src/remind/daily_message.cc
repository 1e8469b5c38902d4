#include "remind/daily_message.h"

#include <random>

#include "store/io_error.h"

namespace jb::remind {

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

std::size_t DrawMessageIndex(std::size_t count, std::uint32_t seed) {
    if (count <= 2) return 0;
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::size_t> pick(0, count - 2);
    return pick(random);
}

std::string TodaysMessage(FileSystem& fs, const std::string& programFolder, std::uint32_t seed) {
    const std::string path = programFolder + std::string(kDailyMessagesFile);
    std::string text;
    try {
        auto file = fs.Open(path, OpenMode::kRead);
        if (!file) return {};
        text.resize(static_cast<std::size_t>(file->Size()));
        file->ReadExactly(text.data(), text.size());
    } catch (const IoError&) {
        return {};  // a message of the day is not worth an error box
    }
    std::vector<std::string> lines = SplitLines(text);
    if (lines.empty()) return {};
    std::string line = lines[DrawMessageIndex(lines.size(), seed)];
    if (line.size() > 255) line.resize(255);
    return line;
}

}  // namespace jb::remind
