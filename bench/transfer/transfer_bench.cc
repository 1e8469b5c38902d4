// Export and print of a range on a generated data set (sizes from $JB_BENCH_PAGES, default
// 100000): pages 0..9999 gathered into the assembly document and written as rich text and as
// plain text, and pages 0..999 gathered and printed to a PDF file. Each figure is the whole
// command as the user waits for it, gathering included; the counters split it into gathering
// and writing. The export benchmarks also give the peak resident memory of the process and how
// far the export raised it, so that the memory an exported page costs can be judged.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "generator/data_set_generator.h"
#include "store/memory_tuning.h"
#include "store/page_store.h"
#include "transfer/document_output.h"
#include "transfer/page_assembly.h"

namespace jb::bench {
namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A line of /proc/self/status in kB ("VmHWM", "VmRSS"); 0 where there is none.
double StatusKilobytes(const char* field) {
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return 0;
    char line[256];
    double kb = 0;
    const std::size_t length = std::strlen(field);
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, field, length) == 0 && line[length] == ':') {
            kb = std::atof(line + length + 1);
            break;
        }
    }
    std::fclose(f);
    return kb;
}

// Hands freed memory back to the system and starts the peak over from what the process holds
// now, so that a benchmark's peak is its own and not that of the one before. Returns the
// resident size it starts from, in kB.
double RestartPeakMemory() {
    malloc_trim(0);
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);  // resets VmHWM to VmRSS
        std::fclose(f);
    }
    return StatusKilobytes("VmRSS");
}

// The last page of a range of `count` pages from 0, within the data set.
int LastPage(const std::string& dataSet, int count) {
    PageStore store;
    return std::min(count, store.PageCount(dataSet)) - 1;
}

transfer::AssemblyOptions ExportOptions() {
    transfer::AssemblyOptions options;
    options.marks = true;  // no unlock: protected pages are left out, as when every password is refused
    return options;
}

// Pages 0..9999 gathered and saved as `kind`.
void ExportRange(benchmark::State& state, const std::string& dataSet, transfer::FileKind kind) {
    QTemporaryDir folder;
    const QString path = folder.filePath(kind == transfer::FileKind::kRichText ? "range.rtf" : "range.txt");
    const int to = LastPage(dataSet, 10000);
    const QString title = transfer::RangeTitle(0, to);
    const transfer::AssemblyOptions options = ExportOptions();
    PageStore store;
    const double startKb = RestartPeakMemory();
    double gatherMs = 0, writeMs = 0, freeMs = 0, chars = 0;
    for (auto _ : state) {
        auto r1 = std::make_unique<transfer::PageAssembly>();
        auto at = Clock::now();
        r1->AppendRange(store, dataSet, 0, to, options);
        gatherMs += MillisecondsSince(at);
        at = Clock::now();
        if (!transfer::SaveDocument(r1->Document(), path, kind, title)) state.SkipWithError("export failed");
        writeMs += MillisecondsSince(at);
        state.PauseTiming();
        chars = r1->Document().characterCount();
        at = Clock::now();
        r1.reset();
        freeMs += MillisecondsSince(at);
        state.ResumeTiming();
    }
    const double peakKb = StatusKilobytes("VmHWM");
    const auto perIteration = benchmark::Counter::kAvgIterations;
    state.counters["pages"] = to + 1;
    state.counters["chars"] = chars;
    state.counters["file_bytes"] = static_cast<double>(QFileInfo(path).size());
    state.counters["gather_ms"] = benchmark::Counter(gatherMs, perIteration);
    state.counters["write_ms"] = benchmark::Counter(writeMs, perIteration);
    state.counters["free_ms"] = benchmark::Counter(freeMs, perIteration);
    state.counters["peak_rss_MB"] = peakKb / 1024;
    state.counters["peak_growth_MB"] = (peakKb - startKb) / 1024;
    state.counters["growth_kB_per_page"] = (peakKb - startKb) / (to + 1);
}

// The pages of a PDF file, counted by their page objects.
int PdfPageCount(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return 0;
    const QByteArray bytes = file.readAll();
    int count = 0;
    for (qsizetype at = bytes.indexOf("/Type /Page"); at >= 0; at = bytes.indexOf("/Type /Page", at + 1)) {
        if (at + 11 >= bytes.size() || bytes[at + 11] != 's') ++count;  // not the page tree
    }
    return count;
}

// Pages 0..999 gathered and printed to a PDF file at the printer's high resolution.
void PrintRangePdf(benchmark::State& state, const std::string& dataSet) {
    QTemporaryDir folder;
    const QString path = folder.filePath("range.pdf");
    const int to = LastPage(dataSet, 1000);
    const QString title = transfer::RangeTitle(0, to);
    const transfer::AssemblyOptions options = ExportOptions();
    PageStore store;
    double gatherMs = 0, printMs = 0;
    for (auto _ : state) {
        auto r1 = std::make_unique<transfer::PageAssembly>();
        auto at = Clock::now();
        r1->AppendRange(store, dataSet, 0, to, options);
        gatherMs += MillisecondsSince(at);
        at = Clock::now();
        {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path);
            transfer::PrintDocument(r1->Document(), printer, title);
            if (printer.printerState() == QPrinter::Error) state.SkipWithError("print failed");
        }
        printMs += MillisecondsSince(at);
        state.PauseTiming();
        r1.reset();
        state.ResumeTiming();
    }
    const auto perIteration = benchmark::Counter::kAvgIterations;
    state.counters["pages"] = to + 1;
    state.counters["pdf_bytes"] = static_cast<double>(QFileInfo(path).size());
    state.counters["pdf_pages"] = PdfPageCount(path);
    state.counters["gather_ms"] = benchmark::Counter(gatherMs, perIteration);
    state.counters["print_ms"] = benchmark::Counter(printMs, perIteration);
}

}  // namespace
}  // namespace jb::bench

int main(int argc, char** argv) {
    using namespace jb::bench;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    jb::KeepLargeAllocationsInProcess();  // as the programs do
    for (int pages : BenchSizes()) {
        const std::string dataSet = CachedDataSet(pages);
        const std::string suffix = "/" + std::to_string(pages);
        benchmark::RegisterBenchmark(("ExportRangeRtf" + suffix).c_str(), ExportRange, dataSet,
                                     jb::transfer::FileKind::kRichText)
            ->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
        benchmark::RegisterBenchmark(("ExportRangePlainText" + suffix).c_str(), ExportRange, dataSet,
                                     jb::transfer::FileKind::kPlainText)
            ->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
        benchmark::RegisterBenchmark(("PrintRangePdf" + suffix).c_str(), PrintRangePdf, dataSet)
            ->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
