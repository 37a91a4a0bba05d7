// The per-unit checks, each with planted faults and near misses that must
// pass; the Object Pascal format strings as the runtime reads them; the
// selection of checks and the ignore list's lines.
#include <gtest/gtest.h>

#include "checks/Checks.h"
#include "checks/FormatString.h"
#include "checks/TextRules.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

struct RuleCase {
  const char* Check;
  std::u16string Native;
  std::u16string Translation;
  bool Problem;
  std::uint8_t Kind = vkString;
  TUnitStatus Status = TUnitStatus::UpToDate;
  TGroupKind Group = TGroupKind::Form;
  const char* Name = "Caption";
  bool Report = false;
};

std::optional<std::string> RunRule(const RuleCase& c) {
  TExchangeUnit unit;
  unit.GroupKind = c.Group;
  unit.Kind = c.Kind;
  unit.Status = c.Status;
  TCheckUnit input;
  input.Unit = &unit;
  input.Native = c.Native;
  input.Translation = c.Translation;
  input.Name = c.Name;
  input.ReportText = c.Report;
  const TCheckDef* check = FindCheck(c.Check);
  EXPECT_NE(check, nullptr) << c.Check;
  EXPECT_NE(check->UnitRule, nullptr) << c.Check;
  return check->UnitRule(input);
}

constexpr auto Strings = vkStrings;
constexpr auto OutOfDate = TUnitStatus::OutOfDate;

