// The program's message table: the texts that the utilities and every
// layer above them (storage, compression, extraction, the processing run)
// show or raise, with their %s/%d placeholders, formatted by sw::Format
// (printf semantics). One block per subsystem; add a module's texts to its
// own block, and declare each text once.
//
// What it does not hold: the texts of the layers below it, which cannot
// include it (base/Exceptions.h holds the runtime's standard messages,
// runtime/ the form-stream and profile-file texts beside their readers);
// the command line's usage and report lines, which live with their command
// in cli/; and the windows' captions and prompts, which live with their
// window model.
#pragma once

namespace sw {

// ---- Utilities and runtime ------------------------------------------------


// (end of utilities block)

// ---- Locale catalogue -------------------------------------------------------

inline constexpr const char* SCannotGetLocaleInfo = "Can not get locale info";

// (end of locale block)

// ---- Translation storage and language files ---------------------------------

inline constexpr const char* SEmptyDictionary = "Empty dictionary";
inline constexpr const char* SCouldNotAddLanguage = "Could not add language";
inline constexpr const char* SInvalidFileFormat = "Invalid file format";
inline constexpr const char* SNewerLangFile =
    "The language file can not be read. You need to download the latest Linguadesk";
inline constexpr const char* SInvalidLocStorage = "Invalid LocStorage";
inline constexpr const char* SInvalidIndex = "Invalid index";
inline constexpr const char* SLangFileReadOnly = "File \"%s\" was opened as read-only";
inline constexpr const char* SCanNotLockLangFile = "Can not open language file exclusively";
inline constexpr const char* SCouldNotWriteFile = "Could not write to file \"%s\"";
inline constexpr const char* SRetryCaption = "Polyverb";
// Limits of the format; raised before anything is written.
inline constexpr const char* SLangFileListTooLong =
    "Cannot save %s: it holds %d entries, a language file can store at most 65535";
inline constexpr const char* SLangFileStringTooLong =
    "Cannot save a string of %u characters in a language file of version %d (at most %u)";
inline constexpr const char* SLangFileReadError = "%s at offset %d of \"%s\"";
inline constexpr const char* SLangFileInUse =
    "Cannot replace \"%s\": another program holds the file";

// (end of storage block)

// ---- Compressed container ---------------------------------------------------

inline constexpr const char* SQCompressNoSource = "Source stream is not defined";
inline constexpr const char* SQCompressNoDest = "Destination stream is not defined";
inline constexpr const char* SQCompressWrongFormat = "Wrong stream format";
inline constexpr const char* SQCompressZeroDistance =
    "Invalid back-reference at offset %d of the compressed data: distance 0, expected 1 to 2047";
inline constexpr const char* SQCompressBadDistance =
    "Invalid back-reference at offset %d of the compressed data: distance %d, but only %d bytes have been "
    "expanded";
inline constexpr const char* SQCompressCutToken = "Compressed data ends inside a token at offset %d";

// (end of compression block)

// ---- Form extraction and property rules -------------------------------------

// Put in front of any error raised while a form stream is read.
inline constexpr const char* SFormProcessingError = "Error during processing form %s\r\n";
// A value tag above 20: component path, ".", property name, tag (low 7 bits).
inline constexpr const char* SFormValueReadError = "Error reading %s%s%s: %s";
// External group of the report designs a form holds: form name, report name.
inline constexpr const char* SFormReportGroup = "FRFORM:%s:%s";
inline constexpr const char* SFormNoStorage = "No storage to record the form in";

// (end of form block)

// ---- Compiled resource files ------------------------------------------------

inline constexpr const char* SResCouldntOpen = "Couldn't open: %s";
// Raised by a reader that maps the file (Win32); the POSIX reader reads the
// whole file and reports its failures with SResCouldntOpen.
inline constexpr const char* SResCreateFileMappingFailed = "CreateFileMapping failed";
inline constexpr const char* SResMapViewOfFileFailed = "MapViewOfFile failed";
inline constexpr const char* SResInvalidFileFormat = "Invalid file format";

// (end of resource block)

// ---- Source-code extraction -------------------------------------------------

inline constexpr const char* SNotACharacter = "\"%s\" not a character";
inline constexpr const char* STokenNotAvailable = "Token %d is not available";
inline constexpr const char* SNoUnitsToProcess = "No units to process";
inline constexpr const char* SWrongConstUnitFormat =
    "Wrong format of the constats unit\r\nFile: \"%s\"\r\nLine: %d";
inline constexpr const char* SWrongRCFormat = "Wrong format of RC file\r\nFile \"%s\"\r\nLine: %d\r\n%s";
inline constexpr const char* SRCBeginExpected = "\"BEGIN\" expected";
inline constexpr const char* SRCNoConstIdentifier = "Can not find constant identifier";
inline constexpr const char* SRCStringExpected = "String constant exptected";

// Rewriting a source file (zero-based lines; the file named where known).
inline constexpr const char* SSrcOverlappingEdits = "Overlapping changes at line %d";
inline constexpr const char* SSrcEditOutsideText = "Change outside the text at line %d";
inline constexpr const char* SSrcLineOutsideFile = "%s: line %d is outside the file";
inline constexpr const char* SSrcColumnInsideCharacter = "%s: column %d of line %d is inside a character";
inline constexpr const char* SSrcOverlappingChanges = "%s: overlapping changes";
inline constexpr const char* SSrcNotInCodePage = "%s: the text \"%s\" cannot be written in code page %d";

// Resource scripts. A rejection is raised as SWrongRCFormat; its detail says
// what was expected and what was found: SRCFoundInstead with an expectation
// and SRCQuoted text, SRCEndOfLine, SRCExprEnd or a token kind's
// description ("\"BEGIN\" expected, got \"DIALOG\"").
inline constexpr const char* SRCFoundInstead = "%s, got %s";
inline constexpr const char* SRCQuoted = "\"%s\"";
inline constexpr const char* SRCExpected = "\"%s\" expected";
inline constexpr const char* SRCEndOfLine = "the end of the line";
inline constexpr const char* SRCIncludeNameExpected = "A file name in quotes or <> expected";
inline constexpr const char* SRCIncludeMissing = "Include file \"%s\" not found";
// An expectation and the reason the expression there was not one.
inline constexpr const char* SRCBecause = "%s: %s";
inline constexpr const char* SRCLanguageExpected = "A language expected";
inline constexpr const char* SRCSublanguageExpected = "A sublanguage expected";
inline constexpr const char* SRCValueExpected = "A value of %s expected";
inline constexpr const char* SRCBadNumber = "\"%s\" is not a number";
inline constexpr const char* SRCIdTooLarge = "String id %u does not fit in 16 bits";
inline constexpr const char* SRCNarrowEscape = "Escape code \"%s\" does not fit in a narrow string";
// Integer expressions of scripts and their conditions.
inline constexpr const char* SRCExprEnd = "the end of the expression";
inline constexpr const char* SRCExprEmpty = "empty expression";
inline constexpr const char* SRCExprUnexpected = "\"%s\" unexpected";
inline constexpr const char* SRCExprEndsEarly = "expression ends too early";
inline constexpr const char* SRCExprTooDeep = "expression nested too deeply";
inline constexpr const char* SRCExprDivisionByZero = "division by zero";
inline constexpr const char* SRCExprNameAfterDefined = "a name must follow \"defined\"";
inline constexpr const char* SRCExprTakesArguments = "\"%s\" takes arguments";
inline constexpr const char* SRCExprRecursive = "\"%s\" refers to itself";
inline constexpr const char* SRCExprTooManyExpansions = "too many macro expansions";
inline constexpr const char* SRCExprInMacro = "\"%s\": %s";
inline constexpr const char* SRCExprUnknown = "\"%s\" unknown";
// Warnings of the script reader: file, zero-based line, what was passed over.
inline constexpr const char* SRCWarnDuplicate =
    "%s line %d: string id %u already has a text (line %d); this one is ignored";
inline constexpr const char* SRCWarnLanguages = "%s: string tables of the languages %s; took those of %s";
inline constexpr const char* SRCWarnIncludeDepth =
    "%s line %d: includes nested too deeply (or too many), \"%s\" not read";
inline constexpr const char* SRCWarnCondition = "%s line %d: condition not understood (%s), taken as false";
inline constexpr const char* SRCWarnUnbalanced = "%s line %d: #%s without #if";
inline constexpr const char* SRCWarnUnclosed = "%s: #if without #endif";
inline constexpr const char* SRCWarnSurrogate = "%s line %d: \\x%04X is half a surrogate pair, kept as U+FFFD";
inline constexpr const char* SRCWarnError = "%s line %d: #error %s";

// (end of source block)

// ---- Processing run and library settings ------------------------------------

inline constexpr const char* SStartingProcessing = "Starting processing...";
inline constexpr const char* SProcessingResources = "Processing %s resources";
inline constexpr const char* SProcessingComplete = "Processing Complete";
inline constexpr const char* SErrorCaption = "Error";
inline constexpr const char* SNoResourcesToProcess = "There are no resources to process";
inline constexpr const char* SLibraryHasNoLanguages =
    "The library \"%s\" has no languages: nothing was processed";
inline constexpr const char* SLibIniNoLanguages =
    "lib.ini of library \"%s\" was not written: the library has no languages";
inline constexpr const char* SUnknownLanguage =
    "Language identifier %d (0x%.4X) of library \"%s\" is not a known language: nothing was processed";
inline constexpr const char* SDuplicateLanguageFile =
    "Languages %d and %d of library \"%s\" would both be written to \"%s\": nothing was processed";
inline constexpr const char* SCannotCreateFolder = "Cannot create folder \"%s\"";
inline constexpr const char* SSourceFolderMissing = "The source folder \"%s\" does not exist";
inline constexpr const char* SNativeFolderMissing = "The native language's folder \"%s\" does not exist";
inline constexpr const char* STranslationFolderMissing =
    "The folder \"%s\" of %s does not exist: its translations keep the native copies";
inline constexpr const char* SSkippedNotAFile =
    "Skipped \"%s\": not a regular file (a pipe, a device or a socket is never read)";
inline constexpr const char* SUnusedKeptNoFiles =
    "Unused items were not removed: the native folder \"%s\" holds no file of the kinds scanned";
inline constexpr const char* SUnusedKeptFailures =
    "Unused items were not removed: %d native file(s) could not be read";
inline constexpr const char* SLanguageFilesNotWritten = "%d of %d language files could not be written:";

// (end of run block)

// ---- Windows -----------------------------------------------------------------

// (end of windows block)

}  // namespace sw
