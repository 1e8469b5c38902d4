// jotterbase-cli check: reads a data set and reports its damage, page by page; with --repair it
// does only what cannot lose a page.

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <ostream>
#include <string>
#include <vector>

#include "app/cli_command.h"
#include "datasets/rename_data_set.h"
#include "richtext/richtext.h"
#include "store/dataset_lock.h"
#include "store/dataset_paths.h"
#include "store/header_record.h"
#include "store/io_error.h"
#include "store/page_store.h"
#include "store/word_index.h"

namespace jb::cli {
namespace {

struct Finding {
    std::string kind;
    int page;  // -1: the data set as a whole
    std::string detail;
    // Whether it harms the data set. Work files a stopped command left, and index entries naming
    // no page (a zapped page's, or those a stopped add wrote before its page), are harmless:
    // nothing reads the one, searches drop the other. They are reported, and --repair clears them.
    bool damage = true;
};

// Work files of the program that a finished command never leaves behind.
const char* const kWorkFiles[] = {".tpm", ".ptm", ".t03", ".t04", ".t06", ".tgq", ".tt3", ".tt9", ".id1"};
// Work files in which older versions of the program enciphered and deciphered a protected page:
// they may hold its text in clear, readable by anyone who can read the folder.
const char* const kClearTextFiles[] = {".t01", ".t02"};

// A page keeps its ID when it moves between a data set and its counterpart, so a live page with
// the same ID in both is one page twice: a move stopped after its copy. Zapping or restoring it
// again finishes that move.
void FindInCounterpart(PageStore& store, const std::string& dataSet, const std::vector<HeaderRecord>& records,
                       std::vector<Finding>& found) {
    const std::string counterpart = CounterpartOf(dataSet);
    std::map<std::string, int> there;
    const std::vector<HeaderRecord> theirs = store.ReadAllHeaders(counterpart);
    for (std::size_t i = 0; i < theirs.size(); ++i)
        if (!theirs[i].IsDeleted()) there.emplace(theirs[i].Id(), static_cast<int>(i));
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].IsDeleted()) continue;
        if (const auto it = there.find(records[i].Id()); it != there.end())
            found.push_back({"in-counterpart", static_cast<int>(i),
                             "ID " + records[i].Id() + " is also page " + std::to_string(it->second) + " of " +
                                 counterpart + ": a zap or restore of it stopped part way; do it again to finish it"});
    }
}

std::vector<Finding> Examine(PageStore& store, const std::string& dataSet) {
    std::vector<Finding> found;
    FileSystem& fs = store.Files();
    if (RenameInterrupted(dataSet, fs))
        found.push_back({"interrupted-rename", -1,
                         "a rename stopped part way (" + RenameRecordPath(dataSet) +
                             "): the data set's files are split between its old and its new name"});
    if (fs.Exists(CompanionPath(dataSet, ".jbo")))
        found.push_back({"interrupted-pack", -1, "a pack stopped before its files were all in place"});
    for (const char* extension : kWorkFiles)
        if (fs.Exists(CompanionPath(dataSet, extension)))
            found.push_back({"work-file", -1, CompanionPath(dataSet, extension) + " is left over", false});
    for (const char* extension : kClearTextFiles)
        if (fs.Exists(CompanionPath(dataSet, extension)))
            found.push_back({"clear-text-file", -1,
                             CompanionPath(dataSet, extension) +
                                 " is left over and may hold a protected page in clear"});
    if (!fs.Exists(CompanionPath(dataSet, ".jbo")))
        for (const char* extension : {".jb1", ".hd1"})
            if (fs.Exists(CompanionPath(dataSet, extension)))
                found.push_back({"work-file", -1, CompanionPath(dataSet, extension) + " is left over", false});

    const std::vector<HeaderRecord> records = store.ReadAllHeaders(dataSet);
    auto data = fs.Open(dataSet, OpenMode::kRead);
    const std::int64_t dataSize = data ? data->Size() : 0;
    IndexList index;
    LoadIndex(index, dataSet);
    index.Stops().Refresh(FolderOf(dataSet));
    std::map<std::string, int> firstWithId;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const HeaderRecord& r = records[i];
        const int n = static_cast<int>(i);
        const auto [first, isNew] = firstWithId.emplace(r.Id(), n);
        if (!isNew) found.push_back({"duplicate-id", n, "ID " + r.Id() + " is also page " + std::to_string(first->second)});
        if (r.IsDeleted()) continue;
        try {
            CheckBodyBounds(r, n, dataSize, dataSet);
        } catch (const IoError& e) {
            found.push_back({"outside-data-file", n, e.what()});
            continue;
        }
        if (!data) {
            found.push_back({"outside-data-file", n, "the data file cannot be opened"});
            continue;
        }
        std::string body(static_cast<std::size_t>(r.end - r.start), '\0');
        data->Seek(r.start);
        data->ReadExactly(body.data(), body.size());
        if (!IsTrailerByte(static_cast<unsigned char>(body.back()))) {
            found.push_back({"no-trailer", n, "the body does not end with its trailer byte"});
            continue;
        }
        // A protected page's words cannot be read without its password; a page moved into the
        // deleted pages is not indexed there.
        if (!r.Password().empty() || IsDeletedPagesDataSet(dataSet)) continue;
        body.pop_back();
        int missing = 0;
        std::string example;
        for (const std::string& word : IndexWordsOf(richtext::PlainTextOf(body), index.Stops())) {
            if (index.Entries().Contains(word + "=" + r.Id())) continue;
            if (missing++ == 0) example = word;
        }
        if (missing > 0)
            found.push_back({"unindexed-words", n,
                             std::to_string(missing) + " word(s) of the page have no index entry, \"" + example + "\" first"});
    }
    FindInCounterpart(store, dataSet, records, found);
    int unknown = 0;
    std::string example;
    index.Entries().ForEach([&](std::string_view line) {
        const std::size_t eq = line.rfind('=');
        const std::string id(eq == std::string_view::npos ? std::string_view() : line.substr(eq + 1));
        if (firstWithId.count(id)) return;
        if (unknown++ == 0) example = std::string(line);
    });
    if (unknown > 0)
        found.push_back({"unknown-ids", -1,
                         std::to_string(unknown) + " index entrie(s) name no page, \"" + example + "\" first",
                         false});
    return found;
}

