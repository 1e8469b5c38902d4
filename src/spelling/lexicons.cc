#include <algorithm>
#include <memory>
#include <optional>

#include "spelling/spell_engine.h"
#include "store/file_system.h"
#include "store/io_error.h"

namespace jb {

namespace {

constexpr std::size_t kMaxSpellText = 255;

std::string WithFinalSlash(std::string_view folder) {
    std::string path(folder);
    if (!path.empty() && path.back() != '/') path += '/';
    return path;
}

std::string Cut(std::string text) {
    if (text.size() > kMaxSpellText) text.resize(kMaxSpellText);
    return text;
}

}  // namespace

std::string LexiconListPath(std::string_view programFolder, std::string_view dict) {
    return WithFinalSlash(programFolder) + std::string(dict) + ".Lexicon";
}

void SetUpLexiconLists(std::string_view programFolder, std::string_view dict, SpellEngine& engine,
                       FileSystem& fs) {
    std::string listPath = LexiconListPath(programFolder, dict);
    std::optional<std::string> firstLine;
    std::unique_ptr<File> file;
    if (fs.Exists(listPath)) file = fs.Open(listPath, OpenMode::kRead);
    if (file) {
        // Only the first 255 characters of the first line are used, so that much (and one byte
        // more to see the line's end) is all that is read.
        std::string head(kMaxSpellText + 1, '\0');
        std::size_t got = 0;
        try {
            while (got < head.size()) {
                std::size_t n = file->Read(head.data() + got, head.size() - got);
                if (n == 0) break;
                got += n;
            }
            head.resize(got);
            head.resize(std::min(head.find_first_of(std::string_view("\r\n", 2)), head.size()));
            firstLine = Cut(std::move(head));
        } catch (const IoError&) {
            // An unreadable list file counts as a missing one: the main lexicons stay as they were.
        }
    }
    if (firstLine) engine.SetMainLexFiles(*firstLine);
    engine.SetUserLexFiles(std::string(kUserLexiconFiles));
}

void SetLexiconFolders(std::string_view programFolder, SpellEngine& engine) {
    std::string folder = Cut(std::string(programFolder));
    engine.SetMainLexPath(folder);
    engine.SetUserLexPath(folder);
}

}  // namespace jb
