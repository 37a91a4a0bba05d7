// Building blocks shared by the whole translation storage and the language
// file: the length-prefixed ANSI and wide strings of the .lng format, the
// default property rules, loading and saving text files as string lists
// (saving asks the user to retry on failure), and the base classes of the
// storage tree: one value per language column (`TLocValue`), the per-item
// value list, named items kept in sorted owning lists, and the translatable
// item (`TLocItem`). The concrete item kinds and the storage itself are in
// UnitsTree.h (units and string constants) and LocStorage.h (forms, external
// groups, `TLocStorage`).
//
// String length prefixes: below version 6 a u16; from version 6 on a 1-, 2-
// or 4-byte prefix (7 bits per byte with a continuation bit, then a u16 for
// bits 14 and up). Lengths of 2^30 and more cannot be stored.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "base/Exceptions.h"
#include "runtime/StringList.h"
#include "runtime/Streams.h"
#include "runtime/Variant.h"
#include "util/LocaleCatalogue.h"
#include "util/OwningList.h"

namespace sw {

class BinaryReader;

class TLocStorage;

SW_DECLARE_EXCEPTION(ELocStorageError, Exception)
SW_DECLARE_EXCEPTION(ELangFileError, Exception)

// Value kinds (`ValueKind`). Kinds 5 to 8 live in memory only.
enum : std::uint8_t {
  vkFloat = 0,
  vkInteger = 1,
  vkString = 2,
  vkList = 3,
  vkStrings = 4,
  vkBinary = 5,
  vkIdent = 6,
  vkSet = 7,
  vkInt64 = 8,
};

// Bits of a value's `StateFlags`. The low byte is item state (native value
// only), the high byte per-language state.
inline constexpr std::uint16_t lsNotRecorded = 0x0010;  // cleared on every recorded property
inline constexpr std::uint16_t lsHasText = 0x0020;      // native string value is not empty
inline constexpr std::uint16_t lsTranslated = 0x0100;   // cleared when older than the native text

// Attribute bits of the containers.
inline constexpr std::uint16_t uaSourceConstant = 0x0002;  // unit: met in a .PAS or .RC file
inline constexpr std::uint16_t caCharsetExcluded = 0x0004;  // component: font charset kept

// ---- Values ----------------------------------------------------------------

class TLocValueList;
class TStorageArena;

// The text of one value. Reads like a constant std::u16string (it converts
// to one and to std::u16string_view, compares with either and has their
// reading members); it changes only by assignment. Its characters live in
// one of three places: nowhere (the empty text), the storage's arena (set by
// the storage's own operations, or shared with the value it was copied from
// until either changes: arena texts are never changed in place nor freed
// before the storage), or a heap copy of its own (assigned from outside the
// storage, or in a value without a storage). Copying a text makes a heap
// copy; its characters are not terminated.
class TLocText {
 public:
  using value_type = char16_t;
  using size_type = std::size_t;
  using const_iterator = const char16_t*;
  using iterator = const char16_t*;
  static constexpr size_type npos = std::u16string_view::npos;

  TLocText() noexcept = default;
  TLocText(const TLocText& other) { SetOwned(other.view()); }
  TLocText(TLocText&& other) noexcept : data_(other.data_), size_(other.size_), owned_(other.owned_) {
    other.data_ = u"";
    other.size_ = 0;
    other.owned_ = false;
  }
  ~TLocText() { Release(); }
  TLocText& operator=(const TLocText& other) { return *this = other.view(); }
  TLocText& operator=(TLocText&& other) noexcept;
  TLocText& operator=(std::u16string_view text);
  TLocText& operator=(const std::u16string& text) { return *this = std::u16string_view(text); }
  TLocText& operator=(const char16_t* text) { return *this = std::u16string_view(text); }

  // Storage-side setters: `Assign` copies into `arena` (a heap copy without
  // one); `Share` takes over `other`'s characters when they are the
  // arena's, else copies like `Assign`.
  void Assign(std::u16string_view text, TStorageArena* arena);
  void Share(const TLocText& other, TStorageArena* arena);
  // Whether the characters are a heap copy of this text's own.
  bool IsOwned() const { return owned_; }

