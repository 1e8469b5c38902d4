#include "walk/walker.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <QWindow>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

#include "protect/decipher.h"
#include "protect/page_key.h"
#include "richtext/richtext.h"
#include "search/search_engine.h"
#include "store/dataset_paths.h"
#include "store/io_error.h"
#include "store/word_index.h"
#include "workspace/main_form.h"

namespace jb::walk {

namespace {

// The text as the window's editor gives it: paragraphs end with '\n', the last one without.
std::string Normalised(std::string text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

}  // namespace

std::string StepsText(const std::vector<Step>& steps) {
    std::string out;
    for (const Step& s : steps) {
        if (!out.empty()) out += ' ';
        out += Walker::CommandNames()[static_cast<std::size_t>(s.command)] + ":" +
               std::to_string(s.seed);
    }
    return out;
}

std::optional<std::vector<Step>> ParseSteps(const std::string& text) {
    std::vector<Step> steps;
    std::istringstream in(text);
    std::string word;
    const std::vector<std::string>& names = Walker::CommandNames();
    while (in >> word) {
        const std::size_t colon = word.find(':');
        if (colon == std::string::npos) return std::nullopt;
        Step step;
        const std::string name = word.substr(0, colon);
        step.command = -1;
        for (std::size_t i = 0; i < names.size(); ++i)
            if (names[i] == name) step.command = static_cast<int>(i);
        if (step.command < 0) return std::nullopt;
        step.seed = static_cast<std::uint32_t>(std::stoul(word.substr(colon + 1)));
        steps.push_back(step);
    }
    return steps;
}

Walker::Walker() {
    test::EnsureApplication();
    // No template, so that a new page starts empty; the reminder question is asked.
    test::WriteFileBytes(dir_.File("JotBase.ini"), "[Template]\r\nDef=none\r\n");
    form_ = std::make_unique<workspace::TMainForm>(
        workspace::MainFormSeams{dialogs_, clock_, desktop_, dir_.Path()});
    form_->FormShow({});
    form_->activateWindow();
    if (!QTest::qWaitForWindowActive(form_.get())) Fail("the window did not become active");
    dialogs_.log.clear();
    model_.current = form_->ws.dataSet;
    for (const std::string& set : {model_.current, CounterpartOf(model_.current)})
        model_.sets[set].exists = test::FileExists(set);
    model_.ShowNew();
}

Walker::~Walker() {
    form_->SetModified(false);
    form_.reset();
}

void Walker::Key(QWidget* to, int key, int modifiers) {
    QTest::keyClick(to, static_cast<Qt::Key>(key), static_cast<Qt::KeyboardModifiers>(modifiers));
}

void Walker::Fail(const std::string& what) {
    if (failure_.empty()) failure_ = what;
}

std::optional<Shown> Walker::Expect(const std::string& text) {
    if (dialogs_.log.empty()) {
        Fail("expected the message " + Quoted(text) + ", none was shown");
        return std::nullopt;
    }
    Shown shown = dialogs_.log.front();
    dialogs_.log.erase(dialogs_.log.begin());
    if (shown.text != text)
        Fail("expected the message " + Quoted(text) + ", saw " + Quoted(shown.text));
    return shown;
}

std::string Walker::Run(const Step& step) {
    if (!Applicable(step.command)) return {};
    random_.seed(step.seed);
    failure_.clear();
    // A dialog that closed leaves activation where the platform puts it; the user's next key
    // goes to the main window, as after a click on it.
    QApplication::processEvents();
    if (!form_->isActiveWindow()) {
        form_->windowHandle()->requestActivate();
        QApplication::processEvents();
        if (!form_->isActiveWindow()) return "the window did not become active";
    }
    dialogs_.log.clear();
    try {
        (this->*Commands()[static_cast<std::size_t>(step.command)].act)();
    } catch (const std::exception& e) {
        Fail(std::string("the walker caught ") + e.what());
    }
    for (const Shown& s : dialogs_.log) Fail("unexpected message " + Quoted(s.text));
    if (!model_.screen.modified) model_.screen.unchangedText = model_.screen.text;
    if (std::getenv("WALK_TRACE")) Trace(step);
    dialogs_.log.clear();
    if (!failure_.empty()) return failure_;
    return Check();
}

void Walker::Trace(const Step& step) const {
    const Screen& s = model_.screen;
    std::fprintf(stderr,
                 "%s:%u -> page %s #%d%s%s, query %d at %d of %zu, text \"%s\", editor \"%s\"\n",
                 CommandNames()[static_cast<std::size_t>(step.command)].c_str(), step.seed,
                 s.id.c_str(), s.number, s.modified ? " modified" : "", s.locked ? " locked" : "",
                 model_.query.open, model_.query.pos, model_.query.ids.size(), s.text.c_str(),
                 form_->EditBox->toPlainText().toStdString().c_str());
}

std::string Walker::Check() {
    for (const auto& [path, set] : model_.sets)
        if (std::string f = CheckSet(path); !f.empty()) return f;
    // IDs are unique across a data set and its deleted pages.
    for (const auto& [path, set] : model_.sets) {
        if (IsDeletedPagesDataSet(path)) continue;
        std::map<std::string, int> ids;
        for (const std::string& both : {path, CounterpartOf(path)})
            for (const HeaderRecord& r : store_.ReadAllHeaders(both))
                if (++ids[r.Id()] > 1)
                    return "ID " + r.Id() + " is stored twice in " + path +
                           " and its deleted pages";
    }
    if (std::string f = CheckScreen(); !f.empty()) return f;
    return CheckSearch();
}

std::string Walker::CheckSet(const std::string& dataSet) {
    const std::string name = dataSet.substr(dir_.Path().size());
    const std::vector<ModelPage>& pages = model_.sets[dataSet].pages;
    const bool exists = model_.sets[dataSet].exists;
    if (test::FileExists(dataSet) != exists)
        return name + (exists ? " should exist" : " should not exist");
    const int count = store_.PageCount(dataSet);
    if (count != static_cast<int>(pages.size()))
        return name + " holds " + std::to_string(count) + " pages, expected " +
               std::to_string(pages.size());
    for (int n = 0; n < count; ++n) {
        const ModelPage& want = pages[static_cast<std::size_t>(n)];
        PageInfo info;
        std::string body;
        const std::string where = name + " page " + std::to_string(n) + " (" + want.id + ")";
        if (store_.ReadPageBody(dataSet, n, info, body) != 0 || body.empty())
            return where + " cannot be read";
        const bool readOnly = static_cast<unsigned char>(body.back()) == 0xFB;
        body.pop_back();
        if (!info.password.empty()) body = Rc4Bytes(PageKey(info.password), body);
        const std::string text = Normalised(richtext::PlainTextOf(body));
        if (info.id != want.id) return where + " has ID " + info.id;
        if (text != want.text)
            return where + " holds " + Quoted(text) + ", expected " + Quoted(want.text);
        if (readOnly != want.readOnly)
            return where + (want.readOnly ? " is not read-only" : " is read-only");
        if (PageKey(info.password) != PageKey(want.password))
            return where + " has password " + Quoted(info.password) + ", expected " +
                   Quoted(want.password);
        if (std::fabs(info.reminder - want.reminder) > 1e-5)
            return where + " has reminder " + std::to_string(info.reminder) + ", expected " +
                   std::to_string(want.reminder);
    }
    return {};
}

std::string Walker::CheckScreen() {
    workspace::TMainForm& f = *form_;
    const Screen& s = model_.screen;
    if (f.ws.dataSet != model_.current)
        return "the window shows data set " + f.ws.dataSet + ", expected " + model_.current;
    if (f.PwLocked() != s.locked) return s.locked ? "the page is not locked" : "the page is locked";
    if (f.EditRecNum->text().toStdString() != std::to_string(s.number))
        return "the page number box shows " + f.EditRecNum->text().toStdString() + ", expected " +
               std::to_string(s.number);
    if (f.ws.pageId != s.id)
        return "the window holds page ID " + Quoted(f.ws.pageId) + ", expected " + Quoted(s.id);
    if (f.Modified() != s.modified)
        return s.modified ? "the page's changes are not marked" : "the page is marked modified";
    if (f.UpdateButton->isEnabled() != s.modified)
        return s.modified ? "Update is disabled on a changed page"
                          : "Update is enabled on an unchanged page";
    if (f.CheckBoxReadOnly->isChecked() != s.readOnly) return "the read-only box is wrong";
    if (PageKey(f.ws.password) != PageKey(s.password))
        return "the window holds password " + Quoted(f.ws.password);
    const std::string editor = f.EditBox->toPlainText().toStdString();
    if (editor != s.text)
        return "the editor shows " + Quoted(editor) + ", expected " + Quoted(s.text);
    if (f.QueryMode() != model_.query.open)
        return model_.query.open ? "the query closed" : "a query is open";
    if (model_.query.open) {
        std::vector<std::string> ids(f.QueryList.begin() + (f.QueryList.empty() ? 0 : 1),
                                     f.QueryList.end());
        if (ids != model_.query.ids) return "the query holds other pages";
        if (f.QueryPos != model_.query.pos)
            return "the query is at " + std::to_string(f.QueryPos) + ", expected " +
                   std::to_string(model_.query.pos);
    }
    // The page on screen is the stored page of the number shown, or a page not yet written.
    if (!s.id.empty()) {
        if (store_.PageIdAt(model_.current, s.number) != s.id)
            return "page " + std::to_string(s.number) +
                   " on screen is not the stored page of that number";
    }
    return {};
}

std::string Walker::CheckSearch() {
    // Every word of every page of a data set (not of its deleted pages) finds the page, in the
    // index the window writes and in a search.
    for (const auto& [dataSet, set] : model_.sets) {
        if (IsDeletedPagesDataSet(dataSet) || set.pages.empty()) continue;
        IndexList index;
        LoadIndex(index, dataSet);
        index.Stops().Refresh(FolderOf(dataSet));
        for (const ModelPage& p : set.pages) {
            for (const std::string& word : IndexWordsOf(p.text, index.Stops()))
                if (!index.Entries().Contains(word + "=" + p.id))
                    return "the word " + Quoted(word) + " of page " + p.id + " is not in the index";
        }
        if (std::string f = SearchFinds(dataSet, set.pages[random_() % set.pages.size()], index);
            !f.empty())
            return f;
    }
    return {};
}

std::string Walker::SearchFinds(const std::string& dataSet, const ModelPage& p, IndexList& index) {
    const std::vector<std::string> words = IndexWordsOf(p.text, index.Stops());
    if (words.empty()) return {};
    const std::string word = words[random_() % words.size()];
    search::SearchSettings settings;
    settings.searchMessages = false;
    settings.today = clock_.Today();
    const search::SearchOutcome found =
        search::RunSearch(word, settings, dataSet, index.Entries(), store_);
    for (const std::string& id : found.ids)
        if (id == p.id) return {};
    return "a search for " + Quoted(word) + " does not find page " + p.id;
}

std::string Walker::SlowCheck() {
    for (const auto& [dataSet, set] : model_.sets) {
        if (!set.exists) continue;
        const std::string command =
            std::string(JB_CLI_PATH) + " check --json --data '" + dataSet + "' 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe) return "the check did not start";
        std::string out;
        char buffer[4096];
        while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
        pclose(pipe);
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);)
            if (line.find("\"damage\":true") != std::string::npos)
                return "the check finds: " + line;
    }
    return {};
}

