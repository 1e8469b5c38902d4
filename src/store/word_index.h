#pragma once
// The search-term index of a data set: a list of entries "word=ID", kept in memory as the index
// list while the program works on a data set and stored in the data set's ".idx" file, one entry
// per line, each line ended by CR LF, in list order.
//
// Order. The list is sorted without regard to ASCII letter case: two lines compare byte by byte
// (as unsigned bytes) after "A".."Z" are folded to "a".."z". Lines that are equal under that
// comparison (they differ only in letter case, or are plain duplicates) can only come from a
// loaded file; they keep the order they had in the file. Adding an entry that equals a present
// line under the same comparison adds nothing, so "Cat=00A3F19C" in the file keeps
// "cat=00A3F19C" out. A new entry goes where the comparison puts it.
//
// Loaded lines are taken as they are: duplicates, empty lines and lines without "=" included.
// Line ends in a loaded file may be CR LF, LF or CR alone; a saved file always uses CR LF.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_set>
#include <utility>
#include <vector>

#include "store/dataset_lock.h"
#include "store/file_system.h"
#include "store/index_append.h"

namespace jb {

// The word with every byte removed that is not an apostrophe, a backquote, a digit or an ASCII
// letter; letter case is kept. Only the first 255 bytes of the word are looked at.
std::string KeepWordChars(std::string_view word);
// The text before the entry's first "=" (the whole entry when it has none).
std::string_view EntryWord(std::string_view entry);
// EntryWord(entry), cut to its first n - 1 bytes when n > 0 (n = 0 leaves it whole).
std::string_view EntryWordPrefix(std::string_view entry, int n);

// The order of the list: < 0, 0 or > 0 as a sorts before, equal to or after b.
int CompareEntries(std::string_view a, std::string_view b);

// The sorted list itself. Lines live in two byte arenas (the loaded file text, read once, and
// the text of added entries) and the list is an array of 8-byte references into them, so the
// memory taken is about the file size plus 8 bytes an entry.
//
// A list loaded from an index file this program could have written (every line ended by CR LF,
// none empty, sorted but for a short tail of appended lines) is not read at all: the file is
// mapped and its sorted part, the file run, is searched in place by binary search over byte
// offsets. That part is found by a thread that reads the file through a small buffer while the
// program goes on; every use of the list waits for it first. Its tail becomes an added run.
// Any other file is read and sorted whole, as it always was.
//
// The references form a few sorted runs: the loaded file is the first, and each batch of added
// entries becomes a run of its own. Whenever the newest run is at least half as long as the one
// before it the two are merged (a binary counter), so run lengths fall at least geometrically,
// there are at most about log2(size) of them, and each entry is merged O(log size) times over
// its life: adding k entries to a list of N costs O(k log N) amortized. No entry of an added run
// equals (in list order) an entry of any other run, so every reader walks the runs as one list
// by merging them, and lines equal under the order (which only the loaded run can hold) keep
// their file order.
class WordIndex {
public:
    WordIndex();
    ~WordIndex();
    WordIndex(const WordIndex&) = delete;
    WordIndex& operator=(const WordIndex&) = delete;

    // Replaces the list with the lines of a file's text, sorted (stably) into list order.
    void AssignFileText(std::string text);
    // Replaces the list with the lines of the index file at `path`, opened with the plain
    // system calls and mapped (see above); its check runs on, and a failure of it throws
    // IoError at the next use of the list. Returns the file's size, or -1 with the list left
    // empty when the path cannot be opened as a regular file that way.
    std::int64_t MapFile(const std::string& path);
    void Clear();

    // Every use of the list below waits for the check of a mapped file, and throws IoError when
    // it failed (until the list is cleared or replaced).
    std::size_t Size() const {
        Settle();
        return size_;
    }
    bool Empty() const { return Size() == 0; }

