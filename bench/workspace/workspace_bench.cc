// The main window on a generated data set (sizes from $JB_BENCH_PAGES, default 100000):
// start-up to the first page shown (index load included), showing the ~1 MB last page, Update
// of a 4 KB page (write plus index words), switching to another data set and back, and one
// 30-second reminder check, and Import file of a 100,000-line text file and of a 10 MB rich-text
// file.

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTextEdit>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "generator/data_set_generator.h"
#include "richtext/richtext.h"
#include "store/dataset_paths.h"
#include "store/memory_tuning.h"
#include "store/page_store.h"
#include "remind/reminder_check.h"
#include "transfer/import_commands.h"
#include "transfer/transfer_commands.h"
#include "workspace/main_form.h"

namespace jb::bench {
namespace {

// Answers every question with its default button and cancels every form.
class QuietDialogs final : public ui::Dialogs {
public:
    ui::MessageButton ShowMessage(QWidget*, const ui::MessageRequest& r) override { return r.defaultButton; }
    std::optional<double> AskRemindDate(QWidget*, double) override { return std::nullopt; }
};

class QuietDesktop final : public ui::Desktop {
public:
    void PlaySound(const QString&) override {}
    void RunCommandLine(const QString&) override {}
    void StartHidden(const QString&, const QStringList&) override {}
    bool StartProgram(const QString&, const QStringList&) override { return true; }
    bool OpenUrl(const QString&) override { return true; }
    void AlertWindow(QWidget*) override {}
    void ShowHelp(QWidget*, const QString&, int) override {}
};

QuietDialogs dialogs;
QuietDesktop desktop;

std::unique_ptr<workspace::TMainForm> NewForm(const std::string& dataSet) {
    return std::make_unique<workspace::TMainForm>(
        workspace::MainFormSeams{dialogs, Clock::System(), desktop, FolderOf(dataSet)});
}

void StartUp(benchmark::State& state, const std::string& dataSet) {
    for (auto _ : state) {
        auto form = NewForm(dataSet);
        if (!form->FormShow()) state.SkipWithError("start-up failed");
        QApplication::processEvents();
        state.PauseTiming();
        form.reset();
        state.ResumeTiming();
    }
}

// A quick search from the Search toolbar for a word on every page, until its first page is
// shown with the word highlighted.
void QuickSearchEveryPage(benchmark::State& state, const std::string& dataSet) {
    auto form = NewForm(dataSet);
    form->FormShow();
    form->EditSearchTerm->setText("the");
    for (auto _ : state) form->FindToolbarButtonClick();
    state.counters["pages"] = static_cast<double>(form->QueryList.size()) - 1;
}

// Stepping to the next page of that query (highlighting included).
void QueryStep(benchmark::State& state, const std::string& dataSet) {
    auto form = NewForm(dataSet);
    form->FormShow();
    form->EditSearchTerm->setText("the");
    form->FindToolbarButtonClick();
    for (auto _ : state) {
        if (form->QueryPos + 1 >= static_cast<int>(form->QueryList.size())) {
            state.PauseTiming();
            form->FindToolbarButtonClick();
            state.ResumeTiming();
        }
        form->QueryNextPage();
    }
}

void GotoRecordBigPage(benchmark::State& state, const std::string& dataSet) {
    auto form = NewForm(dataSet);
    form->FormShow();
    const int last = form->store.PageCount(dataSet) - 1;
    for (auto _ : state) {
        if (!form->GotoRecord(last)) state.SkipWithError("read failed");
    }
    state.counters["chars"] = form->EditBox->document()->characterCount();
}

// The unprotected page whose body is closest to 4 KB (its text is made up to 4 KB below).
int PageNear4K(const std::string& dataSet) {
    PageStore store;
    int best = 0;
    long bestDistance = 1L << 40;
    const auto headers = store.ReadAllHeaders(dataSet);
    for (std::size_t i = 0; i < headers.size(); ++i) {
        if (i % 50 == 7) continue;  // protected pages of the generator
        const long distance = std::labs(static_cast<long>(headers[i].end - headers[i].start) - 4096);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<int>(i);
        }
    }
    return best;
}

// The settings file of the program folder that holds `dataSet`.
void WriteSettings(const std::string& dataSet, const char* text) {
    FILE* ini = std::fopen((FolderOf(dataSet) + "JotBase.ini").c_str(), "wb");
    std::fputs(text, ini);
    std::fclose(ini);
}

void Update4K(benchmark::State& state, const std::string& dataSet) {
    ScratchCopy copy(dataSet);
    WriteSettings(copy.DataSet(), "[Remind]\r\nOnNoDateAlready=2\r\n");
    auto form = NewForm(copy.DataSet());
    form->FormShow();
    const int n = PageNear4K(copy.DataSet());
    form->EditRecNum->setText(QString::number(n));
    form->GoButtonClick();
    // Generated pages stay below 3 KB: the page's text is repeated up to 4 KB.
    const QString text = form->EditBox->toPlainText();
    QString longer = text;
    while (longer.size() < 4000) longer += "\n" + text;
    form->EditBox->setPlainText(longer.left(4000));
    for (auto _ : state) {
        form->SetModified(true);
        form->UpdateButtonClick();
    }
    state.counters["body_bytes"] = static_cast<double>(form->store.ReadAllHeaders(copy.DataSet())[n].end -
                                                       form->store.ReadAllHeaders(copy.DataSet())[n].start);
    form->SetModified(false);
}

// Answers every question with Yes.
class YesDialogs final : public ui::Dialogs {
public:
    ui::MessageButton ShowMessage(QWidget*, const ui::MessageRequest&) override { return ui::kButtonYes; }
    std::optional<double> AskRemindDate(QWidget*, double) override { return std::nullopt; }
};

// A new page of 4 KB added and written: Add, the text, Update (its ID drawn fresh against both
// the data set and its deleted pages).
void AddPage4K(benchmark::State& state, const std::string& dataSet) {
    ScratchCopy copy(dataSet);
    WriteSettings(copy.DataSet(), "[Remind]\r\nOnNoDateAlready=2\r\n[Template]\r\nDef=none\r\n");
    auto form = NewForm(copy.DataSet());
    form->FormShow();
    const QString text = QString("a new page of notes ").repeated(200);
    for (auto _ : state) {
        form->AddButtonClick();
        form->EditBox->setPlainText(text);
        form->SetModified(true);
        form->UpdateButtonClick();
    }
    form->SetModified(false);
}

// Zap of a page in the middle of the data set, answered Yes: its copy to the deleted pages, the
// record marked and purged, and the page before it shown.
void ZapMiddlePage(benchmark::State& state, const std::string& dataSet) {
    ScratchCopy copy(dataSet);
    YesDialogs yes;
    workspace::TMainForm form(workspace::MainFormSeams{yes, Clock::System(), desktop, FolderOf(copy.DataSet())});
    form.FormShow();
    for (auto _ : state) {
        state.PauseTiming();
        form.EditRecNum->setText(QString::number(form.store.PageCount(copy.DataSet()) / 2));
        form.GoButtonClick();
        state.ResumeTiming();
        form.ZapButtonClick();
    }
}

// The open dialog answers each data set of a list in turn.
class OpenDialogs final : public ui::Dialogs {
public:
    explicit OpenDialogs(std::vector<std::string> paths) : paths_(std::move(paths)) {}
    ui::MessageButton ShowMessage(QWidget*, const ui::MessageRequest& r) override { return r.defaultButton; }
    std::optional<double> AskRemindDate(QWidget*, double) override { return std::nullopt; }
    QString AskOpenFile(QWidget*, const QString&, const QString&, const QString&) override {
        return QString::fromStdString(paths_[next_++ % paths_.size()]);
    }

private:
    std::vector<std::string> paths_;
    std::size_t next_ = 0;
};

// Open Database from one data set to another of the same size and back: the index list saved,
// the other one loaded, the caption and page 0 shown.
void SwitchDataSet(benchmark::State& state, const std::string& dataSet) {
    ScratchCopy first(dataSet), second(dataSet);
    OpenDialogs open({second.DataSet(), first.DataSet()});
    workspace::TMainForm form(workspace::MainFormSeams{open, Clock::System(), desktop, FolderOf(first.DataSet())});
    form.FormShow();
    for (auto _ : state) form.ChangeCurrentDatabase1->trigger();
    form.SetModified(false);
}

// File > Database Maintainance > Pack Current Database, the progress dialog shown, on a fresh
// copy each time (the copy is made and written back before the clock runs).
void PackFromMenu(benchmark::State& state, const std::string& dataSet) {
    ScratchCopy copy(dataSet);
    auto form = NewForm(copy.DataSet());
    form->FormShow();
    for (auto _ : state) {
        state.PauseTiming();
        copy.Refresh();
        ::sync();
        state.ResumeTiming();
        form->Packcurrentdatabase1->trigger();
    }
}

// Answers No to the reminder prompt, so that every check does the same work.
class AnswerNoDialogs final : public ui::Dialogs {
public:
    ui::MessageButton ShowMessage(QWidget*, const ui::MessageRequest&) override { return ui::kButtonNo; }
    std::optional<double> AskRemindDate(QWidget*, double) override { return std::nullopt; }
};

// One check (the header file read once, the due pages, the prompt) at the time of the first
// generated reminder, so that at least one page is due.
void ReminderCheck(benchmark::State& state, const std::string& dataSet) {
    PageStore store;
    double when = 0;
    for (const HeaderRecord& h : store.ReadAllHeaders(dataSet)) {
        if (h.HasReminder()) {
            when = h.reminder;
            break;
        }
    }
    FixedClock clock(when - 1);  // the day before: start-up opens no reminder query
    AnswerNoDialogs answerNo;
    workspace::TMainForm form(workspace::MainFormSeams{answerNo, clock, desktop, FolderOf(dataSet)});
    form.FormShow();
    clock.Set(when);
    for (auto _ : state) form.ReminderCheck();
    state.counters["due"] = static_cast<double>(remind::DuePages(store.ReadAllHeaders(dataSet), when).size());
    form.SetModified(false);
}

// The files the import benchmarks read: 100,000 lines of plain text, and about 10 MB of rich
// text in paragraphs of mixed formatting. Made once in the temporary folder.
std::string ImportFile(bool rich) {
    const std::string path = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") +
                             (rich ? "/jb-import-bench.rtf" : "/jb-import-bench.txt");
    if (FILE* exists = std::fopen(path.c_str(), "rb")) {
        std::fclose(exists);
        return path;
    }
    static const char* const words[] = {"walrus", "carpenter", "oyster", "cabbage", "kings", "sealing",
                                        "wax",    "boiling",   "pepper", "vinegar", "bread", "thimble"};
    std::string text;
    if (rich) text = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}\\f0\\fs20 ";
    for (int line = 0; rich ? text.size() < 10'000'000 : line < 100'000; ++line) {
        for (int w = 0; w < 9; ++w) {
            if (rich && w == 3) text += "\\b ";
            text += words[(line * 7 + w * 5) % 12];
            if (rich && w == 4) text += "\\b0 ";
            text += ' ';
        }
        text += std::to_string(line);
        text += rich ? (line % 5 == 0 ? "\\par\\f1 " : "\\par\\f0 ") : "\n";
    }
    if (rich) text += "}";
    FILE* out = std::fopen(path.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
    return path;
}

// Import file from the window into a copy of the data set: the file cut into pages of 150
// laid-out lines, each added, stored and indexed by Update. Pages per second as a counter.
void ImportIntoWindow(benchmark::State& state, const std::string& dataSet, bool rich) {
    const QString file = QString::fromStdString(ImportFile(rich));
    ScratchCopy copy(dataSet);
    PageStore store;
    int made = 0;
    for (auto _ : state) {
        state.PauseTiming();
        copy.Refresh();
        auto form = NewForm(copy.DataSet());
        form->FormShow();
        const int before = store.PageCount(copy.DataSet());
        state.ResumeTiming();
        form->Transfer->Import->ImportFiles({file}, rich ? 0 : 1, transfer::TypeChoice::kChosen, false);
        state.PauseTiming();
        made = store.PageCount(copy.DataSet()) - before;
        form->SetModified(false);
        form.reset();
        state.ResumeTiming();
    }
    state.counters["pages"] = made;
    state.counters["pages_per_s"] = benchmark::Counter(made * static_cast<double>(state.iterations()),
                                                      benchmark::Counter::kIsRate);
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
        benchmark::RegisterBenchmark(("StartUpToFirstPage" + suffix).c_str(), StartUp, dataSet)
            ->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3)->ReportAggregatesOnly(true);
        benchmark::RegisterBenchmark(("QuickSearch_every_page" + suffix).c_str(), QuickSearchEveryPage, dataSet)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("QueryStep_next_page" + suffix).c_str(), QueryStep, dataSet)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("GotoRecord_1MB" + suffix).c_str(), GotoRecordBigPage, dataSet)
            ->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);
        benchmark::RegisterBenchmark(("Update_4KB" + suffix).c_str(), Update4K, dataSet)
            ->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);
        benchmark::RegisterBenchmark(("AddPage_4KB" + suffix).c_str(), AddPage4K, dataSet)
            ->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);
        benchmark::RegisterBenchmark(("Zap_middle_page" + suffix).c_str(), ZapMiddlePage, dataSet)
            ->Unit(benchmark::kMillisecond)->Iterations(10)->Repetitions(3)->ReportAggregatesOnly(true);
        benchmark::RegisterBenchmark(("SwitchDataSet" + suffix).c_str(), SwitchDataSet, dataSet)
            ->Unit(benchmark::kMillisecond)->Iterations(4)->Repetitions(3)->ReportAggregatesOnly(true);
        benchmark::RegisterBenchmark(("PackFromMenu" + suffix).c_str(), PackFromMenu, dataSet)
            ->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3)->ReportAggregatesOnly(true);
        benchmark::RegisterBenchmark(("ReminderCheck" + suffix).c_str(), ReminderCheck, dataSet)
            ->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
        benchmark::RegisterBenchmark(("Import_100k_lines_text" + suffix).c_str(), ImportIntoWindow, dataSet, false)
            ->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
        benchmark::RegisterBenchmark(("Import_10MB_rtf" + suffix).c_str(), ImportIntoWindow, dataSet, true)
            ->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
