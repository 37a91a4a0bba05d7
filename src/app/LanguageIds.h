// The one reader of a language named on the command line or in a request: a
// decimal identifier, a "0x" hexadecimal one, or an abbreviation such as DEU
// (an English language name is accepted too). Bare digits are decimal unless
// the caller documents them as hexadecimal (`locales --id 0409`).
#pragma once

#include <optional>
#include <string_view>

#include "platform/NationalLanguage.h"

namespace sw {

enum class TBareDigits { Decimal, Hexadecimal };

// The identifier `text` names (1 .. 0xFFFF, or 0 when `allowZero` and the
// text is a number); nullopt for anything else. The language need not be one
// the catalogue knows; callers that need that check it.
std::optional<LANGID> ParseLanguageId(std::string_view text, TBareDigits bare = TBareDigits::Decimal,
                                      bool allowZero = false);

}  // namespace sw
