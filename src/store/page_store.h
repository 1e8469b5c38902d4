#pragma once
// The storage operations on one data set. Each takes the data set (the full path of its data
// file), opens what it needs and closes it again before it returns; the store keeps no state
// about a data set between calls. Opening failures come back as a StorageStatus; any later
// failure, and damage found in stored records, throws IoError. Page numbers are 0-based.

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "store/clock.h"
#include "store/file_system.h"
#include "store/header_record.h"
#include "store/index_append.h"
#include "store/storage_status.h"

namespace jb {

// What a page read fills in besides the body.
struct PageInfo {
    std::string id;        // appended to: callers start from an empty ID
    double created = 0;
    double reminder = 0;
    double modified = 0;
    std::string password;  // empty: not protected (kept as given when the page is empty)
    bool readOnly = false; // kept as given when the page is empty
};

// What a pack did.
struct PackReport {
    std::int64_t sizeBefore = 0;  // bytes of the data file
    std::int64_t sizeAfter = 0;
    int pages = 0;                // pages left
    int dropped = 0;              // deleted records dropped
};

class PageStore {
public:
    explicit PageStore(FileSystem& files = FileSystem::Default(), const Clock& clock = Clock::System());

    // Header file size div 48; 0 when there is no header file.
    int PageCount(const std::string& dataSet);

    // Reads page n and copies its stored body (trailer byte included) into the read-out file
    // ".tpm". A deleted page (end == start) fills only ID and dates and writes no ".tpm".
    unsigned ReadPage(const std::string& dataSet, int n, PageInfo& info);
    // The same read, handing the stored body (trailer byte included) back in memory instead.
    unsigned ReadPageBody(const std::string& dataSet, int n, PageInfo& info, std::string& body);

    // Appends the page's text (enciphered under the page key when a password is given) and its
    // trailer byte to the data file, then writes header record n: a new page when n equals the
    // page count, an update otherwise. The modified date is today. With `deleted` the record
    // marks the page deleted (end == start).
    //
    // Order, for a crash or a power cut at any moment: the body is synced before the record that
    // points at it is written, and the record is synced before the call returns. The page's new
    // index entries (`index`, may be null) are appended to the index file and synced in between,
    // so that a page whose record exists can always be found; an entry naming a page that never
    // got its record is harmless, as searches drop IDs no page has. A failure to append them does
    // not stop the write: it is reported in `index->error`.
    //
    // The new body starts at the data file's end. A record that claims bytes past that end is
    // damaged; it is first cut back as CutClaimsPastTheEnd does, so that it never comes to read
    // the new body's bytes and its claim never makes the file grow.
    unsigned WritePage(const std::string& dataSet, int n, std::string_view password, bool deleted, bool readOnly,
                       std::string_view id, std::string_view text, double reminder, double created,
                       IndexAppend* index = nullptr);

    // Appends a new last page, as WritePage does for n equal to the page count, with the number
    // taken under the data set's lock: `n` is the page count as it is then. Two programs adding
    // pages at once each get a page of their own.
    unsigned AppendPage(const std::string& dataSet, std::string_view password, bool readOnly, std::string_view id,
                        std::string_view text, double reminder, double created, int& n,
                        IndexAppend* index = nullptr);

    // Writes page `id` as WritePage does, where it is now: `n` is the number the caller last saw
    // it under, and becomes the number it was written under. Another program may have moved the
    // page since (a zap or purge renumbers the pages after the one it removed); a page that is no
    // longer there at all is written as a new last page, so that the caller's text is kept.
    unsigned UpdatePage(const std::string& dataSet, int& n, std::string_view password, bool deleted, bool readOnly,
                        std::string_view id, std::string_view text, double reminder, double created,
                        IndexAppend* index = nullptr);
    // The ID of page n; empty when the header file cannot be opened.
    std::string PageIdAt(const std::string& dataSet, int n);
    // The number of the first page with this ID; -1 when the header file cannot be opened,
    // -2 when no page has the ID.
    int FindPageById(const std::string& dataSet, std::string_view id);
    // The same, trying `lastSeenAt` (where the caller last saw the page) first, so that a page
    // that has not moved costs one record's read instead of the whole header file's.
    int FindPageById(const std::string& dataSet, std::string_view id, int lastSeenAt);
    // A fresh ID: 8 upper-case hexadecimal digits that no page of the data set has, nor any page
    // of its counterpart (its deleted pages, or the main data set of deleted pages), since a page
    // keeps its ID when it moves between the two.
    std::string NewPageId(const std::string& dataSet);

    // Single date-time reads of page n; status 1 when the header file cannot be opened.
    unsigned ReadCreatedAt(const std::string& dataSet, int n, double& value);
    unsigned ReadReminderAt(const std::string& dataSet, int n, double& value);
    unsigned ReadModifiedAt(const std::string& dataSet, int n, double& value);

    // Removes every deleted record from the header file; following pages move down.
    unsigned PurgeDeletedHeaders(const std::string& dataSet);
    // Copies the referenced bodies, in page order, into a new data file and drops the deleted
    // records. Page numbers, IDs and dates are unchanged. `report` (may be null) gets what the
    // pack did, counted while it held the data set, whatever other programs write before or after.
    unsigned PackDataSet(const std::string& dataSet, PackReport* report = nullptr);
    // Puts right a data set whose pack stopped (a crash, a power cut) while its new files were
    // being moved into place: until both are, the old pair comes back; once both are, the old
    // data file's second name goes. Returns whether there was anything to put right. Run before
    // a data set is used.
    bool FinishInterruptedPack(const std::string& dataSet);

    // Cuts back every live record whose body end lies past the data file's end: to the last byte
    // of it that is in the file and not a trailer byte, so that the page keeps what is left of its
    // body and reads as damaged; with none, its end is put before its start. Nothing grows. The
    // numbers of the pages cut back.
    std::vector<int> CutClaimsPastTheEnd(const std::string& dataSet);

    // Every header record in one sequential read; empty when there is no header file. For code
    // that works over all pages (search, sorting, the reminder check).
    std::vector<HeaderRecord> ReadAllHeaders(const std::string& dataSet);

    FileSystem& Files() { return files_; }
    const Clock& Time() const { return clock_; }

private:
    unsigned ReadDateAt(const std::string& dataSet, int n, std::size_t offset, double& value);
    // Whether a record has this ID: the header file read in blocks, nothing of it kept, so that
    // a new page's ID costs no memory however many pages there are.
    bool IdTaken(const std::string& dataSet, std::string_view id);
    // Calls f(records, count) for the header file's records, a block at a time, until f returns
    // false; nothing of the file is kept.
    template <class F>
    void ForEachHeaderBlock(const std::string& dataSet, F&& f);
    unsigned WriteBodyFile(const std::string& dataSet, std::string_view password, std::string_view text);
    std::vector<int> CutClaimsPastTheEnd(const std::string& dataSet, File& data);
    // Appends whole index lines to the index file and syncs them; records a failure in `index`.
    void AppendIndexLines(const std::string& dataSet, IndexAppend& index);
    unsigned ReplaceWithPacked(const std::string& dataSet);

    FileSystem& files_;
    const Clock& clock_;
    std::mt19937 random_;
};

// Throws IoError naming the page and the data set unless the record's body lies inside a data
// file of `dataFileSize` bytes (0 <= start <= end <= size).
void CheckBodyBounds(const HeaderRecord& record, int n, std::int64_t dataFileSize, const std::string& dataSet);

}  // namespace jb
