// Throughput of the LZQ coder on text-like data: compress and expand in MB/s of uncompressed
// bytes, on 8-bit text and on the UTF-16 text a language file mostly holds, in memory streams.
// The compression ratio is reported as a counter.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "compress/LzqContainer.h"
#include "runtime/Streams.h"

namespace {

std::string TextLike(std::size_t n, bool wide) {
  static const char* const kWords[] = {
      "the",    "file",    "language", "translation", "form",     "caption", "unit",  "string",   "&Open",
      "Cancel", "OK",      "library",  "revision",    "value",    "native",  "Hint",  "Items",    "Save",
      "Print",  "Preview", "Settings", "Error",       "Warning",  "Delete",  "Close", "Properties", "Help"};
  std::mt19937 rng(42);
  std::string s;
  while (s.size() < n) {
    std::string word = kWords[rng() % std::size(kWords)];
    word += (rng() % 6 == 0) ? ".\r\n" : " ";
    if (rng() % 5 == 0) word += std::to_string(rng() % 1000) + " ";
    for (char c : word) {
      s.push_back(c);
      if (wide) s.push_back('\0');
    }
  }
  s.resize(n);
  return s;
}

void BM_Compress(benchmark::State& state, bool wide) {
  const std::string data = TextLike(static_cast<std::size_t>(state.range(0)), wide);
  std::size_t compressedSize = 0;
  for (auto _ : state) {
    sw::TMemoryStream source(data);
    sw::TMemoryStream dest;
    sw::CompressStreamFromStart(source, dest);
    compressedSize = dest.Data().size();
    benchmark::DoNotOptimize(dest.Data().data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
  state.counters["ratio"] = static_cast<double>(compressedSize) / static_cast<double>(data.size());
}

void BM_Expand(benchmark::State& state, bool wide) {
  const std::string data = TextLike(static_cast<std::size_t>(state.range(0)), wide);
  sw::TMemoryStream plain(data);
  sw::TMemoryStream packed;
  sw::CompressStreamFromStart(plain, packed);
  const std::string compressed = packed.AsString();
  for (auto _ : state) {
    sw::TMemoryStream source(compressed);
    sw::TMemoryStream dest;
    sw::ExpandStreamFromStart(source, dest);
    benchmark::DoNotOptimize(dest.Data().data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

BENCHMARK_CAPTURE(BM_Compress, text, false)->Arg(64 << 10)->Arg(4 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Compress, utf16, true)->Arg(4 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Expand, text, false)->Arg(64 << 10)->Arg(4 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Expand, utf16, true)->Arg(4 << 20)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
