// The CLI commands that read and write page text: show and add.

#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "app/cli_command.h"
#include "richtext/richtext.h"
#include "store/dates.h"
#include "store/page_store.h"
#include "store/word_index.h"

namespace jb::cli {

namespace {

// "yyyy-mm-ddThh:mm" (or with a space for the T).
double ParseReminder(const std::string& text) {
    int y, mo, d, h, mi;
    char sep;
    if (text.size() != 16 || std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d", &y, &mo, &d, &sep, &h, &mi) != 6 ||
        (sep != 'T' && sep != ' ') || h > 23 || mi > 59 || !IsValidCivil({y, mo, d}))
        throw std::invalid_argument("--reminder takes a date and time as yyyy-mm-ddThh:mm, not '" + text + "'");
    return DateTimeFrom({y, mo, d}, h, mi);
}

void CheckPassword(const std::string& password) {
    if (password.size() < 3 || password.size() > 8 || password.find(' ') != std::string::npos)
        throw std::invalid_argument("a password has 3 to 8 characters and no spaces");
}

std::string ReadInput(const Args& args) {
    if (auto file = args.Value("file")) {
        std::ifstream in(*file, std::ios::binary);
        if (!in) throw std::invalid_argument("cannot read " + *file);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    return std::string(std::istreambuf_iterator<char>(std::cin), {});
}

bool LooksLikeRtf(std::string_view text) { return text.substr(0, 5) == "{\\rtf"; }

// A text's last line ending ends its last line, as an imported text file's does; it does not
// begin an empty paragraph.
std::string_view WithoutLastLineEnd(std::string_view text) {
    if (text.ends_with('\n')) text.remove_suffix(1);
    if (text.ends_with('\r')) text.remove_suffix(1);
    return text;
}

}  // namespace

int RunShow(const Args& args, std::ostream& out, std::ostream& err) {
    std::string body;
    if (!ReadPageText(args, DataSetPath(args), PageNumberArgument(args), body, err)) return 1;
    if (args.Has("rtf")) {
        out << body;
        return 0;
    }
    // The text the editor holds, a line for each of its paragraphs: the last one ends with a line
    // feed too, so that empty paragraphs at the end are lines of their own.
    out << richtext::PlainTextOf(body) << "\n";
    return 0;
}

int RunAdd(const Args& args, std::ostream& out, std::ostream& err) {
    const std::string dataSet = DataSetPath(args);
    const std::string password = args.Value("password").value_or("");
    if (args.Has("password")) CheckPassword(password);
    const double reminder = args.Has("reminder") ? ParseReminder(*args.Value("reminder")) : 0;
    std::string input = ReadInput(args);
    std::string rtf = LooksLikeRtf(input) ? input : richtext::RtfFromPlainText(WithoutLastLineEnd(input));

    PageStore store;
    const std::string id = store.NewPageId(dataSet);
    // The page's index entries go into the index file with the page, before its record.
    StopWords stops(store.Files());
    IndexAppend entries = PageEntriesAppend(stops, dataSet, id, richtext::PlainTextOf(rtf));
    int n = 0;
    if (unsigned status = store.AppendPage(dataSet, password, args.Has("read-only"), id, rtf, reminder,
                                           store.Time().Today(), n, &entries);
        status != kStatusOk)
        throw std::runtime_error("Error #" + std::to_string(status) + " occured writing the page");

    // The page is stored: from here on a failure must not read as if it were not, or a retry
    // would store it twice.
    out << n << "\t" << id << "\n";
    if (!entries.error.empty()) err << UnindexedPageMessage(n, id, dataSet, entries.error);
    return 0;
}

}  // namespace jb::cli