  std::u16string_view view() const noexcept { return {data_, size_}; }
  std::u16string str() const { return std::u16string(view()); }
  operator std::u16string_view() const noexcept { return view(); }
  operator std::u16string() const { return str(); }

  const char16_t* data() const noexcept { return data_; }
  size_type size() const noexcept { return size_; }
  size_type length() const noexcept { return size_; }
  bool empty() const noexcept { return size_ == 0; }
  const char16_t* begin() const noexcept { return data_; }
  const char16_t* end() const noexcept { return data_ + size_; }
  const char16_t* cbegin() const noexcept { return data_; }
  const char16_t* cend() const noexcept { return data_ + size_; }
  const char16_t& operator[](size_type i) const { return data_[i]; }
  const char16_t& front() const { return data_[0]; }
  const char16_t& back() const { return data_[size_ - 1]; }
  void clear() { Release(); }

  size_type find(std::u16string_view s, size_type pos = 0) const { return view().find(s, pos); }
  size_type find(char16_t c, size_type pos = 0) const { return view().find(c, pos); }
  size_type rfind(std::u16string_view s, size_type pos = npos) const { return view().rfind(s, pos); }
  size_type rfind(char16_t c, size_type pos = npos) const { return view().rfind(c, pos); }
  size_type find_first_of(std::u16string_view s, size_type pos = 0) const { return view().find_first_of(s, pos); }
  size_type find_first_not_of(std::u16string_view s, size_type pos = 0) const {
    return view().find_first_not_of(s, pos);
  }
  size_type find_last_not_of(std::u16string_view s, size_type pos = npos) const {
    return view().find_last_not_of(s, pos);
  }
  bool starts_with(std::u16string_view s) const { return view().starts_with(s); }
  bool starts_with(char16_t c) const { return view().starts_with(c); }
  bool ends_with(std::u16string_view s) const { return view().ends_with(s); }
  bool ends_with(char16_t c) const { return view().ends_with(c); }
  std::u16string substr(size_type pos = 0, size_type count = npos) const {
    return std::u16string(view().substr(pos, count));
  }
  int compare(std::u16string_view s) const { return view().compare(s); }

  friend bool operator==(const TLocText& a, const TLocText& b) noexcept { return a.view() == b.view(); }
  friend bool operator==(const TLocText& a, std::u16string_view b) noexcept { return a.view() == b; }
  friend bool operator==(const TLocText& a, const std::u16string& b) noexcept { return a.view() == b; }
  friend bool operator==(const TLocText& a, const char16_t* b) noexcept { return a.view() == b; }
  friend auto operator<=>(const TLocText& a, const TLocText& b) noexcept { return a.view() <=> b.view(); }
  friend auto operator<=>(const TLocText& a, std::u16string_view b) noexcept { return a.view() <=> b; }
  friend std::u16string operator+(const TLocText& a, std::u16string_view b) {
    std::u16string s(a.view());
    s += b;
    return s;
  }
  friend std::u16string operator+(std::u16string_view a, const TLocText& b) {
    std::u16string s(a);
    s += b.view();
    return s;
  }

 private:
  friend class TLocValue;

  void SetOwned(std::u16string_view text);
  void Release() noexcept;

  const char16_t* data_ = u"";
  std::uint32_t size_ = 0;
  bool owned_ = false;
  // Whether the value holding this text was placed in the storage's arena
  // (kept here, in what would be padding, by the value).
  bool valueInArena_ = false;
};

class TLocValue {
 public:
  // `langId`: the value's language (the user's default language where the
  // caller knows no other).
  TLocValue(TLocValueList* owner, LANGID langId);
  explicit TLocValue(TLocValueList* owner);  // of the user's default language
  ~TLocValue() = default;
  TLocValue(const TLocValue&) = delete;
  TLocValue& operator=(const TLocValue&) = delete;