const RuleCase kCases[] = {
    // format
    {"format", u"%s: %d files", u"%s: %d Dateien", false},
    {"format", u"%0:s has %1:d", u"%1:d hat %0:s", false},
    {"format", u"%s has %d", u"%1:d hat %0:s", false},
    {"format", u"100%% of %s", u"100%% von %s", false},
    {"format", u"%d%%", u"%d %%", false},
    {"format", u"%d%%", u"%d %", true},
    {"format", u"%*d", u"%*d", false},
    {"format", u"%*d", u"%d", true},
    {"format", u"%-10.2f EUR", u"%-10.2f \u20AC", false},
    {"format", u"%-10.2f", u"%-10.2d", true},
    {"format", u"%.*f", u"%.*f", false},
    {"format", u"%0:s %0:s", u"%0:s und %0:s", false},
    {"format", u"%s", u"%0:s %0:s", false},
    {"format", u"%0:s %0:s", u"%0:d %0:s", true},
    {"format", u"%s of %s", u"%s", true},
    {"format", u"File %s", u"Datei %s %s", true},
    {"format", u"%d files", u"%s Dateien", true},
    {"format", u"%d files", u"%x Dateien", false},
    {"format", u"%s", u"%y", true},
    {"format", u"%S", u"%s", false},
    {"format", u"100% sure", u"100 % sicher", false},
    {"format", u"Done", u"Fertig %", false},
    // accelerator
    {"accelerator", u"&Open...", u"\u00D6ffnen...", true},
    {"accelerator", u"&Open", u"\u00D6&ffnen", false},
    {"accelerator", u"Save && Exit", u"Speichern && Beenden", false},
    {"accelerator", u"Save && Exit", u"&Speichern && Beenden", true},
    {"accelerator", u"&Open", u"&\u00D6&ffnen", true},
    {"accelerator", u"&File", u"\u30D5\u30A1\u30A4\u30EB(&F)", false},
    {"accelerator", u"Tom && Jerry", u"Tom & Jerry", true},
    {"accelerator", u"A & B & C", u"A B C", false},
    // string-list
    {"string-list", u"a\r\nb\r\nc", u"x\r\ny", true, Strings},
    {"string-list", u"a\r\nb", u"x\r\ny\r\n", false, Strings},
    {"string-list", u"a\r\nb", u"x\ny", false, Strings},
    {"string-list", u"a\r\nb", u"x", false},
    // report-expressions
    {"report-expressions", u"Page [Page#] of [TotalPages#]", u"Seite [Page#] von [TotalPages#]", false, vkString,
     TUnitStatus::UpToDate, TGroupKind::ExtGroup, "Memo1.Text", true},
    {"report-expressions", u"[Date]", u"[Datum]", true, vkString, TUnitStatus::UpToDate, TGroupKind::ExtGroup,
     "Memo1.Text", true},
    {"report-expressions", u"Total: [<Table.\"Field\">]", u"Summe: [<Table.\"Field\">]", false, vkString,
     TUnitStatus::UpToDate, TGroupKind::ExtGroup, "Memo1.Text", true},
    {"report-expressions", u"[<Table.\"Field\">]", u"[<Table.\"Feld\">]", true, vkString, TUnitStatus::UpToDate,
     TGroupKind::ExtGroup, "Memo1.Text", true},
    {"report-expressions", u"[A] and [B]", u"[B] und [A]", false, vkString, TUnitStatus::UpToDate,
     TGroupKind::ExtGroup, "Memo1.Text", true},
    {"report-expressions", u"[IIF([x] > 0, 'a]', 'b')]", u"[IIF([x] > 0, 'a]', 'b')]!", false, vkString,
     TUnitStatus::UpToDate, TGroupKind::ExtGroup, "Memo1.Text", true},
    {"report-expressions", u"[Date]", u"[Date] [Time]", true, vkString, TUnitStatus::UpToDate, TGroupKind::ExtGroup,
     "Memo1.Text", true},
    {"report-expressions", u"[Date]", u"[Datum]", false},
    // line-breaks
    {"line-breaks", u"Line 1\r\nLine 2", u"Zeile 1 Zeile 2", true},
    {"line-breaks", u"Line 1\r\nLine 2", u"Zeile 1\nZeile 2", false},
    {"line-breaks", u"a\r\nb", u"a", false, Strings},
    // spaces
    {"spaces", u"Name: ", u"Name:", true},
    {"spaces", u" x", u"  x", true},
    {"spaces", u"Name: ", u"Nom : ", false},
    {"spaces", u"a\r\n", u"b\r\n", false},
    // end-punctuation
    {"end-punctuation", u"Open...", u"\u00D6ffnen\u2026", false},
    {"end-punctuation", u"Open...", u"\u00D6ffnen", true},
    {"end-punctuation", u"Name:", u"Nom :", false},
    {"end-punctuation", u"Ready.", u"Bereit", true},
    {"end-punctuation", u"Sure?", u"\u78BA\u5B9A\uFF1F", false},
    {"end-punctuation", u"Sure?", u"Sicher!", true},
    {"end-punctuation", u"Save", u"Speichern", false},
    // identical
    {"identical", u"Save as", u"Save as", true},
    {"identical", u"OK", u"OK", false},
    {"identical", u"Save as", u"Save as", false, vkString, OutOfDate},
    // empty
    {"empty", u"Open", u"", true},
    {"empty", u"Open", u"", false, vkString, OutOfDate},
    {"empty", u"Open", u" ", false},
    // length
    {"length", u"Open", u"Open a file right now please", true},
    {"length", u"Open the current document", u"\u00D6ffnen des aktuellen Dokuments", false},
    {"length", u"Open", u"Open the file!", false},
    {"length", u"&Open", u"Ouvrir le fichier &maintenant", true, vkString, TUnitStatus::UpToDate, TGroupKind::Form,
     "EditLabel.Caption"},
    {"length", u"Open", u"Open a file right now please", false, vkString, TUnitStatus::UpToDate, TGroupKind::Form,
     "Hint"},
    {"length", u"Open", u"Open a file right now please", false, vkString, TUnitStatus::UpToDate, TGroupKind::Unit,
     "SOpen"},
};

TEST(CheckRulesTest, PlantedFaultsAreFoundAndNearMissesPass) {
  for (const RuleCase& c : kCases) {
    const auto message = RunRule(c);
    EXPECT_EQ(message.has_value(), c.Problem)
        << c.Check << ": " << QuoteText(c.Native) << " -> " << QuoteText(c.Translation) << ": "
        << message.value_or("(no problem)");
  }
}

TEST(CheckRulesTest, EveryPerUnitCheckHasAFaultAndANearMiss) {
  for (const TCheckDef& check : CheckTable()) {
    if (!check.UnitRule) continue;
    bool fault = false, miss = false;
    for (const RuleCase& c : kCases)
      if (c.Check == check.Name) (c.Problem ? fault : miss) = true;
    EXPECT_TRUE(fault && miss) << check.Name;
  }
}

