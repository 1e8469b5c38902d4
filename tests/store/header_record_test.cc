#include <gtest/gtest.h>

#include <cstring>

#include "store/header_record.h"

namespace jb {
namespace {

std::string Hex(const std::uint8_t* bytes, std::size_t n) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < n; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

// A record laid out by hand: ID "00A3F19C", created 2025-01-01, reminder 0, modified
// 2025-12-10, body 16..116, password "abc".
const char* kRecordHex =
    "3030413346313943"  // ID
    "00000000404be640"  // created 45658.0
    "0000000000000000"  // reminder none
    "000000002076e640"  // modified 46001.0
    "10000000"          // start 16
    "74000000"          // end 116
    "62666c303944 5160";

std::vector<std::uint8_t> FromHex(std::string hex) {
    std::erase(hex, ' ');
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

TEST(HeaderRecord, DecodesAndEncodesTheHandWrittenLayout) {
    std::vector<std::uint8_t> bytes = FromHex(kRecordHex);
    ASSERT_EQ(bytes.size(), kHeaderRecordSize);
    HeaderRecord r = DecodeHeaderRecord(bytes.data());
    EXPECT_EQ(r.Id(), "00A3F19C");
    EXPECT_EQ(r.created, 45658.0);
    EXPECT_EQ(r.reminder, 0.0);
    EXPECT_FALSE(r.HasReminder());
    EXPECT_EQ(r.modified, 46001.0);
    EXPECT_EQ(r.start, 16);
    EXPECT_EQ(r.end, 116);
    EXPECT_EQ(r.Password(), "abc");
    std::uint8_t out[kHeaderRecordSize];
    EncodeHeaderRecord(r, out);
    EXPECT_EQ(Hex(out, sizeof out), Hex(bytes.data(), bytes.size()));
}

TEST(HeaderRecord, StoredPasswordField) {
    struct Case {
        const char* password;
        const char* fieldHex;
        const char* readsBack;
    } cases[] = {
        {"", "2124293039445160", ""},  // eight spaces
        {"abc", "62666c303944 5160", "abc"},
        {"AbC", "42664c303944 5160", "AbC"},
        {"twelveletter", "757b6e7c8f899da5", "twelvele"},
        {"two words", "757b78309093a3a4", "two"},
    };
    for (const auto& c : cases) {
        auto field = EncodePasswordField(c.password);
        std::vector<std::uint8_t> expected = FromHex(c.fieldHex);
        EXPECT_EQ(Hex(field.data(), 8), Hex(expected.data(), expected.size())) << c.password;
        EXPECT_EQ(DecodePasswordField(field), c.readsBack) << c.password;
    }
}

TEST(HeaderRecord, IdStopsAtTheFirstZeroByte) {
    HeaderRecord r;
    std::memcpy(r.id.data(), "AB\0CDEFG", 8);
    EXPECT_EQ(r.Id(), "AB");
    EXPECT_EQ(IdField("0123456789"), IdField("01234567"));
}

TEST(HeaderRecord, ReminderCountsOnlyAboveOneDay) {
    HeaderRecord r;
    for (double v : {0.0, 0.5, 1.0}) {
        r.reminder = v;
        EXPECT_FALSE(r.HasReminder()) << v;
    }
    r.reminder = 1.0001;
    EXPECT_TRUE(r.HasReminder());
}

}  // namespace
}  // namespace jb
