#pragma once
// A main window in a temporary program folder, driven through its real widgets, with the
// scripted Dialogs double, a recording Desktop and a fixed clock.

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <cstdio>
#include <memory>
#include <string>

#include "store/clock.h"
#include "store/page_store.h"
#include "support/temp_dir.h"
#include "workspace/main_form.h"
#include "workspace/scripted_dialogs.h"

namespace jb::test {

// 2023-03-15, 12:00.
inline constexpr double kNow = 45000.5;
inline constexpr double kToday = 45000.0;

// The ID MakePages gives page n: "0000000A" for page 0, "0000000B" for page 1, and so on.
inline std::string PageIdOf(int n) {
    char id[9];
    std::snprintf(id, sizeof id, "%08X", 0xA + n);
    return id;
}

class MainFormTest : public ::testing::Test {
protected:
    MainFormTest();
    ~MainFormTest() override;

    std::string DataSet() const { return dir.Path() + "data.jb"; }
    void WriteSettings(const std::string& iniText);
    // Pages "page 0" .. "page n-1" with IDs "0000000A" + i, created on day 44000 + i.
    void MakePages(int n);
    // Starts the window (FormShow); expects it to go on running.
    workspace::TMainForm& Start(const QStringList& parameters = {});
    // Starts it asking nothing about reminders, without a template, as the active window, so
    // that its keys reach it.
    workspace::TMainForm& StartActive();
    // The plain text of stored page n and its header info.
    std::string StoredText(int n, PageInfo* info = nullptr, const std::string& dataSet = {});
    QString EditorText() const;
    void Type(const QString& text);
    int PageCount(const std::string& dataSet = {});

    TempDir dir;
    ScriptedDialogs dialogs;
    FixedClock clock{kNow};
    RecordingDesktop desktop;
    PageStore store;
    std::unique_ptr<workspace::TMainForm> form;
};

}  // namespace jb::test
