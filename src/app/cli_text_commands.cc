// The CLI commands that read and write page text: show and add.

#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "app/cli_command.h"
#include "protect/decipher.h"
#include "protect/page_key.h"
#include "richtext/richtext.h"
#include "store/dates.h"
#include "store/page_store.h"
#include "store/word_index.h"

namespace jb::cli {

namespace {

int PageNumberOf(const Args& args) {
    if (args.words.size() != 1) throw std::invalid_argument("give exactly one page number");
    const std::string& w = args.words[0];
    if (w.empty() || w.size() > 9 || w.find_first_not_of("0123456789") != std::string::npos)
        throw std::invalid_argument("'" + w + "' is not a page number");
    return std::stoi(w);
}

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

}  // namespace

int RunShow(const Args& args, std::ostream& out, std::ostream& err) {
    PageStore store;
    const std::string dataSet = DataSetPath(args);
    const int n = PageNumberOf(args);
    PageInfo info;
    std::string body;
    if (unsigned status = store.ReadPageBody(dataSet, n, info, body); status != kStatusOk) {
        err << "jotterbase-cli: Error #" << status << " occurred reading page " << n << "\n";
        return 1;
    }
    if (body.empty()) {
        err << "jotterbase-cli: page " << n << " is deleted and has no text\n";
        return 1;
    }
    body.pop_back();  // the trailer byte
    if (!info.password.empty()) {
        auto typed = args.Value("password");
        if (!typed) {
            err << "jotterbase-cli: page " << n << " is protected: give its password with --password\n";
            return 1;
        }
        if (PageKey(*typed) != PageKey(info.password)) {
            err << "jotterbase-cli: wrong password for page " << n << "\n";
            return 1;
        }
        body = Rc4Bytes(PageKey(info.password), body);
    }
    if (args.Has("rtf")) {
        out << body;
    } else {
        std::string text = richtext::PlainTextOf(body);
        out << text;
        if (!text.empty() && text.back() != '\n') out << "\n";
    }
    return 0;
}

int RunAdd(const Args& args, std::ostream& out, std::ostream&) {
    const std::string dataSet = DataSetPath(args);
    const std::string password = args.Value("password").value_or("");
    if (args.Has("password")) CheckPassword(password);
    const double reminder = args.Has("reminder") ? ParseReminder(*args.Value("reminder")) : 0;
    std::string input = ReadInput(args);
    std::string rtf = LooksLikeRtf(input) ? input : richtext::RtfFromPlainText(input);

    PageStore store;
    const int n = store.PageCount(dataSet);
    const std::string id = store.NewPageId(dataSet);
    if (unsigned status = store.WritePage(dataSet, n, password, false, args.Has("read-only"), id, rtf, reminder,
                                          store.Time().Today());
        status != kStatusOk)
        throw std::runtime_error("Error #" + std::to_string(status) + " occured writing the page");

    IndexList index;
    LoadIndex(index, dataSet);
    AddPageWords(index, dataSet, id, richtext::PlainTextOf(rtf));
    SaveIndex(index, dataSet);
    out << n << "\t" << id << "\n";
    return 0;
}

}  // namespace jb::cli