    // Adds a line unless an equal one (in list order) is present; returns whether it was added.
    bool Add(std::string_view line);
    bool Contains(std::string_view line) const;
    // Adds many lines at once (the words of one page); returns how many were added. Of lines
    // equal in list order only the first given is added, and none equal to a present line.
    std::size_t AddAll(std::vector<std::string> lines);

    // Calls f(std::string_view line) for every line, in list order.
    template <class F>
    void ForEach(F&& f) const {
        Settle();
        std::vector<Span> spans;
        spans.reserve(runs_.size() + 1);
        if (fileEnd_ > 0) spans.push_back(Span{nullptr, nullptr, file_, file_ + fileEnd_});
        for (const std::vector<Ref>& run : runs_) spans.push_back(Span{run.data(), run.data() + run.size()});
        Walk(spans, f);
    }
    std::vector<std::string> Lines() const;
    // The file text: every line followed by CR LF.
    std::string FileText() const;

    // Lookups for the search. The views point into the list and stay valid until it changes.
    // Each matching entry gives one ID, appended run by run: in list order within a run, but
    // not merged across runs, since the search sorts the IDs anyway.
    //
    // The page IDs of the entries whose EntryWord equals `word` exactly (letter case counts):
    // for each, the text after its first "=" (an entry without "=" gives the whole entry).
    void WordIds(std::string_view word, std::vector<std::string_view>& ids) const;
    // The page IDs of the entries whose EntryWord begins with `prefix` exactly: for each, its
    // last 8 bytes (the whole entry when shorter). An empty prefix takes every entry; a prefix
    // holding "=" takes none.
    void PrefixIds(std::string_view prefix, std::vector<std::string_view>& ids) const;

    // Bytes held: for checking that the list stays compact.
    std::size_t MemoryBytes() const;
    // How many sorted runs the list is held in (for tests of the run bookkeeping).
    std::size_t RunCount() const {
        Settle();
        return runs_.size() + (fileEnd_ > 0 ? 1 : 0);
    }

    // Called by the check of a mapped file before it reads anything (tests make it fail with it).
    static void SetCheckStartHookForTests(void (*hook)());

private:
    // Offset (40 bits) and length (24 bits) of one line. Offsets below text_.size() lie in the
    // loaded text, the rest in extra_ (shifted by text_.size()).
    using Ref = std::uint64_t;
    // The lines of one run, in order: references of a run in memory, or the lines of the file
    // run in place (`at` not null), each ended by CR LF.
    struct Span {
        const Ref* first = nullptr;
        const Ref* last = nullptr;
        const char* at = nullptr;
        const char* end = nullptr;
    };
    struct FileCheck;
    static constexpr std::size_t kMaxLine = (std::size_t{1} << 24) - 1;
    // A run is merged into the one before it when at least 1/kRunRatio as long.
    static constexpr std::size_t kRunRatio = 2;

