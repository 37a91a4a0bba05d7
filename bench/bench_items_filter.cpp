// The items view over a library of 100,000 strings (English native, a German
// translation: 70% up to date, 20% out of date, 10% untranslated, some with
// check problems): how long one change of a filter takes to rebuild the
// visible rows (text in native or translation with case ignored, status,
// problem, all three), one change of the order, and opening the view (the
// files loaded and checked). The language files are written to a scratch
// folder once; the filters and the order work on one loaded view. Google Benchmark's "CPU" column is the figure to read on
// a shared machine.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "window/ItemsViewLogic.h"
#include "base/Unicode.h"
#include "storage/LocLangFile.h"

namespace {

constexpr sw::LANGID kEnglish = 0x0409;
constexpr sw::LANGID kGerman = 0x0407;
constexpr int kUnits = 100;
constexpr int kConstantsPerUnit = 1000;

std::u16string Sentence(std::mt19937& rng, bool german) {
  static const char* const kEnglishWords[] = {"Open", "the", "file", "Save", "changes", "Print", "Preview", "Cancel",
                                              "settings", "&Delete", "selected", "items", "Could not read %s",
                                              "Close", "window", "Help", "About", "%d files", "Error:", "Warning"};
  static const char* const kGermanWords[] = {"\xC3\x96" "ffnen", "die", "Datei", "Speichern", "\xC3\x84nderungen",
                                             "Drucken", "Vorschau", "Abbrechen", "Einstellungen", "&L\xC3\xB6schen",
                                             "ausgew\xC3\xA4hlte", "Eintr\xC3\xA4ge", "%s nicht lesbar", "Schlie\xC3\x9F" "en",
                                             "Fenster", "Hilfe", "Info", "%d Dateien", "Fehler:", "Warnung"};
  std::string text;
  const int words = 2 + static_cast<int>(rng() % 7);
  for (int i = 0; i < words; ++i) {
    if (i) text += ' ';
    const std::size_t w = rng() % std::size(kEnglishWords);
    text += german ? kGermanWords[w] : kEnglishWords[w];
  }
  return sw::Utf8ToUtf16(text);
}

class ItemsLibrary {
 public:
  ItemsLibrary() {
    folder_ = std::filesystem::temp_directory_path() / ("shelfwright-bench-items-" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(folder_);
    library_.DestDir = folder_.string();
    library_.ShortName = "Big";
    library_.Languages = {kEnglish, kGerman};
    Write();
    logic_ = std::make_unique<sw::TItemsViewLogic>(library_, nullptr);
    logic_->Load(kGerman);
  }
  ~ItemsLibrary() {
    logic_.reset();
    std::error_code error;
    std::filesystem::remove_all(folder_, error);
  }
  sw::TItemsViewLogic& Logic() { return *logic_; }
  const sw::TItemsLibrary& Definition() const { return library_; }

 private:
  void Write() {
    std::mt19937 rng(7);
    sw::TLocStorage storage;
    storage.SetNativeLangId(kEnglish);
    std::vector<sw::TLocItem*> items;
    std::int32_t id = 0;
    for (int u = 0; u < kUnits; ++u)
      for (int c = 0; c < kConstantsPerUnit; ++c) {
        sw::TLocItem* item =
            storage.FindOrAddConstant(++id, "Unit" + std::to_string(u), 0, "SText" + std::to_string(c));
        item->NativeValue()->SetText(Sentence(rng, false));
        item->NativeValue()->SetRevision(4);
        items.push_back(item);
      }
    sw::TLangFile native(sw::LangFileNameFor(library_.DestDir, "Big", kEnglish), false);
    native.LangId = kEnglish;
    native.LangName = "English";
    native.IsNative = true;
    native.SetRevision(4);
    native.SaveStorage(&storage, 0, false);
    const int column = storage.AddLanguage(0, kGerman);
    for (sw::TLocItem* item : items) {
      const unsigned kind = rng() % 10;
      sw::TLocValue* value = item->Values(column);
      if (kind == 0) {
        value->SetRevision(-1);
        continue;
      }
      value->SetText(Sentence(rng, true));
      value->SetRevision(kind <= 2 ? 3 : 5);
    }
    sw::TLangFile german(sw::LangFileNameFor(library_.DestDir, "Big", kGerman), false);
    german.LangId = kGerman;
    german.LangName = "German";
    german.SetRevision(5);
    german.SaveStorage(&storage, column, false);
  }

  std::filesystem::path folder_;
  sw::TItemsLibrary library_;
  std::unique_ptr<sw::TItemsViewLogic> logic_;
};

ItemsLibrary& Library() {
  static ItemsLibrary library;
  return library;
}

void Reset(sw::TItemsViewLogic& logic) {
  logic.SetStatusFilter(sw::TStatusFilter::All);
  logic.SetProblemFilter("");
  logic.SetTextFilter("");
}

void BM_FilterText(benchmark::State& state) {
  sw::TItemsViewLogic& logic = Library().Logic();
  Reset(logic);
  // Alternating terms, each a full pass: one in native texts, one in translations.
  const char* const terms[] = {"PREVIEW", "\xC3\xA4nderungen"};
  std::size_t i = 0;
  for (auto _ : state) {
    logic.SetTextFilter(terms[i++ % 2]);
    benchmark::DoNotOptimize(logic.RowCount());
  }
  state.counters["rows"] = logic.ItemCount();
  state.counters["shown"] = logic.RowCount();
}

void BM_FilterStatus(benchmark::State& state) {
  sw::TItemsViewLogic& logic = Library().Logic();
  Reset(logic);
  std::size_t i = 0;
  for (auto _ : state) {
    logic.SetStatusFilter(i++ % 2 ? sw::TStatusFilter::Open : sw::TStatusFilter::OutOfDate);
    benchmark::DoNotOptimize(logic.RowCount());
  }
  state.counters["rows"] = logic.ItemCount();
}

void BM_FilterAllThree(benchmark::State& state) {
  sw::TItemsViewLogic& logic = Library().Logic();
  Reset(logic);
  logic.SetStatusFilter(sw::TStatusFilter::Open);
  logic.SetProblemFilter(sw::TItemsViewLogic::kAnyProblem);
  std::size_t i = 0;
  for (auto _ : state) {
    logic.SetTextFilter(i++ % 2 ? "datei" : "FILE");
    benchmark::DoNotOptimize(logic.RowCount());
  }
  state.counters["rows"] = logic.ItemCount();
  state.counters["shown"] = logic.RowCount();
}

void BM_SortByNative(benchmark::State& state) {
  sw::TItemsViewLogic& logic = Library().Logic();
  Reset(logic);
  std::size_t i = 0;
  for (auto _ : state) {
    logic.Sort(sw::TItemsColumn::Native, i++ % 2 != 0);
    benchmark::DoNotOptimize(logic.RowCount());
  }
  logic.Sort(sw::TItemsColumn::Path, false);
  state.counters["rows"] = logic.ItemCount();
}

// Opening the view: the language files read, every row's checks run, the
// rows put in storage order.
void BM_Load(benchmark::State& state) {
  const sw::TItemsLibrary& library = Library().Definition();
  for (auto _ : state) {
    sw::TItemsViewLogic logic(library, nullptr);
    logic.Load(kGerman);
    benchmark::DoNotOptimize(logic.RowCount());
  }
}

}  // namespace

BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FilterText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterStatus)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterAllThree)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByNative)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
