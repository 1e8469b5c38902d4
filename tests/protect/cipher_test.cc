#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "protect/crypto.h"
#include "protect/decipher.h"
#include "protect/page_key.h"
#include "protect/rc4.h"
#include "store/io_error.h"
#include "support/temp_dir.h"

namespace jb {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

std::string Hex(std::string_view bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string RunFile(const TempDir& dir, const std::string& key, const std::string& input, bool encrypt = true) {
    WriteFileBytes(dir.File("in"), input);
    TRC4 cipher;
    cipher.Key = key;
    cipher.InputFilePath = dir.File("in");
    cipher.OutputFilePath = dir.File("out");
    if (encrypt)
        cipher.Encrypt(false);
    else
        cipher.Decrypt(false);
    return ReadFileBytes(dir.File("out"));
}

TEST(Rc4, KeystreamMatchesPublishedVectorsAcrossTheBlockBoundary) {
    // 64-bit key 0x0102030405060708 over zero bytes: the output is the keystream. Offsets past
    // 4096 show that the second block continues the stream of the first.
    TempDir dir;
    std::string stream = RunFile(dir, "\x01\x02\x03\x04\x05\x06\x07\x08", std::string(4112, '\0'));
    ASSERT_EQ(stream.size(), 4112u);
    struct Case {
        std::size_t offset;
        const char* hex;
    } cases[] = {
        {0, "97ab8a1bf0afb96132f2f67258da15a8"},
        {16, "8263efdb45c4a18684ef87e6b19e5b09"},
        {240, "9636ebc9841926f4f7d1f362bddf6e18"},
        {256, "d0a990ff2c05fef5b90373c9ff4b870a"},
        {4080, "d5fa5a3469d29aaaf83d23589db8c85b"},
        {4096, "3fb46e2c8f0f068edce8cdcd7dfc5862"},
    };
    for (const auto& c : cases) EXPECT_EQ(Hex(stream.substr(c.offset, 16)), c.hex) << "offset " << c.offset;

    std::string stream40 = RunFile(dir, "\x83\x32\x22\x77\x2a", std::string(4112, '\0'));
    EXPECT_EQ(Hex(stream40.substr(4096, 16)), "bf42c3018c2f7c66bfde524975768115");
}

TEST(Rc4, ClassicTextVectors) {
    struct Case {
        const char* key;
        const char* plain;
        const char* cipher;
    } cases[] = {
        {"Key", "Plaintext", "bbf316e8d940af0ad3"},
        {"Wiki", "pedia", "1021bf0420"},
        {"Secret", "Attack at dawn", "45a01f645fc35b383552544b9bf5"},
    };
    for (const auto& c : cases) EXPECT_EQ(Hex(Rc4Bytes(c.key, c.plain)), c.cipher) << c.key;
}

TEST(Rc4, FileRoundTripKeepsLengthAndBytes) {
    TempDir dir;
    for (std::size_t size : {0u, 1u, 4095u, 4096u, 4097u, 8192u, 10000u}) {
        std::string input(size, '\0');
        for (std::size_t i = 0; i < size; ++i) input[i] = static_cast<char>(i * 7 + 3);
        std::string enciphered = RunFile(dir, "PASSWORD", input);
        ASSERT_EQ(enciphered.size(), size);
        if (size > 16) {
            EXPECT_NE(enciphered, input);
        }
        EXPECT_EQ(RunFile(dir, "PASSWORD", enciphered, false), input) << size;
        EXPECT_EQ(Rc4Bytes("PASSWORD", input), enciphered) << size;
    }
}

TEST(Rc4, ResumeContinuesTheKeystreamAndAFreshCallRestartsIt) {
    std::uint8_t zeros[32] = {};
    std::uint8_t out[32];
    TRC4 cipher;
    cipher.Key = std::string("\x01\x02\x03\x04\x05\x06\x07\x08");
    cipher.InputType = TSourceType::SourceByteArray;
    cipher.SourcePtr = zeros;
    cipher.DestPtr = out;
    cipher.InputLength = 16;
    cipher.Encrypt(false);
    cipher.DestPtr = out + 16;
    cipher.Encrypt(true);
    EXPECT_EQ(Hex(std::string(reinterpret_cast<char*>(out), 32)),
              "97ab8a1bf0afb96132f2f67258da15a88263efdb45c4a18684ef87e6b19e5b09");
    cipher.Encrypt(false);
    EXPECT_EQ(Hex(std::string(reinterpret_cast<char*>(out + 16), 16)), "97ab8a1bf0afb96132f2f67258da15a8");
}

TEST(Rc4, StringSourceEnciphersOnlyOnEncrypt) {
    std::uint8_t out[16] = {};
    TRC4 cipher;
    cipher.Key = "Key";
    cipher.InputType = TSourceType::SourceString;
    cipher.InputString = "Plaintext";
    cipher.DestPtr = out;
    cipher.Encrypt(false);
    EXPECT_EQ(cipher.InputLength, 9);
    EXPECT_EQ(Hex(std::string(reinterpret_cast<char*>(out), 9)), "bbf316e8d940af0ad3");
    std::memset(out, 0, sizeof out);
    cipher.Decrypt(false);
    EXPECT_EQ(out[0], 0);
}

TEST(Rc4, MissingInputFileThrows) {
    TempDir dir;
    TRC4 cipher;
    cipher.Key = "KEY     ";
    cipher.InputFilePath = dir.File("absent");
    cipher.OutputFilePath = dir.File("out");
    EXPECT_THROW(cipher.Encrypt(false), IoError);
}

TEST(Rc4, DefaultsOfTheComponent) {
    TRC4 cipher;
    EXPECT_EQ(cipher.InputType, TSourceType::SourceFile);
    EXPECT_EQ(cipher.InputLength, 0);
    EXPECT_EQ(cipher.CipherMode, TCipherMode::ECBMode);
    EXPECT_EQ(cipher.BlockSize(), 0);
}

TEST(Rc4, KeyIsWipedOnDestruction) {
    alignas(TRC4) unsigned char storage[sizeof(TRC4)];
    auto* cipher = new (storage) TRC4();
    cipher->Key = "SECRETKY";  // short enough to live inside the object
    const std::ptrdiff_t at = reinterpret_cast<unsigned char*>(cipher->Key.data()) - storage;
    ASSERT_GE(at, 0);
    ASSERT_LT(at, static_cast<std::ptrdiff_t>(sizeof storage));
    cipher->~TRC4();
    EXPECT_EQ(std::string(reinterpret_cast<char*>(storage + at), 8), std::string(8, '\0'));
}

TEST(PageKey, PadsUpperCasesAndCuts) {
    struct Case {
        const char* password;
        const char* key;
    } cases[] = {
        {"abc", "ABC     "}, {"AbC", "ABC     "}, {"abc  ", "ABC     "}, {"", "        "},
        {"longpassword", "LONGPASS"}, {"a1\xe9z", "A1\xe9Z    "},
    };
    for (const auto& c : cases) EXPECT_EQ(PageKey(c.password), c.key) << c.password;
}

// A toy block cipher of 4-byte blocks, only to exercise the chaining modes of the base class.
class ToyBlockCipher final : public TCrypto {
public:
    ToyBlockCipher() { SetBlockSize(4); }

protected:
    void BlockEncrypt(const std::uint8_t* in, std::uint8_t* out) override {
        for (int k = 0; k < 4; ++k) out[k] = static_cast<std::uint8_t>((in[(k + 1) % 4] ^ key_[k]) + 1);
    }
    void BlockDecrypt(const std::uint8_t* in, std::uint8_t* out) override {
        for (int k = 0; k < 4; ++k) out[(k + 1) % 4] = static_cast<std::uint8_t>((in[k] - 1) ^ key_[k]);
    }
    void SetupKey() override {
        for (int k = 0; k < 4; ++k) key_[k] = Key.empty() ? 0 : static_cast<std::uint8_t>(Key[k % Key.size()]);
    }

private:
    std::uint8_t key_[4] = {};
};

std::string RunBlocks(TCipherMode mode, const std::string& input, bool encrypt, std::uint16_t* lengthOut = nullptr) {
    ToyBlockCipher cipher;
    cipher.Key = "k3y!";
    cipher.CipherMode = mode;
    cipher.IVector = "IVIV";
    cipher.InputType = TSourceType::SourceByteArray;
    std::vector<std::uint8_t> out(input.size() + 4);
    cipher.SourcePtr = reinterpret_cast<const std::uint8_t*>(input.data());
    cipher.DestPtr = out.data();
    cipher.InputLength = static_cast<std::uint16_t>(input.size());
    if (encrypt)
        cipher.Encrypt(false);
    else
        cipher.Decrypt(false);
    if (lengthOut) *lengthOut = cipher.InputLength;
    return std::string(reinterpret_cast<char*>(out.data()), cipher.InputLength);
}

TEST(BlockModes, RoundTripAndPadding) {
    const std::string text = "ten bytes!";  // not a multiple of the block size
    struct Case {
        TCipherMode mode;
        std::size_t cipherLength;
    } cases[] = {{TCipherMode::ECBMode, 12}, {TCipherMode::CBCMode, 12}, {TCipherMode::CFBMode, 10}};
    for (const auto& c : cases) {
        std::string enciphered = RunBlocks(c.mode, text, true);
        EXPECT_EQ(enciphered.size(), c.cipherLength) << static_cast<int>(c.mode);
        std::string back = RunBlocks(c.mode, enciphered, false);
        EXPECT_EQ(back.substr(0, text.size()), text) << static_cast<int>(c.mode);
        EXPECT_EQ(back.substr(text.size()), std::string(back.size() - text.size(), '\0'));
    }
}

TEST(BlockModes, ChainingMakesEqualBlocksDiffer) {
    const std::string same = "AAAAAAAA";
    std::string ecb = RunBlocks(TCipherMode::ECBMode, same, true);
    std::string cbc = RunBlocks(TCipherMode::CBCMode, same, true);
    std::string cfb = RunBlocks(TCipherMode::CFBMode, same, true);
    EXPECT_EQ(ecb.substr(0, 4), ecb.substr(4, 4));
    EXPECT_NE(cbc.substr(0, 4), cbc.substr(4, 4));
    EXPECT_NE(cfb.substr(0, 4), cfb.substr(4, 4));
}

TEST(BlockModes, AnEmptyIVectorIsFilledWithPrintableCharacters) {
    ToyBlockCipher cipher;
    cipher.CipherMode = TCipherMode::CBCMode;
    cipher.InputType = TSourceType::SourceByteArray;
    std::uint8_t in[4] = {1, 2, 3, 4}, out[4];
    cipher.SourcePtr = in;
    cipher.DestPtr = out;
    cipher.InputLength = 4;
    cipher.Encrypt(false);
    ASSERT_EQ(cipher.IVector.size(), 4u);
    for (char c : cipher.IVector) {
        EXPECT_GE(static_cast<unsigned char>(c), 33);
        EXPECT_LE(static_cast<unsigned char>(c), 125);
    }
}

}  // namespace
}  // namespace jb
