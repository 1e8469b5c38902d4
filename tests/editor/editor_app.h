#pragma once
// One QApplication for the editor front tests, on the offscreen platform.

#include <QApplication>

namespace jb::editor::testing {

inline void EnsureApplication() {
    static int argc = 1;
    static char name[] = "editor_front_test";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (QApplication::instance() == nullptr) new QApplication(argc, argv);
}

}  // namespace jb::editor::testing
