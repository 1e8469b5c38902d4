// libFuzzer target for the RTF reader and writer. Any input must read without a crash; the
// plain text taken on the fly must equal the document's; written RTF must read back to the
// same document's RTF (a fixed point after one pass).

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "richtext/richtext.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace jb::richtext;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const Document doc = ReadDocument(input);
    if (PlainText(doc) != PlainTextOf(input)) std::abort();
    const std::string once = WriteRtf(doc);
    const Document again = ReadDocument(once);
    if (PlainText(again) != PlainText(doc)) std::abort();
    if (WriteRtf(again) != once) std::abort();
    return 0;
}
