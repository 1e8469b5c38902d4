// jotterbase-cli export: assembles pages in the same document as the window's export and
// writes the same file.

#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/cli_command.h"
#include "app/transfer_commands.h"
#include "protect/page_key.h"
#include "search/query_files.h"
#include "store/page_store.h"
#include "transfer/document_output.h"
#include "transfer/file_types.h"
#include "transfer/page_assembly.h"

namespace {

using jb::transfer::FileKind;

int Usage(const std::string& problem) { return jb::cli::TransferUsage("export", jb::cli::kExportUsage, problem); }

int NumberOf(const std::string& text, const std::string& what) { return jb::cli::TransferNumber(text, what); }

// --password N=P, as often as needed: page number to password.
std::map<int, std::string> Passwords(const jb::cli::Args& args) {
    std::map<int, std::string> passwords;
    for (const auto& [name, value] : args.options) {
        if (name != "password") continue;
        const std::size_t eq = value.find('=');
        if (eq == std::string::npos) throw std::invalid_argument("--password takes N=PASSWORD, not '" + value + "'");
        passwords[NumberOf(value.substr(0, eq), "a page number")] = value.substr(eq + 1);
    }
    return passwords;
}

// The format named by --format, else by the output file's extension.
int FileTypeIndex(const jb::cli::Args& args, const std::string& output) {
    std::string format = args.Value("format").value_or("");
    if (format.empty()) {
        format = QFileInfo(QString::fromStdString(output)).suffix().toLower().toStdString();
        if (format == "htm") format = "html";
    }
    const int index = jb::transfer::ExportTypeOfFormat(format);
    if (index < 0)
        throw std::invalid_argument(format.empty() ? "give --format rtf|txt|html|odt|md|pdf"
                                                   : "'" + format + "' is not a format: rtf|txt|html|odt|md|pdf");
    return index;
}

// Writes the document to `output`, named by its bytes. Qt reaches a file only through a
// QString, which cannot hold a name that is not UTF-8; such a file is written under a plain
// name in its folder (reached through the folder's descriptor) and renamed to its own name.
bool Save(const QTextDocument& doc, const std::string& output, FileKind kind, const QString& title) {
    const QString name = QFile::decodeName(QByteArray::fromStdString(output));
    if (QFile::encodeName(name).toStdString() == output) return jb::transfer::SaveDocument(doc, name, kind, title);
    const std::filesystem::path target(output);
    const std::string folder = target.has_parent_path() ? target.parent_path().string() : std::string(".");
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const std::string plain = ".jotterbase-export-" + std::to_string(::getpid());
    const QString via = QStringLiteral("/proc/self/fd/%1/").arg(fd) + QString::fromStdString(plain);
    bool saved = jb::transfer::SaveDocument(doc, via, kind, title) &&
                 ::renameat(fd, plain.c_str(), fd, target.filename().c_str()) == 0;
    if (!saved) ::unlinkat(fd, plain.c_str(), 0);
    ::close(fd);
    return saved;
}

}  // namespace

namespace jb::cli {

int TransferExport(const std::vector<std::string>& words) {
    const jb::cli::Args args = jb::cli::ParseArgs(words, kExportValued);
    const std::string output = args.Value("output").value_or("");
    if (!args.words.empty()) return Usage("'" + args.words.front() + "' is not an option of export");
    if (output.empty()) return Usage("give the file to write with -o FILE");
    const int choices = args.Has("page") + args.Has("range") + args.Has("query");
    if (choices != 1) return Usage("give one of --page, --range and --query");
    const int typeIndex = FileTypeIndex(args, output);
    const std::map<int, std::string> passwords = Passwords(args);

    const std::string dataSet = jb::cli::DataSetPath(args);
    jb::PageStore store;
    const int count = store.PageCount(dataSet);
    auto checkPage = [&](int n) {
        if (n >= count) throw std::invalid_argument("There is no page " + std::to_string(n) + " in " + dataSet);
    };

    jb::transfer::AssemblyOptions options;
    options.marks = !args.Has("no-marks");
    options.unlock = [&](int page, const std::string& stored) {
        auto given = passwords.find(page);
        if (given == passwords.end()) {
            std::cerr << "jotterbase-cli export: page " << page
                      << " is protected and left out; give its password with --password " << page << "=PASSWORD\n";
            return false;
        }
        // Passwords differing only in letter case open the same page.
        if (jb::PageKey(given->second) != jb::PageKey(stored)) {
            std::cerr << "jotterbase-cli export: wrong password for page " << page << "; the page is left out\n";
            return false;
        }
        return true;
    };

    jb::transfer::PageAssembly r1;
    QString title;
    if (auto page = args.Value("page")) {
        const int n = NumberOf(*page, "a page number");
        checkPage(n);
        // One page goes out as the window's editor holds it: no separator lines.
        jb::transfer::AssemblyOptions single = options;
        single.marks = false;
        r1.AppendRange(store, dataSet, n, n, single);
        title = jb::transfer::kPageTitle;
    } else if (auto range = args.Value("range")) {
        const std::size_t dash = range->find('-');
        if (dash == std::string::npos) throw std::invalid_argument("--range takes FROM-TO, not '" + *range + "'");
        const int from = NumberOf(range->substr(0, dash), "a page number");
        const int to = NumberOf(range->substr(dash + 1), "a page number");
        if (to >= from) checkPage(to);
        r1.AppendRange(store, dataSet, from, to, options);
        title = jb::transfer::RangeTitle(from, to);
    } else {
        const std::string file = *args.Value("query");
        const auto lines = jb::search::ReadTextLines(file);
        if (!lines) {
            std::cerr << "jotterbase-cli export: The query which you have selected does not appear to exist. (" << file
                      << ")\n";
            return 1;
        }
        r1.AppendQuery(store, dataSet, *lines, options);
        title = jb::transfer::kQueryTitle;
    }
    const jb::transfer::FileType& type = jb::transfer::ExportFileTypes()[static_cast<std::size_t>(typeIndex)];
    if (!Save(r1.Document(), output, type.kind, title)) {
        std::cerr << "jotterbase-cli export: " << output << " could not be written\n";
        return 1;
    }
    std::cout << "Wrote " << output << "\n";
    return 0;
}


}  // namespace jb::cli
