#include "datasets/move_page.h"

#include "protect/decipher.h"
#include "protect/page_key.h"
#include "store/dataset_lock.h"
#include "store/dataset_paths.h"
#include "store/io_error.h"
#include "store/storage_status.h"

namespace jb {

unsigned MovePage(PageStore& store, const std::string& dataSet, int n, MovedPage& moved) {
    // Both data sets stay as they are until the page is in its new place and gone from its old.
    DataSetPairLock lock(dataSet);
    PageInfo info;
    std::string body;
    if (unsigned status = store.ReadPageBody(dataSet, n, info, body); status != kStatusOk) return status;
    if (body.empty()) throw IoError(dataSet, "Page " + std::to_string(n) + " is deleted and has no text");
    body.pop_back();  // the trailer byte
    // The page is written again under its own password, which enciphers it once more.
    const std::string text = info.password.empty() ? body : Rc4Bytes(PageKey(info.password), body);
    int placed = -1;
    if (unsigned status = store.UpdatePage(CounterpartOf(dataSet), placed, info.password, false, info.readOnly, info.id,
                                           text, info.reminder, info.created);
        status != kStatusOk)
        return status;
    moved = {info.id, placed};
    if (unsigned status = store.WritePage(dataSet, n, info.password, true, info.readOnly, info.id, "", info.reminder,
                                          info.created);
        status != kStatusOk)
        return status;
    return store.PurgeDeletedHeaders(dataSet);
}

}  // namespace jb
