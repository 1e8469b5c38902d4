// jotterbase-cli import: the same pages as the window's import of the same files, cut by the
// same layout, stored and indexed as Update stores and indexes them.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/cli_command.h"
#include "app/transfer_commands.h"
#include "store/io_error.h"
#include "store/page_store.h"
#include "store/word_index.h"
#include "transfer/file_types.h"
#include "transfer/page_cutter.h"

namespace jb::cli {
namespace {

// The import type of --type, as an index of the import file types; rich text when it is not
// given.
int ImportTypeIndex(const Args& args) {
    const std::string type = args.Value("type").value_or("rtf");
    static const char* const names[] = {"rtf", "txt", "html", "md"};
    for (int i = 0; i < 4; ++i)
        if (type == names[i]) return i;
    throw std::invalid_argument("'" + type + "' is not an import type: rtf|txt|html|md");
}

// What a binary file is refused with, and a text file that its type cannot read.
std::string RefusalOf(const std::string& file, transfer::FileKind kind, transfer::ImportContent content) {
    if (content == transfer::ImportContent::kBinary)
        return file + " cannot be read: it is not a text, RTF, HTML or Markdown file";
    return file + " cannot be read as " + (kind == transfer::FileKind::kRichText ? "rich text" : "text");
}

// File names are bytes: a name that is not UTF-8 could not pass through a QString unchanged, so
// the file is reached by its bytes.
std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw IoError(path, "The file cannot be read");
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) throw IoError(path, "The file cannot be read");
    return bytes;
}

bool IsFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(std::filesystem::path(path), error);
}

}  // namespace

int TransferImport(const std::vector<std::string>& words) {
    Args args = ParseArgs(words, kImportValued);
    if (args.words.empty()) return TransferUsage("import", kImportUsage, "name the files to import");
    const bool dos = args.Has("dos");
    const int typeIndex = ImportTypeIndex(args);
    // Without --type, a file's extension says what it is.
    const transfer::TypeChoice choice =
        args.Has("type") ? transfer::TypeChoice::kChosen : transfer::TypeChoice::kDefault;
    const std::string dataSet = DataSetPath(args);
    // Every file must be there before the first page is made, as the window stops at a missing one.
    for (const std::string& file : args.words) {
        if (!IsFile(file)) {
            std::cerr << "jotterbase-cli import: The file you have selected does not exist. (" << file << ")\n";
            return 1;
        }
    }
    PageStore store;
    StopWords stops(store.Files());
    int made = 0;
    int status = 0;
    for (const std::string& file : args.words) {
        const transfer::FileKind kind =
            dos ? transfer::FileKind::kPlainText : transfer::ImportKindOf(file, typeIndex, choice);
        transfer::ImportContent content = transfer::ImportContent::kText;
        std::unique_ptr<transfer::ParagraphSource> source = transfer::OpenImportSource(ReadFile(file), kind, &content);
        if (!source) {
            std::cerr << "jotterbase-cli import: " << RefusalOf(file, kind, content) << "; nothing of it is imported\n";
            status = 1;
            break;
        }
        transfer::PageCutter cutter(*source, dos);
        std::string rtf;
        bool any = false;
        while (cutter.NextPiece(rtf)) {
            any = true;
            const transfer::StoredPage page = transfer::PageAsStored(rtf);
            const std::string id = store.NewPageId(dataSet);
            // Each page's index entries go into the index file with the page, before its record.
            IndexAppend entries = PageEntriesAppend(stops, dataSet, id, page.plainText);
            int n = 0;
            if (unsigned s = store.AppendPage(dataSet, "", false, id, page.rtf, 0, store.Time().Today(), n, &entries);
                s != kStatusOk)
                throw std::runtime_error("Error #" + std::to_string(s) + " occured writing page " + std::to_string(n));
            std::cout << n << "\t" << id << "\n";
            if (!entries.error.empty()) std::cerr << UnindexedPageMessage(n, id, dataSet, entries.error);
            ++made;
        }
        if (!any) std::cerr << "jotterbase-cli import: " << file << " holds no text: no page was made from it\n";
    }
    return status;
}

}  // namespace jb::cli
