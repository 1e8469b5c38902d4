#include "transfer/odt_package.h"

#include <array>
#include <cstdint>

namespace jb::transfer {
namespace {

constexpr char kStylesName[] = "styles.xml";
constexpr char kStyles[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<office:document-styles xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
    "office:version=\"1.2\"><office:styles/></office:document-styles>\n";

std::uint32_t Crc32(const char* data, std::size_t size) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ static_cast<unsigned char>(data[i])) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::uint32_t Read(const QByteArray& bytes, qsizetype at, int width) {
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

void Put(QByteArray& out, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) out.append(static_cast<char>(value >> (8 * i) & 0xFF));
}

}  // namespace

bool AddEmptyStyles(QByteArray& odt) {
    // The end-of-central-directory record, without a comment, closes the package.
    constexpr qsizetype kEndSize = 22;
    if (odt.size() < kEndSize) return false;
    const qsizetype end = odt.size() - kEndSize;
    if (Read(odt, end, 4) != 0x06054b50u) return false;
    const std::uint32_t entries = Read(odt, end + 10, 2);
    const std::uint32_t directorySize = Read(odt, end + 12, 4);
    const std::uint32_t directoryOffset = Read(odt, end + 16, 4);
    if (static_cast<qsizetype>(directoryOffset) + directorySize != end || entries >= 0xFFFF) return false;

    const std::uint32_t crc = Crc32(kStyles, sizeof kStyles - 1);
    const std::uint32_t size = sizeof kStyles - 1;
    const std::uint32_t nameSize = sizeof kStylesName - 1;
    QByteArray local;
    Put(local, 0x04034b50u, 4);
    Put(local, 20, 2);  // version needed
    Put(local, 0, 2);   // flags
    Put(local, 0, 2);   // stored
    Put(local, 0, 4);   // time and date
    Put(local, crc, 4);
    Put(local, size, 4);
    Put(local, size, 4);
    Put(local, nameSize, 2);
    Put(local, 0, 2);
    local.append(kStylesName, nameSize);
    local.append(kStyles, size);

    QByteArray central;
    Put(central, 0x02014b50u, 4);
    Put(central, 20, 2);  // made by
    Put(central, 20, 2);  // version needed
    Put(central, 0, 2);
    Put(central, 0, 2);
    Put(central, 0, 4);
    Put(central, crc, 4);
    Put(central, size, 4);
    Put(central, size, 4);
    Put(central, nameSize, 2);
    Put(central, 0, 2);  // extra
    Put(central, 0, 2);  // comment
    Put(central, 0, 2);  // disk
    Put(central, 0, 2);  // internal attributes
    Put(central, 0, 4);  // external attributes
    Put(central, directoryOffset, 4);
    central.append(kStylesName, nameSize);

    QByteArray result = odt.left(directoryOffset);
    result += local;
    const auto newOffset = static_cast<std::uint32_t>(result.size());
    result += odt.mid(directoryOffset, directorySize);
    result += central;
    Put(result, 0x06054b50u, 4);
    Put(result, 0, 2);
    Put(result, 0, 2);
    Put(result, entries + 1, 2);
    Put(result, entries + 1, 2);
    Put(result, directorySize + static_cast<std::uint32_t>(central.size()), 4);
    Put(result, newOffset, 4);
    Put(result, 0, 2);
    odt = result;
    return true;
}

}  // namespace jb::transfer
