#include "protect/page_key.h"

namespace jb {

std::string PageKey(std::string_view password) {
    std::string key(password);
    key.append(8, ' ');
    key.resize(8);
    for (char& c : key)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return key;
}

}  // namespace jb
