#include "protect/decipher.h"

#include <algorithm>

#include "protect/rc4.h"

namespace jb {

std::string Rc4Bytes(std::string_view key, std::string_view bytes) {
    std::string out(bytes);
    TRC4 cipher;
    cipher.Key = std::string(key);
    cipher.InputType = TSourceType::SourceByteArray;
    for (std::size_t at = 0; at < out.size(); at += TCrypto::kBufferSize) {
        std::size_t n = std::min(TCrypto::kBufferSize, out.size() - at);
        auto* piece = reinterpret_cast<std::uint8_t*>(out.data() + at);
        cipher.SourcePtr = piece;
        cipher.DestPtr = piece;
        cipher.InputLength = static_cast<std::uint16_t>(n);
        cipher.Decrypt(at > 0);
    }
    return out;
}

}  // namespace jb
