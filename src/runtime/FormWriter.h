// Writing the binary component stream of form files (the format read by
// TFormReader): signature, component prefixes, short strings and tagged
// values with their little-endian payloads. Every length that must fit a
// smaller field is checked and raises EWriteError naming the field, so a
// value that cannot be represented never produces a corrupt stream.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/FormReader.h"
#include "runtime/Streams.h"

namespace sw {

inline constexpr const char* SFormValueTooLong = "%s is too long for a form stream (%d bytes, at most %d)";

class TFormWriter {
 public:
  explicit TFormWriter(TStream& stream) : stream_(stream) {}

  void WriteSignature();
  // The prefix byte and child position; nothing when `flags` is 0.
  void WritePrefix(std::uint8_t flags, std::int32_t childPos);
  // A short string (names); `what` names the field in the error.
  void WriteStr(std::string_view text, const char* what = "Name");
  void WriteValue(std::uint8_t tag) { stream_.WriteU8(tag); }
  void WriteListEnd() { stream_.WriteU8(0); }

  // An integer in the smallest of int8, int16, int32, int64.
  void WriteInteger(std::int64_t value);
  void WriteExtended(double value);
  void WriteSingle(float value);
  void WriteCurrency(std::int64_t scaled);  // the amount times 10000
  void WriteDate(double value);
  // Tag 6 up to 255 bytes, else tag 12; the bytes are written as they are.
  void WriteAnsiString(std::string_view bytes);
  void WriteWideString(std::u16string_view text);
  void WriteUtf8String(std::string_view utf8);
  // Chooses the tag of a wide text: 6 or 12 when it is pure ASCII, else 20
  // when its UTF-8 form is shorter than two bytes per character, else 18.
  void WriteString(std::u16string_view text);
  void WriteIdent(std::string_view ident);  // False/True/nil/Null get their own tags
  void WriteSet(const std::vector<std::string>& names);
  void WriteBinary(std::string_view data);

  TStream& Stream() { return stream_; }

 private:
  void WriteCount(std::size_t count, const char* what);
  TStream& stream_;
};

}  // namespace sw
