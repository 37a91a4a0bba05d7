// Speed of the locale catalogue: code-page conversion in both directions
// (MB/s of 8-bit text) for a single-byte and a double-byte code page, the
// conversion of short texts as storage values are converted one by one, and
// the copy of a cached locale list with the abbreviation look-up that walks it.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "util/LocaleCatalogue.h"

namespace {

// Text of `n` bytes made of the code page's characters.
std::string SampleBytes(unsigned codePage, std::size_t n) {
  std::mt19937 rng(7);
  std::string s;
  while (s.size() < n) {
    const unsigned r = rng() % 10;
    if (r < 6)
      s.push_back(static_cast<char>('a' + rng() % 26));
    else if (r < 7)
      s.push_back(' ');
    else if (codePage == 932) {
      s.push_back(static_cast<char>(0x88 + rng() % 8));
      s.push_back(static_cast<char>(0x40 + rng() % 0x3F));
    } else {
      s.push_back(static_cast<char>(0xC0 + rng() % 0x40));
    }
  }
  return s;
}

void BM_AnsiToWide(benchmark::State& state) {
  const auto cp = static_cast<unsigned>(state.range(0));
  const std::string text = SampleBytes(cp, 1 << 20);
  for (auto _ : state) benchmark::DoNotOptimize(sw::AnsiToWideCP(text, cp));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_AnsiToWide)->Arg(1251)->Arg(932);

void BM_WideToAnsi(benchmark::State& state) {
  const auto cp = static_cast<unsigned>(state.range(0));
  const std::string text = SampleBytes(cp, 1 << 20);
  const std::u16string wide = sw::AnsiToWideCP(text, cp);
  for (auto _ : state) benchmark::DoNotOptimize(sw::WideToAnsiCP(wide, cp));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_WideToAnsi)->Arg(1251)->Arg(932);

void BM_ShortTextByLang(benchmark::State& state) {
  const std::u16string caption = u"&\u0424\u0430\u0439\u043B";  // "&Файл"
  for (auto _ : state) benchmark::DoNotOptimize(sw::WideToAnsiByLang(caption, 0x0419));
}
BENCHMARK(BM_ShortTextByLang);

void BM_GetLocaleList(benchmark::State& state) {
  sw::TLocaleEntryList list;
  for (auto _ : state) {
    sw::GetLocaleList(list, sw::lmLocalesAndLanguages);
    benchmark::DoNotOptimize(list.data());
  }
}
BENCHMARK(BM_GetLocaleList);

void BM_LangIdFromAbbr(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(sw::LangIdFromAbbr("zul"));  // near the end of the list
}
BENCHMARK(BM_LangIdFromAbbr);

}  // namespace

BENCHMARK_MAIN();
