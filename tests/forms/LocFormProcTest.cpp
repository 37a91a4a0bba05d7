#include "extract/forms/LocFormProc.h"

#include <gtest/gtest.h>

#include "StorageDump.h"
#include "runtime/FormTextConverter.h"
#include "runtime/FormWriter.h"
#include "support/TestSupport.h"
#include "storage/LngStrings.h"
#include "storage/PropRules.h"

namespace sw {
namespace {

using test::DumpStorage;

class LocFormProcTest : public ::testing::Test {
 protected:
  // Runs one processor over `bytes` (any shape) with the given rules
  // (default rules when empty) in `column`.
  void Process(const std::string& bytes, std::vector<std::string> rules = {}, int column = 0) {
    TLocFormProcessor proc;
    TStringList list;
    if (rules.empty())
      SetDefaultPropRules(list);
    else
      for (auto& r : rules) list.Add(r);
    proc.SetPropRules(list);
    // The storage numbers the items; `lastId` mirrors its counter.
    storage.LastPropertyId = lastId;
    proc.LangId = storage.Languages(column);
    proc.Storage = &storage;
    proc.Column = column;
    proc.Revision = revision;
    try {
      proc.ProcessBytes(bytes);
    } catch (...) {
      lastId = storage.LastPropertyId;
      throw;
    }
    lastId = storage.LastPropertyId;
  }
  std::string Dump(int column = 0) const { return DumpStorage(storage, column); }

