#include "store/header_record.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace jb {


std::string HeaderRecord::Id() const { return std::string(IdView()); }

std::string_view HeaderRecord::IdView() const {
    std::size_t n = 0;
    while (n < id.size() && id[n] != '\0') ++n;
    return std::string_view(id.data(), n);
}

std::string HeaderRecord::Password() const { return DecodePasswordField(passwordField); }

HeaderRecord DecodeHeaderRecord(const std::uint8_t* bytes) {
    HeaderRecord r;
    std::memcpy(r.id.data(), bytes, 8);
    std::memcpy(&r.created, bytes + 8, 8);
    std::memcpy(&r.reminder, bytes + 16, 8);
    std::memcpy(&r.modified, bytes + 24, 8);
    std::memcpy(&r.start, bytes + 32, 4);
    std::memcpy(&r.end, bytes + 36, 4);
    std::memcpy(r.passwordField.data(), bytes + 40, 8);
    return r;
}

void EncodeHeaderRecord(const HeaderRecord& r, std::uint8_t* bytes) {
    std::memcpy(bytes, r.id.data(), 8);
    std::memcpy(bytes + 8, &r.created, 8);
    std::memcpy(bytes + 16, &r.reminder, 8);
    std::memcpy(bytes + 24, &r.modified, 8);
    std::memcpy(bytes + 32, &r.start, 4);
    std::memcpy(bytes + 36, &r.end, 4);
    std::memcpy(bytes + 40, r.passwordField.data(), 8);
}

std::array<std::uint8_t, 8> EncodePasswordField(std::string_view password) {
    std::string padded(password);
    padded.append(8, ' ');
    std::array<std::uint8_t, 8> field{};
    for (unsigned i = 1; i <= 8; ++i)
        field[i - 1] = static_cast<std::uint8_t>(static_cast<unsigned char>(padded[i - 1]) + i * i);
    return field;
}

std::string DecodePasswordField(const std::array<std::uint8_t, 8>& field) {
    std::string password;
    for (unsigned i = 1; i <= 8; ++i) password.push_back(static_cast<char>(static_cast<std::uint8_t>(field[i - 1] - i * i)));
    return password.substr(0, password.find(' '));
}

std::array<char, 8> IdField(std::string_view id) {
    std::array<char, 8> field{};
    std::copy_n(id.begin(), std::min<std::size_t>(8, id.size()), field.begin());
    return field;
}

}  // namespace jb
