#include "protect/crypto.h"

#include <algorithm>
#include <cstring>
#include <random>

#include "store/io_error.h"

namespace jb {

TCrypto::TCrypto(FileSystem& files) : files_(files) {}

TCrypto::~TCrypto() {
    // The key must not linger in freed memory.
    volatile char* key = Key.data();
    for (std::size_t i = 0; i < Key.size(); ++i) key[i] = 0;
    volatile std::uint8_t* buffer = buffer_.data();
    for (std::size_t i = 0; i < buffer_.size(); ++i) buffer[i] = 0;
}

void TCrypto::Encrypt(bool resume) { Run(true, resume); }
void TCrypto::Decrypt(bool resume) { Run(false, resume); }

void TCrypto::SetBlockSize(std::uint8_t size) { blockSize_ = size; }

void TCrypto::Run(bool encrypt, bool resume) {
    if (!resume) {
        SetupKey();
        if (blockSize_ > 0 && CipherMode != TCipherMode::ECBMode) StartChaining();
    }
    switch (InputType) {
        case TSourceType::SourceFile:
            ProcessFile(encrypt);
            break;
        case TSourceType::SourceByteArray: {
            // The work buffer bounds one call; a longer array is cut to what it holds.
            InputLength = static_cast<std::uint16_t>(std::min<std::size_t>(InputLength, kBufferSize));
            if (SourcePtr == nullptr || DestPtr == nullptr) return;
            std::memcpy(buffer_.data(), SourcePtr, InputLength);
            ProcessBuffer(encrypt);
            std::memcpy(DestPtr, buffer_.data(), InputLength);
            break;
        }
        case TSourceType::SourceString: {
            if (!encrypt || DestPtr == nullptr) return;
            std::string text = InputString.substr(0, InputString.find('\0'));
            InputLength = static_cast<std::uint16_t>(std::min(text.size(), kBufferSize));
            std::memcpy(buffer_.data(), text.data(), InputLength);
            ProcessBuffer(true);
            std::memcpy(DestPtr, buffer_.data(), InputLength);
            break;
        }
    }
}

void TCrypto::ProcessFile(bool encrypt) {
    auto in = files_.Open(InputFilePath, OpenMode::kRead);
    if (!in) throw IoError(InputFilePath, "File not found");
    auto out = files_.Open(OutputFilePath, OpenMode::kCreate);
    if (!out) throw IoError(OutputFilePath, "File could not be created");
    for (;;) {
        std::size_t count = 0;
        while (count < kBufferSize) {
            std::size_t n = in->Read(buffer_.data() + count, kBufferSize - count);
            if (n == 0) break;
            count += n;
        }
        InputLength = static_cast<std::uint16_t>(count);
        ProcessBuffer(encrypt);
        out->Write(buffer_.data(), InputLength);
        if (count != kBufferSize) break;
    }
}

void TCrypto::ProcessBuffer(bool encrypt) {
    if (encrypt)
        EncryptBuffer();
    else
        DecryptBuffer();
}

void TCrypto::EncryptBuffer() {
    switch (CipherMode) {
        case TCipherMode::ECBMode: RunEcb(true); break;
        case TCipherMode::CBCMode: RunCbc(true); break;
        case TCipherMode::CFBMode: RunCfb(true); break;
    }
}

void TCrypto::DecryptBuffer() {
    switch (CipherMode) {
        case TCipherMode::ECBMode: RunEcb(false); break;
        case TCipherMode::CBCMode: RunCbc(false); break;
        case TCipherMode::CFBMode: RunCfb(false); break;
    }
}

void TCrypto::StartChaining() {
    if (IVector.empty()) {
        std::mt19937 random(std::random_device{}());
        std::uniform_int_distribution<int> printable(0, 92);
        for (std::uint8_t i = 0; i < blockSize_; ++i) IVector.push_back(static_cast<char>(33 + printable(random)));
    }
    chain_.assign(blockSize_, 0);
    std::memcpy(chain_.data(), IVector.data(), std::min<std::size_t>(blockSize_, IVector.size()));
}

void TCrypto::PadToBlock() {
    std::size_t length = InputLength;
    std::size_t padded = (length + blockSize_ - 1) / blockSize_ * blockSize_;
    std::fill(buffer_.begin() + static_cast<std::ptrdiff_t>(length), buffer_.begin() + static_cast<std::ptrdiff_t>(padded), 0);
    InputLength = static_cast<std::uint16_t>(padded);
}

void TCrypto::RunEcb(bool encrypt) {
    if (blockSize_ == 0) return;
    PadToBlock();
    std::vector<std::uint8_t> out(blockSize_);
    for (std::size_t at = 0; at < InputLength; at += blockSize_) {
        if (encrypt)
            BlockEncrypt(buffer_.data() + at, out.data());
        else
            BlockDecrypt(buffer_.data() + at, out.data());
        std::memcpy(buffer_.data() + at, out.data(), blockSize_);
    }
}

void TCrypto::RunCbc(bool encrypt) {
    if (blockSize_ == 0) return;
    PadToBlock();
    std::vector<std::uint8_t> work(blockSize_);
    for (std::size_t at = 0; at < InputLength; at += blockSize_) {
        std::uint8_t* block = buffer_.data() + at;
        if (encrypt) {
            for (std::size_t k = 0; k < blockSize_; ++k) work[k] = block[k] ^ chain_[k];
            BlockEncrypt(work.data(), block);
            std::memcpy(chain_.data(), block, blockSize_);
        } else {
            std::vector<std::uint8_t> cipher(block, block + blockSize_);
            BlockDecrypt(cipher.data(), work.data());
            for (std::size_t k = 0; k < blockSize_; ++k) block[k] = work[k] ^ chain_[k];
            chain_ = std::move(cipher);
        }
    }
}

void TCrypto::RunCfb(bool encrypt) {
    if (blockSize_ == 0) return;
    std::vector<std::uint8_t> stream(blockSize_);
    for (std::size_t at = 0; at < InputLength;) {
        std::size_t n = std::min<std::size_t>(blockSize_, InputLength - at);
        std::uint8_t* piece = buffer_.data() + at;
        BlockEncrypt(chain_.data(), stream.data());
        std::vector<std::uint8_t> cipher(n);
        for (std::size_t k = 0; k < n; ++k) {
            std::uint8_t in = piece[k];
            piece[k] = in ^ stream[k];
            cipher[k] = encrypt ? piece[k] : in;
        }
        // The ciphertext enters the chaining buffer from the right.
        std::memmove(chain_.data(), chain_.data() + n, blockSize_ - n);
        std::memcpy(chain_.data() + (blockSize_ - n), cipher.data(), n);
        at += n;
    }
}

}  // namespace jb
