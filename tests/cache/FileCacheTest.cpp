// The per-file cache's file and a form record's byte form, read as hostile
// input: what a save writes loads back, and any damage is refused whole.
#include "memory/FileCache.h"

#include <gtest/gtest.h>

#include <functional>

#include "extract/forms/FormRecord.h"

namespace sw {
namespace {

TFileCache::TEntry Entry(std::uint64_t key, std::uint64_t size, std::int64_t time, std::uint64_t hash,
                         std::string result) {
  TFileCache::TEntry entry;
  entry.Key = key;
  entry.Stamp = {size, time};
  entry.Hash = hash;
  entry.Result = std::make_shared<const std::string>(std::move(result));
  return entry;
}

std::string SavedBytes() {
  TFileCache cache;
  cache.Keep("/src/en/Main.dfm", Entry(1, 10, 1000, 0xAB, "result one"));
  cache.Keep("/src/en/Main.dfm", Entry(2, 10, 1000, 0xAB, "under other settings"));
  cache.Keep("/src/de/Main.dfm", Entry(1, 20, 2000, 0xCD, ""));
  return cache.KeptBytes();
}

TEST(FileCacheTest, WhatIsKeptLoadsBackUnderItsPathAndKey) {
  TFileCache cache;
  ASSERT_TRUE(cache.LoadBytes(SavedBytes()));
  const TFileCache::TEntry* one = cache.Find("/src/en/Main.dfm", 1);
  const TFileCache::TEntry* two = cache.Find("/src/en/Main.dfm", 2);
  ASSERT_TRUE(one && two && cache.Find("/src/de/Main.dfm", 1));
  EXPECT_EQ(*one->Result, "result one");
  EXPECT_EQ(*two->Result, "under other settings");
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
  const struct {
    const char* name;
    std::function<std::string(std::string)> damage;
  } cases[] = {
      {"empty", [](std::string) { return std::string(); }},
      {"cut short", [](std::string b) { return b.substr(0, b.size() / 2); }},
      {"one byte flipped", [](std::string b) { b[b.size() / 2] ^= 0x20; return b; }},
      {"another magic", [](std::string b) { b[0] = 'X'; return b; }},
      {"bytes appended", [](std::string b) { return b + "more"; }},
      // A later version with a checksum that is right for its bytes.
      {"another version", [](std::string b) {
         b.resize(b.size() - 8);
         b[8] = 2;
         std::string sum;
         const std::uint64_t h = ContentHash(b);
         for (int i = 0; i < 8; ++i) sum += static_cast<char>((h >> (8 * i)) & 0xFF);
         return b + sum;
       }},
      // A count claiming more entries than the bytes hold, checksum right.
      {"count too large", [](std::string b) {
         b.resize(b.size() - 8);
         b[20] = '\xFF';
         b[21] = '\xFF';
         std::string sum;
         const std::uint64_t h = ContentHash(b);
         for (int i = 0; i < 8; ++i) sum += static_cast<char>((h >> (8 * i)) & 0xFF);
         return b + sum;
       }},
  };
  for (const auto& c : cases) {
    TFileCache cache;
    EXPECT_FALSE(cache.LoadBytes(c.damage(good))) << c.name;
    EXPECT_EQ(cache.Find("/src/en/Main.dfm", 1), nullptr) << c.name;
  }
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
