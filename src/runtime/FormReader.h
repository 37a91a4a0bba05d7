// Reading the binary component stream of form files: the signature "TPF0",
// component headers (an optional prefix byte 0xF0 | flags with an optional
// child position, the class name, the component name), properties (a short
// string name and one tagged value, the list ended by a 0 byte) and the
// tagged values 0 to 20 with their little-endian payloads.
//
// `TFormReader` is the only way form data is read: it reads through a
// `BinaryReader` over the bytes from the stream's position to its end (a
// memory stream in place, any other stream copied once), checks every length
// against what is left before it allocates anything, and raises EReadError
// "Stream read error" for a stream that ends early and "Invalid stream
// format" / "Invalid property value" for a broken structure. It never reads
// past the data it was given, whatever the bytes. It does not interpret
// properties: deciding what a value means is the caller's job.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/Exceptions.h"
#include "runtime/BinaryReader.h"
#include "runtime/Streams.h"

namespace sw {

// The value tags of a form stream.
enum TValueType : std::uint8_t {
  vaNull = 0,
  vaList = 1,
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaExtended = 5,
  vaString = 6,
  vaIdent = 7,
  vaFalse = 8,
  vaTrue = 9,
  vaBinary = 10,
  vaSet = 11,
  vaLString = 12,
  vaNil = 13,
  vaCollection = 14,
  vaSingle = 15,
  vaCurrency = 16,
  vaDate = 17,
  vaWString = 18,
  vaInt64 = 19,
  vaUTF8String = 20,
};
inline constexpr std::uint8_t vaMaxValueType = vaUTF8String;

// Flags in the low nibble of a component's prefix byte (high nibble 0xF).
enum : std::uint8_t {
  ffInherited = 0x01,
  ffChildPos = 0x02,
  ffInline = 0x04,
};

inline constexpr char FilerSignature[4] = {'T', 'P', 'F', '0'};

// Runtime message texts of the form stream.
inline constexpr const char* SInvalidImage = "Invalid stream format";
inline constexpr const char* SInvalidPropertyValue = "Invalid property value";
inline constexpr const char* SFormNestingTooDeep = "Form data nested deeper than %d levels at offset %d";

// Lists, collections and components nest at most this deep; deeper data is
// rejected instead of exhausting the stack.
inline constexpr int MaxFormNesting = 256;

// 80-bit extended floats as stored in form streams (10 bytes, little-endian).
double ExtendedToDouble(const std::uint8_t bytes[10]);
void DoubleToExtended(double value, std::uint8_t bytes[10]);

class TFormReader {
 public:
  // Binary data is handed out in chunks of at most this many bytes.
  static constexpr std::size_t BinaryChunkSize = 1024;

  // Reads `stream` from its current position to its end. The stream's own
  // position is not moved; `Position()` says how far the reader got.
  explicit TFormReader(TStream& stream);
  TFormReader(const TFormReader&) = delete;
  TFormReader& operator=(const TFormReader&) = delete;

  // Offset in the stream of the next byte to be read.
  std::int64_t Position() const { return static_cast<std::int64_t>(reader_.Position()); }
  // Bytes left to read.
  std::int64_t Remaining() const { return static_cast<std::int64_t>(reader_.Remaining()); }

  // Raw bytes.
  std::uint8_t ReadByte() { return reader_.ReadU8(); }
  std::uint8_t PeekByte() const { return reader_.PeekU8(); }
  void Read(void* buffer, std::size_t count);
  std::uint16_t ReadU16() { return reader_.ReadU16LE(); }
  std::uint32_t ReadU32() { return reader_.ReadU32LE(); }
  std::uint64_t ReadU64() { return reader_.ReadU64LE(); }

  // Checks the 4-byte signature "TPF0"; raises "Invalid stream format".
  void ReadSignature();
  // The optional prefix byte of a component header: its flags (0 when there
  // is no prefix) and, with ffChildPos, the child position (else 0).
  void ReadPrefix(std::uint8_t& flags, std::int32_t& childPos);
  // A short string: one length byte and that many bytes.
  std::string ReadStr();
  // The same into `out`, reusing its storage.
  void ReadStr(std::string& out) { reader_.ReadChars(ReadByte(), out); }

  // The next tag, consumed or only looked at. Tags above 20 are returned as
  // they are; the caller decides how to report them.
  std::uint8_t ReadValue() { return ReadByte(); }
  std::uint8_t NextValue() const { return PeekByte(); }
  // True when the next byte ends a list (0).
  bool EndOfList() const { return PeekByte() == 0; }
  // Consumes the 0 byte that ends a list; anything else is "Invalid property value".
  void ReadListEnd();
  // Consumes the next tag and raises "Invalid property value" unless it is `expected`.
  void CheckValue(std::uint8_t expected);

  // Tag and payload of an integer of tags 2 to 4 (32-bit) or 2 to 4 and 19.
  std::int32_t ReadInteger();
  std::int64_t ReadInt64();

  // Payloads, read after their tag.
  std::int32_t ReadIntegerPayload(std::uint8_t tag);  // vaInt8, vaInt16, vaInt32
  std::int64_t ReadInt64Payload() { return static_cast<std::int64_t>(ReadU64()); }
  double ReadExtendedPayload();
  float ReadSinglePayload();
  std::int64_t ReadCurrencyPayload() { return static_cast<std::int64_t>(ReadU64()); }  // amount * 10000
  double ReadDatePayload();
  std::string ReadStringPayload(std::uint8_t tag);  // vaString, vaLString: the bytes
  void ReadStringPayload(std::uint8_t tag, std::string& out);  // the same into `out`
  std::u16string ReadWideStringPayload();           // vaWString
  void ReadWideStringPayload(std::u16string& out) { reader_.ReadUtf16(ReadU32(), out); }
  std::string ReadUtf8StringPayload();              // vaUTF8String: the UTF-8 bytes
  std::vector<std::string> ReadSetPayload();        // vaSet
  // vaBinary: the data is passed to `sink` in chunks of at most 1024 bytes.
  void ReadBinaryPayload(const std::function<void(const std::uint8_t*, std::size_t)>& sink);

  // Skips one whole value (tag and payload, lists and collections included).
  void SkipValue();
  // Skips one property (name and value).
  void SkipProperty();

 private:
  // A 4-byte count of `unitSize`-byte units that must fit in what is left.
  std::size_t ReadCount(std::size_t unitSize) { return reader_.CheckCount(ReadU32(), unitSize); }
  void SkipValue(int depth);

  TStreamBytes bytes_;
  BinaryReader reader_;
};

}  // namespace sw
