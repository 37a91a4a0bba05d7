// Text functions shared by every module: character classes, trimming and
// searching, replacing, path joining, number parsing, quoting for Object
// Pascal and C sources, INI-style section reading in string lists, and the
// wildcard match of the property rules. No function keeps state.
//
// Positions are 1-based. "Without regard to case" folds ASCII letters only,
// unless a function says it follows the locale; the locale here is the
// system ANSI code page's (Windows-1252 by default), see LowerAnsi.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/AnsiText.h"
#include "base/AsciiText.h"
#include "base/Exceptions.h"
#include "base/Numbers.h"
#include "platform/FileSystem.h"
#include "runtime/StringList.h"

namespace sw {

SW_DECLARE_EXCEPTION(EQStringsError, Exception)

// Character classes.
bool IsSpaceChar(char c);     // tab, LF, CR, space
bool IsDigitChar(char c);     // "0".."9"
bool IsHexDigitChar(char c);  // digits, A-F, a-f
bool IsIdentChar(char c);     // digits, A-Z, codes 95..122

// Text tests.
bool IsAllDigits(std::string_view text);
bool HasLetter(std::string_view text);
bool HasLetterW(std::u16string_view text);
bool StartsWith(std::string_view prefix, std::string_view text);
bool EndsWithText(std::string_view suffix, std::string_view text);
int IndexOfText(const TStringList& list, std::string_view text);
bool IsInList(std::string_view text, const std::vector<std::string>& list);
bool IsInListAnsi(std::string_view text, const std::vector<std::string>& list);


// Searching, cutting and joining.
std::string TrimSpaces(std::string_view text);
// An `n` below 1 counts as 1.
int PosFrom(std::string_view sub, std::string_view text, int start, int n);
int PosText(std::string_view sub, std::string_view text);
std::string TextBefore(std::string_view separator, std::string_view text);
std::string TextAfter(std::string_view separator, std::string_view text);
std::pair<std::string, std::string> SplitAt(std::string_view separator, std::string_view text);
std::string StripExt(std::string_view path);
std::string Capitalize(std::string_view text);
// Joins with the platform's path separator ("\" on Windows, "/" elsewhere).
std::string JoinWithDot(std::string_view a, std::string_view b);
// The last component of a path, and its extension with the dot ("" when none).
std::string ExtractFileName(std::string_view path);
std::string ExtractFileExt(std::string_view path);
std::string ExtractFilePath(std::string_view path);  // with the trailing separator

// Replacing.
std::string ReplaceAll(std::string_view text, std::string_view oldText, std::string_view newText);
std::string ReplaceText(std::string_view text, std::string_view oldText, std::string_view newText);

// Numbers.
int HexDigitValue(char c);
int HexToInt(std::string_view text);
int OctDigitValue(char c);
int OctToInt(std::string_view text);
// Raises EConvertError "'%s' is not a valid integer value".
int StrToIntTrim(std::string_view text);
int StrToIntDef0(std::string_view text);
double StrToFloatDef0(std::string_view text);

// Quoting for sources.
std::string QuotePascal(std::string_view text, char quote = '\'');
std::string EscapeC(std::string_view text, bool keepApostrophe, bool addQuotes);
std::string QuoteC(std::string_view text, bool keepApostrophe);

// String-list editing and INI-style sections. Lines and columns are 0-based
// indexes into the list and 1-based character positions within a line.
void InsertInLine(TStringList& list, int line, int column, std::string_view text);
void DeleteTextRange(TStringList& list, int firstLine, int firstColumn, int lastColumn, int lastLine);
int FindSection(int start, const TStringList& list, std::string_view name);
int ReadSection(int start, const TStringList& list, std::string_view name, TStringList& out);

bool MatchesMask(std::string_view text, std::string_view mask, bool caseSensitive);

}  // namespace sw
