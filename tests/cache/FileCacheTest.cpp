// The per-file cache's file and a form record's byte form, read as hostile
// input: what a save writes loads back, and any damage is refused whole.
#include "memory/FileCache.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <tuple>
#include <vector>

#include "extract/forms/FormRecord.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

TFileCache::TEntry Entry(std::uint64_t key, std::uint64_t size, std::int64_t time, std::uint64_t hash) {
  TFileCache::TEntry entry;
  entry.Key = key;
  entry.Stamp = {size, time};
  entry.Hash = hash;
  return entry;
}

std::string SavedBytes() {
  TFileCache cache;
  cache.Keep("/src/en/Main.dfm", Entry(1, 10, 1000, 0xAB), "result one");
  cache.Keep("/src/en/Main.dfm", Entry(2, 10, 1000, 0xAB), "under other settings");
  cache.Keep("/src/de/Main.dfm", Entry(1, 20, 2000, 0xCD), "");
  return cache.KeptBytes();
}

std::string ResultOf(const TFileCache& cache, const TFileCache::TEntry* entry) {
  std::string result;
  if (!entry || !cache.ReadResult(*entry, result)) return "<none>";
  return result;
}

std::uint64_t U64At(const std::string& bytes, std::size_t at) {
  std::uint64_t value = 0;
  for (int i = 0; i < 8; ++i) value |= std::uint64_t{static_cast<std::uint8_t>(bytes[at + i])} << (8 * i);
  return value;
}

// The bytes with their trailer's checksum made right again for what they hold.
std::string Resealed(std::string bytes) {
  const std::uint64_t indexOffset = U64At(bytes, bytes.size() - 16);
  const std::string header = bytes.substr(0, 20);
  const std::string index = bytes.substr(indexOffset, bytes.size() - 16 - indexOffset);
  bytes.resize(bytes.size() - 8);
  const std::uint64_t sum = CacheChecksum(header, index, indexOffset);
  for (int i = 0; i < 8; ++i) bytes += static_cast<char>((sum >> (8 * i)) & 0xFF);
  return bytes;
}

TEST(FileCacheTest, WhatIsKeptLoadsBackUnderItsPathAndKey) {
  TFileCache cache;
  ASSERT_TRUE(cache.LoadBytes(SavedBytes()));
  const TFileCache::TEntry* one = cache.Find("/src/en/Main.dfm", 1);
  const TFileCache::TEntry* two = cache.Find("/src/en/Main.dfm", 2);
  ASSERT_TRUE(one && two && cache.Find("/src/de/Main.dfm", 1));
  EXPECT_EQ(ResultOf(cache, one), "result one");
  EXPECT_EQ(ResultOf(cache, two), "under other settings");
  EXPECT_EQ(ResultOf(cache, cache.Find("/src/de/Main.dfm", 1)), "");
  EXPECT_EQ(one->Stamp, (TFileStamp{10, 1000}));
  EXPECT_EQ(one->Hash, 0xABu);
  EXPECT_EQ(cache.Find("/src/de/Main.dfm", 2), nullptr);
  EXPECT_EQ(cache.Find("/src/en/main.dfm", 1), nullptr);
  // The stamp vouches only for a file older than the run that kept it.
  EXPECT_TRUE(cache.StampVouches(*one, {10, 1000}));
  EXPECT_FALSE(cache.StampVouches(*one, {11, 1000}));
  EXPECT_FALSE(cache.StampVouches(*one, {10, 1001}));
  TFileCache::TEntry recent = *one;
  recent.Stamp.Time = std::int64_t{1} << 62;
  EXPECT_FALSE(cache.StampVouches(recent, recent.Stamp));
}

