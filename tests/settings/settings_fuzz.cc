// libFuzzer target for the settings file parser: any bytes must parse, read every preference
// key, take a write, and give back exactly their own bytes when nothing was changed.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "settings/ini_document.h"
#include "settings/settings_keys.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    jb::IniDocument doc = jb::IniDocument::Parse(bytes);
    if (doc.Serialize() != bytes) std::abort();
    for (const jb::SettingKey& k :
         {jb::keys::kActiveData, jb::keys::kFontSize, jb::keys::kNewPageRemind, jb::keys::kLeft}) {
        auto value = doc.Find(k.section, k.key);
        if (value && value->size() > jb::IniDocument::kMaxValueLength) std::abort();
        (void)doc.GetInt(k.section, k.key, 0);
    }
    doc.Set("Font", "Size", "12");
    if (doc.GetInt("Font", "Size", 0) != 12) std::abort();
    return 0;
}
