// gettext PO export and import through GNU gettext's libgettextpo. One entry
// per unit: msgctxt the place, msgid the native text, msgstr the translation
// ("" when untranslated), "#, fuzzy" when out of date, and the value kind and
// the component path as extracted comments. The header names the project,
// the language and UTF-8; plural forms are left alone (no unit has any).
//
// PO texts carry LF line breaks only, so CR LF and lone CR are written as LF
// (the import gives CR LF back where the native text has it).
//
// libgettextpo reports problems through a handler that must not return on a
// fatal error; the handler records the first problem and jumps back to the
// reader, which raises EExchangeError with it. No C++ object lives in the
// frames that jump crosses.
#include <gettext-po.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <unistd.h>

#include "base/AsciiText.h"
#include "base/Unicode.h"
#include "exchange/Exchange.h"
#include "platform/FileSystem.h"
#include "util/QStrings.h"

namespace sw {

namespace {

struct PoProblems {
  std::jmp_buf Jump;
  std::string First;
};

thread_local PoProblems* g_problems = nullptr;

void Record(const char* fileName, std::size_t line, const char* text) {
  if (!g_problems || !g_problems->First.empty()) return;
  std::string where = fileName ? fileName : "";
  if (fileName && line != static_cast<std::size_t>(-1)) where += ":" + std::to_string(line);
  std::string message = text ? text : "error";
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.pop_back();
  g_problems->First = where.empty() ? message : where + ": " + message;
}

void OnError(int severity, po_message_t, const char* fileName, std::size_t line, std::size_t, int,
             const char* text) {
  if (severity == PO_SEVERITY_WARNING) return;
  Record(fileName, line, text);
  if (severity == PO_SEVERITY_FATAL_ERROR && g_problems) std::longjmp(g_problems->Jump, 1);
}

void OnError2(int severity, po_message_t, const char* fileName, std::size_t line, std::size_t, int,
              const char* text, po_message_t, const char*, std::size_t, std::size_t, int, const char*) {
  OnError(severity, nullptr, fileName, line, 0, 0, text);
}

const po_xerror_handler kHandler = {OnError, OnError2};

// No object with a destructor may live here: a fatal error jumps back into
// this frame.
po_file_t GuardedRead(const char* fileName, PoProblems& problems) {
  g_problems = &problems;
  if (setjmp(problems.Jump) != 0) {
    g_problems = nullptr;
    return nullptr;
  }
  po_file_t file = po_file_read(fileName, &kHandler);
  g_problems = nullptr;
  return file;
}

bool GuardedWrite(po_file_t file, const char* fileName, PoProblems& problems) {
  g_problems = &problems;
  if (setjmp(problems.Jump) != 0) {
    g_problems = nullptr;
    return false;
  }
  po_file_write(file, fileName, &kHandler);
  g_problems = nullptr;
  return true;
}

struct PoFileDeleter {
  void operator()(po_file_t file) const { po_file_free(file); }
};
using PoFilePtr = std::unique_ptr<std::remove_pointer_t<po_file_t>, PoFileDeleter>;

std::string HeaderField(const char* header, const char* field) {
  if (!header) return "";
  char* value = po_header_field(header, field);
  if (!value) return "";
  std::string result = value;
  std::free(value);
  return result;
}

std::string PoText(std::u16string_view text) { return Utf16ToUtf8(UnifyLineBreaks(text)); }

// A temporary file name in the system's temporary folder.
std::string TemporaryFile() {
  std::string pattern = (std::filesystem::temp_directory_path() / "shelfwright-po-XXXXXX").string();
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) throw EExchangeError("cannot create a temporary file in " + std::filesystem::temp_directory_path().string());
  ::close(fd);
  return pattern;
}

// Now, as PO files write dates ("2026-12-07 13:45+0000").
std::string RevisionDate() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M+0000", &utc);
  return buffer;
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// libgettextpo keeps a copy of every comment text it is given (and what a
// reader abandons after a fatal error); that memory is the library's, so the
// leak checker of sanitizer builds is told to leave it out.
extern "C" const char* __lsan_default_suppressions() { return "leak:libgettextpo\n"; }
#endif

std::string BuildPo(const TLocStorage& storage, int column, const TExportOptions& options) {
  PoFilePtr file(po_file_create());
  po_message_iterator_t iterator = po_message_iterator(file.get(), nullptr);
  // A header field ends at a line break, so the name cannot hold one.
  std::string project = options.ProjectName.empty() ? "library" : options.ProjectName;
  for (char& c : project)
    if (c == '\n' || c == '\r') c = ' ';
  const std::string header = "Project-Id-Version: " + project +
                             "\n"
                             "PO-Revision-Date: " + RevisionDate() + "\n"
                             "Last-Translator: \n"
                             "Language-Team: \n"
                             "Language: " + PosixLanguageTag(storage.Languages(column)) + "\n"
                             "MIME-Version: 1.0\n"
                             "Content-Type: text/plain; charset=UTF-8\n"
                             "Content-Transfer-Encoding: 8bit\n"
                             "X-Source-Language: " + PosixLanguageTag(storage.Languages(0)) + "\n";
  po_message_t headerMessage = po_message_create();
  po_message_set_msgid(headerMessage, "");
  po_message_set_msgstr(headerMessage, header.c_str());
  po_message_insert(iterator, headerMessage);
  for (const TExchangeUnit& unit : CollectUnits(storage, column)) {
    if (options.OnlyOpen && unit.Status == TUnitStatus::UpToDate) continue;
    po_message_t message = po_message_create();
    po_message_set_msgctxt(message, unit.Place.c_str());
    po_message_set_msgid(message, PoText(unit.Item->NativeValue()->Text).c_str());
    const std::string target =
        unit.Status == TUnitStatus::Untranslated ? std::string() : PoText(unit.Item->Values(column)->Text);
    po_message_set_msgstr(message, target.c_str());
    po_message_set_fuzzy(message, unit.Status == TUnitStatus::OutOfDate ? 1 : 0);
    std::string comments = std::string("Kind: ") + ValueKindName(unit.Kind) + "\nComponent: " + unit.ComponentPath;
    if (options.MemoryNotes) {
      const TExportMemoryNotes notes = options.MemoryNotes(unit);
      if (notes.PreviousSource && unit.Status == TUnitStatus::OutOfDate)
        po_message_set_prev_msgid(message, PoText(*notes.PreviousSource).c_str());
      // A comment is one line each: line breaks inside a suggestion are shown as "\n".
      for (const TExportSuggestion& suggestion : notes.Suggestions)
        comments += "\nSimilar (" + std::to_string(suggestion.Percent) + "%): " +
                    ReplaceAll(PoText(suggestion.Source), "\n", "\\n") + " \u2192 " +
                    ReplaceAll(PoText(suggestion.Target), "\n", "\\n");
    }
    po_message_set_extracted_comments(message, comments.c_str());
    po_message_insert(iterator, message);
  }
  po_message_iterator_free(iterator);

  const std::string temporary = TemporaryFile();
  struct Remove {
    const std::string& name;
    ~Remove() { std::remove(name.c_str()); }
  } remove{temporary};
  PoProblems problems;
  if (!GuardedWrite(file.get(), temporary.c_str(), problems) || !problems.First.empty())
    throw EExchangeError("cannot write the PO file: " + problems.First);
  return platform::ReadFileBytes(temporary);
}

TImportDocument ReadPoFile(const std::string& fileName) {
  if (!platform::FileExists(fileName)) throw EExchangeError(fileName + ": the file does not exist");
  PoProblems problems;
  PoFilePtr file(GuardedRead(fileName.c_str(), problems));
  if (!problems.First.empty())
    throw EExchangeError(problems.First.rfind(fileName, 0) == 0 ? problems.First : fileName + ": " + problems.First);
  if (!file) throw EExchangeError(fileName + ": cannot read the PO file");

  TImportDocument document;
  document.Format = TExchangeFormat::Po;
  document.FileName = fileName;
  const char* header = po_file_domain_header(file.get(), nullptr);
  const std::string contentType = LowerAscii(HeaderField(header, "Content-Type"));
  const auto charset = contentType.find("charset=");
  if (charset != std::string::npos) {
    const std::string name = TrimSpaces(contentType.substr(charset + 8));
    if (name != "utf-8" && name != "utf8" && name != "ascii" && name != "us-ascii" && name != "charset")
      throw EExchangeError(fileName + ": the PO file is in " + name + "; only UTF-8 is read");
  }
  document.Language = HeaderField(header, "Language");

  for (const char* const* domain = po_file_domains(file.get()); domain && *domain; ++domain) {
    po_message_iterator_t iterator = po_message_iterator(file.get(), *domain);
    struct FreeIterator {
      po_message_iterator_t it;
      ~FreeIterator() { po_message_iterator_free(it); }
    } freeIterator{iterator};
    while (po_message_t message = po_next_message(iterator)) {
      if (po_message_is_obsolete(message)) continue;
      const char* context = po_message_msgctxt(message);
      const std::string msgid = po_message_msgid(message);
      if (!context && msgid.empty()) continue;  // the header
      TImportEntry entry;
      entry.Place = context ? context : "";
      if (entry.Place.empty()) entry.Place = "(no msgctxt) " + msgid.substr(0, 40);
      if (po_message_msgid_plural(message)) {
        // No unit has plural forms; such an entry cannot be one of ours.
        entry.Place += " (plural)";
        document.Entries.push_back(std::move(entry));
        continue;
      }
      const std::string msgstr = po_message_msgstr(message);
      if (!IsValidUtf8(msgid) || !IsValidUtf8(msgstr))
        throw EExchangeError(fileName + ": entry \"" + entry.Place + "\" is not valid UTF-8");
      entry.Source = Utf8ToUtf16(msgid);
      if (!msgstr.empty()) entry.Target = Utf8ToUtf16(msgstr);
      entry.NeedsReview = po_message_is_fuzzy(message) != 0;
      document.Entries.push_back(std::move(entry));
    }
  }
  return document;
}

}  // namespace sw