  // A value of `owner`, placed in `arena` when there is one (then freed
  // with the arena, not by its deletion), else on the heap.
  static std::unique_ptr<TLocValue> Create(TLocValueList* owner, TStorageArena* arena, LANGID langId);
  // Both out of line: inlined, GCC 12 pairs the global functions they call
  // with the class's own and warns of a mismatch (-Wmismatched-new-delete).
  static void* operator new(std::size_t size);
  static void operator delete(void* memory) noexcept;
  static void operator delete(TLocValue* value, std::destroying_delete_t) noexcept;

  TLocValueList* OwnerList = nullptr;
  std::uint64_t Stamp = 0;
  TLocText Text;
  std::int32_t Revision = 0;
  std::uint16_t StateFlags = 0;
  LANGID LangId = 0;

  std::uint8_t Kind() const;
  // Keeps the text (and whatever shares it) when it is already `text`.
  void SetText(std::u16string_view text);
  void SetRevision(std::int32_t n) { Revision = n; }
  void SetLangId(LANGID id) { LangId = id; }
  void SetStamp(std::uint64_t stamp) { Stamp = stamp; }

  // Equality by kind: numbers by value, strings exactly; an unparsable
  // number raises EConvertError.
  bool SameValue(std::u16string_view text) const;
  void SetFromVariant(const TVariant& value, std::int32_t revision);

  std::string GetAnsiText() const;
  void SetAnsiText(std::string_view text);
  // The value's lines; the list belongs to the value and is refilled by
  // every call.
  TStringList& AsStrings();
  std::int32_t AsInteger() const;
  std::int64_t AsInt64() const;
  double AsFloat() const;

  bool IsUpToDate() const;
  bool HasState(std::uint16_t mask) const { return (StateFlags & mask) == mask; }
  void SetState(std::uint16_t mask, bool on);

  void LoadValue(TStream& stream, int version);
  void SaveValue(TStream& stream, int version) const;

 private:
  TStorageArena* Arena() const;
};

// Whether a value of `kind` has a payload in a file of `version`.
bool KindHasPayload(std::uint8_t kind, int version);
// Reads the payload of `kind` and returns it as the value's text (numbers in
// decimal); kinds without payload read nothing and give "".
std::u16string ReadValuePayload(TStream& stream, std::uint8_t kind, int version);
void ReadValuePayload(BinaryReader& reader, std::uint8_t kind, int version, std::u16string& out);

class TLocValueList : public TQObjectList<TLocValue> {
 public:
  // Starts with the native value; `arena` (the storage's, when the item
  // has one) holds the values and texts of the list; `columns` values fit
  // without growing.
  // without growing; the native value's language is `langId` (0: the user's
  // default language).
  explicit TLocValueList(std::uint8_t kind, TStorageArena* arena = nullptr, int columns = 1, LANGID langId = 0);
  std::uint8_t ValueKind = vkString;
  TStorageArena* Arena = nullptr;
  TLocValue* Values(int column) const { return Items(column); }
  // Appends a value of the language `langId`; returns it.
  TLocValue* AddValue(LANGID langId);

 private:
  friend class TLocValue;
  // The lines `AsStrings` gave out, per value: made by the first call, kept
  // with the list (values are many, line lists rare).
  std::unique_ptr<std::vector<std::pair<const TLocValue*, std::unique_ptr<TStringList>>>> lines_;
};

// ---- Named items and their sorted lists ----------------------------------

class TNamedItem {
 public:
  explicit TNamedItem(std::string name) : ItemName(std::move(name)) {}
  virtual ~TNamedItem() = default;
  TNamedItem(const TNamedItem&) = delete;
  TNamedItem& operator=(const TNamedItem&) = delete;

  std::string ItemName;
  bool IsUsed = false;

  virtual void SetUsed(bool flag) { IsUsed = flag; }
};

// An owning list kept sorted by `ItemName`. Names compare ordinally when
// `CaseSensitive`, otherwise with ASCII letters folded to upper case.
class TNamedItemList : public TQObjectList<TNamedItem> {
 public:
  TNamedItemList() = default;

  std::int32_t LastIndex = -1;
  bool CaseSensitive = false;

