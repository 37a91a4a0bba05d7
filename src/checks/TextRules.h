// The per-unit translation checks: each compares one translation with its
// native text and answers the problem's message, or none. Every rule is
// stated here once; the table of checks (Checks.cpp) gives each its name
// and severity. The rules see only translations that are up to date or out
// of date; only `identical` and `empty` look at that difference.
//
// Also here, the text helpers the rules share with `hotkeys`: accelerators,
// line breaks and the case folding of accelerator letters.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "checks/Checks.h"

namespace sw {

// ---- Helpers -----------------------------------------------------------------

// The accelerators of a text: each "&" followed by a character other than
// "&" ("&&" is a literal ampersand, a "&" at the very end is nothing).
int CountAccelerators(std::u16string_view text);
// The character after the first accelerator, folded to upper case (see
// FoldLetter); 0 when there is none or it is white space.
char16_t AcceleratorKey(std::u16string_view text);
// Upper case of the letters of the Latin-1, Latin Extended-A, Greek,
// Cyrillic and full-width Latin blocks; other characters are returned as
// they are. Enough for accelerator keys, which are letters and digits.
char16_t FoldLetter(char16_t c);
// Line breaks: CR LF, a lone LF and a lone CR each count as one.
int CountLineBreaks(std::u16string_view text);
// Lines of a string list's text, as TStrings counts them: "" has none, and a
// break at the very end starts no further line.
int CountListLines(std::u16string_view text);

// ---- Rules -------------------------------------------------------------------

// format (error): when the native text holds at least one `Format`
// specifier (FormatString.h), the translation must be a valid format string
// using the same arguments with the same classes; indexes may reorder them
// and an argument may be used more than once. A native text without
// specifiers, or one `Format` would refuse, is not checked.
std::optional<std::string> CheckFormat(const TCheckUnit& unit);

// accelerator (error): a native text with one accelerator needs exactly one
// in the translation; a native text with none needs none. Native texts with
// more than one are not checked.
std::optional<std::string> CheckAccelerator(const TCheckUnit& unit);

// string-list (error): a string list (a `TStrings` property such as
// `Items.Strings` or `Lines.Strings`) must keep the native number of lines:
// code refers to its lines by position.
std::optional<std::string> CheckStringList(const TCheckUnit& unit);

// report-expressions (error): every bracketed expression of a report
// design's text (`[Page#]`, `[Date]`, `[<Table."Field">]`, nested brackets
// and quoted strings inside included) must appear unchanged in the
// translation, and the translation adds none.
std::optional<std::string> CheckReportExpressions(const TCheckUnit& unit);

// line-breaks (warning): outside string lists, the translation has as many
// line breaks as the native text.
std::optional<std::string> CheckLineBreaks(const TCheckUnit& unit);

// spaces (warning): the white space (blanks, tabs, no-break and ideographic
// spaces; line breaks are `line-breaks`' business) at the start and at the
// end of the translation equals the native text's.
std::optional<std::string> CheckSpaces(const TCheckUnit& unit);

// end-punctuation (warning): both texts end (trailing white space aside)
// with the same one of ":", an ellipsis ("..." or "…"), "?", "!", "." or
// none of them. Full-width forms, the ideographic full stop and the Greek
// and Arabic question marks count as their Latin counterparts.
std::optional<std::string> CheckEndPunctuation(const TCheckUnit& unit);

// identical (warning): an up-to-date translation equal to a native text of
// two words or more (words as the coverage counts them) is likely a copy
// that was never translated.
std::optional<std::string> CheckIdentical(const TCheckUnit& unit);

// empty (error): an up-to-date translation must not be empty (every unit
// has a native text).
std::optional<std::string> CheckEmpty(const TCheckUnit& unit);

// length (warning): a caption (a form property named "Caption" or ending in
// ".Caption"; not a hint, not a string constant) whose translation is more
// than 50% and more than 10 characters longer than its native text, both
// counted without accelerator marks, risks being clipped.
std::optional<std::string> CheckLength(const TCheckUnit& unit);

}  // namespace sw
