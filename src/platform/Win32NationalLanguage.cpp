// The user's default language and the system code page as Windows reports
// them. Locale information, the enumeration of locales and the code-page
// conversions stay with the compiled-in tables (NationalLanguage.cpp,
// CodePages.cpp) on Windows too: language files and lib.ini carry locale
// names and converted bytes, and a library processed on Windows must give the
// same files as on any other machine, whatever the system's locale data
// (which differs between Windows versions, and under Wine).
#include "platform/NationalLanguage.h"

#include "platform/Win32Text.h"

namespace sw::platform {

LANGID GetUserDefaultLangID() { return static_cast<LANGID>(::GetUserDefaultLangID()); }

unsigned GetACP() { return ::GetACP(); }

}  // namespace sw::platform