    std::string_view Line(Ref r) const {
        std::uint64_t off = r >> 24;
        std::size_t len = static_cast<std::size_t>(r & kMaxLine);
        if (off < text_.size()) return std::string_view(text_.data() + off, len);
        return std::string_view(extra_.data() + (off - text_.size()), len);
    }
    bool Done(const Span& s) const { return s.at ? s.at == s.end : s.first == s.last; }
    std::string_view Head(const Span& s) const {
        if (!s.at) return Line(*s.first);
        const char* nl = static_cast<const char*>(std::memchr(s.at, '\n', static_cast<std::size_t>(s.end - s.at)));
        return std::string_view(s.at, static_cast<std::size_t>(nl - 1 - s.at));
    }
    // Moves past the head `line` of the span. A walk through the file run hands back the pages
    // it has left far behind, so that writing out the list (SaveIndex) does not make the whole
    // file resident; views into them stay valid (they are read again from the file if used).
    void Step(Span& s, std::string_view line) const {
        if (!s.at) {
            ++s.first;
            return;
        }
        s.at = line.data() + line.size() + 2;
        const auto passed = static_cast<std::size_t>(s.at - file_);
        if ((passed ^ static_cast<std::size_t>(line.data() - file_)) >= kReleaseStep) ReleaseFilePages(passed);
    }
    static constexpr std::size_t kReleaseStep = std::size_t{1} << 26;
    // Hands back the file run's pages from two steps to one step below `passed` bytes.
    void ReleaseFilePages(std::size_t passed) const;
    // Waits for the check of a mapped file and takes in its outcome; throws IoError when it
    // failed.
    void Settle() const {
        if (!settled_.load(std::memory_order_acquire)) const_cast<WordIndex*>(this)->FinishCheck();
        if (!failure_.empty()) ThrowFailure();
    }
    void FinishCheck();
    [[noreturn]] void ThrowFailure() const;
    // Stops and forgets the check and the mapping.
    void DropFile();
    // AssignFileText without waiting for a check.
    void TakeText(std::string text);
    // The first line start of the file run whose line is not below(line), or fileEnd_.
    template <class Below>
    std::size_t FileBound(std::size_t lo, Below below) const;
    bool FileContains(std::string_view line) const;
    // Calls f(line) for the lines of sorted spans of different runs, in list order: a k-way
    // merge over a heap of the spans' heads. Empties `spans`.
    template <class F>
    void Walk(std::vector<Span>& spans, F& f) const;
    // Calls f(line) for each line whose folded text begins with the folded `prefix` (or, with
    // `whole`, equals it), run by run, after making room in `ids` for one view per line.
    template <class F>
    void VisitRange(std::string_view prefix, bool whole, std::vector<std::string_view>& ids, F&& f) const;
    // The first position in run r, not before `from`, whose line is not below `line`. Narrows
    // the range with the run's fences first, so a long run costs few reads of line text.
    const Ref* LowerBound(std::size_t r, const Ref* from, std::string_view line) const;
    // Makes fences_[r] for run r.
    void MakeFences(std::size_t r);
    // Appends a line's text to extra_ and returns its reference.
    Ref Store(std::string_view line);
    // Adds a sorted run of fresh references and merges runs until lengths fall geometrically.
    void PushRun(std::vector<Ref> run);

    // The mapped index file (fileMapped_ bytes at file_) and the end of its sorted part, the
    // file run: fileLines_ lines, each ended by CR LF. fileEnd_ is 0 while there is none.
    const char* file_ = nullptr;
    std::size_t fileMapped_ = 0;
    std::size_t fileEnd_ = 0;
    std::size_t fileLines_ = 0;
    std::unique_ptr<FileCheck> check_;  // the check still to be taken in
    mutable std::mutex checkMutex_;
    mutable std::atomic<bool> settled_{true};
    std::string failure_;  // why the check failed (the list is then empty)
    std::string failurePath_;

