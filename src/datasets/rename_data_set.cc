#include "datasets/rename_data_set.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string_view>
#include <utility>

#include "store/dataset_lock.h"
#include "store/dataset_paths.h"
#include "store/io_error.h"
#include "store/page_store.h"

namespace jb {
namespace {

struct Step {
    const char* code;
    const char* extension;
    bool deletedPages;  // a file of the deleted-pages data set
    bool critical;
};

constexpr Step kSteps[] = {
    {"FA", ".jb", false, true},  {"FB", ".idx", false, true},  {"FC", ".hd", false, true},
    {"FD", ".rsc", false, false}, {"FAA", ".jb", true, true},  {"FBA", ".idx", true, true},
    {"FCA", ".hd", true, true},  {"FDA", ".rsc", true, false},
};

std::string FileOfStep(const Step& step, const std::string& dataSet) {
    const std::string base = step.deletedPages ? DeletedPagesDataSet(dataSet) : dataSet;
    // The data file is the data set's own path, whatever its extension ("Notes.JB" opened as it
    // is); the companions replace that extension.
    if (std::string(step.extension) == ".jb") return base;
    return CompanionPath(base, step.extension);
}

std::string FailureText(const Step& step) {
    const std::string code = step.code;
    if (!step.critical)
        return "Non critical error " + code +
               " has occurred. Jotterbase was unable to change the name of the searchterm backup file "
               "(datafilename).rsc";
    const std::string kind = std::string(step.extension) == ".jb"    ? "data-file"
                             : std::string(step.extension) == ".idx" ? "index-file"
                                                                     : "header-file";
    return "Critical Error " + code + " has occurred. The " + kind + " name could not be changed.";
}

// What a rename is about to do: the two names, as absolute paths so that a program started
// elsewhere finds the same files, and the codes of the steps whose files exist.
struct RenameRecord {
    std::string oldDataSet;
    std::string newDataSet;
    std::vector<std::string> steps;
};

constexpr std::string_view kRecordMagic = "Jotterbase rename 1\n";

std::string Absolute(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

std::string MainDataSetOf(const std::string& dataSet) {
    return IsDeletedPagesDataSet(dataSet) ? CounterpartOf(dataSet) : dataSet;
}

const Step* StepOfCode(std::string_view code) {
    for (const Step& step : kSteps)
        if (code == step.code) return &step;
    return nullptr;
}

// The names and the step codes, each ended by a zero byte: a path may hold any other byte.
std::string EncodeRecord(const RenameRecord& record) {
    std::string codes;
    for (const std::string& code : record.steps) codes += (codes.empty() ? "" : " ") + code;
    std::string bytes(kRecordMagic);
    for (const std::string& field : {record.oldDataSet, record.newDataSet, codes}) bytes += field + '\0';
    return bytes;
}

// Nothing when the file is not a whole record.
std::optional<RenameRecord> ReadRecord(FileSystem& files, const std::string& path) {
    std::unique_ptr<File> file = files.Open(path, OpenMode::kRead);
    if (!file) return std::nullopt;
    const std::int64_t size = file->Size();
    if (size < static_cast<std::int64_t>(kRecordMagic.size()) || size > 1 << 16) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    file->ReadExactly(bytes.data(), bytes.size());
    if (!bytes.starts_with(kRecordMagic)) return std::nullopt;
    std::vector<std::string> fields;
    std::size_t at = kRecordMagic.size();
    for (std::size_t end; (end = bytes.find('\0', at)) != std::string::npos; at = end + 1)
        fields.push_back(bytes.substr(at, end - at));
    if (fields.size() != 3 || at != bytes.size() || fields[0].empty() || fields[1].empty()) return std::nullopt;
    RenameRecord record{fields[0], fields[1], {}};
    for (std::size_t from = 0; from < fields[2].size();) {
        std::size_t end = std::min(fields[2].find(' ', from), fields[2].size());
        std::string code = fields[2].substr(from, end - from);
        if (!StepOfCode(code)) return std::nullopt;
        record.steps.push_back(std::move(code));
        from = end + 1;
    }
    return record;
}

std::string PartRecordPath(const std::string& dataSet) { return CompanionPath(MainDataSetOf(dataSet), ".rn1"); }

// The record is on disk, beside both names, before the first file is renamed. Each is written
// beside its place and renamed into it, so that a record in its place is always whole.
void WriteRecord(FileSystem& files, const RenameRecord& record) {
    const std::string bytes = EncodeRecord(record);
    for (const std::string& dataSet : {record.oldDataSet, record.newDataSet}) {
        const std::string part = PartRecordPath(dataSet);
        std::unique_ptr<File> file = files.Open(part, OpenMode::kCreate);
        if (!file) throw IoError(part, "The record of the rename cannot be created");
        file->Write(bytes.data(), bytes.size());
        file->Sync();
        file.reset();
        files.Rename(part, RenameRecordPath(dataSet));
        files.SyncFolder(dataSet);
    }
}

void SyncFolders(FileSystem& files, const RenameRecord& record) {
    for (const std::string& dataSet : {record.newDataSet, record.oldDataSet}) {
        try {
            files.SyncFolder(dataSet);
        } catch (const IoError&) {
            // The names are in place; only their durability through a power cut is not assured.
        }
    }
}

// Removed once the files are all under one name, which is on disk before the record goes: a
// record left would have the next program undo a rename that was reported done.
void RemoveRecord(FileSystem& files, const RenameRecord& record) {
    SyncFolders(files, record);
    for (const std::string& dataSet : {record.newDataSet, record.oldDataSet}) {
        files.Remove(RenameRecordPath(dataSet));
        files.Remove(PartRecordPath(dataSet));
    }
    SyncFolders(files, record);
}

bool TryRename(FileSystem& files, const std::string& from, const std::string& to) {
    if (files.Exists(to)) return false;
    try {
        files.Rename(from, to);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

std::string RenameRecordPath(const std::string& dataSet) { return CompanionPath(MainDataSetOf(dataSet), ".rnm"); }

bool RenameInterrupted(const std::string& dataSet, FileSystem& files) {
    return files.Exists(RenameRecordPath(dataSet));
}

bool FinishInterruptedRename(const std::string& dataSet, FileSystem& files) {
    const std::string path = RenameRecordPath(dataSet);
    if (!files.Exists(path)) {
        // A record that never took its place: the rename stopped before it renamed anything. A
        // rename still writing it fails to put it in place, and renames nothing either.
        if (files.Exists(PartRecordPath(dataSet))) files.Remove(PartRecordPath(dataSet));
        return false;
    }
    const std::optional<RenameRecord> record = ReadRecord(files, path);
    if (!record) {
        // Not a record this program wrote: it stands for nothing.
        files.Remove(path);
        files.SyncFolder(path);
        return true;
    }
    // A record that names neither name of this data set came with a copied folder: its files
    // are not these.
    const std::string main = Absolute(MainDataSetOf(dataSet));
    if (main != record->oldDataSet && main != record->newDataSet) return false;
    DataSetLock lock(record->oldDataSet);
    if (!files.Exists(path)) return false;  // another program put it right meanwhile
    // A file is renamed back only where the rename had moved it: under the new name alone.
    for (auto it = record->steps.rbegin(); it != record->steps.rend(); ++it) {
        const Step& step = *StepOfCode(*it);
        const std::string from = FileOfStep(step, record->oldDataSet);
        const std::string to = FileOfStep(step, record->newDataSet);
        if (!files.Exists(from) && files.Exists(to)) files.Rename(to, from);
    }
    RemoveRecord(files, *record);
    return true;
}

RenameOutcome RenameDataSet(const std::string& oldDataSet, const std::string& newDataSet, FileSystem& files) {
    DataSetLock lock(oldDataSet);
    // The files of a pack stopped part way have no place among the new names.
    PageStore store(files);
    store.FinishInterruptedPack(oldDataSet);
    store.FinishInterruptedPack(DeletedPagesDataSet(oldDataSet));
    RenameOutcome outcome;
    RenameRecord record{Absolute(oldDataSet), Absolute(newDataSet), {}};
    for (const Step& step : kSteps)
        if (files.Exists(FileOfStep(step, oldDataSet))) record.steps.push_back(step.code);
    try {
        WriteRecord(files, record);
    } catch (const IoError&) {
        // Where the record cannot be written (a folder that cannot be written), neither can the
        // data file be renamed into it.
        RemoveRecord(files, record);
        outcome.messages.push_back({FailureText(kSteps[0]), true});
        return outcome;
    }
    std::vector<std::pair<std::string, std::string>> done;  // (old name, new name)
    for (const Step& step : kSteps) {
        const std::string from = FileOfStep(step, oldDataSet);
        const std::string to = FileOfStep(step, newDataSet);
        if (!files.Exists(from)) continue;
        if (TryRename(files, from, to)) {
            done.emplace_back(from, to);
            continue;
        }
        outcome.messages.push_back({FailureText(step), step.critical});
        if (!step.critical) continue;
        // Back to the old names, latest first.
        std::string stuck;
        for (auto it = done.rbegin(); it != done.rend(); ++it)
            if (!TryRename(files, it->second, it->first)) stuck += " " + it->second;
        if (!stuck.empty()) {
            // The record stays: the next program to open the data set tries again.
            outcome.messages.push_back({"These files could not get their old names back:" + stuck, true});
            return outcome;
        }
        RemoveRecord(files, record);
        return outcome;
    }
    outcome.renamed = true;
    RemoveRecord(files, record);
    // The old names' lock files lock nothing any more; the new names get theirs at their first
    // write.
    for (const std::string& old : {oldDataSet, DeletedPagesDataSet(oldDataSet)}) files.Remove(LockFilePath(old));
    return outcome;
}

}  // namespace jb
