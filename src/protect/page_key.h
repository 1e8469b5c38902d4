#pragma once

#include <string>
#include <string_view>

namespace jb {

// The 8-character cipher key of a page: the password padded with spaces, ASCII letters
// upper-cased, cut to 8 characters. Passwords differing only in letter case share a key.
std::string PageKey(std::string_view password);

}  // namespace jb