TEST(FileCacheTest, DamagedOrForeignBytesAreRefusedWhole) {
  const std::string good = SavedBytes();
  const std::uint64_t indexOffset = U64At(good, good.size() - 16);
  const struct {
    const char* name;
    std::function<std::string(std::string)> damage;
  } cases[] = {
      {"empty", [](std::string) { return std::string(); }},
      {"cut short", [](std::string b) { return b.substr(0, b.size() / 2); }},
      {"index byte flipped", [&](std::string b) { b[indexOffset + 6] ^= 0x20; return b; }},
      {"header byte flipped", [](std::string b) { b[15] ^= 0x20; return b; }},
      {"another magic", [](std::string b) { b[0] = 'X'; return b; }},
      {"bytes appended", [](std::string b) { return b + "more"; }},
      // Damage with a checksum that is right for the bytes.
      {"another version", [](std::string b) { b[8] = 3; return Resealed(b); }},
      {"count too large", [&](std::string b) {
         b[indexOffset] = '\xFF';
         b[indexOffset + 1] = '\xFF';
         return Resealed(b);
       }},
      {"index offset inside the header", [](std::string b) {
         b.replace(b.size() - 16, 8, std::string("\x04\0\0\0\0\0\0\0", 8));
         return b;
       }},
      {"a result beyond the index", [&](std::string b) {
         // The first entry's result offset (after its path, key, size, time
         // and hash) moved past the index.
         const std::size_t at = indexOffset + 4 + 4 + 16 + 8 + 8 + 8 + 8;
         b[at + 2] = 0x7F;
         return Resealed(b);
       }},
  };
  for (const auto& c : cases) {
    TFileCache cache;
    EXPECT_FALSE(cache.LoadBytes(c.damage(good))) << c.name;
    EXPECT_EQ(cache.Find("/src/en/Main.dfm", 1), nullptr) << c.name;
  }
}

TEST(FileCacheTest, NoByteChangedAnywhereYieldsAnotherResult) {
  // A result's bytes are outside the checksum of the index: a change there
  // loads, but the result is not taken. Each byte of the file in turn.
  const std::string good = SavedBytes();
  for (std::size_t at = 0; at < good.size(); ++at) {
    std::string bytes = good;
    bytes[at] ^= 0x01;
    TFileCache cache;
    cache.LoadBytes(bytes);
    for (const auto& [path, key, result] : {std::tuple{"/src/en/Main.dfm", 1, "result one"},
                                            std::tuple{"/src/en/Main.dfm", 2, "under other settings"},
                                            std::tuple{"/src/de/Main.dfm", 1, ""}}) {
      const std::string got = ResultOf(cache, cache.Find(path, static_cast<std::uint64_t>(key)));
      EXPECT_TRUE(got == "<none>" || got == result) << "byte " << at << ": " << got;
    }
  }
}

TEST(FileCacheTest, ResultsLoadedAndKeptAreCarriedIntoTheNextCache) {
  TFileCache first;
  ASSERT_TRUE(first.LoadBytes(SavedBytes()));
  // Nothing but what was loaded, as loaded: nothing to write.
  for (const auto& [path, key] : {std::pair{"/src/en/Main.dfm", 1}, std::pair{"/src/en/Main.dfm", 2},
                                  std::pair{"/src/de/Main.dfm", 1}})
    first.KeepLoaded(path, *first.Find(path, static_cast<std::uint64_t>(key)));
  EXPECT_FALSE(first.Changed());
  // One entry touched (a new time), one file gone, one result made now.
  TFileCache::TEntry touched = *first.Find("/src/en/Main.dfm", 1);
  touched.Stamp.Time = 5000;
  first.KeepLoaded("/src/en/Main.dfm", touched);
  EXPECT_TRUE(first.Changed());
  TFileCache second;
  ASSERT_TRUE(second.LoadBytes(first.KeptBytes()));
  EXPECT_EQ(ResultOf(second, second.Find("/src/en/Main.dfm", 1)), "result one");
  EXPECT_EQ(second.Find("/src/en/Main.dfm", 1)->Stamp.Time, 5000);
  second.KeepLoaded("/src/en/Main.dfm", *second.Find("/src/en/Main.dfm", 1));
  second.Keep("/src/fr/Main.dfm", Entry(1, 30, 3000, 0xEF), "made now");
  EXPECT_TRUE(second.Changed());
  TFileCache third;
  ASSERT_TRUE(third.LoadBytes(second.KeptBytes()));
  EXPECT_EQ(ResultOf(third, third.Find("/src/en/Main.dfm", 1)), "result one");
  EXPECT_EQ(ResultOf(third, third.Find("/src/fr/Main.dfm", 1)), "made now");
  EXPECT_EQ(third.Find("/src/en/Main.dfm", 2), nullptr);
  EXPECT_EQ(third.Find("/src/de/Main.dfm", 1), nullptr);
}

