// Throughput of the rich-text codec on a typical page of about 1 MB: paragraphs of mixed
// formats, accented letters, a link now and then, in the shape the writer and word processors
// produce. The editor cases also load a page shaped like the data set generator's big page:
// ~150,000 words in one font with a paragraph end every ~60 words.

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "richtext/richtext.h"

#ifdef JB_BENCH_EDITOR
#include <QApplication>
#include <QTextDocument>
#include <QTextEdit>

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

// One font, plain words with a paragraph end every ~60 words, as the generator writes its big
// last page (about 1 MB for 150,000 words).
const std::string& GeneratorShapedRtf() {
    static const std::string rtf = [] {
        std::mt19937 random(7);
        const char* syllables[] = {"ka", "lo", "mi", "ne", "ra", "to", "su", "vi", "de", "ba",
                                   "po", "ter", "con", "pre", "ing", "al", "en", "or", "is", "um"};
        std::uniform_int_distribution<int> count(2, 4), pick(0, 19), paragraph(0, 60);
        std::vector<std::string> words;
        while (words.size() < 2000) {
            std::string w;
            for (int n = count(random); n > 0; --n) w += syllables[pick(random)];
            words.push_back(w);
        }
        std::uniform_int_distribution<std::size_t> word(0, words.size() - 1);
        std::string text;
        for (int i = 0; i < 150000; ++i) {
            text += words[word(random)];
            text += paragraph(random) == 0 ? ".\\par\r\n" : " ";
        }
        return "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang2057{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\r\n"
               "\\viewkind4\\uc1\\pard\\f0\\fs20 " +
               text + "\\par\r\n}\r\n";
    }();
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

void BM_LoadGeneratorPageIntoQTextDocument(benchmark::State& state) {
    const std::string& rtf = GeneratorShapedRtf();
    for (auto _ : state) {
        QTextDocument doc;
        jb::editor::LoadRtf(doc, rtf);
        benchmark::DoNotOptimize(doc.characterCount());
    }
    state.counters["blocks"] = [&] {
        QTextDocument doc;
        jb::editor::LoadRtf(doc, rtf);
        return doc.blockCount();
    }();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * rtf.size()));
}
BENCHMARK(BM_LoadGeneratorPageIntoQTextDocument)->Unit(benchmark::kMillisecond);

// Into the document of a shown text editor, as the main window shows a page, then the caret to
// the start. The editor's caret is pushed to the end of the page by the insertion, so the first
// caret move lays out the whole page at once.
void LoadIntoEditor(benchmark::State& state, const std::string& rtf) {
    QTextEdit edit;
    edit.resize(800, 600);
    edit.show();
    QApplication::processEvents();
    for (auto _ : state) {
        edit.clear();
        jb::editor::LoadRtf(*edit.document(), rtf);
        edit.moveCursor(QTextCursor::Start);
        benchmark::DoNotOptimize(edit.document()->characterCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * rtf.size()));
}
void BM_LoadGeneratorPageIntoTextEdit(benchmark::State& state) { LoadIntoEditor(state, GeneratorShapedRtf()); }
BENCHMARK(BM_LoadGeneratorPageIntoTextEdit)->Unit(benchmark::kMillisecond);
void BM_LoadRtfIntoTextEdit(benchmark::State& state) { LoadIntoEditor(state, TypicalRtf()); }
BENCHMARK(BM_LoadRtfIntoTextEdit)->Unit(benchmark::kMillisecond);

// The same into a new document that then becomes the editor's: the editor starts with its caret
// at the start and lays out the visible start only (the rest follows from the event loop).
void LoadAndSetDocument(benchmark::State& state, const std::string& rtf) {
    QTextEdit edit;
    edit.resize(800, 600);
    edit.show();
    QApplication::processEvents();
    std::unique_ptr<QTextDocument> shown;
    for (auto _ : state) {
        auto doc = std::make_unique<QTextDocument>();
        doc->setDefaultFont(edit.document()->defaultFont());
        jb::editor::LoadRtf(*doc, rtf);
        edit.setDocument(doc.get());
        edit.moveCursor(QTextCursor::Start);
        shown = std::move(doc);
        benchmark::DoNotOptimize(edit.document()->characterCount());
    }
    edit.setDocument(nullptr);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * rtf.size()));
}
void BM_LoadGeneratorPageAndSetTextEditDocument(benchmark::State& state) {
    LoadAndSetDocument(state, GeneratorShapedRtf());
}
BENCHMARK(BM_LoadGeneratorPageAndSetTextEditDocument)->Unit(benchmark::kMillisecond);

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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
