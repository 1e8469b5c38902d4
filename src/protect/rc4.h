#pragma once
// TRC4: the RC4 stream cipher on the TCrypto component. Pages are enciphered with it.

#include <array>
#include <cstdint>

#include "protect/crypto.h"

namespace jb {

class TRC4 final : public TCrypto {
public:
    explicit TRC4(FileSystem& files = FileSystem::Default()) : TCrypto(files) {}
    ~TRC4() override;

protected:
    // RC4 never uses the block operations; they are left as no-ops.
    void BlockEncrypt(const std::uint8_t*, std::uint8_t*) override {}
    void BlockDecrypt(const std::uint8_t*, std::uint8_t*) override {}
    void SetupKey() override;
    void EncryptBuffer() override;
    void DecryptBuffer() override { EncryptBuffer(); }

private:
    std::array<std::uint8_t, 256> s_{};
    std::uint8_t i_ = 0;
    std::uint8_t j_ = 0;
};

}  // namespace jb
