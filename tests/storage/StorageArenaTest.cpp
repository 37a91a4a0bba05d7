// Where values and texts live: the storage's arena (alignment, blocks, large
// pieces), the value text's three homes (none, arena, own copy) with what
// each assignment does, and the storage's columns sharing their texts with
// the column they were copied from until either changes.
#include "storage/StorageArena.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "storage/LocStorage.h"

namespace sw {
namespace {

TEST(StorageArenaTest, PiecesAreAlignedDistinctAndKeptAcrossBlocks) {
  TStorageArena arena;
  struct Case {
    std::size_t Size;
    std::size_t Align;
  };
  // Small pieces fill blocks; a large one gets its own without losing the
  // current block's tail.
  const Case cases[] = {{1, 1}, {3, 2}, {40, 8}, {7, 16}, {200 * 1024, 8}, {2, 2}, {64, 8}};
  std::vector<std::pair<unsigned char*, std::size_t>> pieces;
  for (int round = 0; round < 4; ++round) {
    for (const Case& c : cases) {
      auto* p = static_cast<unsigned char*>(arena.Allocate(c.Size, c.Align));
      ASSERT_EQ(reinterpret_cast<std::uintptr_t>(p) % c.Align, 0u) << c.Size;
      std::fill(p, p + c.Size, static_cast<unsigned char>(pieces.size()));
      pieces.emplace_back(p, c.Size);
    }
  }
  for (int i = 0; i < 20000; ++i) {
    auto* p = static_cast<unsigned char*>(arena.Allocate(24, 8));
    std::fill(p, p + 24, static_cast<unsigned char>(pieces.size()));
    pieces.emplace_back(p, 24);
  }
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const auto [p, size] = pieces[i];
    for (std::size_t b = 0; b < size; ++b) ASSERT_EQ(p[b], static_cast<unsigned char>(i)) << "piece " << i;
  }
  EXPECT_GE(arena.BytesReserved(), 4u * 200 * 1024 + 20000u * 24);
  EXPECT_TRUE(arena.Store(u"").empty());
  std::u16string source = u"copied";
  const std::u16string_view stored = arena.Store(source);
  source[0] = u'X';
  EXPECT_EQ(stored, u"copied");
}

TEST(LocTextTest, AssignmentsKeepTheirOwnCharacters) {
  TStorageArena arena;
  TLocText arenaText;
  arenaText.Assign(u"in the arena", &arena);
  EXPECT_FALSE(arenaText.IsOwned());
  struct Case {
    const char* Name;
    std::u16string Expected;
    bool Owned;
    void (*Act)(TLocText& text, const TLocText& arenaText, TStorageArena& arena);
  };
  const Case cases[] = {
      {"field assignment copies", u"field", true, [](TLocText& t, const TLocText&, TStorageArena&) { t = u"field"; }},
      {"own substring", u"in the", true,
       [](TLocText& t, const TLocText& a, TStorageArena&) {
         t = a.view();
         t = t.view().substr(0, 6);
       }},
      {"arena text shared", u"in the arena", false,
       [](TLocText& t, const TLocText& a, TStorageArena& arena) { t.Share(a, &arena); }},
      {"owned text not shared", u"mine", false,
       [](TLocText& t, const TLocText&, TStorageArena& arena) {
         TLocText owned;
         owned = u"mine";
         t.Share(owned, &arena);
       }},
      {"no arena: own copy", u"heap", true,
       [](TLocText& t, const TLocText&, TStorageArena&) { t.Assign(u"heap", nullptr); }},
      {"cleared", u"", false,
       [](TLocText& t, const TLocText&, TStorageArena&) {
         t = u"x";
         t.clear();
       }},
      {"moved", u"moved", true,
       [](TLocText& t, const TLocText&, TStorageArena&) {
         TLocText other;
         other = u"moved";
         t = std::move(other);
         EXPECT_TRUE(other.empty());
       }},
      {"copied", u"in the arena", true,
       [](TLocText& t, const TLocText& a, TStorageArena&) {
         const TLocText copy(a);
         t = copy;
       }},
  };
  for (const Case& c : cases) {
    TLocText text;
    c.Act(text, arenaText, arena);
    EXPECT_EQ(text, c.Expected) << c.Name;
    EXPECT_EQ(text.IsOwned(), c.Owned) << c.Name;
    if (c.Name == std::string("arena text shared")) {
      EXPECT_EQ(static_cast<const void*>(text.data()), static_cast<const void*>(arenaText.data()));
    }
  }
}

TEST(LocStorageArenaTest, CopiedColumnSharesTextsUntilEitherChanges) {
  TLocStorage storage;
  TLocConstant* a = storage.FindOrAddConstant(-1, "Main", 0, "SA");
  TLocConstant* b = storage.FindOrAddConstant(-1, "Main", 0, "SB");
  TLocConstant* c = storage.FindOrAddConstant(-1, "Main", 0, "SC");
  a->NativeValue()->SetText(u"Alpha");
  b->NativeValue()->SetText(u"Beta");
  c->NativeValue()->Text = u"Gamma";  // assigned from outside: its own copy
  const int column = storage.AddLanguage(0, 0x0407);
  for (TLocConstant* item : {a, b, c}) EXPECT_EQ(item->Values(column)->Text, item->NativeValue()->Text);
  const auto at = [](const TLocText& text) { return static_cast<const void*>(text.data()); };
  EXPECT_EQ(at(a->Values(column)->Text), at(a->NativeValue()->Text));
  EXPECT_NE(at(c->Values(column)->Text), at(c->NativeValue()->Text));

  a->Values(column)->SetText(u"Alfa");         // the copy changes
  b->NativeValue()->SetText(u"Beta 2");        // the native text changes
  c->NativeValue()->Text = u"Gamma 2";         // freed and replaced
  a->NativeValue()->SetText(u"Alpha");         // unchanged: still the same characters
  EXPECT_EQ(a->NativeValue()->Text, u"Alpha");
  EXPECT_EQ(a->Values(column)->Text, u"Alfa");
  EXPECT_EQ(b->Values(column)->Text, u"Beta");
  EXPECT_EQ(c->Values(column)->Text, u"Gamma");

  // Lines belong to each value, two values' lines at once.
  a->NativeValue()->SetText(u"one\r\ntwo");
  TStringList& native = a->NativeValue()->AsStrings();
  TStringList& translated = a->Values(column)->AsStrings();
  EXPECT_EQ(native.Count(), 2);
  EXPECT_EQ(translated.Count(), 1);
  EXPECT_EQ(&a->NativeValue()->AsStrings(), &native);

  // Values purged with their item leave the others intact.
  storage.Units->SetAllUsed(false);
  a->IsUsed = true;
  storage.Units->PurgeUnused();
  EXPECT_EQ(storage.FindConstant("Main", "SB"), nullptr);
  EXPECT_EQ(storage.FindConstant("Main", "SA")->Values(column)->Text, u"Alfa");
}

}  // namespace
}  // namespace sw