  int CompareNames(std::string_view a, std::string_view b) const;
  // Binary search; on failure `index` is the insertion point.
  bool FindName(std::string_view name, int& index) const;
  int IndexOfName(std::string_view name) const;
  TNamedItem* FindOrAdd(const std::string& name);
  void Clear() override;
  void SetAllUsed(bool flag);
  // Removes unused items; returns the number of translatable items removed.
  virtual int PurgeUnused() { return 0; }

 protected:
  virtual std::unique_ptr<TNamedItem> CreateItem(const std::string& name);
  // `FindOrAdd` with the shortcut compare chosen by the caller.
  TNamedItem* FindOrAddWith(const std::string& name, bool caseSensitiveShortcut,
                            const std::function<std::unique_ptr<TNamedItem>()>& create);
};

class TLocItem : public TNamedItem {
 public:
  TLocItem(TLocStorage* storage, std::uint8_t kind, std::string name, std::int32_t id);

  std::int32_t ItemId = 0;
  TLocStorage* OwnerStorage = nullptr;
  std::unique_ptr<TLocValueList> ValueList;

  virtual int Reserved() const { return 0; }
  virtual void InitValues();
  virtual std::string FullName(char separator) const { (void)separator; return ItemName; }

  int AddValue(std::u16string_view text, LANGID langId);
  TLocValue* NativeValue() const { return ValueList->Values(0); }
  TLocValue* Values(int column) const { return ValueList->Values(column); }
  bool HasNativeState(std::uint16_t mask) const { return NativeValue()->HasState(mask); }
  void SetNativeState(std::uint16_t mask, bool on) { NativeValue()->SetState(mask, on); }
  std::uint8_t ValueKind() const { return ValueList->ValueKind; }
  void SetValueKind(std::uint8_t kind) { ValueList->ValueKind = kind; }
  void SetValueFromVariant(int column, const TVariant& value, std::int32_t revision);
};

class TLocItemList : public TNamedItemList {
 public:
  TLocItem* Items(int index) const { return static_cast<TLocItem*>(TNamedItemList::Items(index)); }
  int PurgeUnused() override;
  template <typename List>
  void AppendTo(List* list) const {
    if (!list) return;
    for (int i = 0; i < Count(); ++i) list->Add(static_cast<typename List::ItemType*>(Items(i)));
  }
  TLocItem* FindByName(std::string_view name) const;
  int IndexOfId(std::int32_t id) const;
};

// A plain (non-owning) list of the items of one family across a storage,
// optionally sorted by `ItemId`.
template <typename T>
class TLinearList {
 public:
  using ItemType = T;
  bool Sorted = false;
  int Count() const { return static_cast<int>(items_.size()); }
  T* Items(int index) const {
    if (index < 0 || index >= Count()) RaiseListIndexError(index);
    return items_[static_cast<std::size_t>(index)];
  }
  void Add(T* item) { items_.push_back(item); }
  void Clear() { items_.clear(); Sorted = false; }
  // Ends a build from the storage's tree: sorted by id, or marked unsorted.
  void FinishBuild(bool sort) {
    if (sort)
      SortById();
    else
      Sorted = false;
  }
  // Sorts by `ItemId` ascending, keeping the tree order among equal ids.
  void SortById() {
    std::stable_sort(items_.begin(), items_.end(),
                     [](const T* a, const T* b) { return a->ItemId < b->ItemId; });
    Sorted = true;
  }
  // Binary search when `Sorted`, else the first match from index 0; -1 when none.
  int IndexOfId(std::int32_t id) const {
    if (!Sorted) {
      for (int i = 0; i < Count(); ++i)
        if (items_[static_cast<std::size_t>(i)]->ItemId == id) return i;
      return -1;
    }
    int low = 0;
    int high = Count() - 1;
    while (high >= low) {
      const int mid = (low + high) / 2;
      if (mid == low || mid == high) {
        if (IdAt(low) == id) return low;
        if (IdAt(high) == id) return high;
        return -1;
      }
      if (IdAt(mid) == id) return mid;
      if (IdAt(mid) >= id)
        high = mid - 1;
      else
        low = mid + 1;
    }
    return -1;
  }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 protected:
  std::int32_t IdAt(int index) const { return items_[static_cast<std::size_t>(index)]->ItemId; }
  std::vector<T*> items_;
};

}  // namespace sw
