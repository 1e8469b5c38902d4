#include "generator/data_set_generator.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <vector>

#include "protect/decipher.h"
#include "protect/page_key.h"
#include "richtext/richtext.h"
#include "store/index_builder.h"
#include "store/word_index.h"
#include "store/header_record.h"
#include "store/page_store.h"

namespace jb::bench {

namespace {

// Real words first (so that queries such as "comp*" and common words hit), then made-up ones.
const char* const kCommonWords[] = {
    "the",      "meeting",  "project",  "computer", "company",  "compile",  "complete", "report",
    "budget",   "invoice",  "customer", "garden",   "recipe",   "holiday",  "doctor",   "letter",
    "phone",    "address",  "birthday", "school",   "travel",   "train",    "ticket",   "hotel",
    "weather",  "monday",   "tuesday",  "friday",   "morning",  "evening",  "idea",     "notes",
    "review",   "contract", "payment",  "order",    "delivery", "software", "update",   "backup",
    "password", "account",  "manager",  "office",   "family",   "dinner",   "market",   "price",
    "question", "answer",   "problem",  "solution", "design",   "drawing",  "paint",    "house",
    "car",      "repair",   "insurance", "bank",    "tax",      "return",   "plan",     "list",
    "and",      "for",      "with",     "that",     "this",     "from",     "have",     "will",
};

std::vector<std::string> MakeVocabulary(std::mt19937& random) {
    std::vector<std::string> words(std::begin(kCommonWords), std::end(kCommonWords));
    const char* syllables[] = {"ka", "lo", "mi", "ne", "ra", "to", "su", "vi", "de", "ba", "po", "ter",
                               "con", "pre", "ing", "al", "en", "or", "is", "um"};
    std::uniform_int_distribution<int> count(2, 4), pick(0, 19);
    while (words.size() < 20000) {
        std::string w;
        for (int n = count(random); n > 0; --n) w += syllables[pick(random)];
        words.push_back(w);
    }
    return words;
}

// Draws word ranks with a Zipf-like law: rank r has weight 1 / (r + 1).
class ZipfDraw {
public:
    explicit ZipfDraw(std::size_t n) : cumulative_(n) {
        double total = 0;
        for (std::size_t r = 0; r < n; ++r) cumulative_[r] = total += 1.0 / static_cast<double>(r + 1);
    }
    std::size_t operator()(std::mt19937& random) {
        double x = std::uniform_real_distribution<double>(0, cumulative_.back())(random);
        return static_cast<std::size_t>(std::lower_bound(cumulative_.begin(), cumulative_.end(), x) - cumulative_.begin());
    }

private:
    std::vector<double> cumulative_;
};

std::string RichTextOf(const std::string& text) {
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang2057{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\r\n"
           "\\viewkind4\\uc1\\pard\\f0\\fs20 " +
           text + "\\par\r\n}\r\n";
}

std::string PageText(std::mt19937& random, ZipfDraw& draw, const std::vector<std::string>& words, int wordCount) {
    std::string text;
    std::uniform_int_distribution<int> paragraph(0, 60);
    for (int i = 0; i < wordCount; ++i) {
        const std::string& w = words[draw(random)];
        if (i == 0 || text.back() == '\n')
            text += static_cast<char>(std::toupper(static_cast<unsigned char>(w[0]))) + w.substr(1);
        else
            text += w;
        text += paragraph(random) == 0 ? ".\\par\r\n" : " ";
    }
    return text;
}

}  // namespace

std::string GeneratedPassword(int page) { return "pw" + std::to_string(page % 1000); }

void GenerateDataSet(const std::string& folder, const GeneratorOptions& options) {
    std::mt19937 random(options.seed);
    const std::vector<std::string> words = MakeVocabulary(random);
    ZipfDraw draw(words.size());
    std::ofstream data(folder + "/data.jb", std::ios::binary | std::ios::trunc);
    std::ofstream header(folder + "/data.hd", std::ios::binary | std::ios::trunc);
    if (!data || !header) throw std::runtime_error("cannot write a data set in " + folder);
    std::uniform_int_distribution<int> wordCount(120, 280), percent(0, 99), dayOffset(0, 3000), minute(0, 1439);
    std::int64_t at = 0;
    const double today = std::floor(25569.0 + static_cast<double>(std::time(nullptr)) / 86400.0);
    const std::string dataSet = folder + "/data.jb";
    IndexList index;
    IndexBuilder builder(index, dataSet);
    for (int n = 0; n < options.pages; ++n) {
        const bool big = options.bigLastPage && n == options.pages - 1;
        const bool isProtected = n % 50 == 7;
        const bool readOnly = n % 20 == 3;
        const int versions = percent(random) < 5 ? 3 : 1;
        HeaderRecord r;
        char id[16];
        std::snprintf(id, sizeof id, "%08X", static_cast<unsigned>(random()) ^ static_cast<unsigned>(n));
        r.id = IdField(id);
        r.created = today - dayOffset(random);
        r.modified = std::min(today, r.created + dayOffset(random) % 200);
        if (percent(random) < 10) r.reminder = today - 30 + dayOffset(random) % 90 + minute(random) / 1440.0;
        const std::string password = isProtected ? GeneratedPassword(n) : "";
        r.passwordField = EncodePasswordField(password);
        for (int v = 0; v < versions; ++v) {
            std::string body = RichTextOf(PageText(random, draw, words, big ? 150000 : wordCount(random)));
            builder.AddPage(id, richtext::PlainTextOf(body));
            if (isProtected) body = Rc4Bytes(PageKey(password), body);
            body.push_back(static_cast<char>(readOnly ? kTrailerReadOnly : kTrailerWritable));
            data.write(body.data(), static_cast<std::streamsize>(body.size()));
            r.start = static_cast<std::int32_t>(at);
            at += static_cast<std::int64_t>(body.size());
            r.end = static_cast<std::int32_t>(at);
            if (at > 0x7FFFFFFF) throw std::runtime_error("the generated data file would pass 2 GiB");
        }
        std::uint8_t bytes[kHeaderRecordSize];
        EncodeHeaderRecord(r, bytes);
        header.write(reinterpret_cast<const char*>(bytes), sizeof bytes);
    }
    if (!data.flush() || !header.flush()) throw std::runtime_error("cannot write a data set in " + folder);
    builder.Finish();
    SaveIndex(index, dataSet);
}

std::string CachedDataSet(int pages) {
    const char* root = std::getenv("JB_BENCH_DATA");
    std::filesystem::path base = root && *root ? root : JB_BENCH_DATA_DEFAULT;
    std::filesystem::path folder = base / ("v" + std::to_string(kGeneratorVersion) + "-" + std::to_string(pages));
    std::filesystem::path done = folder / "complete";
    if (!std::filesystem::exists(done)) {
        std::filesystem::create_directories(folder);
        GeneratorOptions options;
        options.pages = pages;
        GenerateDataSet(folder.string(), options);
        std::ofstream(done) << "ok\n";
    }
    return (folder / "data.jb").string();
}

}  // namespace jb::bench

namespace jb::bench {

std::vector<int> BenchSizes() {
    std::vector<int> sizes;
    const char* env = std::getenv("JB_BENCH_PAGES");
    std::string text = env && *env ? env : "100000";
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t comma = text.find(',', at);
        if (comma == std::string::npos) comma = text.size();
        int n = std::atoi(text.substr(at, comma - at).c_str());
        if (n > 0) sizes.push_back(n);
        at = comma + 1;
    }
    return sizes;
}

ScratchCopy::ScratchCopy(const std::string& dataSet) : original_(dataSet) {
    std::string pattern = (std::filesystem::temp_directory_path() / "jbbench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a scratch folder");
    folder_ = pattern;
    copy_ = folder_ + "/data.jb";
    Refresh();
}

ScratchCopy::~ScratchCopy() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void ScratchCopy::Refresh() {
    std::filesystem::path from = std::filesystem::path(original_).parent_path();
    for (const char* name : {"data.jb", "data.hd", "data.idx", "Exclude.lst"}) {
        if (!std::filesystem::exists(from / name)) continue;
        const std::filesystem::path to = std::filesystem::path(folder_) / name;
        std::filesystem::copy_file(from / name, to, std::filesystem::copy_options::overwrite_existing);
        // A user's data set is on the disk, not waiting in memory to be written: without this,
        // the copy's gigabytes would be written out while the operation measured writes its own.
        const int fd = ::open(to.c_str(), O_RDONLY);
        if (fd < 0 || ::fdatasync(fd) != 0) throw std::runtime_error("cannot sync the scratch copy " + to.string());
        ::close(fd);
    }
    for (const char* name : {"data.jb1", "data.hd1", "data.jbo"}) std::filesystem::remove(std::filesystem::path(folder_) / name);
}

}  // namespace jb::bench