// A storage holding every case as a unit of its group and kind: native
// text in column 0, the translation in column 1 (out of date where the case
// says so).
void FillStorage(TLocStorage& storage) {
  storage.SetNativeLangId(0x0409);
  std::vector<std::pair<TLocItem*, const RuleCase*>> items;
  std::int32_t id = 0;
  for (const RuleCase& c : kCases) {
    const std::string name = std::string(c.Name) + std::to_string(++id);
    TLocItem* item = nullptr;
    if (c.Group == TGroupKind::Unit && c.Kind == vkString)
      item = storage.FindOrAddConstant(id, "Strings", 0, name);
    else if (c.Group == TGroupKind::ExtGroup)
      item = storage.ExtGroups->FindOrAdd(c.Report ? "FRFORM:Report" : "Texts")->FindOrAddExtItem(id, name, c.Kind);
    else
      item = storage.Forms->FindOrAdd("Main")->FindOrAddProperty(id, "", c.Kind, name);
    item->NativeValue()->SetText(c.Native);
    item->NativeValue()->SetRevision(2);
    items.emplace_back(item, &c);
  }
  const int column = storage.AddLanguage(0, 0x0407);
  for (const auto& [item, c] : items) {
    item->Values(column)->SetText(c->Translation);
    item->Values(column)->SetRevision(c->Status == OutOfDate ? 1 : 3);
  }
}

std::string CheckInputs(const TLocStorage& storage, int column) {
  std::string inputs;
  ForEachCheckInput(storage, column, [&](std::string_view part) {
    inputs += std::to_string(part.size()) + ":";
    inputs += part;
  });
  return inputs;
}

TEST(CheckRulesTest, CountsWithoutPlacesAndInputsFollowTheColumn) {
  TLocStorage storage;
  FillStorage(storage);
  for (int column : {0, 1}) {
    const TCheckCounts full = CountProblems(CheckColumn(storage, column, TCheckSelection()));
    const TCheckCounts counted = CountColumnProblems(storage, column);
    EXPECT_EQ(counted.Errors, full.Errors) << column;
    EXPECT_EQ(counted.Warnings, full.Warnings) << column;
  }
  EXPECT_GT(CountColumnProblems(storage, 1).Errors, 10);
  EXPECT_GT(CountColumnProblems(storage, 1).Warnings, 5);
  // The inputs are those of an equal storage, and change with a translation.
  TLocStorage same;
  FillStorage(same);
  const std::string inputs = CheckInputs(storage, 1);
  EXPECT_EQ(CheckInputs(same, 1), inputs);
  same.Forms->FindOrAdd("Main")->Properties->Items(0)->Values(1)->SetText(u"changed");
  EXPECT_NE(CheckInputs(same, 1), inputs);
}

TEST(CheckRulesTest, MessagesNameWhatDiffers) {
  EXPECT_EQ(*RunRule(RuleCase{"accelerator", u"&Open...", u"\u00D6ffnen...", true}),
            "the native text has one accelerator (\"&Open...\"), the translation none (\"\xC3\x96" "ffnen...\")");
  EXPECT_EQ(*RunRule(RuleCase{"format", u"%s of %d", u"%d von %s", true}),
            "argument 0 is a string in the native text (\"%s\"), an integer in the translation (\"%d\"); argument 1 "
            "is an integer in the native text (\"%d\"), a string in the translation (\"%s\")");
  EXPECT_EQ(*RunRule(RuleCase{"format", u"%s", u"%s %1:d", true}),
            "the translation adds argument 1 (\"%1:d\"), which the native text does not use");
  EXPECT_EQ(*RunRule(RuleCase{"format", u"%s", u"50% %s", true}),
            "the translation's \"% \" (at character 3) is no specifier Format accepts");
  EXPECT_EQ(*RunRule(RuleCase{"string-list", u"a\r\nb\r\nc", u"x\r\ny", true, Strings}),
            "the native list has 3 lines, the translation 2");
  EXPECT_EQ(*RunRule(RuleCase{"report-expressions", u"[Date]", u"[Datum]", true, vkString, TUnitStatus::UpToDate,
                  TGroupKind::ExtGroup, "Memo1.Text", true}),
            "the translation lacks \"[Date]\"; the translation has \"[Datum]\", which the native text does not");
  EXPECT_EQ(*RunRule(RuleCase{"end-punctuation", u"Open...", u"Offen", true}),
            "the native text ends with \"...\", the translation with none");
}