    std::string text_;                   // the loaded file's text, lines in place
    std::vector<char> extra_;            // text of added lines (grown by a quarter at a time)
    std::vector<std::vector<Ref>> runs_; // each sorted and not empty; the loaded run first
    // For each run of at least kFenceMin lines: the first 8 bytes (folded, zero-padded, big-endian)
    // of every kFenceStep-th line, in order; otherwise empty.
    static constexpr std::size_t kFenceStep = 32;
    static constexpr std::size_t kFenceMin = 1024;
    std::vector<std::vector<std::uint64_t>> fences_;
    std::size_t size_ = 0;
    // Whether some line has a letter "A".."Z" in its word. Without one, and with a lower-case
    // word asked for, a line in the folded range of a lookup matches it exactly, so lookups skip
    // the exact comparison: the usual case, as entries are made from lower-cased words.
    bool upperInWords_ = false;
};

template <class F>
void WordIndex::Walk(std::vector<Span>& spans, F& f) const {
    std::erase_if(spans, [this](const Span& s) { return Done(s); });
    // A heap of the spans whose top has the smallest head. Heads of different runs never
    // compare equal, so the order taken is the list order.
    auto after = [this](const Span& a, const Span& b) { return CompareEntries(Head(a), Head(b)) > 0; };
    std::make_heap(spans.begin(), spans.end(), after);
    while (spans.size() > 1) {
        std::pop_heap(spans.begin(), spans.end(), after);
        Span& s = spans.back();
        // Keep taking from this span while it stays below the smallest head of the others.
        const std::string_view next = Head(spans.front());
        std::string_view line = Head(s);
        for (;;) {
            Step(s, line);
            f(line);
            if (Done(s)) break;
            line = Head(s);
            if (CompareEntries(line, next) >= 0) break;
        }
        if (Done(s))
            spans.pop_back();
        else
            std::push_heap(spans.begin(), spans.end(), after);
    }
    if (!spans.empty())
        for (Span& s = spans[0]; !Done(s);) {
            std::string_view line = Head(s);
            Step(s, line);
            f(line);
        }
    spans.clear();
}

// The stop-word list "Exclude.lst" of a data set's folder, kept between pages and read again
// when the file's modification time or size changes. A missing file is an empty list.
class StopWords {
public:
    explicit StopWords(FileSystem& files) : files_(files) {}
    // Whether the word (already lower case) is in the list of the folder, compared without
    // regard to ASCII letter case. Throws IoError when the file exists but cannot be read.
    bool Contains(const std::string& folder, const std::string& word);
    // Brings the cache up to date for the folder.
    void Refresh(const std::string& folder);
    bool ContainsCached(const std::string& word) const { return !words_.empty() && words_.count(word) != 0; }

private:
    FileSystem& files_;
    bool valid_ = false;
    std::string path_;
    std::int64_t size_ = -1;
    std::chrono::file_clock::time_point time_{};
    std::unordered_set<std::string> words_;
};

// The index list of the current data set and its loaded flag.
class IndexList {
public:
    explicit IndexList(FileSystem& files = FileSystem::Default()) : files_(files), stopWords_(files) {}

    bool Loaded() const { return loaded_; }
    const WordIndex& Entries() const { return entries_; }
    // Access that may change the list: from then on it no longer counts as the file's copy.
    WordIndex& Entries() {
        matchesFile_ = false;
        return entries_;
    }
    FileSystem& Files() { return files_; }
    StopWords& Stops() { return stopWords_; }