// The names of the files beside `file` (the new caches being written).
std::vector<std::string> FilesBeside(const std::string& file) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(file).parent_path()))
    if (entry.path().filename() != std::filesystem::path(file).filename())
      names.push_back(entry.path().filename().string());
  return names;
}

TEST(FileCacheTest, TheFileIsReplacedOnlyBySave) {
  TempDir dir;
  const std::string file = dir.Path("Lib.cache");
  {
    TFileCache cache;
    EXPECT_FALSE(cache.Load(file));
    cache.Keep("/src/en/Main.dfm", Entry(1, 10, 1000, 0xAB), "first");
    EXPECT_EQ(FilesBeside(file).size(), 1u) << "the new file, written as results are kept";
    cache.Save();
  }
  EXPECT_TRUE(FilesBeside(file).empty());
  const auto saved = std::filesystem::file_size(file);
  {
    // A run that ends without saving leaves the old file and no new one.
    TFileCache cache;
    ASSERT_TRUE(cache.Load(file));
    cache.Keep("/src/en/Main.dfm", Entry(1, 11, 1100, 0xAC), "second, never saved");
  }
  EXPECT_TRUE(FilesBeside(file).empty());
  EXPECT_EQ(std::filesystem::file_size(file), saved);
  TFileCache cache;
  ASSERT_TRUE(cache.Load(file));
  EXPECT_EQ(ResultOf(cache, cache.Find("/src/en/Main.dfm", 1)), "first");
  // Saved again with the loaded result carried over and a new one: the old
  // file is read while the new one is written.
  cache.KeepLoaded("/src/en/Main.dfm", *cache.Find("/src/en/Main.dfm", 1));
  cache.Keep("/src/de/Main.dfm", Entry(1, 12, 1200, 0xAD), "third");
  cache.Save();
  TFileCache after;
  ASSERT_TRUE(after.Load(file));
  EXPECT_EQ(ResultOf(after, after.Find("/src/en/Main.dfm", 1)), "first");
  EXPECT_EQ(ResultOf(after, after.Find("/src/de/Main.dfm", 1)), "third");
}

TEST(FileCacheTest, RunsAtOnceWriteTheirOwnNewFilesAndALeftoverIsRemoved) {
  TempDir dir;
  const std::string file = dir.Path("Lib.cache");
  // What a killed run left: a new file of the cache's pattern, held by no one.
#ifdef _WIN32
  const std::string leftover = dir.Path(".Lib.cache.123456.tmp");
#else
  const std::string leftover = dir.Path(".Lib.cache.AbC123");
#endif
  dir.Write(std::filesystem::path(leftover).filename().string(), "half a cache");
  TFileCache one, two;
  one.Load(file);
  two.Load(file);
  one.Keep("/src/en/Main.dfm", Entry(1, 10, 1000, 0xAB), "run one");
  two.Keep("/src/en/Main.dfm", Entry(1, 10, 1000, 0xAB), "run two");
  EXPECT_FALSE(std::filesystem::exists(leftover));
  EXPECT_EQ(FilesBeside(file).size(), 2u) << "each run its own new file";
  one.Save();
  two.Save();
  EXPECT_TRUE(FilesBeside(file).empty());
  TFileCache last;
  ASSERT_TRUE(last.Load(file));
  EXPECT_EQ(ResultOf(last, last.Find("/src/en/Main.dfm", 1)), "run two");
}