TEST(FormatStringTest, ArgumentsAsTheRuntimeTakesThem) {
  const TFormatString f = ParseFormatString(u"%2:s %d %*.*f %% %0:p");
  ASSERT_TRUE(f.Valid);
  EXPECT_EQ(f.Specifiers, 4);
  // %2:s takes 2, %d takes 3, %*.*f takes 4 and 5 for width and precision and 6, %0:p takes 0.
  ASSERT_EQ(f.Args.size(), 6u);
  EXPECT_EQ(f.Args.at(2).Class, TFormatArgClass::String);
  EXPECT_EQ(f.Args.at(3).Class, TFormatArgClass::Integer);
  EXPECT_EQ(f.Args.at(4).Class, TFormatArgClass::Integer);
  EXPECT_EQ(f.Args.at(5).Class, TFormatArgClass::Integer);
  EXPECT_EQ(f.Args.at(6).Class, TFormatArgClass::Float);
  EXPECT_EQ(f.Args.at(0).Class, TFormatArgClass::Pointer);
  EXPECT_EQ(f.Args.at(6).Spec, u"%*.*f");

  for (const char16_t* refused : {u"%", u"abc %", u"%-", u"%10", u"%1:", u"%.2", u"%q", u"%*:d", u"% d"}) {
    const TFormatString r = ParseFormatString(refused);
    EXPECT_FALSE(r.Valid) << QuoteText(refused);
  }
  EXPECT_TRUE(ParseFormatString(u"%%").Valid);
  EXPECT_EQ(ParseFormatString(u"%%").Specifiers, 0);
  EXPECT_TRUE(ParseFormatString(u"%99999999999:s").Valid == false);
}

TEST(CheckRulesTest, AcceleratorHelpers) {
  EXPECT_EQ(CountAccelerators(u"&&a&b&"), 1);
  EXPECT_EQ(AcceleratorKey(u"&&a&b"), u'B');
  EXPECT_EQ(AcceleratorKey(u"\u00D6&ffnen"), u'F');
  EXPECT_EQ(AcceleratorKey(u"&\u00F6ffnen"), u'\u00D6');
  EXPECT_EQ(AcceleratorKey(u"&\u0444\u0430\u0439\u043B"), u'\u0424');
  EXPECT_EQ(AcceleratorKey(u"& x"), 0);
  EXPECT_EQ(AcceleratorKey(u"none"), 0);
  EXPECT_EQ(FoldLetter(u'\u0101'), u'\u0100');
  EXPECT_EQ(FoldLetter(u'\u013A'), u'\u0139');
  EXPECT_EQ(FoldLetter(u'\u03C2'), u'\u03A3');
  EXPECT_EQ(CountListLines(u""), 0);
  EXPECT_EQ(CountListLines(u"a\r\n"), 1);
  EXPECT_EQ(CountLineBreaks(u"a\r\n\r\nb\rc\n"), 4);
}

TEST(CheckSelectionTest, OnlyAndSkip) {
  TCheckSelection all;
  EXPECT_TRUE(all.Runs("format"));
  TCheckSelection some{{"format", "hotkeys"}, {"hotkeys"}};
  EXPECT_TRUE(some.Runs("format"));
  EXPECT_FALSE(some.Runs("hotkeys"));
  EXPECT_FALSE(some.Runs("spaces"));
  EXPECT_EQ((TCheckSelection{{"format", "typo"}, {"nope"}}.UnknownNames()), (std::vector<std::string>{"typo", "nope"}));
  EXPECT_EQ(CheckTable().size(), 11u);
}

TEST(IgnoredChecksTest, LinesAreLangCheckItem) {
  const auto entries = ParseIgnoredChecks({"; a comment", "", "DEU accelerator form/Main Form/miOpen/Caption",
                                           "  *\tspaces   unit/Strings/SHello  "},
                                          "s.ini");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].Lang, "DEU");
  EXPECT_EQ(entries[0].Check, "accelerator");
  EXPECT_EQ(entries[0].Item, "form/Main Form/miOpen/Caption");
  EXPECT_EQ(entries[1].Lang, "*");
  EXPECT_EQ(entries[1].Item, "unit/Strings/SHello");
  EXPECT_THROW_MSG(ParseIgnoredChecks({"DEU", "DEU format"}, "s.ini"), ECheckError,
                   "s.ini: \"DEU\" is not LANG CHECK ITEM (for example: DEU accelerator "
                   "form/MainForm/miOpen/Caption)");
}

}  // namespace
}  // namespace sw
