// The word index and the search at the benchmark sizes, each beside the literal twin where the
// twin finishes in reasonable time, and the phrase scan beside grep over the same data file.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <thread>

#include "datasets/index_rebuild.h"
#include "generator/data_set_generator.h"
#include "search/literal_search.h"
#include "search/search_engine.h"
#include "store/dataset_paths.h"
#include "store/header_cache.h"
#include "store/memory_tuning.h"

namespace jb::bench {
namespace {

// One scratch copy of the data set per size, with an index file (rebuilt when the cached data
// set has none), and its index list loaded once.
struct Prepared {
    std::unique_ptr<ScratchCopy> copy;
    IndexList index;
    std::string word;   // a word of middling frequency
    std::string words[3];
    std::string phrase;
};

Prepared& Prepare(const std::string& dataSet) {
    static std::map<std::string, std::unique_ptr<Prepared>> cache;
    auto& p = cache[dataSet];
    if (p) return *p;
    p = std::make_unique<Prepared>();
    p->copy = std::make_unique<ScratchCopy>(dataSet);
    const std::string ds = p->copy->DataSet();
    if (FileSystem::Default().FileSize(CompanionPath(ds, ".idx")) <= 0) RebuildIndex(ds);
    LoadIndex(p->index, ds);
    const QueryWords picked = PickQueryWords(ds);
    p->word = picked.word;
    for (int i = 0; i < 3; ++i) p->words[i] = picked.words[i];
    p->phrase = "\"" + p->words[0] + " " + p->words[1] + "\"";
    // A header file written moments ago is read again at every search until it has settled;
    // a user's data set has settled long before the search, so the copy is given that time.
    std::this_thread::sleep_for(kSettleTime);
    return *p;
}

search::SearchSettings Settings() {
    search::SearchSettings s;
    s.today = Clock::System().Today();
    return s;
}

void LoadIndexBench(benchmark::State& state, const std::string& dataSet) {
    Prepared& p = Prepare(dataSet);
    for (auto _ : state) {
        IndexList list;
        LoadIndex(list, p.copy->DataSet());
        benchmark::DoNotOptimize(list.Entries().Size());
    }
    state.counters["entries"] = static_cast<double>(p.index.Entries().Size());
}

void SaveIndexBench(benchmark::State& state, const std::string& dataSet) {
    Prepared& p = Prepare(dataSet);
    for (auto _ : state) {
        state.PauseTiming();
        IndexList list;
        LoadIndex(list, p.copy->DataSet());
        state.ResumeTiming();
        SaveIndex(list, p.copy->DataSet());
    }
}

void AddPageWordsBench(benchmark::State& state, const std::string& dataSet) {
    Prepared& p = Prepare(dataSet);
    // The words of 2,000 entries spread over the list, taken in one walk.
    const std::size_t size = p.index.Entries().Size();
    std::vector<std::size_t> wanted;
    for (std::size_t i = 0; i < 2000; ++i) wanted.push_back((i * 7919) % size);
    std::sort(wanted.begin(), wanted.end());
    std::string text;
    std::size_t at = 0, next = 0;
    p.index.Entries().ForEach([&](std::string_view line) {
        for (; next < wanted.size() && wanted[next] == at; ++next) text += std::string(EntryWord(line)) + " ";
        ++at;
    });
    unsigned id = 0;
    for (auto _ : state) {
        char idText[16];
        std::snprintf(idText, sizeof idText, "F%07X", id++);
        AddPageWords(p.index, p.copy->DataSet(), idText, text);
    }
}

void LookupBench(benchmark::State& state, const std::string& dataSet, bool prefix) {
    Prepared& p = Prepare(dataSet);
    std::vector<std::string_view> ids;
    for (auto _ : state) {
        ids.clear();
        if (prefix)
            p.index.Entries().PrefixIds("comp", ids);
        else
            p.index.Entries().WordIds(p.word, ids);
        benchmark::DoNotOptimize(ids.data());
    }
    state.counters["hits"] = static_cast<double>(ids.size());
}

enum class Query { kWord, kPrefix, kAnd, kOr, kPhrase, kDateKeyword, kDateFilterSorted };

std::string QueryText(Prepared& p, Query q) {
    switch (q) {
        case Query::kWord: return p.word;
        case Query::kPrefix: return "comp*";
        case Query::kAnd: return p.words[0] + " and " + p.words[1] + " and " + p.words[2];
        case Query::kOr: return p.words[0] + " or " + p.words[1] + " or " + p.words[2];
        case Query::kPhrase: return p.phrase;
        case Query::kDateKeyword: return "modified>=" + ShortDateText(Clock::System().Today() - 3650, LocaleDateOrder());
        case Query::kDateFilterSorted: return "";
    }
    return "";
}

void SearchBench(benchmark::State& state, const std::string& dataSet, Query q, bool twin) {
    Prepared& p = Prepare(dataSet);
    search::SearchSettings s = Settings();
    if (q == Query::kDateFilterSorted) {
        s.dateKind = 2;
        s.sortChoice = 2;
        s.after = s.today - 3650;
    }
    const std::string text = QueryText(p, q);
    PageStore store;
    std::size_t found = 0;
    for (auto _ : state) {
        search::SearchOutcome o = twin ? search::literal::LiteralSearch(text, s, p.copy->DataSet(), p.index.Entries(), store)
                                       : search::RunSearch(text, s, p.copy->DataSet(), p.index.Entries(), store);
        found = o.ids.size();
        benchmark::DoNotOptimize(o.ids.data());
    }
    state.counters["pages"] = static_cast<double>(found);
}

void GrepBench(benchmark::State& state, const std::string& dataSet) {
    Prepared& p = Prepare(dataSet);
    std::string phrase = p.phrase.substr(1, p.phrase.size() - 2);
    const std::string command = "grep -c -F -i '" + phrase + "' '" + p.copy->DataSet() + "' > /dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) > 256) state.SkipWithError("grep failed");
}

}  // namespace
}  // namespace jb::bench

int main(int argc, char** argv) {
    using namespace jb::bench;
    jb::KeepLargeAllocationsInProcess();
    for (int pages : BenchSizes()) {
        const std::string dataSet = CachedDataSet(pages);
        const std::string n = "/" + std::to_string(pages);
        auto reg = [&](const std::string& name, auto fn, auto... args) {
            return benchmark::RegisterBenchmark((name + n).c_str(), fn, dataSet, args...)->Unit(benchmark::kMillisecond);
        };
        reg("LoadIndex", LoadIndexBench)->Iterations(3);
        reg("SaveIndex", SaveIndexBench)->Iterations(3);
        reg("AddPageWords_2000", AddPageWordsBench);
        reg("WordIds", LookupBench, false);
        reg("PrefixIds_comp", LookupBench, true);
        const std::pair<const char*, Query> queries[] = {
            {"Search_word", Query::kWord},         {"Search_prefix_comp", Query::kPrefix},
            {"Search_and3", Query::kAnd},          {"Search_or3", Query::kOr},
            {"Search_phrase", Query::kPhrase},     {"Search_date_keyword", Query::kDateKeyword},
            {"Search_after_sorted_by_modified", Query::kDateFilterSorted}};
        for (const auto& [name, q] : queries) {
            reg(name, SearchBench, q, false);
            reg(std::string(name) + "_twin", SearchBench, q, true)->Iterations(1);
        }
        reg("grep_c_F_i_phrase", GrepBench)->Iterations(5);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
