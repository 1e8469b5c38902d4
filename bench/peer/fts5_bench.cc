// The peer of the search: SQLite's FTS5 full-text index (default tokenizer) over the same
// pages' plain text, asked the same word, prefix, AND, OR and phrase queries. Every matching
// row is fetched, as a search fetches every matching page.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "generator/data_set_generator.h"

namespace jb::bench {
namespace {

void Check(int rc, sqlite3* db, const char* what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

struct Fts {
    sqlite3* db = nullptr;
    std::string path;
    double buildSeconds = 0;
    QueryWords words;
    ~Fts() {
        sqlite3_close(db);
        std::filesystem::remove(path);
    }
};

Fts& Prepare(const std::string& dataSet) {
    static std::map<std::string, std::unique_ptr<Fts>> cache;
    auto& slot = cache[dataSet];
    if (slot) return *slot;
    slot = std::make_unique<Fts>();
    Fts& f = *slot;
    f.words = PickQueryWords(dataSet);
    f.path = dataSet + ".fts5.db";
    std::filesystem::remove(f.path);
    std::vector<std::string> texts = PagePlainTexts(dataSet);
    auto start = std::chrono::steady_clock::now();
    Check(sqlite3_open(f.path.c_str(), &f.db), f.db, "open");
    Check(sqlite3_exec(f.db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; CREATE VIRTUAL TABLE pages USING fts5(body);",
                       nullptr, nullptr, nullptr),
          f.db, "create");
    Check(sqlite3_exec(f.db, "BEGIN", nullptr, nullptr, nullptr), f.db, "begin");
    sqlite3_stmt* insert = nullptr;
    Check(sqlite3_prepare_v2(f.db, "INSERT INTO pages(rowid, body) VALUES(?, ?)", -1, &insert, nullptr), f.db, "prepare");
    for (std::size_t i = 0; i < texts.size(); ++i) {
        sqlite3_bind_int64(insert, 1, static_cast<sqlite3_int64>(i));
        sqlite3_bind_text(insert, 2, texts[i].data(), static_cast<int>(texts[i].size()), SQLITE_STATIC);
        Check(sqlite3_step(insert), f.db, "insert");
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    Check(sqlite3_exec(f.db, "COMMIT", nullptr, nullptr, nullptr), f.db, "commit");
    f.buildSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return f;
}

void Query(benchmark::State& state, const std::string& dataSet, int kind) {
    Fts& f = Prepare(dataSet);
    const QueryWords& w = f.words;
    std::string match;
    switch (kind) {
        case 0: match = w.word; break;
        case 1: match = "comp*"; break;
        case 2: match = w.words[0] + " AND " + w.words[1] + " AND " + w.words[2]; break;
        case 3: match = w.words[0] + " OR " + w.words[1] + " OR " + w.words[2]; break;
        default: match = "\"" + w.words[0] + " " + w.words[1] + "\""; break;
    }
    sqlite3_stmt* select = nullptr;
    Check(sqlite3_prepare_v2(f.db, "SELECT rowid FROM pages WHERE pages MATCH ?", -1, &select, nullptr), f.db, "prepare");
    std::int64_t hits = 0;
    for (auto _ : state) {
        sqlite3_bind_text(select, 1, match.c_str(), -1, SQLITE_TRANSIENT);
        hits = 0;
        while (sqlite3_step(select) == SQLITE_ROW) hits += sqlite3_column_int64(select, 0) >= 0;
        sqlite3_reset(select);
    }
    sqlite3_finalize(select);
    state.counters["hits"] = static_cast<double>(hits);
    state.counters["build_s"] = f.buildSeconds;
    state.counters["db_MB"] = static_cast<double>(std::filesystem::file_size(f.path)) / 1e6;
}

}  // namespace
}  // namespace jb::bench

int main(int argc, char** argv) {
    using namespace jb::bench;
    const char* names[] = {"FTS5_word", "FTS5_prefix_comp", "FTS5_and3", "FTS5_or3", "FTS5_phrase"};
    for (int pages : BenchSizes()) {
        const std::string dataSet = CachedDataSet(pages);
        for (int kind = 0; kind < 5; ++kind)
            benchmark::RegisterBenchmark((std::string(names[kind]) + "/" + std::to_string(pages)).c_str(), Query, dataSet, kind)
                ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
