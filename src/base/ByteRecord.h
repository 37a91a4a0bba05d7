// Records of plain bytes for the run's own files (the per-file cache and the
// form records it keeps): numbers little endian, a text as its length (4
// bytes) and its bytes, a wide text as its length in code units and two
// bytes for each. The reader takes bytes that may end anywhere: every read
// is bounds-checked and says whether it succeeded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace sw {

inline void PutU32(std::string& out, std::uint32_t value) {
  char bytes[4];
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  out.append(bytes, sizeof bytes);
}

inline void PutU64(std::string& out, std::uint64_t value) {
  char bytes[8];
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  out.append(bytes, sizeof bytes);
}

inline void PutText(std::string& out, std::string_view text) {
  PutU32(out, static_cast<std::uint32_t>(text.size()));
  out += text;
}

inline void PutWide(std::string& out, std::u16string_view text) {
  PutU32(out, static_cast<std::uint32_t>(text.size()));
  std::size_t at = out.size();
  out.resize(at + 2 * text.size());
  for (char16_t ch : text) {
    out[at++] = static_cast<char>(ch & 0xFF);
    out[at++] = static_cast<char>(ch >> 8);
  }
}

class TByteReader {
 public:
  explicit TByteReader(std::string_view bytes) : bytes_(bytes) {}
  bool AtEnd() const { return pos_ == bytes_.size(); }
  std::size_t Left() const { return bytes_.size() - pos_; }

  bool U8(std::uint8_t& value) {
    if (Left() < 1) return false;
    value = static_cast<std::uint8_t>(bytes_[pos_++]);
    return true;
  }
  bool U32(std::uint32_t& value) {
    if (Left() < 4) return false;
    value = 0;
    for (int i = 0; i < 4; ++i) value |= std::uint32_t{static_cast<std::uint8_t>(bytes_[pos_++])} << (8 * i);
    return true;
  }
  bool U64(std::uint64_t& value) {
    if (Left() < 8) return false;
    value = 0;
    for (int i = 0; i < 8; ++i) value |= std::uint64_t{static_cast<std::uint8_t>(bytes_[pos_++])} << (8 * i);
    return true;
  }
  bool I64(std::int64_t& value) {
    std::uint64_t bits = 0;
    if (!U64(bits)) return false;
    value = static_cast<std::int64_t>(bits);
    return true;
  }
  bool Text(std::string& text) {
    std::uint32_t size = 0;
    if (!U32(size) || size > Left()) return false;
    text.assign(bytes_.data() + pos_, size);
    pos_ += size;
    return true;
  }
  bool Wide(std::u16string& text) {
    std::uint32_t size = 0;
    if (!U32(size) || size > Left() / 2) return false;
    text.resize(size);
    for (std::uint32_t i = 0; i < size; ++i, pos_ += 2)
      text[i] = static_cast<char16_t>(static_cast<std::uint8_t>(bytes_[pos_]) |
                                      (static_cast<std::uint8_t>(bytes_[pos_ + 1]) << 8));
    return true;
  }

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
};

}  // namespace sw
