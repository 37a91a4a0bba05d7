#include "base/Unicode.h"

#include <cstdint>

namespace sw {

std::size_t Utf8SequenceAt(std::string_view s, std::size_t i, char32_t* codePoint) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    if (codePoint) *codePoint = b0;
    return 1;
  }
  std::size_t len;
  char32_t min;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2, min = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3, min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4, min = 0x10000;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  char32_t cp = b0 & (0x7F >> len);
  for (std::size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  if (codePoint) *codePoint = cp;
  return len;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

namespace {

// Decodes one code point at `i`, advancing `i`; returns U+FFFD on error.
char32_t DecodeUtf8(std::string_view s, std::size_t& i, bool& ok) {
  char32_t cp = 0;
  const std::size_t len = Utf8SequenceAt(s, i, &cp);
  ok = len != 0;
  i += ok ? len : 1;
  return ok ? cp : 0xFFFD;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t i = 0;
  bool ok;
  while (i < text.size()) {
    const char32_t cp = DecodeUtf8(text, i, ok);
    if (cp >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  AppendUtf16AsUtf8(out, text);
  return out;
}

void AppendUtf16AsUtf8(std::string& out, std::u16string_view text) {
  std::size_t i = 0;
  // Runs of ASCII, the bulk of most texts, are copied a unit to a byte.
  const std::size_t start = out.size();
  out.resize(start + text.size());
  char* ascii = out.data() + start;
  while (i < text.size() && text[i] < 0x80) {
    ascii[i] = static_cast<char>(text[i]);
    ++i;
  }
  out.resize(start + i);
  if (i == text.size()) return;
  out.reserve(start + text.size() + (text.size() - i) * 2);
  for (; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    AppendUtf8(out, cp);
  }
}

void Utf16FromBytes(std::span<const std::uint8_t> bytes, bool bigEndian, std::u16string& out) {
  const std::size_t count = bytes.size() / 2;
  out.resize(count);
  const int high = bigEndian ? 0 : 1;
  for (std::size_t i = 0; i < count; ++i)
    out[i] = static_cast<char16_t>((bytes[2 * i + high] << 8) | bytes[2 * i + 1 - high]);
}

std::u16string Utf16FromBytes(std::string_view bytes, bool bigEndian) {
  std::u16string out;
  Utf16FromBytes(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), bigEndian, out);
  return out;
}

bool IsValidUtf8(std::string_view text) {
  std::size_t i = 0;
  bool ok = true;
  while (i < text.size()) {
    DecodeUtf8(text, i, ok);
    if (!ok) return false;
  }
  return true;
}

}  // namespace sw
