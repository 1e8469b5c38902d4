#pragma once
// The header records of a data set kept in memory between searches. Every search needs all of
// them (dates, body offsets, the page of each result ID); at a million pages reading 48 MB and
// hashing every ID again costs far more than the lookups themselves.
//
// What is kept is used only while the header file is provably the one read: same device and
// inode (a pack or a rename puts a new file in its place), same size, same modification and
// change times (any write, truncate or utime by any program moves the change time). Two writes
// within one tick of the file system's clock that keep the size leave all of those equal, so
// records are kept only when the file's last change was at least kSettleTime before they were
// read: any later write then has a later change time. A file changed more recently is read
// again at every use until it has settled.

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "store/header_record.h"
#include "store/page_id_table.h"
#include "store/page_store.h"

namespace jb {

// One read of a header file: its records and, made on first use, the page of each ID.
class HeaderSnapshot {
public:
    HeaderSnapshot(std::vector<HeaderRecord> records, bool fileExists)
        : records_(std::move(records)), fileExists_(fileExists) {}

    const std::vector<HeaderRecord>& Records() const { return records_; }
    // Whether there was a header file (a missing one reads as no records).
    bool FileExists() const { return fileExists_; }
    // FindPageById over these records. Safe to call from several threads.
    const PageIdTable& IdTable() const;

private:
    std::vector<HeaderRecord> records_;
    bool fileExists_ = false;
    mutable std::once_flag tableMade_;
    mutable std::unique_ptr<PageIdTable> table_;
};

// How long a header file must have been left alone before records read from it are kept (longer
// than the coarsest file time stamps in use, 2 s on FAT).
inline constexpr std::chrono::seconds kSettleTime{3};

// The data set's header records as the header file holds them now: the kept ones when the file
// is unchanged since they were read, else a fresh read (kept for next time when the file has
// settled). Only files of the default file system are kept; any other file system (a test's
// seam) is read at every call, so that each of its failures still happens. Throws IoError as
// PageStore::ReadAllHeaders does. (Tests that know the file stays still pass a shorter
// `settle` to have records kept at once.)
std::shared_ptr<const HeaderSnapshot> CurrentHeaders(PageStore& store, const std::string& dataSet,
                                                     std::chrono::nanoseconds settle = kSettleTime);

// Drops the kept records (the memory goes once no search holds them).
void ForgetKeptHeaders();

}  // namespace jb