    // A list made loaded here, not read from the file, is the whole index (a rebuild): saving it
    // replaces the file, whatever the file holds then.
    void SetLoaded(bool loaded) {
        loaded_ = loaded;
        matchesFile_ = false;
        if (loaded) loadedFileSize_ = kReplacesFile;
    }
    // The list was just read from the index file (LoadIndex).
    void SetLoadedFromFile() {
        loaded_ = true;
        matchesFile_ = true;
    }
    // The list holds what the index file held when it was loaded and nothing was changed since:
    // saving it would write the same entries again.
    bool MatchesFile() const { return loaded_ && matchesFile_; }
    // The size of the index file when the list was loaded from it, or after this program's own
    // last append to it; -1 when there was none.
    std::int64_t LoadedFileSize() const { return loadedFileSize_; }
    void SetLoadedFileSize(std::int64_t size) { loadedFileSize_ = size; }
    bool ReplacesFile() const { return loadedFileSize_ == kReplacesFile; }
    // Entries of this list were appended to the index file along with a page write: while no
    // other program appended meanwhile, the file still holds nothing the list lacks.
    void NoteAppend(const IndexAppend& append) {
        if (ReplacesFile()) return;
        loadedFileSize_ = append.error.empty() && append.sizeBefore == loadedFileSize_ ? append.sizeAfter : kUnknownFile;
    }

private:
    FileSystem& files_;
    StopWords stopWords_;
    WordIndex entries_;
    bool loaded_ = false;
    bool matchesFile_ = false;
    static constexpr std::int64_t kReplacesFile = -2;
    static constexpr std::int64_t kUnknownFile = -3;  // matches no file size: saving merges the file
    std::int64_t loadedFileSize_ = -1;
};

// Makes the list from the data set's index file (an absent file is an empty index) and sets the
// loaded flag. Throws IoError when the file exists but cannot be read.
void LoadIndex(IndexList& list, const std::string& dataSet);
// Writes the list to the data set's index file (through IndexFileWriter), frees the list and
// clears the loaded flag. Entries another program added to the file since the list was loaded
// (the file's size changed) are kept: the file's entries join the list first. A list that still
// matches the file it was loaded from is only freed: the file holds its entries already (an
// absent file holds none). Throws IoError when the file cannot be written; the list is then
// kept. Does nothing while the list is not loaded (there is no list to write).
void SaveIndex(IndexList& list, const std::string& dataSet);

// Writes a whole new index file for a data set: the lines go to ".id1" beside the index file,
// which Commit syncs, renames over the index file and makes durable (the folder synced), so
// that a crash or power cut leaves the old file or the new one, never a part. Holds the data
// set's lock from construction to the end. A writer destroyed without Commit (a failure) removes
// ".id1". Throws IoError when a file call fails. A file of more than one block is written by a
// thread of its own while the next blocks are made (a million pages make gigabytes).
class IndexFileWriter {
public:
    IndexFileWriter(FileSystem& files, const std::string& dataSet);
    ~IndexFileWriter();
    IndexFileWriter(const IndexFileWriter&) = delete;
    IndexFileWriter& operator=(const IndexFileWriter&) = delete;
    // Adds the line made of `text` and `more`, ended by CR LF.
    void AddLine(std::string_view text, std::string_view more = {}) {
        block_.append(text);
        block_.append(more);
        block_.append("\r\n");
        if (block_.size() >= kBlock) Flush();
    }
    void Commit();

private:
    static constexpr std::size_t kBlock = std::size_t{1} << 20;
    static constexpr std::size_t kWaitingBlocks = 4;  // full blocks made ahead of the writing
    // Hands the block to the writing thread (started with the first), or writes it when no
    // thread is to be had. Throws what the writing failed with.
    void Flush();
    void WriteBlocks();  // the writing thread
    void StopWriting();  // waits for the writing thread to end
    FileSystem& files_;
    DataSetLock lock_;
    std::string path_, temp_;
    std::unique_ptr<File> file_;
    std::string block_;
    bool committed_ = false;
    // Shared with the writing thread.
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> full_, spare_;  // full_ in file order
    bool finishing_ = false;
    std::exception_ptr failure_;
    std::thread writer_;
};
// The indexable words of a page's plain text (UTF-8; words are separated by white space), in
// text order, repeats kept: each word is KeepWordChars of a word of the text, lower case, longer
// than 2 bytes and not in the stop-word list (as last refreshed).
std::vector<std::string> IndexWordsOf(std::string_view plainText, const StopWords& stops);
// The entries word=id of a page's plain text, each once, in list order, with the stop-word list
// of the data set's folder. Throws IoError when the stop-word list cannot be read.
std::vector<std::string> PageEntries(StopWords& stops, const std::string& dataSet, std::string_view id,
                                     std::string_view plainText);
// Entries as lines of the index file.
std::string EntryLines(const std::vector<std::string>& entries);
// A page's entries, ready to be appended with its write by a program that keeps no index list.
// A stop-word list that cannot be read leaves them out and says so in `error`.
IndexAppend PageEntriesAppend(StopWords& stops, const std::string& dataSet, std::string_view id,
                              std::string_view plainText);
// Adds an entry word=id for every indexable word of a page's plain text, with the stop-word list
// of the data set's folder. Loads the list first when it is not loaded. Writes nothing.
void AddPageWords(IndexList& list, const std::string& dataSet, std::string_view id, std::string_view plainText);

// The word of an index entry made from one word of page text: KeepWordChars and lower case. May
// be shorter than 3 bytes (then it is not indexed).
std::string IndexWordOf(std::string_view word);

}  // namespace jb