  TLocStorage storage;
  std::int32_t lastId = 0;
  std::int32_t revision = 1;
};

// One design written three ways: as text, as a hand-made binary stream with
// other (equally valid) tag choices, and behind a 16-bit resource header.
const char* const kDesignText =
    "object Form1: TForm1\n"
    "  Caption = 'Main window'\n"
    "  Hint = 'caf'#233' au lait'\n"
    "  Font.Charset = DEFAULT_CHARSET\n"
    "  object Label1: TLabel\n"
    "    Caption = #1050#1086#1090\n"
    "    Width = 100000\n"
    "  end\n"
    "  object ListBox1: TListBox\n"
    "    Items.Strings = (\n"
    "      'One'\n"
    "      'Two')\n"
    "  end\n"
    "  object ListView1: TListView\n"
    "    Columns = <\n"
    "      item\n"
    "        Caption = 'Name'\n"
    "      end\n"
    "      item\n"
    "        Caption = 'Size'\n"
    "      end>\n"
    "  end\n"
    "end\n";

std::string DesignBinary() {
  TMemoryStream s;
  TFormWriter w(s);
  w.WriteSignature();
  w.WriteStr("TForm1");
  w.WriteStr("Form1");
  w.WriteStr("Caption");
  w.WriteValue(vaLString);  // a long string tag for a short text
  s.WriteU32(11);
  s.WriteBytes("Main window");
  w.WriteStr("Hint");
  w.WriteWideString(u"caf\u00E9 au lait");
  w.WriteStr("Font.Charset");
  w.WriteIdent("DEFAULT_CHARSET");
  w.WriteListEnd();
  w.WriteStr("TLabel");
  w.WriteStr("Label1");
  w.WriteStr("Caption");
  w.WriteUtf8String("\xD0\x9A\xD0\xBE\xD1\x82");
  w.WriteStr("Width");
  w.WriteInteger(100000);
  w.WriteListEnd();
  w.WriteListEnd();
  w.WriteStr("TListBox");
  w.WriteStr("ListBox1");
  w.WriteStr("Items.Strings");
  w.WriteValue(vaList);
  w.WriteWideString(u"One");
  w.WriteAnsiString("Two");
  w.WriteListEnd();
  w.WriteListEnd();
  w.WriteListEnd();
  w.WriteStr("TListView");
  w.WriteStr("ListView1");
  w.WriteStr("Columns");
  w.WriteValue(vaCollection);
  w.WriteInteger(0);  // an explicit index equal to the implicit one
  w.WriteValue(vaList);
  w.WriteStr("Caption");
  w.WriteAnsiString("Name");
  w.WriteListEnd();
  w.WriteValue(vaList);
  w.WriteStr("Caption");
  w.WriteAnsiString("Size");
  w.WriteListEnd();  // item
  w.WriteListEnd();  // collection
  w.WriteListEnd();  // ListView1's properties
  w.WriteListEnd();  // ListView1's children
  w.WriteListEnd();  // the root's children
  return s.AsString();
}

const char* const kDesignDump =
    "form 'Form1' attr=0\n"
    "  Caption #1 kind=2 state=32 'Main window'\n"
    "  Hint #2 kind=2 state=32 'caf\xC3\xA9 au lait'\n"
    "  component 'Label1' attr=0\n"
    "    Caption #3 kind=2 state=32 '\xD0\x9A\xD0\xBE\xD1\x82'\n"
    "  component 'ListBox1' attr=0\n"
    "    Items.Strings #4 kind=4 state=32 'One\\r\\nTwo'\n"
    "  component 'ListView1.Columns[0]' attr=0\n"
    "    Caption #5 kind=2 state=32 'Name'\n"
    "  component 'ListView1.Columns[1]' attr=0\n"
    "    Caption #6 kind=2 state=32 'Size'\n";

TEST_F(LocFormProcTest, TextBinaryAndResourceShapesRecordTheSameContent) {
  Process(kDesignText);
  EXPECT_EQ(Dump(), kDesignDump);

  storage.Forms->Clear();
  lastId = 0;
  Process(DesignBinary());
  EXPECT_EQ(Dump(), kDesignDump);

  storage.Forms->Clear();
  lastId = 0;
  const std::string header("\xFF\x0A\x00" "FORM1\x00" "\x30\x10" "\x00\x00\x00\x00", 15);
  Process(header + DesignBinary());
  EXPECT_EQ(Dump(), kDesignDump);
  EXPECT_EQ(lastId, 6);
}

TEST_F(LocFormProcTest, ComponentPaths) {
  Process(
      "object Form1: TForm1\n"
      "  Columns = <\n    item [2]\n      Caption = 'Root column'\n    end\n"
      "    item\n      Caption = 'Next'\n    end>\n"
      "  object Panel1: TPanel\n"
      "    object TShape\n      Hint = 'shape in panel'\n    end\n"
      "  end\n"
      "  object TBevel\n    Hint = 'bevel'\n  end\n"
      "  object TShape\n    Hint = 'shape'\n  end\n"
      "  inline HeaderFrame: TFrame1\n"
      "    inherited OkButton: TButton\n      Caption = 'OK'\n    end\n"
      "    object Extra: TButton\n      Caption = 'Extra'\n    end\n"
      "  end\n"
      "  object After: TButton\n    Caption = 'After'\n  end\n"
      "  inherited Base: TButton\n    Caption = 'Base'\n  end\n"
      "end\n",
      {"+.Caption", "+.Hint"});
  EXPECT_EQ(DumpStorage(storage, 0, false),
            "form 'Form1' attr=0\n"
            "  component '.TBevel2' attr=0\n"
            "    Hint kind=2 state=32 'bevel'\n"
            "  component '.TShape3' attr=0\n"
            "    Hint kind=2 state=32 'shape'\n"
            "  component 'After' attr=0\n"
            "    Caption kind=2 state=32 'After'\n"
            "  component 'Base' attr=0\n"
            "    Caption kind=2 state=32 'Base'\n"
            "  component 'Columns[2]' attr=0\n"
            "    Caption kind=2 state=32 'Root column'\n"
            "  component 'Columns[3]' attr=0\n"
            "    Caption kind=2 state=32 'Next'\n"
            "  component 'Extra' attr=0\n"
            "    Caption kind=2 state=32 'Extra'\n"
            "  component 'HeaderFrame.OkButton' attr=0\n"
            "    Caption kind=2 state=32 'OK'\n"
            "  component 'Panel1.TShape1' attr=0\n"
            "    Hint kind=2 state=32 'shape in panel'\n");
}

TEST_F(LocFormProcTest, RootWithoutNameIsAFormWithEmptyName) {
  Process("object TForm1\n  Caption = 'x'\nend\n");
  EXPECT_EQ(Dump(), "form '' attr=0\n  Caption #1 kind=2 state=32 'x'\n");
}

TEST_F(LocFormProcTest, TranslatableTextTestAndStarRules) {
  const std::string form =
      "object Form1: TForm1\n"
      "  object Button1: TButton\n"
      "    Caption = '12345'\n"
      "    Hint = '42'\n"
      "  end\n"
      "  object Button2: TButton\n"
      "    Caption = '----'\n"
      "    Hint = '   '\n"
      "  end\n"
      "  object Button3: TButton\n"
      "    Caption = '&Open'\n"
      "    Hint = #1488\n"
      "  end\n"
      "end\n";
  Process(form);
  EXPECT_EQ(DumpStorage(storage, 0, false),
            "form 'Form1' attr=0\n"
            "  component 'Button3' attr=0\n"
            "    Caption kind=2 state=32 '&Open'\n"
            "    Hint kind=2 state=32 '\xD7\x90'\n");

  storage.Forms->Clear();
  Process(form, {"*.Hint", "+.Caption"});
  EXPECT_EQ(DumpStorage(storage, 0, false),
            "form 'Form1' attr=0\n"
            "  component 'Button1' attr=0\n"
            "    Hint kind=2 state=32 '42'\n"
            "  component 'Button2' attr=0\n"
            "    Hint kind=2 state=32 '   '\n"
            "  component 'Button3' attr=0\n"
            "    Caption kind=2 state=32 '&Open'\n"
            "    Hint kind=2 state=32 '\xD7\x90'\n");

  storage.Forms->Clear();
  Process(form, {"*.Caption"});
  EXPECT_NE(Dump().find("Caption #") , std::string::npos);
  EXPECT_NE(DumpStorage(storage, 0, false).find("Caption kind=2 state=32 '----'"), std::string::npos);
  EXPECT_NE(DumpStorage(storage, 0, false).find("Caption kind=2 state=32 '12345'"), std::string::npos);
}

TEST_F(LocFormProcTest, StringListsAndColor) {
  Process(
      "object Form1: TForm1\n"
      "  Color = clRed\n"
      "  Font.Color = clBlue\n"
      "  object Memo1: TMemo\n"
      "    Lines.Strings = (\n      'first'\n      'second')\n"
      "    Items.Strings = ()\n"
      "    Hints.Strings = (\n      'a'\n      1)\n"
      "  end\n"
      "end\n",
      {"+.Lines.Strings", "+.Items.Strings", "*.Hints.Strings", "**", "+.Color", "+.Font.Color"});
  EXPECT_EQ(DumpStorage(storage, 0, false),
            "form 'Form1' attr=0\n"
            "  Font.Color kind=6 state=0 '0'\n"
            "  component 'Memo1' attr=0\n"
            "    Hints.Strings kind=3 state=0 '0'\n"
            "    Lines.Strings kind=4 state=32 'first\\r\\nsecond'\n");
}

TEST_F(LocFormProcTest, ExclusionRules) {
  const std::string form =
      "object Form1: TForm1\n"
      "  Caption = 'Form caption'\n"
      "  object Label1: TLabel\n    Caption = 'Label'\n  end\n"
      "  object Button1: TButton\n    Caption = 'Button'\n    Hint = 'Tip'\n  end\n"
      "end\n";
  const auto names = [&](std::vector<std::string> rules) {
    storage.Forms->Clear();
    Process(form, std::move(rules));
    std::string s;
    storage.Forms->Items(0)->Properties->Count() > 0 ? s += "form.Caption " : s;
    for (int c = 0; c < storage.Forms->Items(0)->Components->Count(); ++c) {
      const auto* comp = storage.Forms->Items(0)->Components->Items(c);
      for (int p = 0; p < comp->Properties->Count(); ++p)
        s += comp->ItemName + "." + comp->Properties->Items(p)->ItemName + " ";
    }
    return s;
  };
  EXPECT_EQ(names({"+.Caption", "+.Hint"}), "form.Caption Button1.Caption Button1.Hint Label1.Caption ");
  EXPECT_EQ(names({"+.Caption", "-TLabel.Caption"}), "form.Caption Button1.Caption ");
  EXPECT_EQ(names({"+.Caption", "+.Hint", "-TButton"}), "form.Caption Label1.Caption ");
  EXPECT_EQ(names({"+.Caption", "+.Hint", "-Form1.*"}), "");
  EXPECT_EQ(names({"+.Caption", "+.Hint", "-Button1.H*"}), "form.Caption Button1.Caption Label1.Caption ");
  EXPECT_EQ(names({"+.Caption", "-.caption"}), "");
  EXPECT_EQ(names({"+.Caption", "+.Hint", "-TForm1.Caption"}), "Button1.Caption Button1.Hint Label1.Caption ");
  EXPECT_EQ(names({"+TButton.*"}), "Button1.Caption Button1.Hint ");
  EXPECT_EQ(names({"+Form1.Label1.Caption"}), "Label1.Caption ");
  EXPECT_EQ(names({"  ", "+Form1.Caption"}), "form.Caption Button1.Caption Label1.Caption ");
}

TEST_F(LocFormProcTest, CharsetExclusionAndExcludedComponents) {
  const std::string form =
      "object Form1: TForm1\n"
      "  Font.Charset = DEFAULT_CHARSET\n"
      "  object Label1: TLabel\n    Caption = 'Label'\n    Font.Charset = RUSSIAN_CHARSET\n  end\n"
      "  object Label2: TLabel\n    Font.Charset = ANSI_CHARSET\n  end\n"
      "end\n";
  Process(form, {"+.Caption", "-Label1.Font.Charset", "-TForm1.Font.Charset"});
  EXPECT_EQ(DumpStorage(storage, 0, false),
            "form 'Form1' attr=4\n"
            "  component 'Label1' attr=4\n"
            "    Caption kind=2 state=32 'Label'\n"
            "  component 'Label2' attr=0\n");
  // An excluded component that already exists is removed, with what it
  // holds, when its character set is met.
  Process(form, {"+.Caption", "-Label1"});
  EXPECT_EQ(DumpStorage(storage, 0, false),
            "form 'Form1' attr=0\n"
            "  component 'Label2' attr=0\n");
}

TEST_F(LocFormProcTest, ReportTextsBecomeExternalItems) {
  Process(
      "object Form1: TForm1\n"
      "  object frxReport1: TfrxReport\n"
      "    object Page1: TfrxReportPage\n"
      "      object Memo1: TfrxMemoView\n"
      "        Memo.UTF8 = (\n          'Total:'\n          'Sum')\n"
      "        Caption = 'Memo caption'\n"
      "        Hint = 'no rule'\n"
      "      end\n"
      "      object Memo2: TfrxMemoView\n        Memo.UTF8W = 'Page'\n      end\n"
      "    end\n"
      "  end\n"
      "  object Memo3: TfrxMemoView\n    Memo.UTF8 = 'Outside'\n  end\n"
      "end\n",
      {"+.Caption"});
  EXPECT_EQ(Dump(),
            "form 'Form1' attr=0\n"
            "  component 'Memo1' attr=0\n"
            "    Caption #2 kind=2 state=32 'Memo caption'\n"
            "group 'FRFORM:Form1:frxReport1'\n"
            "  Memo1.Text #1 kind=4 state=32 'Total:\\r\\nSum'\n"
            "  Memo2.Text #3 kind=2 state=32 'Page'\n");
  EXPECT_EQ(lastId, 3);
}

TEST_F(LocFormProcTest, NumberingContinuesFromTheCounter) {
  lastId = 41;
  Process("object Form1: TForm1\n  Caption = 'a'\n  Hint = 'b'\nend\n");
  EXPECT_EQ(Dump(), "form 'Form1' attr=0\n  Caption #42 kind=2 state=32 'a'\n  Hint #43 kind=2 state=32 'b'\n");
  EXPECT_EQ(lastId, 43);
  // Met again: nothing new is numbered.
  Process("object Form1: TForm1\n  Caption = 'a'\n  Hint = 'c'\nend\n");
  EXPECT_EQ(lastId, 43);
}

TEST_F(LocFormProcTest, TranslationColumnAddsNothingNew) {
  Process("object Form1: TForm1\n  Caption = 'Open'\n  Tag = 5\nend\n", {"+.Caption", "+.Tag"});
  const int column = storage.AddLanguage(0, 0x0407);
  revision = 2;
  Process("object Form1: TForm1\n  Caption = 'Offen'\n  Tag = 'five'\n  Hint = 'Neu'\n"
          "  object Button1: TButton\n    Caption = 'Neu'\n  end\nend\n",
          {"+.Caption", "+.Tag"}, column);
  EXPECT_EQ(Dump(column),
            "form 'Form1' attr=0\n"
            "  Caption #1 kind=2 state=32 'Offen'\n"
            "  Tag #2 kind=2 state=32 'five'\n");
  EXPECT_EQ(lastId, 2);
  const TLocProperty* caption = storage.Forms->Items(0)->FindProperty("", "Caption");
  EXPECT_EQ(caption->Values(column)->Revision, 2);
  EXPECT_EQ(caption->NativeValue()->Revision, 1);
}

TEST_F(LocFormProcTest, NonStringValuesRecordTheirKind) {
  Process(
      "object Form1: TForm1\n"
      "  Int = -5\n  Ext = 2.5\n  Sng = 0.5s\n  Cur = 125000c\n  Big = 10000000000\n"
      "  Id = alClient\n  Flag = True\n  Styles = [fsBold, fsItalic]\n  Data = {00FF}\n  When = 2.5d\n"
      "  Coll = <>\n"
      "end\n",
      {"**"});
  EXPECT_EQ(DumpStorage(storage, 0, false),
            "form 'Form1' attr=0\n"
            "  Big kind=8 state=0 '0'\n"
            "  Cur kind=0 state=0 '12.5'\n"
            "  Data kind=5 state=0 '0'\n"
            "  Ext kind=0 state=0 '2.5'\n"
            "  Flag kind=6 state=0 '0'\n"
            "  Id kind=6 state=0 '0'\n"
            "  Int kind=1 state=0 '-5'\n"
            "  Sng kind=0 state=0 '0.5'\n"
            "  Styles kind=7 state=0 '0'\n");
}

TEST_F(LocFormProcTest, ValueTagAboveTwentyNamesThePropertyAndKeepsWhatWasStored) {
  TMemoryStream s;
  TFormWriter w(s);
  w.WriteSignature();
  w.WriteStr("TForm1");
  w.WriteStr("Form1");
  w.WriteStr("Caption");
  w.WriteAnsiString("Before");
  w.WriteListEnd();
  w.WriteStr("TButton");
  w.WriteStr("Button1");
  w.WriteStr("Caption");
  w.WriteValue(0x99);
  EXPECT_THROW_MSG(Process(s.AsString()), EReadError,
                   "Error during processing form Form1\r\nError reading Button1.Caption: 25");
  EXPECT_EQ(Dump(), "form 'Form1' attr=0\n  Caption #1 kind=2 state=32 'Before'\n");
}

TEST_F(LocFormProcTest, FailureMessages) {
  EXPECT_THROW_MSG(Process("TPF1\x06TForm1\x05" "Form1\x00\x00"), EReadError,
                   "Error during processing form \r\nInvalid stream format");
  EXPECT_THROW_MSG(Process(std::string("\xFF\x0A\x00" "AB", 5)), EReadError, "Invalid stream format");
  EXPECT_THROW_MSG(Process("TPF0\x06TForm1\x05" "Form1\x07" "Caption\x06\x10" "abc"), EReadError,
                   "Error during processing form Form1\r\nStream read error");
  EXPECT_THROW_MSG(Process("object Form1: TForm1\n  Caption = 'x'\n  Width = )\nend\n"), EParserError,
                   "Invalid property value on line 3");
  TLocFormProcessor proc;
  proc.Storage = &storage;
  EXPECT_THROW_MSG(proc.ProcessFile("/nonexistent/Form1.dfm"), EFOpenError, "Cannot open file /nonexistent/Form1.dfm");
}

TEST_F(LocFormProcTest, TruncatedAndCorruptedStreamsFailCleanly) {
  const std::string binary = DesignBinary();
  for (std::size_t n = 4; n < binary.size(); ++n) {
    TLocStorage fresh;
    TLocFormProcessor proc;
    proc.Storage = &fresh;
    SetDefaultPropRules(proc.PropRules);
    try {
      proc.ProcessBytes(binary.substr(0, n));
      ADD_FAILURE() << "no error at length " << n;
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message().rfind("Error during processing form ", 0), 0u) << e.Message();
    }
  }
  // Random damage: the replay of the form fuzz corpus (fuzz_replay_dfm) runs the
  // extraction over damaged forms and checks every failure is one of ours.
}

TEST_F(LocFormProcTest, DeepNestingFailsWithTheFormPrefix) {
  TMemoryStream s;
  TFormWriter w(s);
  w.WriteSignature();
  w.WriteStr("TForm1");
  w.WriteStr("Form1");
  w.WriteStr("Items");
  for (int i = 0; i < 100000; ++i) w.WriteValue(vaList);
  try {
    Process(s.AsString());
    ADD_FAILURE() << "no error";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message().rfind("Error during processing form Form1\r\nForm data nested deeper than 256 levels", 0), 0u)
        << e.Message();
  }
}

