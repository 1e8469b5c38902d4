#pragma once

#include <string>
#include <string_view>

namespace jb {

// Runs RC4 under `key` over bytes in memory as one continuous keystream (enciphering and
// deciphering are the same operation).
std::string Rc4Bytes(std::string_view key, std::string_view bytes);

}  // namespace jb
