// Page store benchmarks on generated data sets (sizes from $JB_BENCH_PAGES, default 100000).

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "datasets/index_rebuild.h"
#include "generator/data_set_generator.h"
#include "store/memory_tuning.h"
#include "store/page_store.h"

namespace jb::bench {
namespace {

void ReadAllHeaders(benchmark::State& state, const std::string& dataSet) {
    PageStore store;
    for (auto _ : state) benchmark::DoNotOptimize(store.ReadAllHeaders(dataSet));
}

void FindLastPageById(benchmark::State& state, const std::string& dataSet) {
    PageStore store;
    const std::string id = store.PageIdAt(dataSet, store.PageCount(dataSet) - 1);
    for (auto _ : state) benchmark::DoNotOptimize(store.FindPageById(dataSet, id));
}

void ReadTypicalPage(benchmark::State& state, const std::string& dataSet) {
    PageStore store;
    const int n = store.PageCount(dataSet) / 2;
    for (auto _ : state) {
        PageInfo info;
        std::string body;
        benchmark::DoNotOptimize(store.ReadPageBody(dataSet, n, info, body));
    }
}

void WritePage4K(benchmark::State& state, const std::string& dataSet) {
    ScratchCopy copy(dataSet);
    PageStore store;
    const int n = store.PageCount(copy.DataSet()) / 2;
    const std::string id = store.PageIdAt(copy.DataSet(), n);
    const std::string text = "{\\rtf1\\ansi " + std::string(4000, 'w') + "\\par\r\n}";
    for (auto _ : state) benchmark::DoNotOptimize(store.WritePage(copy.DataSet(), n, "", false, false, id, text, 0, 45000));
}

// Copies of a large data set leave gigabytes of unwritten pages behind, and the kernel then
// throttles whoever writes next. The pack and its peer each start with none.
void WriteBackEverything() { ::sync(); }

void PackDataSet(benchmark::State& state, const std::string& dataSet) {
    ScratchCopy copy(dataSet);
    PageStore store;
    for (auto _ : state) {
        state.PauseTiming();
        copy.Refresh();
        WriteBackEverything();
        state.ResumeTiming();
        benchmark::DoNotOptimize(store.PackDataSet(copy.DataSet()));
    }
}

// The peer of the pack: copying the same data file with cp.
void CopyDataFileWithCp(benchmark::State& state, const std::string& dataSet) {
    ScratchCopy copy(dataSet);
    const std::string command = "cp '" + dataSet + "' '" + copy.DataSet() + ".cp'";
    for (auto _ : state) {
        state.PauseTiming();
        WriteBackEverything();
        state.ResumeTiming();
        if (std::system(command.c_str()) != 0) state.SkipWithError("cp failed");
    }
}

// Rebuilding the index file from every page; in the counters, pages per second of CPU time
// (every thread's, the process's) and of wall-clock time (which includes waiting for the disk
// to take the new index file).
void Reindex(benchmark::State& state, const std::string& dataSet) {
    ScratchCopy copy(dataSet);
    int pages = 0;
    double wall = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        pages += jb::RebuildIndex(copy.DataSet()).pages;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["pages_per_second"] = benchmark::Counter(pages, benchmark::Counter::kIsRate);
    state.counters["pages_per_wall_second"] = wall > 0 ? pages / wall : 0;
}

}  // namespace
}  // namespace jb::bench

int main(int argc, char** argv) {
    using namespace jb::bench;
    jb::KeepLargeAllocationsInProcess();  // as the programs do
    for (int pages : BenchSizes()) {
        const std::string dataSet = CachedDataSet(pages);
        const std::string suffix = "/" + std::to_string(pages);
        benchmark::RegisterBenchmark(("ReadAllHeaders" + suffix).c_str(), ReadAllHeaders, dataSet)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("FindPageById_last" + suffix).c_str(), FindLastPageById, dataSet)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("ReadPage_typical" + suffix).c_str(), ReadTypicalPage, dataSet)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("WritePage_4KB" + suffix).c_str(), WritePage4K, dataSet)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("PackDataSet" + suffix).c_str(), PackDataSet, dataSet)->Unit(benchmark::kMillisecond)->Iterations(3);
        benchmark::RegisterBenchmark(("cp_data_file" + suffix).c_str(), CopyDataFileWithCp, dataSet)->Unit(benchmark::kMillisecond)->Iterations(3);
        benchmark::RegisterBenchmark(("Reindex" + suffix).c_str(), Reindex, dataSet)
            ->Unit(benchmark::kMillisecond)->Iterations(1)->MeasureProcessCPUTime();
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
