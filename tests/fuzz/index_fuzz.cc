// libFuzzer target for the index file: any bytes as the ".idx" text must load into a list in
// list order, answer lookups as a plain scan of its lines would, take added entries, and save
// and load again without losing a line.
//
// Laws:
// - walking the list gives its lines in non-decreasing order (CompareEntries), Size() of them,
//   and loading the list's own file text again gives the same lines;
// - WordIds and PrefixIds give the IDs a linear scan of the lines gives, as multisets;
// - Add adds a line exactly when no equal one (in list order) is present, AddAll each line
//   equal to no present or earlier given one, and the list stays in order with few runs;
// - LoadIndex of the bytes as a file gives the same lines; saving after another program grew
//   the file keeps every line of both, and the file holds the list's text.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "store/dataset_paths.h"
#include "store/word_index.h"
#include "fuzz/fuzz_folder.h"
#include "support/temp_dir.h"

namespace {

using namespace jb;

[[noreturn]] void Fail(const std::string& what) {
    std::cerr << "index_fuzz: " << what << "\n";
    std::abort();
}

const std::string& DataSet() {
    static const std::string dataSet = fuzz::FuzzFolder() + "index.jb";
    return dataSet;
}

// The lines in list order, checking the order on the way.
std::vector<std::string> OrderedLines(const WordIndex& index) {
    std::vector<std::string> lines;
    index.ForEach([&](std::string_view line) {
        if (!lines.empty() && CompareEntries(lines.back(), line) > 0)
            Fail("list out of order: [" + lines.back() + "] before [" + std::string(line) + "]");
        lines.emplace_back(line);
    });
    if (lines.size() != index.Size()) Fail("ForEach and Size() disagree");
    if (index.Size() > 0 && index.RunCount() > static_cast<std::size_t>(std::bit_width(index.Size())) + 1)
        Fail("too many runs: " + std::to_string(index.RunCount()));
    return lines;
}

std::vector<std::string> Sorted(const std::vector<std::string_view>& views) {
    std::vector<std::string> out(views.begin(), views.end());
    std::sort(out.begin(), out.end());
    return out;
}

void CheckLookups(const WordIndex& index, const std::vector<std::string>& lines, const std::vector<std::string>& words) {
    for (const std::string& word : words) {
        std::vector<std::string_view> got;
        index.WordIds(word, got);
        std::vector<std::string_view> want;
        for (const std::string& line : lines)
            if (EntryWord(line) == word) {
                const std::size_t eq = line.find('=');
                want.push_back(eq == std::string::npos ? std::string_view(line) : std::string_view(line).substr(eq + 1));
            }
        if (Sorted(got) != Sorted(want)) Fail("WordIds of [" + word + "] differ from a scan");

        got.clear();
        index.PrefixIds(word, got);
        want.clear();
        if (word.find('=') == std::string::npos)
            for (const std::string& line : lines)
                if (EntryWord(line).starts_with(word))
                    want.push_back(std::string_view(line).substr(line.size() > 8 ? line.size() - 8 : 0));
        if (Sorted(got) != Sorted(want)) Fail("PrefixIds of [" + word + "] differ from a scan");
    }
}

bool ScanContains(const std::vector<std::string>& lines, std::string_view entry) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return CompareEntries(l, entry) == 0; });
}

void CheckAdds(WordIndex& index, std::vector<std::string> lines, const std::vector<std::string>& fromInput) {
    std::vector<std::string> single = {"cat=0000000A", "Cat=0000000A", "zebra=FFFFFFFF", ""};
    if (!fromInput.empty()) single.push_back(fromInput.front());
    for (const std::string& entry : single) {
        const bool present = ScanContains(lines, entry);
        if (index.Contains(entry) != present) Fail("Contains([" + entry + "]) differs from a scan");
        const std::size_t before = index.Size();
        const bool added = index.Add(entry);
        if (added == present) Fail("Add([" + entry + "]) added a present line or dropped a new one");
        if (!index.Contains(entry) || index.Size() != before + (added ? 1 : 0)) Fail("Add did not keep the line");
        if (added) lines.push_back(entry);
    }
    std::vector<std::string> batch = {"dog=00000001", "DOG=00000001", "apple=2", "zebra=FFFFFFFF", "Apple=2"};
    batch.insert(batch.end(), fromInput.begin(), fromInput.begin() + std::min<std::ptrdiff_t>(3, std::ssize(fromInput)));
    std::size_t expected = 0;
    std::vector<std::string> given;
    for (const std::string& entry : batch) {
        if (!ScanContains(lines, entry) && !ScanContains(given, entry)) ++expected;
        given.push_back(entry);
    }
    const std::size_t before = index.Size();
    if (index.AddAll(batch) != expected || index.Size() != before + expected) Fail("AddAll added another count");
    for (const std::string& entry : batch)
        if (!index.Contains(entry)) Fail("AddAll lost [" + entry + "]");
    OrderedLines(index);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    WordIndex index;
    index.AssignFileText(text);
    const std::vector<std::string> lines = OrderedLines(index);
    if (index.Lines() != lines) Fail("Lines() differs from ForEach");
    std::string fileText;
    for (const std::string& line : lines) fileText += line + "\r\n";
    if (index.FileText() != fileText) Fail("FileText is not the lines with CR LF");
    WordIndex again;
    again.AssignFileText(fileText);
    if (OrderedLines(again) != lines) Fail("loading the list's own file text changed it");

    // Lookups for fixed words, the words of the first few lines, and prefixes of them.
    std::vector<std::string> fromInput;
    for (std::size_t at = 0; at < text.size() && fromInput.size() < 4;) {
        std::size_t end = text.find_first_of("\r\n", at);
        if (end == std::string::npos) end = text.size();
        fromInput.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    std::vector<std::string> words = {"cat", "", "c", "Cat", "a=b"};
    for (const std::string& line : fromInput) {
        words.emplace_back(EntryWord(line));
        words.emplace_back(EntryWordPrefix(line, 3));
    }
    CheckLookups(index, lines, words);
    CheckAdds(index, lines, fromInput);

    // The same bytes as the data set's index file, then a save after another program added a line.
    const std::string& dataSet = DataSet();
    const std::string path = CompanionPath(dataSet, ".idx");
    test::WriteFileBytes(path, text);
    IndexList list;
    LoadIndex(list, dataSet);
    if (OrderedLines(list.Entries()) != lines) Fail("LoadIndex gave other lines than the text");
    list.Entries().Add("zebra=0000000Z");
    const std::vector<std::string> ours = OrderedLines(list.Entries());
    test::WriteFileBytes(path, text + "\r\nextra=00000001\r\n");
    SaveIndex(list, dataSet);
    if (list.Loaded()) Fail("the list stayed loaded after a save");
    LoadIndex(list, dataSet);
    OrderedLines(list.Entries());
    for (const std::string& line : ours)
        if (!list.Entries().Contains(line)) Fail("the save lost [" + line + "]");
    if (!list.Entries().Contains("extra=00000001")) Fail("the save lost the other program's line");
    if (list.Entries().FileText() != test::ReadFileBytes(path)) Fail("the saved file is not the list's text");
    return 0;
}
