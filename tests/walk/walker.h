#pragma once
// A random walk through the real main window: commands a user can give, each driven through
// the window's keys, menus and controls, every question answered at random, and after every
// step the data set compared with what the user expects (walk_model.h).
//
// A walk is a list of steps; a step is a command and the seed of its own random choices (what
// is typed, which answer is given), so that a step removed from a list leaves the others as
// they were: that is what shrinking a failing walk relies on.

#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "search/search_engine.h"
#include "store/clock.h"
#include "store/page_store.h"
#include "store/word_index.h"
#include "support/temp_dir.h"
#include "walk/random_dialogs.h"
#include "walk/walk_model.h"
#include "workspace/scripted_dialogs.h"

namespace jb::workspace {
class TMainForm;
}

namespace jb::walk {

struct Step {
    int command = 0;
    std::uint32_t seed = 0;
};

// "Name:seed Name:seed ...", and back; nullopt for a text that names no command.
std::string StepsText(const std::vector<Step>& steps);
std::optional<std::vector<Step>> ParseSteps(const std::string& text);

class Walker {
  public:
    Walker();
    ~Walker();

    // The commands, by index: their names.
    static const std::vector<std::string>& CommandNames();
    // Whether the command can be given now (a user would find it on screen).
    bool Applicable(int command) const;
    // How often a walk chooses the command.
    static int Weight(int command);
    // Runs one step (nothing when the command does not apply now) and checks every invariant;
    // the first broken one, or an empty text.
    std::string Run(const Step& step);
    // Checks the invariants that cost a process: the command-line check of both data sets.
    std::string SlowCheck();
    std::mt19937& Random() { return random_; }

  private:
    struct Command {
        const char* name;
        int weight;  // how often a walk chooses it, among those that apply
        bool (*applies)(const Walker&);
        void (Walker::*act)();
    };
    static const std::vector<Command>& Commands();

    // The user's commands (walker.cc, walk_commands.cc).
    void TypeText();
    void PressEnter();
    void Backspace();
    void Paste();
    void Update();
    void Add();
    void Zap();
    void NextPage();
    void PreviousPage();
    void TypePageNumber();
    void ToggleDeletedPages();
    void Search();
    void Reject();
    void Refine();
    void CloseQuery();
    void ToggleReadOnly();
    void SetPassword();
    void ClearPassword();
    void Unlock();
    void LeaveLockedPage();
    void ToggleReminder();
    void Undo();
    void NewDataSet();
    void OpenDataSet();
    void SaveAs();
    void Import();
    void Pack();
    void RebuildIndex();

    // How the window answers, as the user expects it.
    // The unsaved-changes question, when the page on screen has changes.
    void SettleUnsaved();
    // Update: the page on screen written to the current set (asking about a reminder unless it
    // is an import's page).
    void Commit(bool importing = false);
    void ShowNumber(int n);  // ShowPageNumber: settle, then show page n
    void QueryMove(int by);
    bool DropFromQuery(const std::string& id);
    void ShowQueryPage();
    // A search found `found` for `word`: its query is open, or nothing changed.
    void OpenFound(const std::string& word, const search::SearchOutcome& found);
    void Next(bool buttonEnabled);
    // A data set becomes current: the query closes, its first page (or a new one) is shown.
    void SwitchTo(const std::string& dataSet);
    void Previous(bool buttonEnabled);

    // The next logged message; a failure unless it has `text`.
    std::optional<Shown> Expect(const std::string& text);
    void Fail(const std::string& what);

    // WALK_TRACE set: the step and the page on screen, on standard error.
    void Trace(const Step& step) const;
    std::string Check();
    std::string CheckSet(const std::string& dataSet);
    std::string CheckScreen();
    std::string CheckSearch();
    // A search for a word of the page finds it.
    std::string SearchFinds(const std::string& dataSet, const ModelPage& page, IndexList& index);
    void Key(QWidget* to, int key, int modifiers = 0);

    test::TempDir dir_;
    std::mt19937 random_;  // the current step's choices
    RandomDialogs dialogs_{random_};
    FixedClock clock_{45000.5};
    test::RecordingDesktop desktop_;
    PageStore store_;
    std::unique_ptr<workspace::TMainForm> form_;
    Model model_;
    std::string failure_;
    bool searchMessages_ = false;  // the window's searches say when they find nothing
    bool refining_ = false;        // the window's searches refine the open query
};

// Runs `count` steps chosen from `seed` among the commands that apply at each step; `steps`
// gets the steps run. The first broken invariant, or an empty text.
std::string WalkFromSeed(std::uint32_t seed, int count, std::vector<Step>& steps);
// Runs the steps in a new window; `failedAt` gets the index of the failing step.
std::string Replay(const std::vector<Step>& steps, std::size_t* failedAt = nullptr);
// The shortest list it finds by removing steps that still fails.
std::vector<Step> Shrink(std::vector<Step> steps);

}  // namespace jb::walk
