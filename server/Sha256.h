#pragma once

// SHA-256 (FIPS 180-4), for the password digests of the server logins. The server library
// uses nothing but the standard library and SQLite, and SQLite has no digest of its own.

#include <string>
#include <string_view>

namespace server {

// The digest as 64 lower-case hexadecimal digits.
std::string sha256Hex(std::string_view data);

}  // namespace server
