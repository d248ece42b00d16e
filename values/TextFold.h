#pragma once

// Case folding of UTF-8 text, shared by the server's text comparisons and the dataset
// layer's: SQL Server's default collation ignores letter case (Latin and Cyrillic alike)
// and trailing blanks.

#include <cstdint>
#include <string>
#include <string_view>

namespace values {

// Decodes one code point at s[i], advancing i; invalid bytes decode as themselves.
char32_t decodeUtf8(std::string_view s, std::size_t& i);
void appendUtf8(std::string& out, char32_t c);

char32_t foldChar(char32_t c);   // to lower case
char32_t upperChar(char32_t c);  // to upper case

std::string foldCase(std::string_view s);
std::string upperCase(std::string_view s);

// Three-way comparison as the collation does it: case ignored, trailing blanks ignored.
int compareFolded(std::string_view a, std::string_view b);

}  // namespace values
