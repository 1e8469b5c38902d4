#include "datasets/rename_data_set.h"

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

RenameOutcome RenameDataSet(const std::string& oldDataSet, const std::string& newDataSet, FileSystem& files) {
    DataSetLock lock(oldDataSet);
    // The files of a pack stopped part way have no place among the new names.
    PageStore store(files);
    store.FinishInterruptedPack(oldDataSet);
    store.FinishInterruptedPack(DeletedPagesDataSet(oldDataSet));
    RenameOutcome outcome;
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
        if (!stuck.empty())
            outcome.messages.push_back({"These files could not get their old names back:" + stuck, true});
        return outcome;
    }
    outcome.renamed = true;
    try {
        files.SyncFolder(newDataSet);
    } catch (const IoError&) {
        // The names are in place; only their durability through a power cut is not assured.
    }
    // The old names' lock files lock nothing any more; the new names get theirs at their first
    // write.
    for (const std::string& old : {oldDataSet, DeletedPagesDataSet(oldDataSet)}) files.Remove(LockFilePath(old));
    return outcome;
}

}  // namespace jb
