// The format strings of the Object Pascal runtime's `Format`, as it reads
// them: a specifier is
//
//   %[index:][-][width][.precision]type
//
// with `index`, `width` and `precision` decimal numbers, `*` for width or
// precision taking an integer argument, and `type` one of d u e f g n m p s x
// (either case); `%%` is a literal percent sign. Arguments are taken in
// order; an index sets the position of the next one, so `%1:s %0:d`
// reorders and `%0:s %0:s` uses one argument twice. A `*` takes its argument
// before the value's.
//
// Arguments are compared by class, as the runtime checks them: integer
// (d u x, and `*`), floating point (e f g n m), pointer (p), string (s).
// Anything else after a `%` (an unknown type, a `%` at the end, an index
// taken from an argument) is a text `Format` would refuse.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace sw {

enum class TFormatArgClass { Integer, Float, Pointer, String };

// "an integer", "a floating-point number", "a pointer", "a string".
const char* FormatArgClassName(TFormatArgClass argClass);

struct TFormatArg {
  TFormatArgClass Class = TFormatArgClass::String;
  std::u16string Spec;  // the first specifier that used it ("%1:d", "%*d")
  bool Mixed = false;   // used with two classes
  TFormatArgClass OtherClass = TFormatArgClass::String;
  std::u16string OtherSpec;
};

struct TFormatString {
  bool Valid = true;
  std::size_t ErrorAt = 0;      // where the refused specifier starts
  std::u16string ErrorSpec;     // the refused specifier, up to its bad character
  int Specifiers = 0;           // specifiers that take arguments (%% not counted)
  std::map<int, TFormatArg> Args;  // by argument index
};

TFormatString ParseFormatString(std::u16string_view text);

}  // namespace sw
