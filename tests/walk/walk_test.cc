// Random walks through the main window from fixed seeds, and the walks that once found a fault,
// each checked against what the user expects after every step.

#include <gtest/gtest.h>

#include "walk/walker.h"

namespace jb::walk {
namespace {

TEST(WindowWalk, FixedSeedsKeepEveryStoredPageAsTheUserLeftIt) {
    for (std::uint32_t seed : {1u, 2u, 3u}) {
        std::vector<Step> steps;
        const std::string failure = WalkFromSeed(seed, 300, steps);
        EXPECT_EQ("", failure) << "seed " << seed << " at step " << steps.size() << ": "
                               << StepsText(steps);
    }
}

// Each walk was shrunk from a random walk that broke an invariant; the comment says what broke.
TEST(WindowWalk, WalksThatOnceFoundAFault) {
    const struct {
        const char* fault;
        const char* steps;
    } walks[] = {
        {"a page restored with text typed among the deleted pages was not found by its new words",
         "Paste:32397368 Search:1358173078 Zap:3767636404 DeletedPages:1700316789 Type:1606108092 "
         "Zap:2375356088"},
        {"a page typed as a new page, saved on the way to a typed page number, took the box's "
         "number",
         "Type:860983096 Add:3715115683 Type:2325238137 PageNumber:1325109806"},
        {"Reject asked about the unsaved changes twice, and the second Yes left the window's page "
         "number on the page it left",
         "Type:4230666558 Search:668361759 Zap:2914152050 Paste:1900568149 DeletedPages:3426637731 "
         "Zap:3787716137 DeletedPages:3982509839 Search:2919136326 SetPassword:2109680170 "
         "Reject:2287476813"},
        {"Undo back to the page as it was left Update enabled and the page marked modified, so "
         "that "
         "Update wrote a blank new page",
         "Paste:1326262556 Undo:3244243891 Update:838827343"},
    };
    for (const auto& w : walks) {
        SCOPED_TRACE(w.fault);
        const std::optional<std::vector<Step>> steps = ParseSteps(w.steps);
        ASSERT_TRUE(steps);
        std::size_t at = 0;
        const std::string failure = Replay(*steps, &at);
        EXPECT_EQ("", failure) << "at step " << at + 1;
    }
}

}  // namespace
}  // namespace jb::walk
