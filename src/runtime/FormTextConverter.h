// Converting the text form of a form file into the binary component stream
// that TFormReader reads. The text syntax:
//
//   object Name: TClass [3]         "object", "inherited" or "inline"; the name
//     Caption = 'Text'#13#10 +      and the child position are optional
//       'more'
//     Font.Style = [fsBold]         dotted names; sets in square brackets
//     Items.Strings = ('a' 'b')     lists in round brackets
//     Data = {0A0B0C}               binary data as hexadecimal digits
//     Columns = <item [2] Width = 10 end>   collections, items optionally indexed
//     Value = 1.5s                  floats: suffix C currency, D date, S single
//     object Child: TButton ... end
//   end
//
// Integers are written in the smallest fitting type; strings as tag 6 or 12
// when they are pure ASCII, else as a UTF-8 (tag 20) or wide (tag 18) string,
// whichever is shorter. A currency is written as the number before the
// suffix, which is the amount times 10000, as form designers write it.
//
// The text may start with a UTF-8 (or UTF-16) byte-order mark; then quoted
// bytes are UTF-8. Without one, quoted bytes are 8-bit text in a code page
// that the caller's decoder knows. Line ends may be CR LF, LF or a lone CR.
// "." is the decimal separator whatever the locale. Errors raise
// EParserError "<problem> on line <n>", lines counted from 1 as editors show
// them. Nesting deeper than MaxFormNesting is rejected.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "base/Exceptions.h"
#include "runtime/Streams.h"

namespace sw {

// Runtime message texts of the text parser.
inline constexpr const char* SParseError = "%s on line %d";
inline constexpr const char* SIdentifierExpected = "Identifier expected";
inline constexpr const char* SStringExpected = "String expected";
inline constexpr const char* SNumberExpected = "Number expected";
inline constexpr const char* SCharExpected = "'%s' expected";
inline constexpr const char* SSymbolExpected = "%s expected";
inline constexpr const char* SInvalidBinary = "Invalid binary value";
inline constexpr const char* SInvalidString = "Invalid string constant";
inline constexpr const char* SInvalidTextPropertyValue = "Invalid property value";
inline constexpr const char* SInvalidNumber = "Invalid number '%s'";
inline constexpr const char* STextNestingTooDeep = "Nested deeper than %d levels";

// Turns 8-bit text (quoted bytes of a file without byte-order mark) into
// UTF-16. An empty decoder takes each byte as the character of that code
// (ISO 8859-1).
using TAnsiDecoder = std::function<std::u16string(std::string_view)>;

// Converts the text form `text` and appends the binary stream to `output`.
void ObjectTextToBinary(std::string_view text, TStream& output, const TAnsiDecoder& decodeAnsi = nullptr);

}  // namespace sw
