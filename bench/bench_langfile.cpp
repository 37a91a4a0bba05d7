// Saving and loading a language file of a storage with 100,000 items
// (40,000 string constants, 50,000 form properties, 10,000 external items),
// plain and compressed, as a native load and as a column load.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "storage/LocLangFile.h"

namespace {

using namespace sw;

std::u16string Text(int i) {
  std::string s = "Text of item " + std::to_string(i) + ": press OK to continue or Cancel to stop";
  return std::u16string(s.begin(), s.end());
}

std::unique_ptr<TLocStorage> MakeStorage() {
  auto storage = std::make_unique<TLocStorage>();
  storage->SetNativeLangId(0x0409);
  int id = 0;
  for (int u = 0; u < 40; ++u)
    for (int c = 0; c < 1000; ++c) {
      TLocConstant* k = storage->FindOrAddConstant(++id, "Unit" + std::to_string(100 + u), 0,
                                                   "SConst" + std::to_string(1000 + c));
      k->NativeValue()->SetText(Text(id));
      k->NativeValue()->SetRevision(1);
    }
  id = 0;
  for (int f = 0; f < 50; ++f) {
    TLocForm* form = storage->Forms->FindOrAdd("Form" + std::to_string(100 + f));
    for (int c = 0; c < 100; ++c)
      for (int p = 0; p < 10; ++p) {
        TLocProperty* prop = form->FindOrAddProperty(++id, "Button" + std::to_string(100 + c), vkString,
                                                     "Prop" + std::to_string(p));
        prop->NativeValue()->SetText(Text(id));
        prop->NativeValue()->SetRevision(1);
      }
  }
  id = 0;
  for (int g = 0; g < 10; ++g) {
    TLocExtGroup* group = storage->ExtGroups->FindOrAdd("FRFORM:Form" + std::to_string(g) + ":frxReport1");
    for (int i = 0; i < 1000; ++i) {
      ++id;
      group->FindOrAddExtItem(id, "Memo" + std::to_string(1000 + i) + ".Text", vkStrings)->NativeValue()->SetText(Text(id));
    }
  }
  return storage;
}

std::string TempPath(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

// Writes a file of the storage once: plain, or compressed.
std::string PrepareFile(bool compressed) {
  const std::string path = TempPath(compressed ? "bench-langfile-z.lng" : "bench-langfile.lng");
  std::filesystem::remove(path);
  auto storage = MakeStorage();
  TLangFile file(path, false);
  file.Compressed = compressed;
  file.SaveStorage(storage.get(), 0, false);
  return path;
}

void BM_Save(benchmark::State& state) {
  const bool compressed = state.range(0) != 0;
  auto storage = MakeStorage();
  const std::string path = PrepareFile(compressed);
  for (auto _ : state) {
    TLangFile file(path, false);
    file.SaveStorage(storage.get(), 0, false);
  }
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
  state.counters["items/s"] = benchmark::Counter(100000.0, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_NativeLoad(benchmark::State& state) {
  const std::string path = PrepareFile(state.range(0) != 0);
  for (auto _ : state) {
    TLocStorage storage;
    TLangFile file(path, false);
    file.LoadStorage(&storage, -1, 0);
    benchmark::DoNotOptimize(storage.Units->Count());
  }
  state.counters["items/s"] = benchmark::Counter(100000.0, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ColumnLoad(benchmark::State& state) {
  const std::string path = PrepareFile(state.range(0) != 0);
  auto storage = MakeStorage();
  const int column = storage->AddLanguage(0, 0x0407);
  for (auto _ : state) {
    TLangFile file(path, false);
    file.LoadStorage(storage.get(), column, 0);
  }
  state.counters["items/s"] = benchmark::Counter(100000.0, benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_Save)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NativeLoad)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColumnLoad)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
