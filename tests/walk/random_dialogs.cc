#include "walk/random_dialogs.h"

#include <cstdio>
#include <cstdlib>

namespace jb::walk {

namespace {

QString Take(std::deque<QString>& queue) {
    if (queue.empty()) return {};
    QString next = queue.front();
    queue.pop_front();
    return next;
}

}  // namespace

ui::MessageButton RandomDialogs::ShowMessage(QWidget*, const ui::MessageRequest& request) {
    std::vector<ui::MessageButton> offered;
    for (ui::MessageButton b : {ui::kButtonOk, ui::kButtonCancel, ui::kButtonYes, ui::kButtonNo})
        if (request.buttons & b) offered.push_back(b);
    const ui::MessageButton answer =
        offered.empty()
            ? request.defaultButton
            : offered[std::uniform_int_distribution<std::size_t>(0, offered.size() - 1)(random_)];
    log.push_back({request.text.toStdString(), answer, std::nullopt});
    if (std::getenv("WALK_TRACE"))
        std::fprintf(stderr, "    \"%s\" -> %u\n", request.text.toStdString().c_str(),
                     static_cast<unsigned>(answer));
    return answer;
}

std::optional<double> RandomDialogs::AskRemindDate(QWidget*, double) {
    std::optional<double> chosen;
    // Days well after the walk's today, at a whole quarter of a day: never due while it runs,
    // and exact in the time box.
    if (random_() % 3 != 0)
        chosen = 45100.0 + static_cast<double>(random_() % 400) + 0.25 * (random_() % 4);
    log.push_back({"<remind date>", ui::kButtonNone, chosen});
    return chosen;
}

QString RandomDialogs::AskOpenFile(QWidget*, const QString&, const QString&, const QString&) {
    log.push_back({"<open file>", ui::kButtonNone, std::nullopt});
    return Take(openFiles);
}

QString RandomDialogs::AskSaveFile(QWidget*, const QString&, const QString&, const QString&,
                                   const QString&) {
    log.push_back({"<save file>", ui::kButtonNone, std::nullopt});
    return Take(saveFiles);
}

std::optional<ui::OpenedFiles> RandomDialogs::AskOpenFilesOfType(QWidget*, const QString&,
                                                                 const QString&, const QStringList&,
                                                                 int) {
    log.push_back({"<import files>", ui::kButtonNone, std::nullopt});
    if (importFiles.empty()) return std::nullopt;
    ui::OpenedFiles files{importFiles.front(), 0};
    importFiles.pop_front();
    if (files.paths.isEmpty()) return std::nullopt;
    return files;
}

}  // namespace jb::walk
