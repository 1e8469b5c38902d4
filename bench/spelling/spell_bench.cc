// Misspelt words underlined as the user types, on a page of about a megabyte in paragraphs of
// about 600 characters, one word in twelve misspelt, with Debian's British English dictionary:
// the first underlining of what is on screen when the page is shown, and one key typed on screen.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>
#include <cstdio>
#include <memory>
#include <string>

#include "spelling/hunspell_engine.h"
#include "spelling/spell_highlighter.h"

namespace {

QString MegabytePage() {
    static const char* const words[] = {"the",   "quick",   "brown",  "fox",    "jumps", "over",  "lazy",  "dog",
                                        "note",  "page",    "recieve", "garden", "letter", "house", "window", "river"};
    QString text;
    int n = 0;
    while (text.size() < 1'000'000) {
        for (int i = 0; i < 100; ++i, ++n) text += QString::fromLatin1(words[(n * 7 + n / 16) % 16]) + ' ';
        text += '\n';
    }
    return text;
}

struct Fixture {
    Fixture() {
        engine.SetMainLexPath("/usr/share/hunspell/");
        engine.SetMainLexFiles("en_GB.aff,en_GB.dic");
        editor.resize(800, 600);
        editor.show();
        (void)QTest::qWaitForWindowExposed(&editor);
    }
    jb::spelling::HunspellEngine engine;
    QTextEdit editor;
};

// The page given to the editor, the underlining attached, and the event loop run until what is
// on screen is underlined.
void FirstUnderlining(benchmark::State& state) {
    Fixture f;
    const QString page = MegabytePage();
    for (auto _ : state) {
        state.PauseTiming();
        auto* doc = new QTextDocument(&f.editor);
        doc->setPlainText(page);
        f.editor.setDocument(doc);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        auto highlighter = std::make_unique<jb::spelling::TSpellHighlighter>(f.editor, f.engine, [] { return true; });
        QCoreApplication::processEvents();
        state.PauseTiming();
        highlighter.reset();
        state.ResumeTiming();
    }
}

// One key typed in the middle of the screen, with its paragraph underlined again.
void Keystroke(benchmark::State& state) {
    Fixture f;
    auto* doc = new QTextDocument(&f.editor);
    doc->setPlainText(MegabytePage());
    f.editor.setDocument(doc);
    jb::spelling::TSpellHighlighter highlighter(f.editor, f.engine, [] { return true; });
    QCoreApplication::processEvents();
    QTextCursor cursor(doc->findBlockByNumber(3));
    cursor.movePosition(QTextCursor::EndOfBlock);
    f.editor.setTextCursor(cursor);
    for (auto _ : state) {
        QTest::keyClick(&f.editor, Qt::Key_A);
        QCoreApplication::processEvents();
    }
}

}  // namespace

BENCHMARK(FirstUnderlining)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(Keystroke)->Unit(benchmark::kMillisecond)->Iterations(50)->Repetitions(3)->ReportAggregatesOnly(true);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
