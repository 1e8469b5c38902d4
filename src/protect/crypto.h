#pragma once
// TCrypto: the cipher component. It enciphers a file, a byte array or a string through a
// 4096-byte work buffer. Stream ciphers (TRC4) override the buffer operations; block ciphers
// implement the block operations and get the ECB, CBC and CFB modes of this base class.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "store/file_system.h"

namespace jb {

enum class TSourceType : std::uint8_t { SourceFile = 0, SourceByteArray = 1, SourceString = 2 };
enum class TCipherMode : std::uint8_t { ECBMode = 0, CBCMode = 1, CFBMode = 2 };

class TCrypto {
public:
    static constexpr std::size_t kBufferSize = 4096;

    explicit TCrypto(FileSystem& files = FileSystem::Default());
    virtual ~TCrypto();
    TCrypto(const TCrypto&) = delete;
    TCrypto& operator=(const TCrypto&) = delete;

    // Published properties, in their published order.
    std::string Key;
    TSourceType InputType = TSourceType::SourceFile;
    std::string InputFilePath;
    std::string OutputFilePath;
    std::string InputString;
    std::uint16_t InputLength = 0;
    TCipherMode CipherMode = TCipherMode::ECBMode;
    std::string IVector;

    // For SourceByteArray the caller points these at its own memory; the destination must hold
    // InputLength bytes (rounded up to the block size for the padded block modes).
    const std::uint8_t* SourcePtr = nullptr;
    std::uint8_t* DestPtr = nullptr;

    // With resume false the key is set up afresh first; with resume true the cipher state of the
    // previous call continues. Failures of the files throw IoError; output written so far stays.
    void Encrypt(bool resume);
    void Decrypt(bool resume);

    std::uint8_t BlockSize() const { return blockSize_; }

protected:
    // Slot order: block encrypt, block decrypt, key setup, encrypt buffer, decrypt buffer.
    virtual void BlockEncrypt(const std::uint8_t* in, std::uint8_t* out) = 0;
    virtual void BlockDecrypt(const std::uint8_t* in, std::uint8_t* out) = 0;
    virtual void SetupKey() = 0;
    // Processes InputLength bytes of the work buffer in place.
    virtual void EncryptBuffer();
    virtual void DecryptBuffer();

    void SetBlockSize(std::uint8_t size);
    std::uint8_t* Buffer() { return buffer_.data(); }

private:
    void Run(bool encrypt, bool resume);
    void ProcessFile(bool encrypt);
    void ProcessBuffer(bool encrypt);
    void StartChaining();
    void PadToBlock();
    void RunEcb(bool encrypt);
    void RunCbc(bool encrypt);
    void RunCfb(bool encrypt);

    FileSystem& files_;
    std::uint8_t blockSize_ = 0;
    std::vector<std::uint8_t> chain_;
    // Room for the padding the block modes add to a full buffer.
    std::array<std::uint8_t, kBufferSize + 256> buffer_{};
};

}  // namespace jb
