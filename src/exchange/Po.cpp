// gettext PO export and import through GNU gettext's libgettextpo. One entry
// per unit: msgctxt the place, msgid the native text, msgstr the translation
// ("" when untranslated), "#, fuzzy" when out of date, and the value kind and
// the component path as extracted comments. The header names the project,
// the language and UTF-8; plural forms are left alone (no unit has any).
//
// The place is also written as the "#:" reference, where translate-toolkit's
// po2xliff keeps it; an entry read without msgctxt takes its place from
// there (xliff2po writes the XLIFF id as the reference). The reader takes
// UTF-8 with or without a byte-order mark, and refuses a NUL character in
// any string (libgettextpo would cut the text there).
//
// PO texts carry LF line breaks only, so CR LF and lone CR are written as LF
// (the import gives CR LF back where the native text has it).
//
// libgettextpo reports problems through a handler that must not return on a
// fatal error; the handler records the first problem and jumps back to the
// reader, which raises EExchangeError with it. No C++ object lives in the
// frames that jump crosses.
#include <gettext-po.h>

#include <cctype>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <unistd.h>

#include "base/AsciiText.h"
#include "base/Numbers.h"
#include "base/Unicode.h"
#include "exchange/Exchange.h"
#include "platform/FileSystem.h"
#include "base/Exceptions.h"

