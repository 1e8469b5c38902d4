// A test-only driver of the real main window (offscreen): it opens a data set, and for each page
// presses Add, types a line with a marker word and presses Update. After each Update that stored
// the page it prints "stored <page number> <marker> <ID>" and flushes, so that a test that kills
// it at any instant knows which pages the window had reported written.
//
//   window_update_driver --folder DIR --data NAME [--pages N] [--prefix P] [--start K]
//   window_update_driver --folder DIR --data NAME --edit N [--prefix P] [--start K]
//
// DIR is used as the program folder (its JotBase.ini is written afresh: the data set NAME, no
// template, no reminder question). Markers are P followed by K, K+1, ... in six digits. After N
// pages (default 20) the window is closed as the user would close it, which saves its index.
// With --edit N it instead shows page N, prints "showing <N> <ID>", waits for a line on standard
// input (so that another program can change the data set meanwhile), then types the marker at the
// end of the page and presses Update, and prints "updated <N> <marker> <ID>". When the line is
// "zap" it presses Zap instead, answers Yes, and prints "zapped <ID>".
// With --close-edit N it shows page N, types the marker at its end, prints "edited <N> <ID>" and
// waits for a line; then it closes the window as File > Exit does (the question about saving is
// answered with its default, Yes) and prints "open" when the window stayed open or "closed"; while
// it is open it waits for another line and tries again.
// A message the window shows (another program held the data set too long, a file failed) is
// printed as "message <text>" on standard error and answered with its default button; the page
// is then reported as "failed <marker>" and the driver goes on with the next.

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QToolButton>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "workspace/desktop.h"
#include "workspace/dialogs.h"
#include "workspace/main_form.h"

namespace {

class AnsweringDialogs final : public jb::ui::Dialogs {
public:
    jb::ui::MessageButton ShowMessage(QWidget*, const jb::ui::MessageRequest& request) override {
        ++shown;
        last = request.text;
        std::fprintf(stderr, "message %s\n", request.text.toLocal8Bit().constData());
        std::fflush(stderr);
        if (yes && (request.buttons & jb::ui::kButtonYes)) return jb::ui::kButtonYes;
        return request.defaultButton;
    }
    std::optional<double> AskRemindDate(QWidget*, double) override { return std::nullopt; }
    int shown = 0;
    bool yes = false;  // a question is answered Yes
    QString last;      // the text of the last message
};

class QuietDesktop final : public jb::ui::Desktop {
public:
    void PlaySound(const QString&) override {}
    void RunCommandLine(const QString&) override {}
    bool StartProgram(const QString&, const QStringList&) override { return false; }
    void StartHidden(const QString&, const QStringList&) override {}
    bool OpenUrl(const QString&) override { return false; }
    void AlertWindow(QWidget*) override {}
    void ShowHelp(QWidget*, const QString&, int) override {}
};

int Usage() {
    std::fprintf(stderr,
                 "usage: window_update_driver --folder DIR --data NAME [--pages N] [--prefix P] [--start K]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    std::string folder, data, prefix = "WINMARK";
    int pages = 20, start = 0, edit = -1, closeEdit = -1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) return Usage();
        const std::string value = argv[++i];
        if (arg == "--folder") folder = value;
        else if (arg == "--data") data = value;
        else if (arg == "--prefix") prefix = value;
        else if (arg == "--pages") pages = std::atoi(value.c_str());
        else if (arg == "--start") start = std::atoi(value.c_str());
        else if (arg == "--edit") edit = std::atoi(value.c_str());
        else if (arg == "--close-edit") closeEdit = std::atoi(value.c_str());
        else return Usage();
    }
    if (folder.empty() || data.empty() || pages < 0) return Usage();
    if (folder.back() != '/') folder += '/';
    {
        std::ofstream ini(folder + "JotBase.ini", std::ios::binary | std::ios::trunc);
        ini << "[Database]\r\nActiveData=" << data << "\r\n[Remind]\r\nOnNoDateAlready=2\r\n[Template]\r\nDef=none\r\n";
        if (!ini) {
            std::fprintf(stderr, "window_update_driver: cannot write %sJotBase.ini\n", folder.c_str());
            return 1;
        }
    }

    QApplication app(argc, argv);
    AnsweringDialogs dialogs;
    QuietDesktop desktop;
    jb::workspace::TMainForm form({dialogs, jb::Clock::System(), desktop, folder});
    if (!form.FormShow()) return 1;
    int failed = 0;
    if (closeEdit >= 0) {
        char marker[64];
        std::snprintf(marker, sizeof marker, "%s%06d", prefix.c_str(), start);
        form.ShowPageNumber(closeEdit);
        form.EditBox->moveCursor(QTextCursor::End);
        QTest::keyClicks(form.EditBox, QString(" ") + marker);
        std::printf("edited %d %s\n", form.ws.pageNumber, form.ws.pageId.c_str());
        std::fflush(stdout);
        for (std::string line; std::getline(std::cin, line);) {
            form.Exit1->trigger();
            std::printf("%s\n", form.isVisible() ? "open" : "closed");
            std::fflush(stdout);
            if (!form.isVisible()) return 0;
        }
        return 1;
    }
    if (edit >= 0) {
        char marker[64];
        std::snprintf(marker, sizeof marker, "%s%06d", prefix.c_str(), start);
        form.ShowPageNumber(edit);
        std::printf("showing %d %s\n", form.ws.pageNumber, form.ws.pageId.c_str());
        std::fflush(stdout);
        std::string line;
        std::getline(std::cin, line);
        const int before = dialogs.shown;
        if (line == "zap") {
            const std::string id = form.ws.pageId;
            dialogs.yes = true;
            form.ZapButton->click();
            // Only the question is shown when the page moves.
            const bool zapped = dialogs.shown == before + 1 && dialogs.last.startsWith("Are you sure");
            std::printf("%s %s\n", zapped ? "zapped" : "failed", id.c_str());
            std::fflush(stdout);
            form.close();
            return zapped ? 0 : 1;
        }
        form.EditBox->moveCursor(QTextCursor::End);
        QTest::keyClicks(form.EditBox, QString(" ") + marker);
        form.UpdateButton->click();
        const bool ok = dialogs.shown == before && !form.Modified();
        std::printf("%s %d %s %s\n", ok ? "updated" : "failed", form.ws.pageNumber, marker, form.ws.pageId.c_str());
        std::fflush(stdout);
        form.close();
        return ok ? 0 : 1;
    }
    for (int i = 0; i < pages; ++i) {
        char marker[64];
        std::snprintf(marker, sizeof marker, "%s%06d", prefix.c_str(), start + i);
        const int before = dialogs.shown;
        form.AddButton->click();
        QTest::keyClicks(form.EditBox, QString("window page ") + marker + " written by Update");
        form.UpdateButton->click();
        if (dialogs.shown != before || form.Modified() || form.ws.pageId.empty()) {
            std::printf("failed %s\n", marker);
            ++failed;
        } else {
            std::printf("stored %d %s %s\n", form.ws.pageNumber, marker, form.ws.pageId.c_str());
        }
        std::fflush(stdout);
    }
    form.close();
    return failed == 0 ? 0 : 1;
}
