// Message texts of the processing run and its service.
#pragma once

namespace sw {

inline constexpr const char* SSourceFolderMissing = "The source folder \"%s\" does not exist";
inline constexpr const char* SNativeFolderMissing = "The native language's folder \"%s\" does not exist";
inline constexpr const char* STranslationFolderMissing =
    "The folder \"%s\" of %s does not exist: its translations keep the native copies";
inline constexpr const char* SUnusedKeptNoFiles =
    "Unused items were not removed: the native folder \"%s\" holds no file of the kinds scanned";
inline constexpr const char* SUnusedKeptFailures =
    "Unused items were not removed: %d native file(s) could not be read";

inline constexpr const char* SLanguageFilesNotWritten = "%d of %d language files could not be written:";

}  // namespace sw
