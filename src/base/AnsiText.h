// Case mapping, searching and the wildcard match of 8-bit texts by the
// locale's rules, and trimming. The locale
// is the system ANSI code page's: its case pairs are those of Windows-1252,
// mapped byte for byte so that changing case never changes a text's length or
// the positions in it.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace sw {

namespace detail {

// Windows-1252 letter pairs beyond ASCII: Š/š, Œ/œ, Ž/ž, Ÿ/ÿ and À..Þ/à..þ
// without the multiplication sign. ß and µ have no 8-bit upper case.
constexpr std::array<unsigned char, 256> MakeLowerAnsiTable() {
  std::array<unsigned char, 256> t{};
  for (int c = 0; c < 256; ++c) t[c] = static_cast<unsigned char>(c);
  for (int c = 'A'; c <= 'Z'; ++c) t[c] = static_cast<unsigned char>(c + 32);
  for (int c = 0xC0; c <= 0xDE; ++c)
    if (c != 0xD7) t[c] = static_cast<unsigned char>(c + 32);
  t[0x8A] = 0x9A;
  t[0x8C] = 0x9C;
  t[0x8E] = 0x9E;
  t[0x9F] = 0xFF;
  return t;
}

constexpr std::array<unsigned char, 256> MakeUpperAnsiTable() {
  std::array<unsigned char, 256> t{};
  for (int c = 0; c < 256; ++c) t[c] = static_cast<unsigned char>(c);
  for (int c = 'a'; c <= 'z'; ++c) t[c] = static_cast<unsigned char>(c - 32);
  for (int c = 0xE0; c <= 0xFE; ++c)
    if (c != 0xF7) t[c] = static_cast<unsigned char>(c - 32);
  t[0x9A] = 0x8A;
  t[0x9C] = 0x8C;
  t[0x9E] = 0x8E;
  t[0xFF] = 0x9F;
  return t;
}

}  // namespace detail

// Byte-to-byte case tables of the locale.
inline constexpr std::array<unsigned char, 256> kLowerAnsi = detail::MakeLowerAnsiTable();
inline constexpr std::array<unsigned char, 256> kUpperAnsi = detail::MakeUpperAnsiTable();

// Case mapping by the locale's rules (Windows-1252 letters fold too).
std::string LowerAnsi(std::string_view text);
std::string UpperAnsi(std::string_view text);

// The runtime's Trim: removes leading and trailing characters up to the space
// (codes 0 to 32).
std::string Trim(std::string_view text);

// `a` and `b` joined with one `separator` between them (none is added when
// either is empty, and a doubled one is dropped).
std::string JoinWithSep(std::string_view a, std::string_view b, char separator);

// 1-based position of `sub` in `text` without regard to the locale's case; 0
// when absent.
int PosText(std::string_view sub, std::string_view text);
// The text in lower case with its first character in upper case.
std::string Capitalize(std::string_view text);
// Whether the text holds an ASCII letter or any byte from 128 up.
bool HasLetter(std::string_view text);
// The wildcard match of the property rules: "*" any run, "?" any one
// character; without `caseSensitive`, the locale's case is folded. An
// asterisk followed by another wildcard never matches.
bool MatchesMask(std::string_view text, std::string_view mask, bool caseSensitive);

}  // namespace sw
