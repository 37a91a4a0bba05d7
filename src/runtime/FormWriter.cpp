// Writing the binary component stream of form files; see FormWriter.h.
#include "runtime/FormWriter.h"

#include <bit>
#include <limits>

#include "base/AsciiText.h"
#include "base/Unicode.h"

namespace sw {

void TFormWriter::WriteSignature() { stream_.WriteBuffer(FilerSignature, 4); }

void TFormWriter::WritePrefix(std::uint8_t flags, std::int32_t childPos) {
  if (flags == 0) return;
  stream_.WriteU8(static_cast<std::uint8_t>(0xF0 | (flags & 0x0F)));
  if (flags & ffChildPos) WriteInteger(childPos);
}

void TFormWriter::WriteStr(std::string_view text, const char* what) {
  if (text.size() > 255)
    throw EWriteError(Format(SFormValueTooLong, what, static_cast<long long>(text.size()), 255));
  stream_.WriteU8(static_cast<std::uint8_t>(text.size()));
  stream_.WriteBuffer(text.data(), text.size());
}

void TFormWriter::WriteCount(std::size_t count, const char* what) {
  if (count > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
    throw EWriteError(Format(SFormValueTooLong, what, static_cast<long long>(count),
                             std::numeric_limits<std::int32_t>::max()));
  stream_.WriteU32(static_cast<std::uint32_t>(count));
}

void TFormWriter::WriteInteger(std::int64_t value) {
  if (value >= -128 && value <= 127) {
    WriteValue(vaInt8);
    stream_.WriteU8(static_cast<std::uint8_t>(value));
  } else if (value >= -32768 && value <= 32767) {
    WriteValue(vaInt16);
    stream_.WriteU16(static_cast<std::uint16_t>(value));
  } else if (value >= std::numeric_limits<std::int32_t>::min() &&
             value <= std::numeric_limits<std::int32_t>::max()) {
    WriteValue(vaInt32);
    stream_.WriteU32(static_cast<std::uint32_t>(value));
  } else {
    WriteValue(vaInt64);
    stream_.WriteU64(static_cast<std::uint64_t>(value));
  }
}

void TFormWriter::WriteExtended(double value) {
  std::uint8_t b[10];
  DoubleToExtended(value, b);
  WriteValue(vaExtended);
  stream_.WriteBuffer(b, 10);
}

void TFormWriter::WriteSingle(float value) {
  WriteValue(vaSingle);
  stream_.WriteU32(std::bit_cast<std::uint32_t>(value));
}

void TFormWriter::WriteCurrency(std::int64_t scaled) {
  WriteValue(vaCurrency);
  stream_.WriteU64(static_cast<std::uint64_t>(scaled));
}

void TFormWriter::WriteDate(double value) {
  WriteValue(vaDate);
  stream_.WriteU64(std::bit_cast<std::uint64_t>(value));
}

void TFormWriter::WriteAnsiString(std::string_view bytes) {
  if (bytes.size() <= 255) {
    WriteValue(vaString);
    stream_.WriteU8(static_cast<std::uint8_t>(bytes.size()));
  } else {
    WriteValue(vaLString);
    WriteCount(bytes.size(), "String");
  }
  stream_.WriteBuffer(bytes.data(), bytes.size());
}

void TFormWriter::WriteWideString(std::u16string_view text) {
  WriteValue(vaWString);
  WriteCount(text.size(), "Wide string");
  for (char16_t c : text) stream_.WriteU16(static_cast<std::uint16_t>(c));
}

void TFormWriter::WriteUtf8String(std::string_view utf8) {
  WriteValue(vaUTF8String);
  WriteCount(utf8.size(), "UTF-8 string");
  stream_.WriteBuffer(utf8.data(), utf8.size());
}

void TFormWriter::WriteString(std::u16string_view text) {
  bool ascii = true;
  for (char16_t c : text)
    if (c > 127) {
      ascii = false;
      break;
    }
  if (ascii) {
    std::string bytes(text.begin(), text.end());
    WriteAnsiString(bytes);
    return;
  }
  const std::string utf8 = Utf16ToUtf8(text);
  // A lone surrogate has no UTF-8 form; the wide string keeps it intact.
  if (utf8.size() < 2 * text.size() && Utf8ToUtf16(utf8) == text)
    WriteUtf8String(utf8);
  else
    WriteWideString(text);
}

void TFormWriter::WriteIdent(std::string_view ident) {
  if (SameTextAscii(ident, "False")) {
    WriteValue(vaFalse);
  } else if (SameTextAscii(ident, "True")) {
    WriteValue(vaTrue);
  } else if (SameTextAscii(ident, "nil")) {
    WriteValue(vaNil);
  } else if (SameTextAscii(ident, "Null")) {
    WriteValue(vaNull);
  } else {
    WriteValue(vaIdent);
    WriteStr(ident, "Identifier");
  }
}

void TFormWriter::WriteSet(const std::vector<std::string>& names) {
  WriteValue(vaSet);
  for (const auto& name : names) WriteStr(name, "Set element");
  WriteStr("");
}

void TFormWriter::WriteBinary(std::string_view data) {
  WriteValue(vaBinary);
  WriteCount(data.size(), "Binary value");
  stream_.WriteBuffer(data.data(), data.size());
}

}  // namespace sw