namespace jb::bench {

QueryWords PickQueryWords(const std::string& dataSet) {
    IndexList list;
    LoadIndex(list, dataSet);
    const std::size_t size = list.Entries().Size();
    if (size == 0) throw std::runtime_error("the data set has an empty index: " + dataSet);
    // The words of the entries at 30%, 50%, 60% and 90% of the list, taken in one walk.
    const double fractions[] = {0.3, 0.5, 0.6, 0.9};
    std::string picked[4];
    std::size_t at = 0, next = 0;
    list.Entries().ForEach([&](std::string_view line) {
        while (next < 4 && at == static_cast<std::size_t>(fractions[next] * static_cast<double>(size)))
            picked[next++] = std::string(EntryWord(line));
        ++at;
    });
    QueryWords q;
    q.word = picked[1];
    q.words[0] = picked[0];
    q.words[1] = picked[2];
    q.words[2] = picked[3];
    return q;
}

std::vector<std::string> PagePlainTexts(const std::string& dataSet) {
    PageStore store;
    std::vector<HeaderRecord> records = store.ReadAllHeaders(dataSet);
    std::vector<std::string> texts(records.size());
    std::ifstream data(dataSet, std::ios::binary);
    std::string body;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const HeaderRecord& r = records[i];
        if (r.IsDeleted()) continue;
        body.resize(static_cast<std::size_t>(r.end - r.start - 1));
        data.seekg(r.start);
        data.read(body.data(), static_cast<std::streamsize>(body.size()));
        if (!r.Password().empty()) body = Rc4Bytes(PageKey(r.Password()), body);
        texts[i] = richtext::PlainTextOf(body);
    }
    return texts;
}

}  // namespace jb::bench
