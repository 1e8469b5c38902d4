// The CLI commands that look at and maintain the stored pages: info, list, dump, purge, pack.

#include <ostream>
#include <stdexcept>

#include "app/cli_command.h"
#include "store/dates.h"
#include "store/io_error.h"
#include "store/page_store.h"

namespace jb::cli {

namespace {

std::string StatusText(unsigned status) { return "Error #" + std::to_string(status) + " occurred"; }

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
    std::string text;
    if (!ReadPageText(args, DataSetPath(args), PageNumberArgument(args), text, err)) return 1;
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
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
    if (store.PageCount(dataSet) == 0) {
        out << "Nothing to pack: the data set has no pages.\n";
        return 0;
    }
    // Other programs may write before the pack holds the data set and after it lets go: its own
    // counts say what it did.
    PackReport report;
    if (unsigned status = store.PackDataSet(dataSet, &report); status != kStatusOk) {
        err << "jotterbase-cli: " << StatusText(status) << "\n";
        return 1;
    }
    out << "Packed " << dataSet << ": data file " << report.sizeBefore << " -> " << report.sizeAfter << " bytes; "
        << report.pages << " page(s), " << report.dropped << " deleted record(s) dropped.\n";
    return 0;
}

}  // namespace jb::cli
