#include "protect/rc4.h"

#include <utility>

namespace jb {

TRC4::~TRC4() {
    volatile std::uint8_t* s = s_.data();
    for (std::size_t k = 0; k < s_.size(); ++k) s[k] = 0;
}

void TRC4::SetupKey() {
    i_ = 0;
    j_ = 0;
    for (int n = 0; n < 256; ++n) s_[n] = static_cast<std::uint8_t>(n);
    if (Key.empty()) return;  // no key block to mix in
    std::uint8_t j = 0;
    for (std::size_t n = 0; n < 256; ++n) {
        j = static_cast<std::uint8_t>(j + s_[n] + static_cast<std::uint8_t>(Key[n % Key.size()]));
        std::swap(s_[n], s_[j]);
    }
}

void TRC4::EncryptBuffer() {
    std::uint8_t* data = Buffer();
    for (std::size_t k = 0; k < InputLength; ++k) {
        i_ = static_cast<std::uint8_t>(i_ + 1);
        j_ = static_cast<std::uint8_t>(j_ + s_[i_]);
        std::swap(s_[i_], s_[j_]);
        data[k] ^= s_[static_cast<std::uint8_t>(s_[i_] + s_[j_])];
    }
}

}  // namespace jb
