// jotterbase-transfer: the work of "jotterbase-cli export" and "jotterbase-cli import", which
// need the desktop layer's document code. It runs Qt on its offscreen platform.

#include <QApplication>
#include <exception>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/transfer_commands.h"

namespace jb::cli {

int TransferUsage(const char* command, const char* usage, const std::string& problem) {
    std::cerr << "jotterbase-cli " << command << ": " << problem << "\nusage: jotterbase-cli " << usage << "\n";
    return 2;
}

int TransferNumber(const std::string& text, const std::string& what) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        throw std::invalid_argument("'" + text + "' is not " + what);
    return std::stoi(text);
}

}  // namespace jb::cli

namespace {

// Qt's notes about the platform (no runtime folder, no session) are not the user's business;
// standard error carries only what the command has to say.
void QuietQt(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << message.toStdString() << "\n";
}

}  // namespace

int main(int argc, char** argv) {
    const std::string first = argc > 1 ? argv[1] : "";
    if (first == "--help" || first == "-h" || first == "--version") {
        if (first == "--version")
            std::cout << "jotterbase-transfer " << JB_VERSION << "\n";
        else
            std::cout << "usage: jotterbase-transfer export|import ARGUMENTS\n"
                         "The export and import of jotterbase-cli; run them as 'jotterbase-cli export' and\n"
                         "'jotterbase-cli import' (see 'jotterbase-cli export --help').\n";
        return 0;
    }
    // A command-line program never needs a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietQt);
    QApplication app(argc, argv);
    const std::string command = argc > 1 ? argv[1] : "";
    const std::vector<std::string> words(argv + std::min(argc, 2), argv + argc);
    try {
        if (command == "export") return jb::cli::TransferExport(words);
        if (command == "import") return jb::cli::TransferImport(words);
        std::cerr << "jotterbase-transfer: run it as jotterbase-cli export or jotterbase-cli import\n";
        return 2;
    } catch (const std::invalid_argument& e) {
        return jb::cli::TransferUsage(command.c_str(),
                                      command == "export" ? jb::cli::kExportUsage : jb::cli::kImportUsage, e.what());
    } catch (const std::exception& e) {
        std::cerr << "jotterbase-cli " << command << ": " << e.what() << "\n";
        return 1;
    }
}
