#include "workspace/scripted_dialogs.h"

#include <QApplication>
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
}

void ScriptedDialogs::Expect(const QString& text, ui::MessageButton answer) { messages_.push_back({text, answer}); }

void ScriptedDialogs::ExpectRemindDate(std::optional<double> chosen) { dates_.push_back(chosen); }

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

}  // namespace jb::test
