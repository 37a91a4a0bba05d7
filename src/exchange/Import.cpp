// Export dispatch and the import of translated files into a language file
// (see Exchange.h).
#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <map>
#include <set>

#include "base/Unicode.h"
#include "exchange/Exchange.h"
#include "platform/FileSystem.h"
#include "storage/LocConst.h"
#include "util/QStrings.h"

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

std::u16string RestoreLineBreaks(std::u16string text, std::u16string_view native) {
  if (text.find(u'\r') != std::u16string::npos || native.find(u"\r\n") == std::u16string_view::npos) return text;
  std::u16string out;
  out.reserve(text.size() + 8);
  for (char16_t c : text) {
    if (c == u'\n') out += u'\r';
    out += c;
  }
  return out;
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

TImportDocument ReadExchangeFile(const std::string& fileName) {
  std::string data;
  try {
    data = platform::ReadFileBytes(fileName);
  } catch (const Exception& e) {
    throw EExchangeError(fileName + ": " + e.Message());
  }
  std::size_t start = data.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (start < data.size() && (data[start] == ' ' || data[start] == '\t' || data[start] == '\r' || data[start] == '\n'))
    ++start;
  if (start < data.size() && data[start] == '<') return ParseXliff(data, fileName);
  return ReadPoFile(fileName);
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
    std::u16string text = sameText ? value->Text : RestoreLineBreaks(*entry.Target, native->Text);
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
  const TImportDocument document = ReadExchangeFile(inputFile);
  const std::string wanted = LanguageTag(langId);
  if (!document.Language.empty() && !SameLanguage(document.Language, wanted) && !options.Force)
    throw EExchangeError(inputFile + ": the file is for the language \"" + document.Language + "\", not \"" + wanted +
                         "\" (--force imports it anyway)");
  if (!platform::FileExists(langFile))
    throw EExchangeError(langFile + ": the language file does not exist; process the library first");
  TLangFile file(langFile, false);
  if (!options.DryRun) {
    if (file.ReadOnly) throw EExchangeError(langFile + ": the language file is in use or read-only");
    try {
      file.Lock();
    } catch (const Exception& e) {
      throw EExchangeError(langFile + ": " + e.Message());
    }
  }
  TLoadedLanguage loaded = LoadLanguage(nativeFile, langFile, langId, &file);
  TImportResult result = ApplyImport(*loaded.Storage, loaded.Column, file.Revision, document, options.Force);
  if (!options.DryRun && result.Changed > 0) {
    file.SetRevision(result.Revision);
    try {
      file.SaveStorage(loaded.Storage.get(), loaded.Column, false);
    } catch (const Exception& e) {
      throw EExchangeError(langFile + ": " + e.Message());
    }
    result.Written = true;
  }
  return result;
}

}  // namespace sw
