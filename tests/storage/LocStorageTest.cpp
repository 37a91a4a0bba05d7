// The storage model: values, sorted named lists with their case rules and
// look-up shortcut, numbering, the item trees, marking and purging, and the
// column operations of the storage.
#include "storage/LocStorage.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"
#include "util/Messages.h"

namespace sw {
namespace {

class LocValueTest : public ::testing::Test {
 protected:
  TLocValue* Value(std::uint8_t kind, std::u16string text) {
    lists.push_back(std::make_unique<TLocValueList>(kind));
    TLocValue* v = lists.back()->Values(0);
    v->SetText(std::move(text));
    return v;
  }
  std::vector<std::unique_ptr<TLocValueList>> lists;
};

TEST_F(LocValueTest, SameValueComparesByKind) {
  EXPECT_TRUE(Value(vkString, u"")->SameValue(u""));
  for (std::uint8_t kind : {vkFloat, vkInteger, vkString, vkStrings, vkList}) {
    EXPECT_FALSE(Value(kind, u"")->SameValue(u"1"));
    EXPECT_FALSE(Value(kind, u"1")->SameValue(u""));
  }
  EXPECT_TRUE(Value(vkFloat, u"1.50")->SameValue(u"1.5"));
  EXPECT_FALSE(Value(vkString, u"1.50")->SameValue(u"1.5"));
  EXPECT_FALSE(Value(vkString, u"abc")->SameValue(u"ABC"));
  EXPECT_TRUE(Value(vkInteger, u" 42")->SameValue(u"42"));
  EXPECT_FALSE(Value(vkSet, u"[a]")->SameValue(u"[a]"));
  EXPECT_THROW(Value(vkFloat, u"1.5")->SameValue(u"abc"), EConvertError);
  EXPECT_THROW(Value(vkInteger, u"x")->SameValue(u"1"), EConvertError);
}

TEST_F(LocValueTest, SetFromVariantKeepsRevisionWhenUnchanged) {
  TLocValue* v = Value(vkString, u"Open");
  v->SetRevision(3);
  v->SetFromVariant(TVariant(std::u16string(u"Open")), 9);
  EXPECT_EQ(v->Revision, 3);
  v->SetFromVariant(TVariant(std::u16string(u"Close")), -1);
  EXPECT_EQ(v->Text, u"Close");
  EXPECT_EQ(v->Revision, 3);
  v->SetFromVariant(TVariant(std::u16string(u"Quit")), 7);
  EXPECT_EQ(v->Revision, 7);
  TLocValue* n = Value(vkInteger, u"");
  n->SetFromVariant(TVariant(std::int32_t{75}), 2);
  EXPECT_EQ(n->Text, u"75");
  EXPECT_EQ(n->AsInteger(), 75);
}

TEST_F(LocValueTest, NumbersAndUpToDate) {
  EXPECT_EQ(Value(vkInteger, u"junk")->AsInteger(), 0);
  EXPECT_EQ(Value(vkFloat, u"junk")->AsFloat(), 0.0);
  EXPECT_EQ(Value(vkFloat, u" 2.25 ")->AsFloat(), 2.25);
  EXPECT_EQ(Value(vkInt64, u"8589934592")->AsInt64(), 8589934592LL);
  EXPECT_THROW(Value(vkInt64, u"junk")->AsInt64(), EConvertError);
  TLocValueList list(vkString);
  list.Values(0)->SetRevision(5);
  TLocValue* t = list.AddNew(&list);
  t->SetRevision(4);
  EXPECT_FALSE(t->IsUpToDate());
  t->SetRevision(5);
  EXPECT_TRUE(t->IsUpToDate());
  t->SetState(0x0300, true);
  EXPECT_TRUE(t->HasState(0x0100));
  EXPECT_FALSE(t->HasState(0x0500));
}

TEST(NamedItemListTest, SortedInsertionCaseRulesAndShortcut) {
  TNamedItemList list;
  EXPECT_EQ(list.IndexOf(list.FindOrAdd("C")), 0);
  list.FindOrAdd("A");
  EXPECT_EQ(list.IndexOf(list.FindOrAdd("B")), 1);
  EXPECT_EQ(list.LastIndex, 1);
  EXPECT_EQ(list.FindOrAdd("b"), list.Items(1));
  EXPECT_EQ(list.Count(), 3);
  // Only ASCII letters fold: "_" sorts after "Z" but before "a" ordinally.
  list.FindOrAdd("_x");
  EXPECT_EQ(list.Items(3)->ItemName, "_x");
  list.Clear();
  EXPECT_EQ(list.LastIndex, -1);
}

TEST(NamedItemListTest, ConstantsAreCaseSensitiveInOrdinalOrder) {
  TLocStorage storage;
  TLocConstant* a = storage.FindOrAddConstant(1, "U", 0, "SError");
  TLocConstant* b = storage.FindOrAddConstant(2, "U", 0, "SERROR");
  EXPECT_NE(a, b);
  const TLocConstantList& list = *storage.Units->Items(0)->Constants;
  EXPECT_EQ(list.Items(0)->ItemName, "SERROR");
  EXPECT_EQ(list.Items(1)->ItemName, "SError");
  // The shortcut of a plain list ignores case; that of the constants does not.
  EXPECT_EQ(storage.FindOrAddConstant(3, "U", 0, "SError"), a);
  EXPECT_EQ(a->ItemId, 1);
  EXPECT_EQ(storage.FindConstant("u", "SERROR"), b);
  EXPECT_EQ(storage.FindConstant("U", "serror"), nullptr);

  TLinearConstantList linear;
  storage.Units->BuildLinear(linear, false);
  EXPECT_EQ(linear.IndexOfPath("U", "serror"), 0);
  EXPECT_EQ(linear.IndexOfPath("u", "SError"), 0);
}

TEST(NamedItemListTest, ShortcutOfPlainListsMatchesRegardlessOfCase) {
  TLocStorage storage;
  TLocForm* form = storage.Forms->FindOrAdd("Form1");
  TLocProperty* p = form->FindOrAddProperty(1, "btnOK", vkString, "Caption");
  EXPECT_EQ(form->FindOrAddProperty(2, "BTNOK", vkInteger, "CAPTION"), p);
  EXPECT_EQ(p->ValueKind(), vkString);
  EXPECT_EQ(p->ItemId, 1);
  EXPECT_EQ(form->Components->Count(), 1);
}

TEST(LocStorageTest, NumberingReservesBeforeLookUp) {
  TLocStorage storage;
  storage.LastConstantId = 41;
  EXPECT_EQ(storage.ReserveConstantId(-1), 42);
  EXPECT_EQ(storage.LastConstantId, 42);
  EXPECT_EQ(storage.ReserveConstantId(10), 10);
  EXPECT_EQ(storage.LastConstantId, 42);
  EXPECT_EQ(storage.ReserveConstantId(0), 0);
  EXPECT_EQ(storage.LastConstantId, 42);

  TLocForm* form = storage.Forms->FindOrAdd("F");
  form->FindOrAddProperty(5, "", vkString, "Caption");
  EXPECT_EQ(form->FindOrAddProperty(90, "", vkString, "Caption")->ItemId, 5);
  EXPECT_EQ(storage.LastPropertyId, 90);
  EXPECT_EQ(form->FindOrAddProperty(-1, "B", vkString, "Hint")->ItemId, 91);
  // The external-item list reserves only through the reader's entry.
  TLocExtGroup* group = storage.ExtGroups->FindOrAdd("G");
  group->FindOrAddExtItem(30, "A", vkString);
  EXPECT_EQ(storage.LastExtItemId, 0);
  group->ExtItems->FindOrAddExtItem(31, "B");
  EXPECT_EQ(storage.LastExtItemId, 31);
}

TEST(LocStorageTest, NewItemsHaveOneValuePerColumn) {
  TLocStorage storage;
  storage.SetNativeLangId(0x0409);
  TLocConstant* before = storage.FindOrAddConstant(1, "U", 0, "A");
  before->NativeValue()->SetText(u"Open");
  before->NativeValue()->SetRevision(4);
  EXPECT_EQ(storage.AddLanguage(0, 0x0407), 1);
  EXPECT_EQ(storage.AddLanguage(0, 0x040C), 2);
  ASSERT_EQ(before->ValueList->Count(), 3);
  EXPECT_EQ(before->Values(2)->Text, u"Open");
  EXPECT_EQ(before->Values(2)->Revision, -1);
  EXPECT_EQ(before->Values(2)->LangId, 0x040C);
  TLocProperty* after = storage.Forms->FindOrAdd("F")->FindOrAddProperty(1, "", vkString, "Caption");
  ASSERT_EQ(after->ValueList->Count(), 3);
  EXPECT_EQ(after->Values(1)->Text, u"");
  EXPECT_EQ(after->Values(1)->LangId, 0x0407);
  EXPECT_EQ(after->NativeValue()->LangId, 0x0409);
  EXPECT_EQ(storage.Languages(-1), 0);
  EXPECT_EQ(storage.Languages(3), 0);
  EXPECT_EQ(storage.Languages(1), 0x0407);
}

TEST(LocStorageTest, AddLanguageFailsBeforeChangingAnything) {
  TLocStorage storage;
  EXPECT_THROW_MSG(storage.AddLanguage(1, 0x0407), ELocStorageError, "Could not add language");
  EXPECT_THROW_MSG(storage.AddLanguage(-1, 0x0407), ELocStorageError, "Could not add language");
  EXPECT_EQ(storage.LanguageCount(), 1);
}

TEST(LocStorageTest, SetNativeLangIdReachesItemsLoadedBefore) {
  TLocStorage storage;
  TLocConstant* c = storage.FindOrAddConstant(1, "U", 0, "A");
  TLocExtItem* x = storage.ExtGroups->FindOrAdd("G")->FindOrAddExtItem(1, "X", vkString);
  storage.SetNativeLangId(0x0419);
  EXPECT_EQ(storage.NativeLangId, 0x0419);
  EXPECT_EQ(storage.Languages(0), 0x0419);
  EXPECT_EQ(c->NativeValue()->LangId, 0x0419);
  EXPECT_EQ(x->NativeValue()->LangId, 0x0419);
}

TEST(LocStorageTest, FindConstantByStringIdSkipsOnlyTheUnitNamedExactlyRC) {
  TLocStorage storage;
  storage.FindOrAddConstant(1, "RC", 5, "Five");
  EXPECT_EQ(storage.FindConstantByStringId(5, false), nullptr);
  EXPECT_NE(storage.FindConstantByStringId(5, true), nullptr);
  EXPECT_EQ(storage.FindResString(5)->ItemName, "Five");
  TLocStorage lower;
  lower.FindOrAddConstant(2, "rc", 6, "Six");
  EXPECT_NE(lower.FindConstantByStringId(6, false), nullptr);
  EXPECT_EQ(lower.FindConstantById(2)->ItemName, "Six");
}

// The string-id look-up answers from an index; whatever is added, deleted,
// purged or cleared in between, it must give what a walk of the tree gives:
// the first constant with the id, units in order, constants in order.
TEST(LocStorageTest, StringIdIndexFollowsEveryChangeOfTheTree) {
  TLocStorage storage;
  auto walk = [&](std::uint16_t id) -> TLocConstant* {
    for (int u = 0; u < storage.Units->Count(); ++u) {
      const auto* constants = storage.Units->Items(u)->Constants.get();
      for (int c = 0; c < constants->Count(); ++c)
        if (constants->Items(c)->StringId == id) return constants->Items(c);
    }
    return nullptr;
  };
  auto check = [&](const char* step) {
    for (std::uint16_t id = 0; id < 12; ++id) EXPECT_EQ(storage.FindResString(id), walk(id)) << step << " id " << id;
  };
  check("empty");
  storage.FindOrAddConstant(0, "M", 3, "b");
  check("first");
  // The same id in a unit sorted before, and earlier in the same unit.
  storage.FindOrAddConstant(0, "K", 3, "z");
  check("earlier unit");
  storage.FindOrAddConstant(0, "K", 3, "a");
  check("earlier in the unit");
  storage.FindOrAddConstant(0, "Z", 3, "a");
  storage.Units->FindOrAdd("A")->Constants->FindOrAdd("plain");  // created with string id 0
  check("later unit and a generic add");
  for (int i = 0; i < 10; ++i) storage.FindOrAddConstant(0, "U" + std::to_string(i % 3), static_cast<std::uint16_t>(i), "n" + std::to_string(i));
  check("many");
  TLocConstantList& k = *storage.Units->Items(storage.Units->IndexOfName("K"))->Constants;
  k.Delete(k.IndexOfName("a"));
  check("deleted the first holder");
  storage.Units->SetAllUsed(true);
  storage.Units->Items(storage.Units->IndexOfName("K"))->SetUsed(false);
  storage.Units->PurgeUnused();
  check("purged a unit");
  storage.FindOrAddConstant(0, "B", 3, "again");
  check("added after the purge");
  storage.Units->Clear();
  check("cleared");
  storage.FindOrAddConstant(0, "X", 7, "seven");
  check("added after the clear");
}

// Recoding a column keeps plain ASCII texts without converting them; every
// text must still come out as the conversion there and back gives it.
TEST(LocStorageTest, RecodeColumnGivesWhatTheConversionGives) {
  const std::u16string texts[] = {u"plain text", u"caf\u00e9 \u20ac", u"\u0416\u0443\u043a", u"\u4e2d\u6587", u"",
                                  u"tab\tand\r\nbreak"};
  const LANGID pairs[][2] = {{0x0409, 0x0407}, {0x0409, 0x0419}, {0x0419, 0x0409}, {0x0409, 0x0804}, {0x0411, 0x0409}};
  for (const auto& pair : pairs) {
    TLocStorage storage;
    storage.SetNativeLangId(pair[0]);
    int n = 0;
    for (const auto& text : texts) storage.FindOrAddConstant(0, "U", 0, "c" + std::to_string(n++))->NativeValue()->SetText(text);
    const int column = storage.AddLanguage(0, pair[1]);
    storage.RecodeColumn(column, pair[0], pair[1]);
    const auto* constants = storage.Units->Items(0)->Constants.get();
    for (int c = 0; c < constants->Count(); ++c) {
      const TLocConstant* k = constants->Items(c);
      EXPECT_EQ(k->Values(column)->Text, RecodeWide(k->NativeValue()->Text, pair[0], pair[1]))
          << std::hex << pair[0] << " -> " << pair[1] << " item " << c;
    }
  }
}

TEST(LocStorageTest, LooksUpFormsComponentsAndPaths) {
  TLocStorage storage;
  TLocForm* form = storage.Forms->FindOrAdd("Form1");
  TLocProperty* caption = form->FindOrAddProperty(1, "", vkString, "Caption");
  TLocProperty* button = form->FindOrAddProperty(2, "Button1", vkString, "Caption");
  EXPECT_EQ(form->FindComponent(""), form);
  EXPECT_EQ(form->FindProperty("", "caption"), caption);
  EXPECT_EQ(form->FindProperty("BUTTON1", "Caption"), button);
  EXPECT_EQ(form->FindProperty("Button2", "Caption"), nullptr);
  EXPECT_EQ(button->FullName('.'), "Form1.Button1.Caption");
  EXPECT_EQ(caption->FullName('.'), "Form1.Caption");
  EXPECT_EQ(storage.FindPropertyById(2), button);

  TLinearPropertyList linear;
  storage.Forms->BuildLinear(linear, true);
  EXPECT_EQ(linear.IndexOfPath("FORM1", "", "CAPTION"), 0);
  EXPECT_EQ(linear.IndexOfPath("form1", "button1", "caption"), 1);
  storage.Forms->BuildLinear(linear, false);
  EXPECT_EQ(linear.Count(), 4);  // built twice without clearing
}

TEST(LocStorageTest, SortedLinearListFindsIdsByBinarySearch) {
  TLocStorage storage;
  for (int id : {9, 2, 5, 1}) storage.FindOrAddConstant(id, "U", 0, "C" + std::to_string(id));
  TLinearConstantList linear;
  EXPECT_EQ(linear.IndexOfId(1), -1);
  storage.Units->BuildLinear(linear, true);
  EXPECT_TRUE(linear.Sorted);
  EXPECT_EQ(linear.IndexOfId(5), 2);
  EXPECT_EQ(linear.IndexOfId(6), -1);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(linear.IndexOfId(linear.Items(i)->ItemId), i);
  TLinearConstantList big;
  for (int i = 0; i < 50; ++i) storage.FindOrAddConstant(100 + 3 * i, "V", 0, "K" + std::to_string(1000 + i));
  storage.Units->BuildLinear(big, true);
  for (int i = 0; i < big.Count(); ++i) EXPECT_EQ(big.IndexOfId(big.Items(i)->ItemId), i);
  EXPECT_EQ(big.IndexOfId(101), -1);
}

TEST(LocStorageTest, PurgeRemovesUnusedItemsAndEmptyContainers) {
  TLocStorage storage;
  TLocForm* kept = storage.Forms->FindOrAdd("Kept");
  kept->FindOrAddProperty(1, "", vkString, "Caption");
  kept->FindOrAddProperty(2, "Button1", vkString, "Caption");
  kept->FindOrAddProperty(3, "Empty", vkString, "Hint");
  storage.Forms->FindOrAdd("Gone")->FindOrAddProperty(4, "Button1", vkString, "Caption");
  storage.FindOrAddConstant(1, "U1", 0, "A");
  storage.FindOrAddConstant(2, "U2", 0, "B");
  storage.ExtGroups->FindOrAdd("G")->FindOrAddExtItem(1, "X", vkString);

  storage.Forms->SetAllUsed(true);
  storage.Forms->SetAllUsed(false);
  EXPECT_FALSE(kept->FindProperty("Button1", "Caption")->IsUsed);
  kept->FindProperty("", "Caption")->SetUsed(true);
  EXPECT_EQ(storage.Forms->PurgeUnused(), 3);
  ASSERT_EQ(storage.Forms->Count(), 1);
  EXPECT_EQ(storage.Forms->Items(0), kept);
  EXPECT_EQ(kept->Components->Count(), 2);  // empty components of a kept form stay

  storage.Units->SetAllUsed(false);
  storage.FindConstant("U2", "B")->SetUsed(true);
  EXPECT_EQ(storage.Units->PurgeUnused(), 1);
  EXPECT_EQ(storage.Units->Count(), 1);
  EXPECT_EQ(storage.ExtGroups->PurgeUnused(), 1);
  EXPECT_EQ(storage.ExtGroups->Count(), 0);
}

}  // namespace
}  // namespace sw
