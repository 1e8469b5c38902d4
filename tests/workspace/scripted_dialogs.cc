#include "workspace/scripted_dialogs.h"

#include <QApplication>
#include <QPrinter>
#include <gtest/gtest.h>

namespace jb::test {

void EnsureApplication() {
    if (QApplication::instance()) return;
    // Window tests never need a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "workspace_test";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

ScriptedDialogs::~ScriptedDialogs() {
    for (const Answer& a : messages_) ADD_FAILURE() << "expected message never shown: " << a.text.toStdString();
    if (!dates_.empty()) ADD_FAILURE() << dates_.size() << " expected reminder-date dialog(s) never shown";
    if (!fonts_.empty()) ADD_FAILURE() << fonts_.size() << " expected font dialog(s) never shown";
    for (const QString& f : openFiles_) ADD_FAILURE() << "expected file-open dialog never shown: " << f.toStdString();
    for (const QString& f : saveFiles_) ADD_FAILURE() << "expected file-save dialog never shown: " << f.toStdString();
    for (const ui::SavedFile& f : typedSaves_)
        ADD_FAILURE() << "expected typed save dialog never shown: " << f.path.toStdString();
    for (const ui::OpenedFiles& f : typedOpens_)
        ADD_FAILURE() << "expected typed open dialog never shown: " << f.paths.join(", ").toStdString();
    for (const QString& p : printers_) ADD_FAILURE() << "expected print dialog never shown: " << p.toStdString();
    if (!pagePasswords_.empty()) ADD_FAILURE() << pagePasswords_.size() << " expected Security dialog(s) never shown";
}

void ScriptedDialogs::Expect(const QString& text, ui::MessageButton answer, std::function<void()> meanwhile) {
    messages_.push_back({text, answer, std::move(meanwhile)});
}

void ScriptedDialogs::ExpectRemindDate(std::optional<double> chosen) { dates_.push_back(chosen); }

void ScriptedDialogs::ExpectFont(std::optional<ui::FontChoice> chosen) { fonts_.push_back(std::move(chosen)); }

void ScriptedDialogs::ExpectOpenFile(const QString& path) { openFiles_.push_back(path); }

void ScriptedDialogs::ExpectSaveFile(const QString& path) { saveFiles_.push_back(path); }

void ScriptedDialogs::ExpectPagePassword(bool typedRight) { pagePasswords_.push_back(typedRight); }

bool ScriptedDialogs::AskPagePassword(QWidget*, const QString& pageLabel, const std::string& expectedPassword) {
    pagePasswordRequests.push_back({pageLabel, expectedPassword});
    if (pagePasswords_.empty()) {
        ADD_FAILURE() << "unexpected Security dialog: " << pageLabel.toStdString();
        return false;
    }
    const bool answer = pagePasswords_.front();
    pagePasswords_.pop_front();
    return answer;
}

ui::MessageButton ScriptedDialogs::ShowMessage(QWidget*, const ui::MessageRequest& request) {
    shown.push_back(request);
    if (messages_.empty()) {
        ADD_FAILURE() << "unexpected message: " << request.text.toStdString();
        return request.defaultButton;
    }
    Answer next = messages_.front();
    messages_.pop_front();
    if (!next.text.isNull()) {
        EXPECT_EQ(next.text.toStdString(), request.text.toStdString());
    }
    EXPECT_TRUE(request.buttons & next.button) << "answer is not a button of the box: " << request.text.toStdString();
    if (next.meanwhile) next.meanwhile();
    return next.button;
}

std::optional<double> ScriptedDialogs::AskRemindDate(QWidget*, double proposedDate) {
    proposedDates.push_back(proposedDate);
    if (dates_.empty()) {
        ADD_FAILURE() << "unexpected reminder-date dialog";
        return std::nullopt;
    }
    std::optional<double> answer = dates_.front();
    dates_.pop_front();
    return answer;
}

std::optional<ui::FontChoice> ScriptedDialogs::AskFont(QWidget*, const QFont& font, const QColor& colour) {
    initialFonts.push_back({font, colour});
    if (fonts_.empty()) {
        ADD_FAILURE() << "unexpected font dialog";
        return std::nullopt;
    }
    std::optional<ui::FontChoice> answer = fonts_.front();
    fonts_.pop_front();
    return answer;
}

QString ScriptedDialogs::AskOpenFile(QWidget*, const QString& caption, const QString& filter,
                                     const QString& folder) {
    openFilters.push_back(filter);
    openFolders.push_back(folder);
    if (openFiles_.empty()) {
        ADD_FAILURE() << "unexpected file-open dialog: " << caption.toStdString();
        return {};
    }
    QString answer = openFiles_.front();
    openFiles_.pop_front();
    return answer;
}

QString ScriptedDialogs::AskSaveFile(QWidget*, const QString& caption, const QString& folder, const QString& filter,
                                     const QString& defaultSuffix) {
    saveRequests.push_back({caption, folder, filter, defaultSuffix});
    if (saveFiles_.empty()) {
        ADD_FAILURE() << "unexpected file-save dialog: " << caption.toStdString();
        return {};
    }
    QString answer = saveFiles_.front();
    saveFiles_.pop_front();
    return answer;
}

void ScriptedDialogs::ExpectSaveFileOfType(const QString& path, int typeIndex) {
    typedSaves_.push_back({path, typeIndex});
}

std::optional<ui::SavedFile> ScriptedDialogs::AskSaveFileOfType(QWidget*, const QString& caption,
                                                                const QString& folder, const QStringList& filters,
                                                                int selected) {
    typedSaveRequests.push_back({caption, folder, filters, selected});
    if (typedSaves_.empty()) {
        ADD_FAILURE() << "unexpected typed save dialog: " << caption.toStdString();
        return std::nullopt;
    }
    ui::SavedFile answer = typedSaves_.front();
    typedSaves_.pop_front();
    if (answer.path.isEmpty()) return std::nullopt;
    return answer;
}

void ScriptedDialogs::ExpectOpenFilesOfType(const QStringList& paths, int typeIndex) {
    typedOpens_.push_back({paths, typeIndex});
}

std::optional<ui::OpenedFiles> ScriptedDialogs::AskOpenFilesOfType(QWidget*, const QString& caption,
                                                                   const QString& folder, const QStringList& filters,
                                                                   int selected) {
    typedOpenRequests.push_back({caption, folder, filters, selected});
    if (typedOpens_.empty()) {
        ADD_FAILURE() << "unexpected typed open dialog: " << caption.toStdString();
        return std::nullopt;
    }
    ui::OpenedFiles answer = typedOpens_.front();
    typedOpens_.pop_front();
    if (answer.paths.isEmpty()) return std::nullopt;
    return answer;
}

void ScriptedDialogs::ExpectPrinter(const QString& pdfPath) { printers_.push_back(pdfPath); }

bool ScriptedDialogs::AskPrinter(QWidget*, QPrinter& printer) {
    ++printDialogs;
    if (printers_.empty()) {
        ADD_FAILURE() << "unexpected print dialog";
        return false;
    }
    const QString path = printers_.front();
    printers_.pop_front();
    if (path.isEmpty()) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    return true;
}

}  // namespace jb::test
