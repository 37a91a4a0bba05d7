// The locale catalogue: names, abbreviations and code pages of Windows
// language identifiers, the locale lists, reverse look-ups, and the
// conversion of text between 8-bit and wide form in a language's code page.
// Built on the national-language services of the platform layer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/Exceptions.h"

namespace sw {

using LANGID = std::uint16_t;

SW_DECLARE_EXCEPTION(ELocalesError, Exception)

std::string GetLocaleInfoStr(LANGID id, int infoType);
std::string GetEnglishLangName(LANGID id);
inline LANGID PrimaryLangId(LANGID id) { return static_cast<LANGID>(id & 0x3FF); }
std::string GetLangAbbr(LANGID id);
LANGID LangIdFromAbbr(std::string_view abbr);
LANGID LangIdFromEnglishName(std::string_view name);
unsigned GetCodePage(LANGID id);

// Code page 0 is the system ANSI code page.
std::u16string AnsiToWideCP(std::string_view text, unsigned codePage);
std::string WideToAnsiCP(std::u16string_view text, unsigned codePage);
std::u16string AnsiToWideByLang(std::string_view text, LANGID id);
std::string WideToAnsiByLang(std::u16string_view text, LANGID id);
std::u16string RecodeWide(std::u16string_view text, LANGID sourceId, LANGID targetId);

}  // namespace sw
