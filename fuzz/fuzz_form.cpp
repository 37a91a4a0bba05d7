// libFuzzer harness for form files: arbitrary bytes are read as a binary form
// stream through TFormReader (every value read with its own payload reader,
// then skipped as a whole in a second pass), converted from the text form
// into the binary stream, and processed by TLocFormProcessor in all three
// shapes into a native column and a translation column. Damaged input must
// end in one of the project's exceptions; anything else escaping, a crash, a
// hang or a sanitizer report is a fault. What the converter writes must read
// back as a whole form stream.
#include <cstddef>
#include <cstdint>
#include <string>

#include "extract/forms/LocFormProc.h"
#include "base/Exceptions.h"
#include "runtime/FormReader.h"
#include "runtime/FormTextConverter.h"
#include "runtime/Streams.h"
#include "storage/LocCommon.h"
#include "storage/LocStorage.h"
#include "storage/PropRules.h"

namespace {

void ReadValue(sw::TFormReader& r, int depth);

void ReadProperties(sw::TFormReader& r, int depth) {
  while (!r.EndOfList()) {
    (void)r.ReadStr();
    ReadValue(r, depth + 1);
  }
  r.ReadListEnd();
}

void ReadValue(sw::TFormReader& r, int depth) {
  if (depth > sw::MaxFormNesting) throw sw::EReadError("nested too deep");
  const std::uint8_t tag = r.ReadValue();
  switch (tag) {
    case sw::vaNull:
    case sw::vaFalse:
    case sw::vaTrue:
    case sw::vaNil:
      break;
    case sw::vaInt8:
    case sw::vaInt16:
    case sw::vaInt32:
      (void)r.ReadIntegerPayload(tag);
      break;
    case sw::vaInt64:
      (void)r.ReadInt64Payload();
      break;
    case sw::vaExtended:
      (void)r.ReadExtendedPayload();
      break;
    case sw::vaSingle:
      (void)r.ReadSinglePayload();
      break;
    case sw::vaCurrency:
      (void)r.ReadCurrencyPayload();
      break;
    case sw::vaDate:
      (void)r.ReadDatePayload();
      break;
    case sw::vaString:
    case sw::vaLString:
      (void)r.ReadStringPayload(tag);
      break;
    case sw::vaWString:
      (void)r.ReadWideStringPayload();
      break;
    case sw::vaUTF8String:
      (void)r.ReadUtf8StringPayload();
      break;
    case sw::vaIdent:
      (void)r.ReadStr();
      break;
    case sw::vaSet:
      (void)r.ReadSetPayload();
      break;
    case sw::vaBinary: {
      std::size_t total = 0;
      r.ReadBinaryPayload([&](const std::uint8_t* p, std::size_t n) {
        if (n > sw::TFormReader::BinaryChunkSize) __builtin_trap();
        for (std::size_t i = 0; i < n; ++i) total += p[i];
      });
      break;
    }
    case sw::vaList:
      while (!r.EndOfList()) ReadValue(r, depth + 1);
      r.ReadListEnd();
      break;
    case sw::vaCollection:
      while (!r.EndOfList()) {
        const std::uint8_t next = r.NextValue();
        if (next == sw::vaInt8 || next == sw::vaInt16 || next == sw::vaInt32) (void)r.ReadInteger();
        r.CheckValue(sw::vaList);
        ReadProperties(r, depth + 1);
      }
      r.ReadListEnd();
      break;
    default:
      throw sw::EReadError("unknown tag");
  }
}

void ReadComponent(sw::TFormReader& r, int depth) {
  if (depth > sw::MaxFormNesting) throw sw::EReadError("nested too deep");
  std::uint8_t flags = 0;
  std::int32_t childPos = 0;
  r.ReadPrefix(flags, childPos);
  (void)r.ReadStr();
  (void)r.ReadStr();
  ReadProperties(r, depth);
  while (!r.EndOfList()) ReadComponent(r, depth + 1);
  r.ReadListEnd();
}

// Reads a whole form stream; false when the reader rejected it.
bool ReadForm(const std::string& bytes, bool skipping) {
  try {
    sw::TMemoryStream stream(bytes);
    sw::TFormReader r(stream);
    r.ReadSignature();
    if (!skipping) {
      ReadComponent(r, 0);
    } else {
      std::uint8_t flags = 0;
      std::int32_t childPos = 0;
      r.ReadPrefix(flags, childPos);
      (void)r.ReadStr();
      (void)r.ReadStr();
      while (!r.EndOfList()) r.SkipProperty();
      r.ReadListEnd();
    }
    if (r.Remaining() < 0) __builtin_trap();
    return true;
  } catch (const sw::Exception&) {
    return false;
  }
}

void Process(const std::string& bytes) {
  sw::TLocStorage storage;
  const int column = storage.AddLanguage(0, 0x0407);
  for (int c : {0, column}) {
    sw::TLocFormProcessor processor;
    sw::SetDefaultPropRules(processor.PropRules);
    processor.PropRules.Add("*.Hint");
    processor.Storage = &storage;
    processor.Column = c;
    processor.LangId = storage.Languages(c);
    processor.Revision = 1;
    try {
      processor.ProcessBytes(bytes);
    } catch (const sw::Exception&) {
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);

  ReadForm(input, false);
  ReadForm(input, true);
  Process(input);

  // The text form, converted and read back.
  sw::TMemoryStream binary;
  bool converted = false;
  try {
    sw::ObjectTextToBinary(input, binary);
    converted = true;
  } catch (const sw::Exception&) {
  }
  if (converted) {
    if (!ReadForm(binary.AsString(), false)) __builtin_trap();
    Process(binary.AsString());
  }
  return 0;
}
