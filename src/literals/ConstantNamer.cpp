// The constant namer: transliteration tables, the naming rules, reuse of the
// names of equal texts and the resolution of conflicting names.
#include "literals/ConstantNamer.h"

#include <algorithm>
#include <map>

#include "base/Unicode.h"
#include "base/AsciiText.h"
#include "base/Exceptions.h"

namespace sw {

namespace {

// Decodes the UTF-8 character at i (U+FFFD for a malformed byte) and moves i past it.
char32_t NextChar(std::string_view text, std::size_t& i) {
  const auto b = static_cast<unsigned char>(text[i]);
  std::size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
  if (n == 0 || i + n > text.size() || !IsValidUtf8(text.substr(i, n))) {
    ++i;
    return 0xFFFD;
  }
  char32_t c = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
  for (std::size_t k = 1; k < n; ++k) c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
  i += n;
  return c;
}

// Transliteration of Western letters (code page 1252): letters, "-", replacement.
constexpr const char* kWesternTable[] = {
    "ÀÁÂÃÄÅ-A", "Æ-AE", "Ç-C", "ÈÉÊË-E", "ÌÍÎÏ-I", "Ð-G", "Ñ-N", "ÒÓÔÕÖ-O", "ÙÚÛÜ-U", "Ý-Y", "Þß-SS",
    "àáâãäå-a", "æ-ae", "ç-c", "èéêë-e", "ìíîï-i", "ð-g", "ñ-n", "òóôõö-o", "ùúûü-u", "þ-s", "ýÿ-y"};
// Transliteration of Cyrillic capitals (code page 1251).
constexpr const char* kCyrillicTable[] = {
    "А-A", "Б-B", "В-V", "Г-G", "Д-D", "Е-E", "Ё-E",  "Ж-Zh", "З-Z", "И-I",   "І-I", "Ї-YI",
    "Й-Y", "К-K", "Л-L", "М-M", "Н-N", "О-O", "П-P",  "Р-R",  "С-S", "Т-T",   "У-U", "Ф-Ph",
    "Х-H", "Ц-Cs", "Ч-Ch", "Ш-Sh", "Щ-Sch", "Ъ-", "Ы-Y", "Ь-", "Э-E", "Ю-Yu", "Я-Ya"};

// The replacement of `c` in a table; false when no entry holds it.
bool LookUp(const char* const* table, std::size_t size, char32_t c, std::string& replacement) {
  for (std::size_t e = 0; e < size; ++e) {
    const std::string_view entry(table[e]);
    const std::size_t dash = entry.find('-');
    std::size_t i = 0;
    while (i < dash) {
      if (NextChar(entry, i) == c) {
        replacement = TrimSpaces(entry.substr(dash + 1));
        return true;
      }
    }
  }
  return false;
}

char32_t UpperCyrillic(char32_t c) {
  if (c >= 0x0430 && c <= 0x044F) return c - 0x20;
  if (c >= 0x0450 && c <= 0x045F) return c - 0x50;
  return c;
}

// The transliteration of a non-ASCII letter; false when it has none.
bool Transliterate(char32_t c, bool cyrillic, std::string& out) {
  if (!cyrillic) {
    if (c < 0xC0 || c > 0xFF) return false;
    return LookUp(kWesternTable, std::size(kWesternTable), c, out);
  }
  const char32_t upper = UpperCyrillic(c);
  if (!LookUp(kCyrillicTable, std::size(kCyrillicTable), upper, out)) return false;
  if (upper != c) out = LowerAscii(out);
  return true;
}

bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9'); }

}  // namespace

bool IsConstantName(const std::string& name) {
  if (name.empty() || !IsNameStart(name[0])) return false;
  return std::all_of(name.begin(), name.end(), IsNameChar);
}

std::string TConstantNamer::Key(const std::string& name) const { return ignoreCase_ ? LowerAscii(name) : name; }

std::string TConstantNamer::MakeName(const std::string& value, const std::string& unitShortName) const {
  // A unit name such as "my-unit" contributes only what an identifier may hold.
  std::string unitPart;
  for (char c : unitShortName)
    if (IsNameChar(c)) unitPart += c;
  const std::string prefix = settings_.UnitPrefix ? unitPart + "_" + settings_.NamePrefix : settings_.NamePrefix;
  std::string base = prefix;
  bool wordStart = true;
  std::size_t i = 0;
  for (int n = 0; n < settings_.MaxNameChars && i < value.size(); ++n) {
    const char32_t c = NextChar(value, i);
    if (c < 0x80 && IsNameChar(static_cast<char>(c))) {
      base += wordStart ? static_cast<char>(UpperAscii(std::string(1, static_cast<char>(c)))[0]) : static_cast<char>(c);
      wordStart = false;
    } else if (std::string tr; c >= 0x80 && Transliterate(c, settings_.CyrillicNames, tr)) {
      if (tr.empty()) continue;
      base += wordStart ? UpperAscii(tr) : tr;
      wordStart = false;
    } else {
      wordStart = true;
    }
  }
  std::string name = base == prefix ? base + "0" : base;
  const auto taken = [&](const std::string& candidate) {
    const TStrConst* existing = units_.FindConstant(candidate);
    if (!existing) {
      const int k = existing_.IndexOfName(candidate);
      if (k >= 0) existing = existing_.Items(k);
    }
    if (existing && (!settings_.ReuseNames || existing->Value != value)) return true;
    return !existing && usedWords_.count(LowerAscii(candidate)) > 0;
  };
  for (int suffix = 1; taken(name); ++suffix) name = base + std::to_string(suffix);
  return name;
}

std::string TConstantNamer::ExistingName(const std::string& value) const {
  // A numbered entry of a resource script has no name to refer to.
  for (const auto& c : existing_)
    if (c && c->Value == value && IsConstantName(c->Name)) return c->Name;
  for (const auto& unit : units_)
    if (unit)
      for (const auto& c : unit->Constants)
        if (c && c->Selected() && c->Value == value) return c->Name;
  return std::string();
}

void TConstantNamer::Add(TUnitRec& unit, std::unique_ptr<TStrConst> literal) const {
  const std::string existing = settings_.ReuseNames ? ExistingName(literal->Value) : std::string();
  literal->Name = existing.empty() ? MakeName(literal->Value, unit.BaseName()) : existing;
  TStrConst* added = literal.get();
  unit.Constants.Add(std::move(literal));
  if (!existing.empty()) added->SetSelected(true);
}

void TConstantNamer::ResolveNames() const {
  // Declared so far: name (folded as the language compares) -> value.
  std::map<std::string, std::string> declared;
  for (const auto& c : existing_)
    if (c) declared.emplace(Key(c->Name), c->Value);
  std::map<std::string, std::string> byValue;  // value -> name written first
  for (const auto& c : existing_)
    if (c && IsConstantName(c->Name)) byValue.emplace(c->Value, c->Name);
  for (const auto& unit : units_) {
    if (!unit || !unit->Enabled) continue;
    for (const auto& c : unit->Constants) {
      if (!c || !c->Selected()) continue;
      if (!IsConstantName(c->Name)) throw ESrcProcessError(Format("\"%s\" is not a valid constant name", c->Name));
      if (settings_.ReuseNames) {
        auto same = byValue.find(c->Value);
        if (same != byValue.end()) c->Name = same->second;
      }
      auto it = declared.find(Key(c->Name));
      if (it != declared.end() && it->second != c->Value) {
        // The name stands for another text: give this one a free name.
        const std::string base = c->Name;
        std::string name;
        for (int suffix = 1;; ++suffix) {
          name = base + std::to_string(suffix);
          if (!declared.count(Key(name)) && !usedWords_.count(LowerAscii(name))) break;
        }
        c->Name = name;
        it = declared.end();
      }
      if (it == declared.end()) declared.emplace(Key(c->Name), c->Value);
      byValue.emplace(c->Value, c->Name);
    }
  }
}

}  // namespace sw
