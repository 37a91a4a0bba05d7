// What the walk of one form yields, as data: the steps the storage takes for
// it, in the walk's order (the form, each component entered and left, the
// character-set markers, each property with its value, the report groups).
// The walk builds it without touching a storage, on any thread; applying it
// (TLocFormProcessor::ApplyRecord) is the only part that needs the storage,
// so a run walks its forms in parallel and merges their records in order.
//
// A record also has a compact byte form, for the run's per-file cache. Its
// decoder takes the bytes as hostile: every length and count is checked
// against what is left, every step against the shape a walk produces, and a
// record that fails any check is refused whole (false), never half-filled.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "storage/LocCommon.h"

namespace sw {

struct TFormStep {
  enum Op : std::uint8_t {
    Form,         // Name: the form's name; always the first step, and only once
    Enter,        // Path: a component or collection item whose properties follow
    Leave,        // its properties are done
    Drop,         // the component entered last is excluded: removed from the storage
    Charset,      // Path: a component whose font character set the rules exclude (Flag) or not
    Property,     // Path, Name, the value; Flag: a report's text rather than a property
    ReportBegin,  // Name: the report group the following report texts go to
    ReportEnd,
  };
  std::uint8_t Kind = Form;
  bool Flag = false;
  std::uint8_t ValueKind = vkString;
  std::string Path;
  std::string Name;
  // The value, as the storage records it: the float or integer of those
  // kinds; the text of a string (narrow only when it has no wide text) or
  // the lines of a list joined with CR LF. Other kinds record no value.
  std::string Text;
  std::u16string WideText;
  std::int32_t Integer = 0;
  double Float = 0;
};

struct TFormRecord {
  std::vector<TFormStep> Steps;
  // The error that stopped the walk, raised when the record is applied
  // (after the steps that came before it). Not part of the byte form.
  std::exception_ptr Error;
};

// The byte form of a record without an error.
std::string EncodeFormRecord(const TFormRecord& record);
// False, with `record` emptied, for bytes that are not a record's byte form.
bool DecodeFormRecord(std::string_view bytes, TFormRecord& record);

}  // namespace sw
