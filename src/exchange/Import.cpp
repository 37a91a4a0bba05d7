// Export dispatch and the import of translated files into a language file
// (see Exchange.h).
#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

#include "base/Unicode.h"
#include "exchange/Exchange.h"
#include "platform/FileSystem.h"
#include "storage/UnitsTree.h"
#include "base/AsciiText.h"
#include "base/Exceptions.h"

namespace sw {

namespace {

// State bit of a translation value that the language-file reader clears
// when the translation is older than the native text.
constexpr std::uint16_t kTranslationCurrentState = 0x100;

bool IsNumberText(std::u16string_view text, std::uint8_t kind) {
  const std::string ascii = TrimSpaces(Utf16ToUtf8(text));
  if (ascii.empty()) return false;
  const char* first = ascii.data();
  const char* last = ascii.data() + ascii.size();
  if (kind == vkInteger) {
    std::int32_t value = 0;
    if (*first == '+') ++first;
    const auto [end, error] = std::from_chars(first, last, value);
    return error == std::errc() && end == last;
  }
  double value = 0;
  const auto [end, error] = std::from_chars(first, last, value);
  return error == std::errc() && end == last;
}

// A text as an export carries it: line breaks unified, what UTF-8 cannot
// hold (a lone surrogate) replaced, and nothing after a NUL character, which
// neither XML nor PO strings can hold. Texts equal in this form are the same
// to a translator, so an unchanged export never rewrites a value.
std::u16string ExportedForm(std::u16string_view text) {
  std::u16string form = UnifyLineBreaks(Utf8ToUtf16(Utf16ToUtf8(text)));
  const auto nul = form.find(u'\0');
  if (nul != std::u16string::npos) form.resize(nul);
  return form;
}

}  // namespace

std::u16string UnifyLineBreaks(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r') {
      out += u'\n';
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string BuildExport(const TLocStorage& storage, int column, const TExportOptions& options) {
  return options.Format == TExchangeFormat::Po ? BuildPo(storage, column, options)
                                               : BuildXliff(storage, column, options);
}

void RaiseExchangeError(const std::string& fileName, int line, const std::string& message) {
  EExchangeError error(message);
  if (!fileName.empty()) error.AttachFile(fileName);
  if (line > 0) error.AttachLocation("line " + std::to_string(line));
  throw error;
}

bool LooksLikePlace(std::string_view text) {
  for (std::string_view kind : {"unit/", "form/", "group/"})
    if (text.size() > kind.size() && text.substr(0, kind.size()) == kind) return true;
  return false;
}

std::string ReadExchangeBytes(const std::string& fileName, std::uint64_t limit) {
  namespace fs = std::filesystem;
  const std::string bound = std::to_string(limit) + " bytes" +
                            (limit % (1u << 20) == 0 ? " (" + std::to_string(limit >> 20) + " MiB)" : std::string());
  std::error_code error;
  const fs::file_status status = fs::status(fileName, error);
  if (!fs::exists(status)) RaiseExchangeError(fileName, 0, "the file does not exist");
  if (fs::is_directory(status)) RaiseExchangeError(fileName, 0, "a folder, not a file");
  std::uint64_t known = 0;
  if (fs::is_regular_file(status)) {
    known = fs::file_size(fileName, error);
    if (!error && known > limit)
      RaiseExchangeError(fileName, 0, "the file has " + std::to_string(known) + " bytes, more than the " + bound +
                                          " an XLIFF or PO file may have");
  }
  platform::NativeFile file;
  if (!file.Open(fileName, false, platform::FileAccess::Read, platform::FileShare::DenyNone))
    RaiseExchangeError(fileName, 0, "cannot open the file: " + file.LastError());
  std::string data;
  data.reserve(static_cast<std::size_t>(known));
  char buffer[1 << 16];
  for (;;) {
    // One byte beyond the bound tells a file of exactly `limit` bytes from a larger one.
    const std::uint64_t room = limit + 1 - data.size();
    const std::size_t n = file.Read(buffer, static_cast<std::size_t>(std::min<std::uint64_t>(sizeof buffer, room)));
    if (n == 0) break;
    data.append(buffer, n);
    if (data.size() > limit)
      RaiseExchangeError(fileName, 0, "the input holds more than the " + bound +
                                          " an XLIFF or PO file may have (read up to that bound)");
  }
  return data;
}

TImportDocument ParseExchangeDocument(std::string_view data, const std::string& fileName) {
  std::size_t start = data.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  const bool utf16 = data.compare(0, 2, "\xFF\xFE") == 0 || data.compare(0, 2, "\xFE\xFF") == 0;
  while (start < data.size() && (data[start] == ' ' || data[start] == '\t' || data[start] == '\r' || data[start] == '\n'))
    ++start;
  TImportDocument document = utf16 || (start < data.size() && data[start] == '<') ? ParseXliff(data, fileName)
                                                                                 : ParsePo(data, fileName);
  if (document.Entries.empty())
    RaiseExchangeError(fileName, 0, document.Format == TExchangeFormat::Po
                                        ? "the PO file holds no entry (nothing to import)"
                                        : "the XLIFF file holds no trans-unit (nothing to import)");
  return document;
}

TImportDocument ReadExchangeFile(const std::string& fileName) {
  return ParseExchangeDocument(ReadExchangeBytes(fileName), fileName);
}

TImportResult ApplyImport(TLocStorage& storage, int column, std::int32_t fileRevision,
                          const TImportDocument& document, bool force) {
  TImportResult result;
  result.Revision = fileRevision;
  std::map<std::string, TExchangeUnit> units;
  for (TExchangeUnit& unit : CollectUnits(storage, column)) {
    std::string place = unit.Place;
    units.emplace(std::move(place), std::move(unit));
  }

  struct Change {
    TLocItem* Item;
    std::u16string Text;
    bool UpToDate;
  };
  std::vector<Change> changes;
  std::set<std::string> seen;
  std::int32_t revision = fileRevision + 1;
  for (const TImportEntry& entry : document.Entries) {
    ++result.Units;
    const auto it = units.find(entry.Place);
    if (it == units.end()) {
      result.Unknown.push_back({entry.Place, entry.Line, "no such unit"});
      continue;
    }
    if (!seen.insert(entry.Place).second) {
      result.Invalid.push_back({entry.Place, entry.Line, "given more than once"});
      continue;
    }
    if (!entry.Target) {
      ++result.NoTranslation;
      continue;
    }
    const TExchangeUnit& unit = it->second;
    const TLocValue* native = unit.Item->NativeValue();
    const TLocValue* value = unit.Item->Values(column);
    const bool stale = ExportedForm(entry.Source) != ExportedForm(native->Text);
    if (stale && !force) {
      result.Stale.push_back({entry.Place, entry.Line, "the native text has changed since the export"});
      continue;
    }
    if ((unit.Kind == vkInteger || unit.Kind == vkFloat) && !IsNumberText(*entry.Target, unit.Kind)) {
      result.Invalid.push_back({entry.Place, entry.Line, std::string("not a number (the item is of kind ") +
                                                             ValueKindName(unit.Kind) + ")"});
      continue;
    }
    const TUnitStatus wanted = entry.NeedsReview ? TUnitStatus::OutOfDate : TUnitStatus::UpToDate;
    const bool sameText = ExportedForm(*entry.Target) == ExportedForm(value->Text);
    if (sameText && unit.Status == wanted) {
      ++result.Unchanged;
      continue;
    }
    if (stale) ++result.Forced;
    // The same text with other line breaks keeps the stored bytes.
    std::u16string text = sameText ? value->Text : WithLineBreaksOf(*entry.Target, native->Text);
    changes.push_back({unit.Item, std::move(text), wanted == TUnitStatus::UpToDate});
    result.ChangedPlaces.push_back(entry.Place);
    if (wanted == TUnitStatus::UpToDate) revision = std::max(revision, native->Revision);
  }

  for (Change& change : changes) {
    TLocValue* value = change.Item->Values(column);
    const std::int32_t nativeRevision = change.Item->NativeValue()->Revision;
    value->SetText(std::move(change.Text));
    if (change.UpToDate) {
      value->SetRevision(revision);
    } else {
      // Below the native revision, but never -1, which would mean "never set".
      value->SetRevision(std::max(0, nativeRevision - 1));
      value->SetState(kTranslationCurrentState, false);
    }
  }
  result.Changed = static_cast<int>(changes.size());
  if (result.Changed > 0) result.Revision = revision;
  return result;
}

TImportResult ImportTranslations(const std::string& nativeFile, const std::string& langFile, LANGID langId,
                                 const std::string& inputFile, const TImportOptions& options) {
  return ImportTranslations(nativeFile, langFile, langId, ReadExchangeFile(inputFile), options);
}

TImportResult ImportTranslations(const std::string& nativeFile, const std::string& langFile, LANGID langId,
                                 const TImportDocument& document, const TImportOptions& options) {
  const std::string& inputFile = document.FileName;
  const std::string wanted = LanguageTag(langId);
  if (!document.Language.empty() && !SameLanguage(document.Language, wanted) && !options.Force)
    RaiseExchangeError(inputFile, 0, "the file is for the language \"" + document.Language + "\", not \"" + wanted +
                                         "\" (--force imports it anyway)");
  if (!document.Project.empty() && !options.ProjectName.empty() && document.Project != options.ProjectName &&
      !options.Force)
    RaiseExchangeError(inputFile, 0, "the file is an export of \"" + document.Project + "\", not of \"" +
                                         options.ProjectName + "\" (--force imports it anyway)");
  if (!platform::FileExists(langFile))
    RaiseExchangeError(langFile, 0, "the language file does not exist; process the library first");
  TLangFile file(langFile, false);
  // Errors of locking and writing concern the language file; they are
  // raised without its name.
  const auto onLangFile = [&](auto&& action) {
    try {
      action();
    } catch (Exception& e) {
      e.AttachFile(langFile);
      throw;
    }
  };
  if (!options.DryRun) {
    if (file.ReadOnly) RaiseExchangeError(langFile, 0, "the language file is in use or read-only");
    onLangFile([&] { file.Lock(); });
  }
  TLoadedLanguage loaded = LoadLanguage(nativeFile, langFile, langId, &file);
  TImportResult result = ApplyImport(*loaded.Storage, loaded.Column, file.Revision, document, options.Force);
  if (!options.DryRun && result.Changed > 0) {
    file.SetRevision(result.Revision);
    onLangFile([&] { file.SaveStorage(loaded.Storage.get(), loaded.Column, false); });
    result.Written = true;
  }
  return result;
}

}  // namespace sw