TEST(FileCacheTest, KeysDifferWithEachPart) {
  const std::uint64_t base = TCacheKey().Add("dfm").Add(1033).Add("+.Caption").Value();
  EXPECT_EQ(base, TCacheKey().Add("dfm").Add(1033).Add("+.Caption").Value());
  EXPECT_NE(base, TCacheKey().Add("dfm").Add(1031).Add("+.Caption").Value());
  EXPECT_NE(base, TCacheKey().Add("dfm").Add(1033).Add("+.Hint").Value());
  EXPECT_NE(TCacheKey().Add("ab").Add("c").Value(), TCacheKey().Add("a").Add("bc").Value());
}

TFormRecord SampleRecord() {
  TFormRecord record;
  auto add = [&](std::uint8_t kind, std::string path = {}, std::string name = {}) -> TFormStep& {
    TFormStep& step = record.Steps.emplace_back();
    step.Kind = kind;
    step.Path = std::move(path);
    step.Name = std::move(name);
    return step;
  };
  add(TFormStep::Form, {}, "MainForm");
  add(TFormStep::Enter, "");
  TFormStep& caption = add(TFormStep::Property, "", "Caption");
  caption.WideText = u"Main \u00e9\u4e2d";
  TFormStep& width = add(TFormStep::Property, "", "Width");
  width.ValueKind = vkInteger;
  width.Integer = -300;
  TFormStep& ratio = add(TFormStep::Property, "", "Ratio");
  ratio.ValueKind = vkFloat;
  ratio.Float = 2.5;
  TFormStep& narrow = add(TFormStep::Property, "Memo1", "Memo.UTF8");
  narrow.Flag = true;
  narrow.Text = "narrow";
  add(TFormStep::Drop);
  add(TFormStep::Leave);
  add(TFormStep::Charset, "Label1").Flag = true;
  return record;
}

TEST(FormRecordTest, RoundTripsEveryStepAndValue) {
  const TFormRecord record = SampleRecord();
  TFormRecord back;
  ASSERT_TRUE(DecodeFormRecord(EncodeFormRecord(record), back));
  ASSERT_EQ(back.Steps.size(), record.Steps.size());
  for (std::size_t i = 0; i < record.Steps.size(); ++i) {
    const TFormStep& a = record.Steps[i];
    const TFormStep& b = back.Steps[i];
    EXPECT_EQ(a.Kind, b.Kind) << i;
    EXPECT_EQ(a.Flag, b.Flag) << i;
    EXPECT_EQ(a.ValueKind, b.ValueKind) << i;
    EXPECT_EQ(a.Path, b.Path) << i;
    EXPECT_EQ(a.Name, b.Name) << i;
    EXPECT_EQ(a.Text, b.Text) << i;
    EXPECT_EQ(a.WideText, b.WideText) << i;
    EXPECT_EQ(a.Integer, b.Integer) << i;
    EXPECT_EQ(a.Float, b.Float) << i;
  }
}

TEST(FormRecordTest, BytesOfAnotherShapeAreRefused) {
  const std::string good = EncodeFormRecord(SampleRecord());
  auto withSteps = [](std::vector<std::uint8_t> kinds) {
    TFormRecord record;
    for (std::uint8_t kind : kinds) record.Steps.emplace_back().Kind = kind;
    return EncodeFormRecord(record);
  };
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"cut short", good.substr(0, good.size() - 1)},
      {"bytes appended", good + "x"},
      {"no steps", withSteps({})},
      {"no form first", withSteps({TFormStep::Enter, TFormStep::Form})},
      {"two forms", withSteps({TFormStep::Form, TFormStep::Form})},
      {"left before entered", withSteps({TFormStep::Form, TFormStep::Leave})},
      {"dropped outside a component", withSteps({TFormStep::Form, TFormStep::Drop})},
      {"unknown step", withSteps({TFormStep::Form, 42})},
      {"count beyond the bytes", std::string("\xFF\xFF\xFF\x0F", 4) + good.substr(4)},
  };
  for (const auto& c : cases) {
    TFormRecord record;
    EXPECT_FALSE(DecodeFormRecord(c.bytes, record)) << c.name;
    EXPECT_TRUE(record.Steps.empty()) << c.name;
  }
}

}  // namespace
}  // namespace sw
