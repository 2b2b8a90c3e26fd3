#pragma once

#include <optional>
#include <string>
#include <string_view>

// Text is UTF-8 in memory. Settings files keep narrow strings in Windows-1252 and wide ones in
// UTF-16LE. The five bytes that Windows-1252 leaves unassigned (81, 8D, 8F, 90, 9D) stand for
// the control characters of the same number, so every byte survives a round trip.

std::string utf8FromWindows1252(std::string_view bytes);
// nullopt when the text holds a character that Windows-1252 cannot hold, or is not UTF-8.
std::optional<std::string> windows1252FromUtf8(std::string_view utf8);

// Malformed input becomes U+FFFD.
std::u16string utf16FromUtf8(std::string_view utf8);
std::string utf8FromUtf16(std::u16string_view utf16);
