#pragma once
// Test doubles of the window's seams. ScriptedDialogs answers from a queue, records every
// message shown and fails the test on a message nobody expected; RecordingDesktop records.

#include <QString>
#include <deque>
#include <functional>
#include <ostream>
#include <optional>
#include <string>
#include <vector>

#include "workspace/desktop.h"
#include "workspace/dialogs.h"

// Test failures show Qt strings as text.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace jb::test {

// A QApplication for the whole test program (offscreen under CTest).
void EnsureApplication();

class ScriptedDialogs final : public ui::Dialogs {
public:
    ~ScriptedDialogs() override;

    // The next message must have this text (a null QString takes any); it is answered with
    // `answer`, after `meanwhile` has run (what another program does while the message is up).
    void Expect(const QString& text, ui::MessageButton answer = ui::kButtonOk,
                std::function<void()> meanwhile = {});
    // The next reminder-date dialog ends with OK and this date-time, or with Cancel (nullopt).
    void ExpectRemindDate(std::optional<double> chosen);
    // The next font dialog ends with OK and this choice, or with Cancel (nullopt).
    void ExpectFont(std::optional<ui::FontChoice> chosen);
    // The next file-open dialog ends with this path (empty: Cancel).
    void ExpectOpenFile(const QString& path);
    // The next file-save dialog ends with this path (empty: Cancel).
    void ExpectSaveFile(const QString& path);
    // The next typed save dialog ends with this path and file type (empty path: Cancel).
    void ExpectSaveFileOfType(const QString& path, int typeIndex);
    // The next typed open dialog ends with these files and file type (no files: Cancel).
    void ExpectOpenFilesOfType(const QStringList& paths, int typeIndex);
    // The next print dialog ends with OK and a PDF printer writing to `pdfPath`, or with Cancel
    // (an empty path).
    void ExpectPrinter(const QString& pdfPath);
    // The next Security dialog ends with OK and the right password (true) or with Cancel.
    void ExpectPagePassword(bool typedRight);
    // Every expected message and dialog has been shown.
    bool Done() const {
        return messages_.empty() && dates_.empty() && fonts_.empty() && openFiles_.empty() && saveFiles_.empty() &&
               pagePasswords_.empty() && typedSaves_.empty() && printers_.empty() && typedOpens_.empty();
    }

    ui::MessageButton ShowMessage(QWidget* parent, const ui::MessageRequest& request) override;
    std::optional<double> AskRemindDate(QWidget* parent, double proposedDate) override;
    std::optional<ui::FontChoice> AskFont(QWidget* parent, const QFont& font, const QColor& colour) override;
    QString AskOpenFile(QWidget* parent, const QString& caption, const QString& filter,
                        const QString& folder) override;
    std::optional<ui::SavedFile> AskSaveFileOfType(QWidget* parent, const QString& caption, const QString& folder,
                                                   const QStringList& filters, int selected) override;
    bool AskPrinter(QWidget* parent, QPrinter& printer) override;
    std::optional<ui::OpenedFiles> AskOpenFilesOfType(QWidget* parent, const QString& caption, const QString& folder,
                                                      const QStringList& filters, int selected) override;
    QString AskSaveFile(QWidget* parent, const QString& caption, const QString& folder, const QString& filter,
                        const QString& defaultSuffix) override;
    bool AskPagePassword(QWidget* parent, const QString& pageLabel, const std::string& expectedPassword) override;

    std::vector<ui::MessageRequest> shown;  // every message, in order
    std::vector<double> proposedDates;      // what each reminder-date dialog proposed
    std::vector<ui::FontChoice> initialFonts;  // what each font dialog started at
    std::vector<QString> openFilters;       // the filter of each file-open dialog
    std::vector<QString> openFolders;       // the starting folder of each file-open dialog
    struct TypedSaveRequest {
        QString caption, folder;
        QStringList filters;
        int selected;
    };
    std::vector<TypedSaveRequest> typedSaveRequests;  // every typed save dialog
    int printDialogs = 0;                             // print dialogs shown
    std::vector<TypedSaveRequest> typedOpenRequests;  // every typed open dialog
    struct SaveRequest {
        QString caption, folder, filter, defaultSuffix;
    };
    std::vector<SaveRequest> saveRequests;  // every file-save dialog
    struct PagePasswordRequest {
        QString pageLabel;
        std::string expectedPassword;
    };
    std::vector<PagePasswordRequest> pagePasswordRequests;  // every Security dialog

private:
    struct Answer {
        QString text;
        ui::MessageButton button;
        std::function<void()> meanwhile;
    };
    std::deque<Answer> messages_;
    std::deque<std::optional<double>> dates_;
    std::deque<std::optional<ui::FontChoice>> fonts_;
    std::deque<QString> openFiles_;
    std::deque<QString> saveFiles_;
    std::deque<bool> pagePasswords_;
    std::deque<ui::SavedFile> typedSaves_;
    std::deque<QString> printers_;
    std::deque<ui::OpenedFiles> typedOpens_;
};

class RecordingDesktop final : public ui::Desktop {
public:
    void PlaySound(const QString& file) override { calls.push_back("sound " + file); }
    void RunCommandLine(const QString& commandLine) override { calls.push_back("run " + commandLine); }
    bool StartProgram(const QString& program, const QStringList& arguments) override {
        calls.push_back("program " + program + (arguments.isEmpty() ? "" : "|" + arguments.join('|')));
        return programsStart;
    }
    void StartHidden(const QString& program, const QStringList& arguments) override {
        calls.push_back(("start " + program + " " + arguments.join(" ")).trimmed());
    }
    bool OpenUrl(const QString& url) override {
        calls.push_back("url " + url);
        return browserStarts;
    }
    void AlertWindow(QWidget*) override { calls.push_back("alert"); }
    void ShowHelp(QWidget*, const QString& helpFile, int context) override {
        calls.push_back(QString("help %1 %2").arg(helpFile).arg(context));
    }
    std::vector<QString> calls;
    bool programsStart = true;  // what StartProgram answers
    bool browserStarts = true;  // what OpenUrl answers
};

}  // namespace jb::test