// The index mended in place: entries naming no page go, the missing entries of readable pages are
// added. A rebuild would also drop the entries of protected pages, which only their password
// could make again. The data set is held throughout, so that no page is added unseen; the list
// is written as it is walked, so that the index is never copied whole.
std::string MendIndex(PageStore& store, const std::string& dataSet) {
    DataSetLock lock(dataSet);
    IndexList index(store.Files());
    LoadIndex(index, dataSet);
    const std::vector<HeaderRecord> records = store.ReadAllHeaders(dataSet);
    std::set<std::string> ids;
    for (const HeaderRecord& r : records) ids.insert(r.Id());
    const std::size_t before = index.Entries().Size();
    for (std::size_t i = 0; i < records.size(); ++i) {
        const HeaderRecord& r = records[i];
        if (r.IsDeleted() || !r.Password().empty()) continue;
        PageInfo info;
        std::string body;
        try {
            if (store.ReadPageBody(dataSet, static_cast<int>(i), info, body) != kStatusOk || body.empty()) continue;
        } catch (const IoError&) {
            continue;  // a damaged page stays as it is, reported
        }
        body.pop_back();
        AddPageWords(index, dataSet, r.Id(), richtext::PlainTextOf(body));
    }
    const std::size_t added = index.Entries().Size() - before;
    std::size_t dropped = 0;
    IndexFileWriter writer(store.Files(), dataSet);
    index.Entries().ForEach([&](std::string_view line) {
        const std::size_t eq = line.rfind('=');
        if (eq != std::string_view::npos && ids.count(std::string(line.substr(eq + 1))))
            writer.AddLine(line);
        else
            ++dropped;
    });
    writer.Commit();
    return "the index lost " + std::to_string(dropped) + " entrie(s) naming no page and gained " +
           std::to_string(added) + " missing one(s)";
}

// What --repair may do: undo a rename, finish a pack, remove work files, cut back a record that
// claims bytes past the data file's end (its page stays damaged, and nothing grows to meet the
// claim), mend the index. Never a page's bytes.
void Repair(PageStore& store, const std::string& dataSet, const std::vector<Finding>& found, std::ostream& out) {
    bool index = false;
    const auto outside = [](const Finding& f) { return f.kind == "outside-data-file"; };
    if (std::any_of(found.begin(), found.end(), outside)) {
        for (const int n : store.CutClaimsPastTheEnd(dataSet))
            out << "repaired: page " << n << " no longer claims bytes past the data file's end; it stays damaged\n";
    }
    for (const Finding& f : found) {
        if (f.kind == "interrupted-rename" && FinishInterruptedRename(dataSet, store.Files()))
            out << "repaired: the files have their old names again\n";
        if (f.kind == "interrupted-pack" && store.FinishInterruptedPack(dataSet)) out << "repaired: the pack is finished\n";
        if (f.kind == "work-file" || f.kind == "clear-text-file") {
            const std::string path = f.detail.substr(0, f.detail.rfind(" is left over"));
            store.Files().Remove(path);
            out << "repaired: removed " << path << "\n";
        }
        index = index || f.kind == "unindexed-words" || f.kind == "unknown-ids";
    }
    if (index) out << "repaired: " << MendIndex(store, dataSet) << "\n";
}

void Print(const std::vector<Finding>& found, bool json, std::ostream& out) {
    for (const Finding& f : found) {
        if (json) {
            out << "{\"kind\":" << JsonString(f.kind) << ",\"page\":" << (f.page < 0 ? "null" : std::to_string(f.page))
                << ",\"detail\":" << JsonString(f.detail) << ",\"damage\":" << (f.damage ? "true" : "false") << "}\n";
        } else {
            out << f.kind << "\t" << (f.page < 0 ? "-" : std::to_string(f.page)) << "\t" << f.detail
                << (f.damage ? "" : " (harmless)") << "\n";
        }
    }
}

}  // namespace

int RunCheck(const Args& args, std::ostream& out, std::ostream&) {
    PageStore store;
    const std::string dataSet = DataSetPath(args);
    // A repair removes files that a writer at work needs: it holds the data set, as every writer
    // does, from the look that decides what is left over to the end of the repair.
    std::optional<DataSetLock> hold;
    if (args.Has("repair")) hold.emplace(dataSet);
    std::vector<Finding> found = Examine(store, dataSet);
    Print(found, args.Has("json"), out);
    if (args.Has("repair") && !found.empty()) {
        Repair(store, dataSet, found, out);
        found = Examine(store, dataSet);
        Print(found, args.Has("json"), out);
    }
    const bool damaged = std::any_of(found.begin(), found.end(), [](const Finding& f) { return f.damage; });
    if (!damaged && !args.Has("json")) out << "No damage found.\n";
    return damaged ? 1 : 0;
}

}  // namespace jb::cli
