// Stream primitives of the language file, the default property rules, the
// save-retry prompt, and the storage's base types: values with their
// kind-dependent comparison and payload, sorted named lists with the
// look-up shortcut through `LastIndex`, and translatable items (see
// LocCommon.h).
#include "storage/LocCommon.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "platform/NationalLanguage.h"
#include "runtime/BinaryReader.h"
#include "storage/LocStorage.h"
#include "storage/StorageArena.h"
#include "util/Messages.h"
#include "base/AsciiText.h"
#include "base/Numbers.h"
#include "runtime/StringList.h"
#include "base/Exceptions.h"
#include "storage/LngStrings.h"

namespace sw {

// ---- Values ----------------------------------------------------------------

namespace {

// The runtime's StrToFloat: optional surrounding blanks, "." as separator;
// anything else raises EConvertError.
double StrictFloat(const std::string& ansi) {
  const std::string text = TrimSpaces(ansi);
  double value = 0;
  const char* first = text.data();
  if (!text.empty() && text[0] == '+') ++first;
  const auto [end, ec] = std::from_chars(first, text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size())
    throw EConvertError(Format(SInvalidFloat, ansi));
  return value;
}

std::string DefaultAnsi(std::u16string_view text) { return WideToAnsiCP(text, 0); }

}  // namespace

// ---- Texts -------------------------------------------------------------------

void TLocText::Release() noexcept {
  if (owned_) delete[] const_cast<char16_t*>(data_);
  data_ = u"";
  size_ = 0;
  owned_ = false;
}

namespace {

std::uint32_t CheckedTextSize(std::size_t size) {
  if (size > UINT32_MAX) throw std::length_error("text too long");
  return static_cast<std::uint32_t>(size);
}

}  // namespace

void TLocText::SetOwned(std::u16string_view text) {
  if (text.empty()) {
    Release();
    return;
  }
  const std::uint32_t size = CheckedTextSize(text.size());
  auto* copy = new char16_t[size];
  std::copy(text.begin(), text.end(), copy);
  // `text` may be this text's own characters: released after the copy.
  Release();
  data_ = copy;
  size_ = size;
  owned_ = true;
}

TLocText& TLocText::operator=(TLocText&& other) noexcept {
  if (this != &other) {
    Release();
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(owned_, other.owned_);
  }
  return *this;
}

TLocText& TLocText::operator=(std::u16string_view text) {
  SetOwned(text);
  return *this;
}

void TLocText::Assign(std::u16string_view text, TStorageArena* arena) {
  if (!arena || text.empty()) {
    SetOwned(text);
    return;
  }
  const std::uint32_t size = CheckedTextSize(text.size());
  const std::u16string_view stored = arena->Store(text);
  Release();
  data_ = stored.data();
  size_ = size;
}

void TLocText::Share(const TLocText& other, TStorageArena* arena) {
  if (other.owned_ || !arena) {
    Assign(other.view(), arena);
    return;
  }
  if (this == &other) return;
  Release();
  data_ = other.data_;
  size_ = other.size_;
}

// ---- Values ----------------------------------------------------------------

TLocValue::TLocValue(TLocValueList* owner, LANGID langId) : OwnerList(owner), LangId(langId) {}

TLocValue::TLocValue(TLocValueList* owner) : TLocValue(owner, UserDefaultLangId()) {}

std::unique_ptr<TLocValue> TLocValue::Create(TLocValueList* owner, TStorageArena* arena, LANGID langId) {
  if (!arena) return std::make_unique<TLocValue>(owner, langId);
  void* memory = arena->Allocate(sizeof(TLocValue), alignof(TLocValue));
  std::unique_ptr<TLocValue> value(::new (memory) TLocValue(owner, langId));
  value->Text.valueInArena_ = true;
  return value;
}

void* TLocValue::operator new(std::size_t size) { return ::operator new(size); }

void TLocValue::operator delete(void* memory) noexcept { ::operator delete(memory); }

void TLocValue::operator delete(TLocValue* value, std::destroying_delete_t) noexcept {
  const bool inArena = value->Text.valueInArena_;
  value->~TLocValue();
  if (!inArena) ::operator delete(value);
}

// A storage holds a value per item and language: each byte counts.
static_assert(sizeof(void*) != 8 || sizeof(TLocValue) == 40);

TStorageArena* TLocValue::Arena() const { return OwnerList ? OwnerList->Arena : nullptr; }

void TLocValue::SetText(std::u16string_view text) {
  if (Text.view() == text) return;
  Text.Assign(text, Arena());
}

std::uint8_t TLocValue::Kind() const { return OwnerList ? OwnerList->ValueKind : std::uint8_t{vkString}; }

bool TLocValue::SameValue(std::u16string_view text) const {
  if (Text.empty()) return text.empty();
  if (text.empty()) return false;
  switch (Kind()) {
    case vkFloat:
      return StrictFloat(DefaultAnsi(Text)) == StrictFloat(DefaultAnsi(text));
    case vkInteger:
      return StrToInt(TrimSpaces(DefaultAnsi(Text))) == StrToInt(TrimSpaces(DefaultAnsi(text)));
    case vkString:
    case vkStrings:
      return Text == text;
    default:
      return false;
  }
}

void TLocValue::SetFromVariant(const TVariant& value, std::int32_t revision) {
  const std::u16string wide = value.ToWide();
  if (SameValue(wide)) return;
  if (value.VarType() & 8)
    SetText(wide);
  else
    SetAnsiText(value.ToAnsi());
  if (revision != -1) Revision = revision;
}

std::string TLocValue::GetAnsiText() const { return WideToAnsiByLang(Text, LangId); }

void TLocValue::SetAnsiText(std::string_view text) { SetText(AnsiToWideByLang(text, LangId)); }

TStringList& TLocValue::AsStrings() {
  TStringList* lines = nullptr;
  if (OwnerList) {
    auto& all = OwnerList->lines_;
    if (!all) all = std::make_unique<std::vector<std::pair<const TLocValue*, std::unique_ptr<TStringList>>>>();
    for (auto& [value, list] : *all)
      if (value == this) lines = list.get();
    if (!lines) lines = all->emplace_back(this, std::make_unique<TStringList>()).second.get();
  } else {
    // A value outside any list (never made by the storage) has one list per thread.
    thread_local TStringList unowned;
    lines = &unowned;
  }
  lines->Clear();
  lines->SetText(GetAnsiText());
  return *lines;
}

std::int32_t TLocValue::AsInteger() const { return StrToIntDef0(TrimSpaces(DefaultAnsi(Text))); }

std::int64_t TLocValue::AsInt64() const {
  const std::string ansi = DefaultAnsi(Text);
  const std::string text = TrimSpaces(ansi);
  std::int64_t value = 0;
  const char* first = text.data();
  if (!text.empty() && text[0] == '+') ++first;
  const auto [end, ec] = std::from_chars(first, text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size())
    throw EConvertError(Format(SInvalidInteger, ansi));
  return value;
}

double TLocValue::AsFloat() const { return StrToFloatDef0(TrimSpaces(DefaultAnsi(Text))); }

bool TLocValue::IsUpToDate() const { return Revision >= OwnerList->Values(0)->Revision; }

void TLocValue::SetState(std::uint16_t mask, bool on) {
  StateFlags = static_cast<std::uint16_t>(on ? (StateFlags | mask) : (StateFlags & ~mask));
}

bool KindHasPayload(std::uint8_t kind, int version) {
  if (kind == vkString || kind == vkStrings) return true;
  return version > 3 && (kind == vkFloat || kind == vkInteger);
}

void ReadValuePayload(BinaryReader& reader, std::uint8_t kind, int version, std::u16string& out) {
  if (!KindHasPayload(kind, version)) {
    out.clear();
    return;
  }
  switch (kind) {
    case vkFloat: {
      const std::uint64_t bits = reader.ReadU64LE();
      double value;
      std::memcpy(&value, &bits, sizeof value);
      const std::string text = FloatToStr(value);
      out.assign(text.begin(), text.end());
      return;
    }
    case vkInteger: {
      const std::string text = std::to_string(reader.ReadI32LE());
      out.assign(text.begin(), text.end());
      return;
    }
    default:
      ReadWideString(reader, version, out);
  }
}

std::u16string ReadValuePayload(TStream& stream, std::uint8_t kind, int version) {
  return ReadThrough(stream, [&](BinaryReader& reader) {
    std::u16string text;
    ReadValuePayload(reader, kind, version, text);
    return text;
  });
}

void TLocValue::LoadValue(TStream& stream, int version) {
  if (!KindHasPayload(Kind(), version)) return;
  SetText(ReadValuePayload(stream, Kind(), version));
}

void TLocValue::SaveValue(TStream& stream, int version) const {
  if (!KindHasPayload(Kind(), version)) return;
  switch (Kind()) {
    case vkFloat: {
      const double value = AsFloat();
      std::uint64_t bits;
      std::memcpy(&bits, &value, sizeof bits);
      stream.WriteU64(bits);
      break;
    }
    case vkInteger:
      stream.WriteI32(AsInteger());
      break;
    default:
      WriteWideString(stream, Text, version);
      break;
  }
}

TLocValueList::TLocValueList(std::uint8_t kind, TStorageArena* arena, int columns, LANGID langId)
    : ValueKind(kind), Arena(arena) {
  if (columns > 1) Reserve(columns);
  AddValue(langId != 0 ? langId : UserDefaultLangId());
}

TLocValue* TLocValueList::AddValue(LANGID langId) {
  auto value = TLocValue::Create(this, Arena, langId);
  TLocValue* raw = value.get();
  Add(std::move(value));
  return raw;
}

// ---- Named item lists --------------------------------------------------------

namespace {


int CompareBytes(std::string_view a, std::string_view b, bool fold) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char ca = static_cast<unsigned char>(a[i]);
    unsigned char cb = static_cast<unsigned char>(b[i]);
    if (fold) {
      ca = static_cast<unsigned char>(UpCaseAscii(static_cast<char>(ca)));
      cb = static_cast<unsigned char>(UpCaseAscii(static_cast<char>(cb)));
    }
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace

int TNamedItemList::CompareNames(std::string_view a, std::string_view b) const {
  return CompareBytes(a, b, !CaseSensitive);
}

bool TNamedItemList::FindName(std::string_view name, int& index) const {
  int low = 0;
  int high = Count() - 1;
  while (low <= high) {
    const int mid = (low + high) / 2;
    const int c = CompareNames(name, Storage()[static_cast<std::size_t>(mid)]->ItemName);
    if (c < 0) {
      high = mid - 1;
    } else if (c > 0) {
      low = mid + 1;
    } else {
      index = mid;
      return true;
    }
  }
  index = low;
  return false;
}

int TNamedItemList::IndexOfName(std::string_view name) const {
  int index = -1;
  return FindName(name, index) ? index : -1;
}

std::unique_ptr<TNamedItem> TNamedItemList::CreateItem(const std::string& name) {
  return std::make_unique<TNamedItem>(name);
}

TNamedItem* TNamedItemList::FindOrAddWith(const std::string& name, bool caseSensitiveShortcut,
                                          const std::function<std::unique_ptr<TNamedItem>()>& create) {
  if (LastIndex >= 0 && LastIndex < Count()) {
    TNamedItem* last = Storage()[static_cast<std::size_t>(LastIndex)].get();
    if (CompareBytes(name, last->ItemName, !caseSensitiveShortcut) == 0) return last;
  }
  int index = 0;
  const bool found = FindName(name, index);
  LastIndex = index;
  if (found) return Storage()[static_cast<std::size_t>(index)].get();
  auto item = create();
  TNamedItem* raw = item.get();
  Insert(index, std::move(item));
  return raw;
}

TNamedItem* TNamedItemList::FindOrAdd(const std::string& name) {
  return FindOrAddWith(name, false, [&] { return CreateItem(name); });
}

void TNamedItemList::Clear() {
  LastIndex = -1;
  TQObjectList<TNamedItem>::Clear();
}

void TNamedItemList::SetAllUsed(bool flag) {
  for (int i = 0; i < Count(); ++i) Items(i)->SetUsed(flag);
}

// ---- Translatable items ------------------------------------------------------

TLocItem::TLocItem(TLocStorage* storage, std::uint8_t kind, std::string name, std::int32_t id)
    : TNamedItem(std::move(name)), ItemId(id), OwnerStorage(storage),
      ValueList(std::make_unique<TLocValueList>(
          kind, storage ? storage->Arena() : nullptr,
          storage ? std::max(storage->ExpectedLanguages(), storage->LanguageCount()) : 1,
          storage ? storage->UserLangId() : 0)) {
  InitValues();
}

void TLocItem::InitValues() {
  if (!OwnerStorage) return;
  for (int column = ValueList->Count(); column < OwnerStorage->LanguageCount(); ++column)
    AddValue(u"", OwnerStorage->Languages(column));
}

int TLocItem::AddValue(std::u16string_view text, LANGID langId) {
  TLocValue* value = ValueList->AddValue(langId);
  value->Text.Assign(text, ValueList->Arena);
  return ValueList->Count() - 1;
}

void TLocItem::SetValueFromVariant(int column, const TVariant& value, std::int32_t revision) {
  ValueList->Values(column)->SetFromVariant(value, revision);
  IsUsed = true;
}

int TLocItemList::PurgeUnused() {
  int count = 0;
  int i = 0;
  while (i < Count()) {
    if (!Items(i)->IsUsed) {
      Delete(i);
      ++count;
    } else {
      ++i;
    }
  }
  return count;
}

TLocItem* TLocItemList::FindByName(std::string_view name) const {
  const int index = IndexOfName(name);
  return index < 0 ? nullptr : Items(index);
}

int TLocItemList::IndexOfId(std::int32_t id) const {
  for (int i = 0; i < Count(); ++i)
    if (Items(i)->ItemId == id) return i;
  return -1;
}


}  // namespace sw