// The rules are compiled once and matched against every spelling of the
// property; a change of the rules between two look-ups is seen by the next.
TEST(PropRulesTest, EverySpellingMatchesAndChangedRulesAreSeen) {
  TLocFormProcessor proc;
  proc.FormName = "Form1";
  proc.CurrentClass = "TPanel";
  auto match = [&](const std::vector<std::string>& rules, const std::string& cls, const std::string& path,
                   const std::string& prop) {
    proc.PropRules.Clear();
    for (const auto& r : rules) proc.PropRules.Add(r);
    const TPropRuleMatch m = proc.MatchPropRules(cls, path, prop);
    return m.Selected ? (m.Star ? '*' : '+') : '-';
  };
  // Including spellings: .N, C.N, P.N, F.P.N, F.C, F.C.N, F.N.
  EXPECT_EQ(match({"+.Caption"}, "TLabel", "Label1", "Caption"), '+');
  EXPECT_EQ(match({"*tlabel.caption"}, "TLabel", "Label1", "Caption"), '*');
  EXPECT_EQ(match({"+Label?.Caption"}, "TLabel", "Label1", "Caption"), '+');
  EXPECT_EQ(match({"+Form1.Label1.Caption"}, "TLabel", "Label1", "Caption"), '+');
  EXPECT_EQ(match({"+Form1.TLabel"}, "TLabel", "Label1", "Hint"), '+');
  EXPECT_EQ(match({"+Form1.TLabel.Hint"}, "TLabel", "Label1", "Hint"), '+');
  EXPECT_EQ(match({"+Form1.Hint"}, "TLabel", "Label1", "Hint"), '+');
  EXPECT_EQ(match({"+.Hint"}, "TLabel", "Label1", "Caption"), '-');
  // The first including rule decides the star; an exclusion anywhere wins.
  EXPECT_EQ(match({"+.Caption", "*.Caption"}, "TLabel", "Label1", "Caption"), '+');
  EXPECT_EQ(match({"*.Caption", "-TLabel"}, "TLabel", "Label1", "Caption"), '-');
  // Excluding spellings: C, head replaced by C or by the current class, P.N, .N, F.P.N, F.C, F.C.N.
  EXPECT_EQ(match({"*.Caption", "-TPanel"}, "TLabel", "Label1", "Caption"), '-');
  EXPECT_EQ(match({"*.Caption", "-TPanel.Caption"}, "TLabel", "Label1", "Caption"), '-');
  EXPECT_EQ(match({"*.Caption", "-TLabel.Font.Name"}, "TLabel", "Label1", "Font.Name"), '-');
  EXPECT_EQ(match({"*.Caption", "-Panel1.Label1.Caption"}, "TLabel", "Panel1.Label1", "Caption"), '-');
  EXPECT_EQ(match({"*.Caption", "-TLabel.Label1.Caption"}, "TLabel", "Panel1.Label1", "Caption"), '-');
  EXPECT_EQ(match({"*.Caption", "-Form1.Caption"}, "TForm1", "", "Caption"), '-');
  EXPECT_EQ(match({"*.Caption", "-Form1.TLabel"}, "TLabel", "Label1", "Caption"), '-');
  EXPECT_EQ(match({"*.Caption", "-Form1.TLabel.Caption"}, "TLabel", "Label1", "Caption"), '-');
  EXPECT_EQ(match({"*.Caption", "-Form1.TLab*.Hint"}, "TLabel", "Label1", "Caption"), '*');
  // Blank lines and surrounding blanks are no rules.
  EXPECT_EQ(match({"", "   ", "  *.Caption  "}, "TLabel", "Label1", "Caption"), '*');
  // Colours and character sets are never selected.
  EXPECT_EQ(match({"**"}, "TLabel", "Label1", "Color"), '-');
  // The same processor sees edits made in place between look-ups.
  proc.PropRules.Clear();
  proc.PropRules.Add("+.Caption");
  EXPECT_TRUE(proc.MatchPropRules("TLabel", "Label1", "Caption").Selected);
  proc.PropRules[0] = "+.Hint";
  EXPECT_FALSE(proc.MatchPropRules("TLabel", "Label1", "Caption").Selected);
  proc.PropRules.Add("-Label1");
  EXPECT_TRUE(proc.IsComponentExcluded("Label1", "TLabel"));
  EXPECT_FALSE(proc.IsCharsetExcluded("Label1", "TLabel"));
  proc.PropRules.Add("-Label1.Font.Charset");
  EXPECT_TRUE(proc.IsCharsetExcluded("Label1", "TLabel"));
}

}  // namespace
}  // namespace sw

