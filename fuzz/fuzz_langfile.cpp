// libFuzzer harness for language files (.lng), plain or LZQ-compressed: the
// header read, the record reader behind `dump`, a native load (with and
// without renumbering) and column loads, by names and by ids, into a storage
// made from the input itself and into a small fixed one. Damaged input must
// end in one of the project's exceptions; anything else escaping, a crash, a
// hang or a sanitizer report is a fault. A file that loads must also open
// through the constructor (which reads only the header, of a compressed file
// from a prefix), and what a native load accepted must write and read back.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "base/Exceptions.h"
#include "runtime/Streams.h"
#include "storage/LocLangFile.h"
#include "storage/LocStorage.h"

namespace {

// The file name never exists, so TLangFile starts empty and reads only the
// stream handed to it.
constexpr const char* kName = "/nonexistent-fuzz-dir/fuzz.lng";

// Touches every field so that the sanitizers see every byte the reader
// produced, and checks the record order the reader promises.
class TCheckingVisitor : public sw::TLangFileVisitor {
 public:
  void Header(const sw::TLangFileHeader& h) override {
    sum_ += h.LangName.size() + h.NativeName.size();
    negativeIds_ = negativeIds_ || h.LastConstantId < 0 || h.LastPropertyId < 0 || h.LastExtItemId < 0;
  }
  void Unit(const std::string& name, std::uint16_t) override {
    if (phase_ != 0) __builtin_trap();
    sum_ += name.size();
  }
  void Constant(const sw::TLangFileEntry& e) override {
    if (phase_ != 0) __builtin_trap();
    Entry(e);
  }
  void UnitsDone() override { phase_ = 1; }
  void Form(const std::string& name, std::uint16_t) override {
    if (phase_ != 1) __builtin_trap();
    sum_ += name.size();
  }
  void Component(const std::string& name, std::uint16_t) override {
    if (phase_ != 1) __builtin_trap();
    sum_ += name.size();
  }
  void Property(const sw::TLangFileEntry& e) override {
    if (phase_ != 1) __builtin_trap();
    Entry(e);
  }
  void FormsDone() override { phase_ = 2; }
  void ExtGroup(const std::string& name, std::uint16_t) override {
    if (phase_ != 2) __builtin_trap();
    sum_ += name.size();
  }
  void ExtItem(const sw::TLangFileEntry& e) override {
    if (phase_ != 2) __builtin_trap();
    Entry(e);
  }
  std::size_t Sum() const { return sum_; }
  bool NegativeIds() const { return negativeIds_; }

 private:
  void Entry(const sw::TLangFileEntry& e) {
    sum_ += e.Name.size() + e.Text.size() + e.Kind + e.Status;
    negativeIds_ = negativeIds_ || e.ItemId < 0;
    for (char16_t c : e.Text) sum_ += c;
  }
  int phase_ = 0;
  std::size_t sum_ = 0;
  bool negativeIds_ = false;
};

// Writes the input to a file of its own so that the constructor reads it.
std::string WriteInputFile(const std::string& bytes) {
  static const std::string path = [] {
    std::string pattern = "/tmp/sw-fuzz-langfile-XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    return pattern + "/fuzz.lng";
  }();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) std::abort();
  return path;
}

void FillFixedStorage(sw::TLocStorage& storage) {
  storage.FindOrAddConstant(1, "Main", 0, "SError")->NativeValue()->SetText(u"Error");
  storage.FindOrAddConstant(2, "Main", 0, "SOk")->NativeValue()->SetText(u"OK");
  storage.Forms->FindOrAdd("Form1")->FindOrAddProperty(11, "Button1", sw::vkString, "Caption");
  storage.ExtGroups->FindOrAdd("Other")->FindOrAddExtItem(20, "Memo1.Text", sw::vkString);
  storage.LastConstantId = 2;
  storage.LastPropertyId = 11;
  storage.LastExtItemId = 20;
}

// Reads the header into `file` first, as the constructor does for a file on
// disk, then loads the whole data.
void Load(sw::TLangFile& file, sw::TLocStorage& storage, int column, int flags, const std::string& bytes) {
  sw::TMemoryStream stream(bytes);
  file.ReadHeader(stream, false);
  stream.SetPosition(0);
  file.LoadStorageFromStream(&storage, column, flags, stream);
}

template <typename F>
bool Try(F&& f) {
  try {
    f();
    return true;
  } catch (const sw::Exception&) {
    return false;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);

  // Header only, through TLangFile (expands a compressed file itself).
  Try([&] {
    sw::TMemoryStream stream(input);
    sw::TLangFile file(kName, true);
    file.ReadHeader(stream, false);
  });

  // The record reader, as `dump` drives it.
  bool negativeIds = false;
  Try([&] {
    sw::TMemoryStream stream(input);
    sw::ExpandIfCompressed(stream);
    sw::TLangFileReader reader(stream, kName);
    TCheckingVisitor visitor;
    reader.Read(visitor);
    if (visitor.Sum() == static_cast<std::size_t>(-1)) __builtin_trap();
    negativeIds = visitor.NegativeIds();
  });

  // Native loads, then a column load of the same file into what it loaded.
  for (int flags : {0, sw::lfRenumber}) {
    sw::TLocStorage storage;
    sw::TLangFile file(kName, false);
    if (!Try([&] { Load(file, storage, -1, flags, input); }) || flags != 0) continue;

    // A file that loads must also open: the constructor reads its header
    // from the file, from a prefix of it when it is compressed.
    const sw::TLangFile opened(WriteInputFile(input), true);
    if (opened.Version != file.Version || opened.LangId != file.LangId || opened.Revision != file.Revision ||
        opened.Compressed != file.Compressed)
      __builtin_trap();

    // What a native load accepted must be written and read back, and written
    // again it is the same file: nothing was lost or changed on the way. Ids
    // from 2^31 up are left out of the comparison: the storage takes a
    // negative id as "number me", so such a file is renumbered when loaded.
    std::string image;
    if (Try([&] { image = file.BuildImage(&storage, 0, false); })) {
      sw::TLocStorage again;
      sw::TLangFile reread(kName, false);
      Load(reread, again, -1, 0, image);  // must not throw
      if (!negativeIds && reread.BuildImage(&again, 0, false) != image) __builtin_trap();
    }

    Try([&] {
      const int column = storage.AddLanguage(0, 0x0407);
      sw::TLangFile translation(kName, false);
      Load(translation, storage, column, sw::lfFindByName, input);
    });
  }

  // Column loads into a small fixed storage, by ids and by names.
  for (int flags : {0, sw::lfFindByName}) {
    sw::TLocStorage storage;
    FillFixedStorage(storage);
    const int column = storage.AddLanguage(0, 0x0407);
    Try([&] {
      sw::TLangFile file(kName, false);
      Load(file, storage, column, flags, input);
    });
  }
  return 0;
}