namespace sw {

namespace {

struct PoProblems {
  std::jmp_buf Jump;
  std::string First;  // the message alone
  int Line = 0;       // where it is, 0 when unknown
};

thread_local PoProblems* g_problems = nullptr;

void Record(const char* fileName, std::size_t line, const char* text) {
  if (!g_problems || !g_problems->First.empty()) return;
  std::string message = text ? text : "error";
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.pop_back();
  if (message.empty()) message = "error";
  g_problems->First = message;
  if (fileName && line != static_cast<std::size_t>(-1) && line < 1u << 30) g_problems->Line = static_cast<int>(line);
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

// A temporary file in the system's temporary folder, removed with the
// object; libgettextpo reads and writes named files only.
class TemporaryFile {
 public:
  TemporaryFile() {
    name_ = (std::filesystem::temp_directory_path() / "shelfwright-po-XXXXXX").string();
    fd_ = ::mkstemp(name_.data());
    if (fd_ < 0) throw EExchangeError("cannot create a temporary file in " + std::filesystem::temp_directory_path().string());
  }
  ~TemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    std::remove(name_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  const std::string& Name() const { return name_; }
  void Write(std::string_view data) {
    std::size_t done = 0;
    while (done < data.size()) {
      const ssize_t n = ::write(fd_, data.data() + done, data.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        EExchangeError error("cannot write a temporary copy for the PO reader");
        error.AttachFile(name_).AttachLocation(std::strerror(errno));
        throw error;
      }
      done += static_cast<std::size_t>(n);
    }
  }

 private:
  std::string name_;
  int fd_ = -1;
};

// The text of a string's escapes as PO reads them (C escapes): whether a
// quoted string starting at `open` (the quote) holds a NUL character, the
// index after its closing quote in `*end`.
bool QuotedHoldsNul(std::string_view line, std::size_t open, std::size_t* end) {
  bool nul = false;
  std::size_t i = open + 1;
  for (; i < line.size() && line[i] != '"'; ++i) {
    if (line[i] == '\0') nul = true;
    if (line[i] != '\\' || i + 1 >= line.size()) continue;
    const char next = line[++i];
    if (next >= '0' && next <= '7') {
      unsigned value = 0;
      std::size_t digits = 0;
      for (; digits < 3 && i < line.size() && line[i] >= '0' && line[i] <= '7'; ++digits, ++i) value = value * 8 + (line[i] - '0');
      --i;
      if (value == 0) nul = true;
    } else if (next == 'x') {
      unsigned value = 0;
      std::size_t digits = 0;
      while (i + 1 < line.size() && HexDigit(line[i + 1]) >= 0) {
        const auto digit = static_cast<unsigned>(HexDigit(line[++i]));
        value = (value << 4 | digit) & 0xFFFF;
        ++digits;
      }
      if (digits > 0 && value == 0) nul = true;
    }
  }
  *end = i + 1;
  return nul;
}

// Raises when a string of the PO text holds a NUL character (a NUL byte or
// an escape such as \0), naming the entry and the line: libgettextpo would
// cut the text there without a word.
void CheckNoNul(std::string_view data, const std::string& fileName) {
  std::string entry;       // the current entry's msgctxt, else its msgid (quoted as written)
  std::string keyword;     // the keyword the current strings belong to
  bool contextGiven = false;
  int line = 0;
  std::size_t start = 0;
  while (start < data.size()) {
    std::size_t stop = data.find('\n', start);
    if (stop == std::string_view::npos) stop = data.size();
    const std::string_view text = data.substr(start, stop - start);
    start = stop + 1;
    ++line;
    std::size_t at = text.find_first_not_of(" \t");
    if (at == std::string_view::npos) continue;
    if (text[at] == '#') {
      if (text.find('\0') != std::string_view::npos)
        RaiseExchangeError(fileName, line, "a comment holds a NUL byte");
      // A comment after the strings starts the next entry.
      if (keyword.rfind("msgstr", 0) == 0) {
        entry.clear();
        contextGiven = false;
        keyword.clear();
      }
      continue;
    }
    if (text[at] != '"') {
      const std::size_t word = text.find_first_of(" \t\"", at);
      const std::string name(text.substr(at, word == std::string_view::npos ? std::string_view::npos : word - at));
      const std::size_t quote = text.find('"', at);
      const std::string first =
          quote == std::string_view::npos ? std::string() : std::string(text.substr(quote + 1, 40));
      const std::string quoted = first.substr(0, first.find('"'));
      if (name == "msgctxt") {
        entry = quoted;
        contextGiven = true;
      } else if (name == "msgid") {
        if (!contextGiven) entry = quoted;
        contextGiven = false;
      }
      keyword = name;
    }
    for (std::size_t quote = text.find('"', at); quote != std::string_view::npos;) {
      std::size_t end = 0;
      if (QuotedHoldsNul(text, quote, &end))
        RaiseExchangeError(fileName, line, "entry \"" + entry + "\": the " + (keyword.empty() ? "text" : keyword) +
                                               " holds a NUL character, which no translation can hold");
      quote = end < text.size() ? text.find('"', end) : std::string_view::npos;
    }
    if (text.find('\0') != std::string_view::npos)
      RaiseExchangeError(fileName, line, "a NUL byte outside a string");
  }
}

// The place of an entry without msgctxt: the first "#:" reference of that
// shape (xliff2po keeps the XLIFF id there), or "".
std::string ReferencePlace(po_message_t message) {
  for (int i = 0;; ++i) {
    const po_filepos_t position = po_message_filepos(message, i);
    if (!position) return "";
    std::string file = po_filepos_file(position) ? po_filepos_file(position) : "";
    const std::size_t line = po_filepos_start_line(position);
    if (line != static_cast<std::size_t>(-1)) file += ":" + std::to_string(line);
    if (LooksLikePlace(file)) return file;
  }
}

// gettext's placeholder in a template's header, which says nothing.
bool IsPlaceholderProject(const std::string& project) { return project.empty() || project == "PACKAGE VERSION"; }

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

#if defined(__SANITIZE_ADDRESS__)  // GCC
#define SW_PO_ASAN 1
#elif defined(__has_feature)  // clang
#if __has_feature(address_sanitizer)
#define SW_PO_ASAN 1
#endif
#endif
#if defined(SW_PO_ASAN)
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
    // Also as the reference, where po2xliff and other tools keep it.
    po_message_add_filepos(message, unit.Place.c_str(), static_cast<std::size_t>(-1));
    po_message_set_msgid(message, PoText(unit.Item->NativeValue()->Text).c_str());
    const std::string target =
        unit.Status == TUnitStatus::Untranslated ? std::string() : PoText(unit.Item->Values(column)->Text);
    po_message_set_msgstr(message, target.c_str());
    po_message_set_fuzzy(message, unit.Status == TUnitStatus::OutOfDate ? 1 : 0);
    std::string comments = std::string("Kind: ") + ValueKindName(unit.Kind) + "\nComponent: " + unit.ComponentPath;
    if (const auto notes = options.Notes.find(unit.Place); notes != options.Notes.end())
      for (const std::string& note : notes->second) comments += "\n" + note;
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

  const TemporaryFile temporary;
  PoProblems problems;
  if (!GuardedWrite(file.get(), temporary.Name().c_str(), problems) || !problems.First.empty())
    throw EExchangeError("cannot write the PO file: " + problems.First);
  return platform::ReadFileBytes(temporary.Name());
}

TImportDocument ParsePo(std::string_view data, const std::string& fileName) {
  if (data.substr(0, 3) == "\xEF\xBB\xBF") data.remove_prefix(3);  // a UTF-8 byte-order mark
  CheckNoNul(data, fileName);
  TemporaryFile temporary;
  temporary.Write(data);
  PoProblems problems;
  PoFilePtr file(GuardedRead(temporary.Name().c_str(), problems));
  if (!problems.First.empty()) {
    // The library names the temporary file; the user knows the other name.
    std::string message = problems.First;
    for (auto at = message.find(temporary.Name()); at != std::string::npos; at = message.find(temporary.Name()))
      message.replace(at, temporary.Name().size(), fileName);
    RaiseExchangeError(fileName, problems.Line, message);
  }
  if (!file) RaiseExchangeError(fileName, 0, "cannot read the PO file");

  TImportDocument document;
  document.Format = TExchangeFormat::Po;
  document.FileName = fileName;
  const char* header = po_file_domain_header(file.get(), nullptr);
  const std::string contentType = LowerAscii(HeaderField(header, "Content-Type"));
  const auto charset = contentType.find("charset=");
  if (charset != std::string::npos) {
    const std::string name = TrimSpaces(contentType.substr(charset + 8));
    if (name != "utf-8" && name != "utf8" && name != "ascii" && name != "us-ascii" && name != "charset")
      RaiseExchangeError(fileName, 0, "the PO file is in " + name + "; only UTF-8 is read");
  }
  const std::string project = TrimSpaces(HeaderField(header, "Project-Id-Version"));
  if (!IsPlaceholderProject(project)) document.Project = project;
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
      if (entry.Place.empty()) entry.Place = ReferencePlace(message);
      if (entry.Place.empty()) entry.Place = "(no msgctxt) " + msgid.substr(0, 40);
      if (po_message_msgid_plural(message)) {
        // No unit has plural forms; such an entry cannot be one of ours.
        entry.Place += " (plural)";
        document.Entries.push_back(std::move(entry));
        continue;
      }
      const std::string msgstr = po_message_msgstr(message);
      if (!IsValidUtf8(msgid) || !IsValidUtf8(msgstr))
        RaiseExchangeError(fileName, 0, "entry \"" + entry.Place + "\" is not valid UTF-8");
      entry.Source = Utf8ToUtf16(msgid);
      if (!msgstr.empty()) entry.Target = Utf8ToUtf16(msgstr);
      entry.NeedsReview = po_message_is_fuzzy(message) != 0;
      document.Entries.push_back(std::move(entry));
    }
  }
  return document;
}

}  // namespace sw
