#pragma once
// The 48-byte header record of one page, and the stored password field inside it.
//
//   offset  size  field
//        0     8  page ID, 8 ASCII characters, no terminator
//        8     8  created, date-time (little-endian double)
//       16     8  reminder, date-time (0 = none; a reminder counts when > 1.0)
//       24     8  modified, date-time
//       32     4  body start, signed 32-bit little-endian offset in the data file
//       36     4  body end, one past the trailer byte (end == start marks a deleted page)
//       40     8  stored password field

#include <array>
#include <bit>
#include <cstddef>
#include <type_traits>
#include <cstdint>
#include <string>
#include <string_view>

namespace jb {

inline constexpr std::size_t kHeaderRecordSize = 48;
inline constexpr unsigned char kTrailerReadOnly = 0xFB;
inline constexpr unsigned char kTrailerWritable = 0x45;  // "E"
// Whether a byte is one of the two trailer bytes that end every live page's body.
inline constexpr bool IsTrailerByte(unsigned char b) { return b == kTrailerReadOnly || b == kTrailerWritable; }

struct HeaderRecord {
    std::array<char, 8> id{};
    double created = 0;
    double reminder = 0;
    double modified = 0;
    std::int32_t start = 0;
    std::int32_t end = 0;
    std::array<std::uint8_t, 8> passwordField{};

    // The ID as a string: the 8 bytes up to the first zero byte.
    std::string Id() const;
    // The same bytes in place, for as long as the record lives.
    std::string_view IdView() const;
    bool IsDeleted() const { return end == start; }
    bool HasReminder() const { return reminder > 1.0; }
    std::string Password() const;
};

// The record in memory is laid out exactly as stored, so whole files of records can be read
// into an array of them.
static_assert(std::endian::native == std::endian::little, "the stored layout is little-endian");
static_assert(sizeof(HeaderRecord) == kHeaderRecordSize);
static_assert(std::is_trivially_copyable_v<HeaderRecord> && std::is_standard_layout_v<HeaderRecord>);
static_assert(offsetof(HeaderRecord, created) == 8 && offsetof(HeaderRecord, reminder) == 16 &&
              offsetof(HeaderRecord, modified) == 24 && offsetof(HeaderRecord, start) == 32 &&
              offsetof(HeaderRecord, end) == 36 && offsetof(HeaderRecord, passwordField) == 40);

HeaderRecord DecodeHeaderRecord(const std::uint8_t* bytes);
void EncodeHeaderRecord(const HeaderRecord& record, std::uint8_t* bytes);

// The password padded with spaces to 8 characters, character i (1-based) shifted by i*i.
std::array<std::uint8_t, 8> EncodePasswordField(std::string_view password);
// The decoded characters up to the first space; empty means the page is not protected.
std::string DecodePasswordField(const std::array<std::uint8_t, 8>& field);

// The first 8 characters of an ID, as stored (shorter IDs are padded with zero bytes).
std::array<char, 8> IdField(std::string_view id);

}  // namespace jb
