// The CLI commands that look at and maintain the stored pages: info, list, dump, purge, pack.

#include <ostream>
#include <stdexcept>

#include "app/cli_command.h"
#include "protect/decipher.h"
#include "protect/page_key.h"
#include "store/dates.h"
#include "store/io_error.h"
#include "store/page_store.h"

namespace jb::cli {

namespace {

std::string StatusText(unsigned status) { return "Error #" + std::to_string(status) + " occurred"; }

int PageNumberArgument(const Args& args) {
    if (args.words.size() != 1) throw std::invalid_argument("give exactly one page number");
    const std::string& w = args.words[0];
    if (w.empty() || w.size() > 9 || w.find_first_not_of("0123456789") != std::string::npos)
        throw std::invalid_argument("'" + w + "' is not a page number");
    return std::stoi(w);
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

}  // namespace

int RunInfo(const Args& args, std::ostream& out, std::ostream&) {
    PageStore store;
    const std::string dataSet = DataSetPath(args);
    std::vector<HeaderRecord> records = store.ReadAllHeaders(dataSet);
    std::int64_t live = 0;
    for (const auto& r : records)
        if (r.end > r.start) live += r.end - r.start;
    std::int64_t size = store.Files().FileSize(dataSet);
    out << "data set:\t" << dataSet << "\n"
        << "pages:\t" << records.size() << "\n"
        << "data file size:\t" << (size < 0 ? 0 : size) << " bytes\n"
        << "live bodies:\t" << live << " bytes\n";
    return 0;
}

int RunList(const Args& args, std::ostream& out, std::ostream& err) {
    PageStore store;
    const std::string dataSet = DataSetPath(args);
    std::vector<HeaderRecord> records = store.ReadAllHeaders(dataSet);
    auto data = store.Files().Open(dataSet, OpenMode::kRead);
    const std::int64_t dataSize = data ? data->Size() : 0;
    const bool json = args.Has("json");
    int damaged = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const HeaderRecord& r = records[i];
        std::string state = "deleted";
        if (!r.IsDeleted()) {
            try {
                CheckBodyBounds(r, static_cast<int>(i), dataSize, dataSet);
                if (!data) throw IoError(dataSet, StatusText(kStatusDataFileUnopenable));
                unsigned char trailer = 0;
                data->Seek(r.end - 1);
                data->ReadExactly(&trailer, 1);
                state = trailer == kTrailerReadOnly ? "ro" : "rw";
            } catch (const IoError& e) {
                err << "jotterbase-cli: " << e.what() << "\n";
                state = "damaged";
                ++damaged;
            }
        }
        const bool isProtected = !r.Password().empty();
        if (json) {
            out << "{\"number\":" << i << ",\"id\":" << JsonString(r.Id()) << ",\"created\":\"" << IsoDateText(r.created)
                << "\",\"modified\":\"" << IsoDateText(r.modified) << "\",\"reminder\":"
                << (r.HasReminder() ? "\"" + IsoDateTimeText(r.reminder) + "\"" : std::string("null"))
                << ",\"state\":\"" << state << "\",\"protected\":" << (isProtected ? "true" : "false") << "}\n";
        } else {
            out << i << "\t" << r.Id() << "\t" << IsoDateText(r.created) << "\t" << IsoDateText(r.modified) << "\t"
                << (r.HasReminder() ? IsoDateTimeText(r.reminder) : "-") << "\t" << state << "\t"
                << (isProtected ? "protected" : "open") << "\n";
        }
    }
    return damaged == 0 ? 0 : 1;
}

int RunDump(const Args& args, std::ostream& out, std::ostream& err) {
    PageStore store;
    const std::string dataSet = DataSetPath(args);
    const int n = PageNumberArgument(args);
    PageInfo info;
    std::string body;
    if (unsigned status = store.ReadPageBody(dataSet, n, info, body); status != kStatusOk) {
        err << "jotterbase-cli: " << StatusText(status) << " reading page " << n << " of " << dataSet << "\n";
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
    out.write(body.data(), static_cast<std::streamsize>(body.size()));
    return 0;
}

int RunPurge(const Args& args, std::ostream& out, std::ostream& err) {
    PageStore store;
    const std::string dataSet = DataSetPath(args);
    const int before = store.PageCount(dataSet);
    if (before == 0) {
        out << "Nothing to purge: the data set has no pages.\n";
        return 0;
    }
    if (unsigned status = store.PurgeDeletedHeaders(dataSet); status != kStatusOk) {
        err << "jotterbase-cli: " << StatusText(status) << "\n";
        return 1;
    }
    const int after = store.PageCount(dataSet);
    out << "Removed " << before - after << " deleted page record(s); " << after << " page(s) remain.\n";
    return 0;
}

int RunPack(const Args& args, std::ostream& out, std::ostream& err) {
    PageStore store;
    const std::string dataSet = DataSetPath(args);
    const int before = store.PageCount(dataSet);
    const std::int64_t sizeBefore = store.Files().FileSize(dataSet);
    if (before == 0) {
        out << "Nothing to pack: the data set has no pages.\n";
        return 0;
    }
    if (unsigned status = store.PackDataSet(dataSet); status != kStatusOk) {
        err << "jotterbase-cli: " << StatusText(status) << "\n";
        return 1;
    }
    out << "Packed " << dataSet << ": data file " << sizeBefore << " -> " << store.Files().FileSize(dataSet)
        << " bytes; " << store.PageCount(dataSet) << " page(s), " << before - store.PageCount(dataSet)
        << " deleted record(s) dropped.\n";
    return 0;
}

}  // namespace jb::cli
