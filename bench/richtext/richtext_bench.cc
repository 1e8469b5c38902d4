// Throughput of the rich-text codec on a typical page of about 1 MB: paragraphs of mixed
// formats, accented letters, a link now and then, in the shape the writer and word processors
// produce.

#include <benchmark/benchmark.h>

#include <string>

#include "richtext/richtext.h"

#ifdef JB_BENCH_EDITOR
#include <QGuiApplication>
#include <QTextDocument>

#include "editor/rtf_bridge.h"
#endif

namespace {

using namespace jb::richtext;

Document TypicalDocument(std::size_t bytes) {
    const CharFormat plain{"Arial", 20, {}, {}, false, false, false, false, VerticalAlign::kNormal};
    CharFormat bold = plain;
    bold.bold = true;
    CharFormat red = plain;
    red.color = Rgb{200, 0, 0};
    red.font = "Times New Roman";
    Document doc;
    std::size_t size = 0;
    for (int k = 0; size < bytes; ++k) {
        Paragraph p;
        p.format.align = k % 5 == 0 ? Align::kCenter : Align::kLeft;
        p.runs.push_back(Run{plain, "Meeting notes for the project review, item " + std::to_string(k) +
                                        ": the caf\xC3\xA9 budget and the na\xC3\xAFve plan were discussed. ",
                             {}, {}});
        p.runs.push_back(Run{bold, "Decision:", {}, {}});
        p.runs.push_back(Run{plain, " keep the schedule\tand review it next week with the whole team.", {}, {}});
        if (k % 7 == 0) p.runs.push_back(Run{red, " see the minutes", "http://example.com/minutes", {}});
        for (const auto& r : p.runs) size += r.text.size() + 20;
        doc.paragraphs.push_back(std::move(p));
    }
    return doc;
}

const std::string& TypicalRtf() {
    static const std::string rtf = WriteRtf(TypicalDocument(1 << 20));
    return rtf;
}

void BM_PlainTextOf(benchmark::State& state) {
    const std::string& rtf = TypicalRtf();
    for (auto _ : state) benchmark::DoNotOptimize(PlainTextOf(rtf));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * rtf.size()));
}
BENCHMARK(BM_PlainTextOf)->Unit(benchmark::kMillisecond);

void BM_ReadDocument(benchmark::State& state) {
    const std::string& rtf = TypicalRtf();
    for (auto _ : state) benchmark::DoNotOptimize(ReadDocument(rtf));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * rtf.size()));
}
BENCHMARK(BM_ReadDocument)->Unit(benchmark::kMillisecond);

void BM_WriteRtf(benchmark::State& state) {
    const Document doc = ReadDocument(TypicalRtf());
    for (auto _ : state) benchmark::DoNotOptimize(WriteRtf(doc));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * TypicalRtf().size()));
}
BENCHMARK(BM_WriteRtf)->Unit(benchmark::kMillisecond);

#ifdef JB_BENCH_EDITOR
void BM_LoadRtfIntoQTextDocument(benchmark::State& state) {
    const std::string& rtf = TypicalRtf();
    for (auto _ : state) {
        QTextDocument doc;
        jb::editor::LoadRtf(doc, rtf);
        benchmark::DoNotOptimize(doc.characterCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * rtf.size()));
}
BENCHMARK(BM_LoadRtfIntoQTextDocument)->Unit(benchmark::kMillisecond);

void BM_SaveQTextDocumentToRtf(benchmark::State& state) {
    QTextDocument doc;
    jb::editor::LoadRtf(doc, TypicalRtf());
    for (auto _ : state) benchmark::DoNotOptimize(jb::editor::SaveRtf(doc));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * TypicalRtf().size()));
}
BENCHMARK(BM_SaveQTextDocumentToRtf)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

int main(int argc, char** argv) {
#ifdef JB_BENCH_EDITOR
    QGuiApplication app(argc, argv);
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