std::string WalkFromSeed(std::uint32_t seed, int count, std::vector<Step>& steps) {
    Walker walker;
    std::mt19937 choose(seed);
    const int commands = static_cast<int>(Walker::CommandNames().size());
    for (int i = 0; i < count; ++i) {
        std::vector<int> open;
        for (int c = 0; c < commands; ++c)
            if (walker.Applicable(c))
                open.insert(open.end(), static_cast<std::size_t>(Walker::Weight(c)), c);
        const Step step{open[choose() % open.size()], static_cast<std::uint32_t>(choose())};
        steps.push_back(step);
        std::string failure = walker.Run(step);
        if (failure.empty() && (i % 50 == 49 || i == count - 1)) failure = walker.SlowCheck();
        if (!failure.empty()) return failure;
    }
    return {};
}

std::string Replay(const std::vector<Step>& steps, std::size_t* failedAt) {
    Walker walker;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        std::string failure = walker.Run(steps[i]);
        if (failure.empty() && i + 1 == steps.size()) failure = walker.SlowCheck();
        if (!failure.empty()) {
            if (failedAt) *failedAt = i;
            return failure;
        }
    }
    return {};
}

namespace {

// A failure's kind: its text without the numbers and IDs that change with the steps.
std::string Kind(const std::string& failure) {
    std::string out;
    for (char c : failure) out += (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') ? '#' : c;
    return out;
}

}  // namespace

std::vector<Step> Shrink(std::vector<Step> steps) {
    std::size_t at = 0;
    const std::string failure = Kind(Replay(steps, &at));
    if (failure.empty()) return steps;
    steps.resize(at + 1);
    // Chunks of halving size, then single steps, while the walk still fails.
    for (std::size_t chunk = steps.size() / 2; chunk >= 1; chunk /= 2) {
        for (std::size_t start = 0; start + chunk <= steps.size();) {
            std::vector<Step> fewer(steps.begin(),
                                    steps.begin() + static_cast<std::ptrdiff_t>(start));
            fewer.insert(fewer.end(), steps.begin() + static_cast<std::ptrdiff_t>(start + chunk),
                         steps.end());
            std::size_t failedAt = 0;
            if (!fewer.empty() && Kind(Replay(fewer, &failedAt)) == failure) {
                fewer.resize(failedAt + 1);
                steps = std::move(fewer);
            } else {
                start += chunk;
            }
        }
        if (chunk == 1) break;
    }
    return steps;
}

}  // namespace jb::walk
