#include "datasets/index_rebuild.h"

#include "richtext/richtext.h"
#include "store/io_error.h"
#include "store/page_store.h"
#include "store/storage_status.h"
#include "store/index_builder.h"
#include "store/word_index.h"

namespace jb {

RebuildReport RebuildIndex(const std::string& dataSet, FileSystem& files) {
    PageStore store(files);
    RebuildReport report;
    std::vector<HeaderRecord> records = store.ReadAllHeaders(dataSet);
    report.pages = static_cast<int>(records.size());

    IndexList list(files);
    IndexBuilder builder(list, dataSet);  // a fresh list: the old file is not read
    auto data = records.empty() ? nullptr : files.Open(dataSet, OpenMode::kRead);
    if (!records.empty() && !data) throw IoError(dataSet, "Error #" + std::to_string(kStatusDataFileUnopenable) + " occurred");
    const std::int64_t dataSize = data ? data->Size() : 0;
    std::string body;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const HeaderRecord& r = records[i];
        if (r.IsDeleted()) {
            ++report.deletedPages;
            continue;
        }
        if (!r.Password().empty()) {
            ++report.protectedPages;
            continue;
        }
        try {
            CheckBodyBounds(r, static_cast<int>(i), dataSize, dataSet);
            body.resize(static_cast<std::size_t>(r.end - r.start));
            data->Seek(r.start);
            data->ReadExactly(body.data(), body.size());
        } catch (const IoError& e) {
            report.damaged.push_back(e.what());
            continue;
        }
        builder.AddPage(r.Id(), richtext::PlainTextOf(body));
        ++report.indexed;
    }
    report.entries = builder.Finish();
    SaveIndex(list, dataSet);
    return report;
}

}  // namespace jb
