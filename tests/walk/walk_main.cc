// walk_runner: random walks through the main window.
//   walk_runner SEED STEPS      a walk from SEED; on a failure, the shrunk failing steps
//   walk_runner --replay STEPS  the steps as walk_runner printed them
// Exits 1 when an invariant broke.

#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "walk/walker.h"

int main(int argc, char** argv) {
    using namespace jb::walk;
    // The offscreen platform's notes about window features it lacks are no findings.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type != QtDebugMsg && type != QtInfoMsg && type != QtWarningMsg)
            std::cerr << text.toStdString() << "\n";
    });
    if (argc == 3 && std::string(argv[1]) == "--replay") {
        const auto steps = ParseSteps(argv[2]);
        if (!steps) {
            std::cerr << "walk_runner: steps not understood\n";
            return 2;
        }
        std::size_t at = 0;
        const std::string failure = Replay(*steps, &at);
        if (failure.empty()) {
            std::cout << "passed " << steps->size() << " steps\n";
            return 0;
        }
        std::cout << "failed at step " << at + 1 << ": " << failure << "\n";
        return 1;
    }
    if (argc != 3) {
        std::cerr << "usage: walk_runner SEED STEPS | walk_runner --replay STEPS\n";
        return 2;
    }
    const auto seed = static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10));
    const int count = std::atoi(argv[2]);
    std::vector<Step> steps;
    const std::string failure = WalkFromSeed(seed, count, steps);
    if (failure.empty()) {
        std::cout << "seed " << seed << ": " << steps.size() << " steps passed\n";
        return 0;
    }
    std::cout << "seed " << seed << " failed at step " << steps.size() << ": " << failure << "\n"
              << StepsText(steps) << "\n";
    const std::vector<Step> shrunk = Shrink(steps);
    std::size_t at = 0;
    std::cout << "shrunk to " << shrunk.size() << " steps: " << Replay(shrunk, &at) << "\n"
              << StepsText(shrunk) << "\n";
    return 1;
}