namespace sw {
namespace {

// What the default rules select among the texts real forms hold, and what
// they leave alone although its property name is a text's elsewhere.
TEST(DefaultPropRulesTest, SelectTheTextsOfCommonComponentsAndNothingElse) {
  struct Case {
    const char* className;
    const char* path;
    const char* property;
    bool selected;
  } cases[] = {
      {"TStatusBar", "StatusBar1", "SimpleText", true},
      {"TLabeledEdit", "edName", "EditLabel.Caption", true},
      {"TAction", "actOpen", "Caption", true},
      {"TAction", "actOpen", "Hint", true},
      {"TRadioGroup", "rgMode", "Items.Strings", true},
      {"TTabSheet", "tsGeneral", "Caption", true},
      {"TColumn", "DBGrid1.Columns", "Title.Caption", true},
      {"TEdit", "edSearch", "TextHint", true},
      {"TValueListEditor", "vleProps", "TitleCaptions.Strings", true},
      {"TOpenDialog", "OpenDialog1", "Filter", true},
      {"TSavePictureDialog", "SaveDialog1", "Title", true},
      {"TTaskDialog", "TaskDialog1", "FooterText", true},
      {"TTaskDialog", "TaskDialog1", "Title", true},
      // A data set's filter is an expression; names and colours are never texts.
      {"TADOQuery", "qOrders", "Filter", false},
      {"TClientDataSet", "cds", "Title", false},
      {"TButton", "Button1", "Name", false},
      {"TLabel", "Label1", "Color", false},
      {"TEdit", "edSearch", "Font.Charset", false},
  };
  TLocFormProcessor proc;
  SetDefaultPropRules(proc.PropRules);
  proc.FormName = "MainForm";
  proc.CurrentClass = "TMainForm";
  for (const Case& c : cases)
    EXPECT_EQ(proc.MatchPropRules(c.className, c.path, c.property).Selected, c.selected)
        << c.className << " " << c.path << "." << c.property;
}

}  // namespace
}  // namespace sw
