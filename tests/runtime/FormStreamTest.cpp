#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

#include "forms/FormDump.h"
#include "runtime/FormReader.h"
#include "runtime/FormTextConverter.h"
#include "runtime/FormWriter.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

using test::DumpFormStream;

std::string ToBinary(std::string_view text, const TAnsiDecoder& decode = nullptr) {
  TMemoryStream out;
  ObjectTextToBinary(text, out, decode);
  return out.AsString();
}

// A design that uses every construct of the text form.
const char* const kEveryConstruct =
    "object Form1: TForm1\n"
    "  Left = -8\n"
    "  Top = 300\n"
    "  Width = 100000\n"
    "  Huge = 10000000000\n"
    "  Hex = $FF\n"
    "  Ext = 1.5\n"
    "  Sng = 2.5s\n"
    "  Cur = 125000c\n"
    "  Dt = 36526.25D\n"
    "  Caption = 'It''s'#13#10'two' +\n"
    "    ' lines'\n"
    "  Wide = #1050#1086#1090\n"
    "  Accent = 'caf'#233\n"
    "  Color = clBtnFace\n"
    "  DataSource = Other.DataSource1\n"
    "  Visible = True\n"
    "  Enabled = false\n"
    "  PopupMenu = nil\n"
    "  Value = Null\n"
    "  Font.Style = [fsBold, fsItalic]\n"
    "  Anchors = []\n"
    "  Items.Strings = (\n"
    "    'a'\n"
    "    'b'\n"
    "    1)\n"
    "  Data = {\n"
    "    0102A0ff\n"
    "    10}\n"
    "  Columns = <\n"
    "    item\n"
    "      Caption = 'c0'\n"
    "    end\n"
    "    item [5]\n"
    "      Caption = 'c5'\n"
    "      Nested = <>\n"
    "    end>\n"
    "  object Panel1: TPanel [2]\n"
    "    object TBevel\n"
    "    end\n"
    "  end\n"
    "  inline Frame1: TFrame1\n"
    "    inherited Button1: TButton\n"
    "      Caption = 'OK'\n"
    "    end\n"
    "  end\n"
    "end\n";

const char* const kEveryConstructDump =
    "component TForm1 'Form1'\n"
    "  Left: int8 -8\n"
    "  Top: int16 300\n"
    "  Width: int32 100000\n"
    "  Huge: int64 10000000000\n"
    "  Hex: int16 255\n"
    "  Ext: extended 1.5\n"
    "  Sng: single 2.5\n"
    "  Cur: currency 125000\n"
    "  Dt: date 36526.25\n"
    "  Caption: string 'It's\r\ntwo lines'\n"
    "  Wide: wstring '\xD0\x9A\xD0\xBE\xD1\x82'\n"
    "  Accent: utf8 'caf\xC3\xA9'\n"
    "  Color: ident clBtnFace\n"
    "  DataSource: ident Other.DataSource1\n"
    "  Visible: true\n"
    "  Enabled: false\n"
    "  PopupMenu: nil\n"
    "  Value: null\n"
    "  Font.Style: set [fsBold,fsItalic]\n"
    "  Anchors: set []\n"
    "  Items.Strings: (\n"
    "    string 'a'\n"
    "    string 'b'\n"
    "    int8 1)\n"
    "  Data: binary 01 02 A0 FF 10\n"
    "  Columns: <\n"
    "    item\n"
    "      Caption: string 'c0'\n"
    "    item [5]\n"
    "      Caption: string 'c5'\n"
    "      Nested: <>>\n"
    "  component TPanel 'Panel1' flags=2 pos=2\n"
    "    component TBevel ''\n"
    "  component TFrame1 'Frame1' flags=4\n"
    "    component TButton 'Button1' flags=1\n"
    "      Caption: string 'OK'\n";

TEST(FormTextConverterTest, ConvertsEveryConstruct) {
  EXPECT_EQ(DumpFormStream(ToBinary(kEveryConstruct)), kEveryConstructDump);
}

TEST(FormTextConverterTest, LineEndsAndByteOrderMarkDoNotChangeTheStream) {
  const std::string lf = kEveryConstruct;
  std::string crlf;
  for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const std::string expected = ToBinary(lf);
  EXPECT_EQ(ToBinary(crlf), expected);
  EXPECT_EQ(ToBinary("\xEF\xBB\xBF" + crlf), expected);
}

TEST(FormTextConverterTest, StringTagFollowsContent) {
  const auto dumpOf = [](const std::string& value) {
    const std::string dump = DumpFormStream(ToBinary("object F: T\n S = " + value + "\nend"));
    const auto colon = dump.find("S: ");
    return dump.substr(colon + 3, dump.find(' ', colon + 3) - colon - 3);
  };
  EXPECT_EQ(dumpOf("'" + std::string(255, 'x') + "'"), "string");
  EXPECT_EQ(dumpOf("'" + std::string(200, 'x') + "' + '" + std::string(56, 'x') + "'"), "lstring");
  EXPECT_EQ(dumpOf("''"), "string");
  // Mostly Latin text is shorter in UTF-8; Cyrillic or CJK text is not.
  EXPECT_EQ(dumpOf("'abc'#233"), "utf8");
  EXPECT_EQ(dumpOf("#1050#1086"), "wstring");
  EXPECT_EQ(dumpOf("#$4E2D"), "wstring");
}

TEST(FormTextConverterTest, QuotedBytesAreDecodedByTheMarkOrTheCaller) {
  // Without a mark the caller's decoder interprets the bytes (here as UTF-8
  // bytes would be wrongly taken as Latin-1 without it).
  const std::string text = "object F: T\n S = 'caf\xE9'\nend";
  EXPECT_NE(DumpFormStream(ToBinary(text)).find("utf8 'caf\xC3\xA9'"), std::string::npos);
  const TAnsiDecoder cyrillic = [](std::string_view raw) {
    std::u16string out;
    for (unsigned char c : raw) out += c >= 0xC0 ? static_cast<char16_t>(0x410 + (c - 0xC0)) : c;
    return out;
  };
  EXPECT_NE(DumpFormStream(ToBinary("object F: T\n S = '\xC0\xC1'\nend", cyrillic)).find("wstring '\xD0\x90\xD0\x91'"),
            std::string::npos);
  EXPECT_NE(DumpFormStream(ToBinary("\xEF\xBB\xBFobject F: T\n S = 'caf\xC3\xA9'\nend", cyrillic))
                .find("utf8 'caf\xC3\xA9'"),
            std::string::npos);
}

TEST(FormTextConverterTest, SyntaxErrorsNameTheLine) {
  EXPECT_THROW_MSG(ToBinary("object F: T\n  A = 1\n  B = )\nend"), EParserError, "Invalid property value on line 3");
  EXPECT_THROW_MSG(ToBinary("object F: T\r\n\r\n  B = 'open\r\nend"), EParserError, "Invalid string constant on line 3");
  EXPECT_THROW_MSG(ToBinary("object F: T\r  B = {01 2}\rend"), EParserError, "Invalid binary value on line 2");
  EXPECT_THROW_MSG(ToBinary("object F: T\n  B = {0X}\nend"), EParserError, "Invalid binary value on line 2");
  EXPECT_THROW_MSG(ToBinary("thing F: T\nend"), EParserError, "OBJECT expected on line 1");
  EXPECT_THROW_MSG(ToBinary("object F: T\n  B 1\nend"), EParserError, "'=' expected on line 2");
  EXPECT_THROW_MSG(ToBinary("object F: T\n  B = 'x' +\n  C = 1\nend"), EParserError, "String expected on line 3");
  EXPECT_THROW_MSG(ToBinary("object F: T\n  B = 1.5x\nend"), EParserError, "Invalid number '1.5x' on line 2");
  EXPECT_THROW_MSG(ToBinary("object F: T\n  B = 99999999999999999999\nend"), EParserError,
                   "Invalid number '99999999999999999999' on line 2");
  EXPECT_THROW_MSG(ToBinary("object F: T\n  B = <\n  thing end>\nend"), EParserError, "item expected on line 3");
  EXPECT_THROW_MSG(ToBinary("object F: T\n  B = 1\n"), EParserError, "END expected on line 3");
  EXPECT_THROW_MSG(ToBinary(""), EParserError, "OBJECT expected on line 1");
  EXPECT_THROW_MSG(ToBinary("object F: T\n  B = #70000000\nend"), EParserError, "Invalid string constant on line 2");
}

TEST(FormTextConverterTest, DeepNestingIsRejectedNotOverflowed) {
  std::string text = "object F: T\n  L = " + std::string(100000, '(') + "\nend";
  EXPECT_THROW(ToBinary(text), EParserError);
  std::string objects;
  for (int i = 0; i < 5000; ++i) objects += "object A: T\n";
  EXPECT_THROW(ToBinary(objects), EParserError);
}

TEST(FormTextConverterTest, DamagedTextEitherConvertsOrFailsCleanly) {
  const std::string text = kEveryConstruct;
  const char pieces[] = {'\'', '#', '(', ')', '<', '>', '[', ']', '{', '}', '+', '=', '\n', '$', '-', '.', '9', 'x'};
  std::mt19937 random(99);
  int refused = 0;
  int converted = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string damaged = text;
    for (int i = 0; i < 3; ++i) {
      const std::size_t at = random() % damaged.size();
      switch (random() % 3) {
        case 0: damaged[at] = pieces[random() % sizeof(pieces)]; break;
        case 1: damaged.erase(at, 1 + random() % 8); break;
        default: damaged.resize(at); break;
      }
      if (damaged.empty()) break;
    }
    std::string binary;
    try {
      binary = ToBinary(damaged);
    } catch (const EParserError& e) {
      // A refusal names a line of the damaged text.
      const std::string message = e.Message();
      const std::size_t at = message.rfind(" on line ");
      ASSERT_NE(at, std::string::npos) << message;
      const int line = std::stoi(message.substr(at + 9));
      const auto lines = std::count(damaged.begin(), damaged.end(), '\n') + 1;
      EXPECT_GE(line, 1) << message;
      EXPECT_LE(line, lines) << message << "\n" << damaged;
      ++refused;
      continue;
    }
    // Whatever converts is a binary form that reads back to its end, and the
    // conversion gives the same bytes every time.
    EXPECT_EQ(binary.substr(0, 4), "TPF0");
    EXPECT_NO_THROW(DumpFormStream(binary)) << damaged;
    EXPECT_EQ(ToBinary(damaged), binary);
    ++converted;
  }
  // Both outcomes occur: damage that always ended alike would check little.
  EXPECT_GT(refused, 1000);
  EXPECT_GT(converted, 10);
}

TEST(FormReaderTest, ExtendedFloatsRoundTrip) {
  for (double v : {0.0, 1.5, -2.25, 1e300, -1e-300, 4.9406564584124654e-324, 123456.789,
                   std::numeric_limits<double>::infinity()}) {
    std::uint8_t b[10];
    DoubleToExtended(v, b);
    EXPECT_EQ(ExtendedToDouble(b), v);
  }
  // 1.0 as an 80-bit float: integer bit set, biased exponent 0x3FFF.
  const std::uint8_t one[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
  EXPECT_EQ(ExtendedToDouble(one), 1.0);
  std::uint8_t nan[10];
  DoubleToExtended(std::nan(""), nan);
  EXPECT_TRUE(std::isnan(ExtendedToDouble(nan)));
}

TEST(FormReaderTest, MissingSignatureIsInvalidStreamFormat) {
  TMemoryStream s(std::string("TPF1\x05TForm\x00\x00\x00", 12));
  TFormReader r(s);
  EXPECT_THROW_MSG(r.ReadSignature(), EReadError, "Invalid stream format");
  TMemoryStream shortStream(std::string("TP"));
  TFormReader r2(shortStream);
  EXPECT_THROW_MSG(r2.ReadSignature(), EReadError, "Invalid stream format");
}

TEST(FormReaderTest, EveryTruncationRaisesReadError) {
  const std::string binary = ToBinary(kEveryConstruct);
  for (std::size_t n = 4; n < binary.size(); ++n) {
    SCOPED_TRACE(n);
    EXPECT_THROW_MSG(DumpFormStream(binary.substr(0, n)), EReadError, "Stream read error");
  }
  EXPECT_EQ(DumpFormStream(binary), kEveryConstructDump);
}

TEST(FormReaderTest, HugeLengthsFailBeforeAllocating) {
  for (std::uint8_t tag : {vaLString, vaWString, vaUTF8String, vaBinary}) {
    std::string bytes{static_cast<char>(tag), '\xFF', '\xFF', '\xFF', '\x7F', 'a', 'b'};
    TMemoryStream s(bytes);
    TFormReader r(s);
    EXPECT_THROW_MSG(r.SkipValue(), EReadError, "Stream read error");
    TMemoryStream s2(bytes);
    TFormReader r2(s2);
    EXPECT_THROW_MSG(test::DumpValue(r2, 0), EReadError, "Stream read error");
  }
}

TEST(FormReaderTest, LongValuesCrossBufferBoundaries) {
  std::string data;
  for (int i = 0; i < 10000; ++i) data += static_cast<char>(i * 7);
  std::u16string wide;
  for (int i = 0; i < 5000; ++i) wide += static_cast<char16_t>(0x400 + i % 200);
  TMemoryStream s;
  TFormWriter w(s);
  w.WriteBinary(data);
  w.WriteWideString(wide);
  w.WriteAnsiString(std::string(3000, 'q'));
  w.WriteInteger(-5);
  s.SetPosition(0);
  TFormReader r(s);
  ASSERT_EQ(r.ReadValue(), vaBinary);
  std::string got;
  std::size_t largest = 0;
  r.ReadBinaryPayload([&](const std::uint8_t* p, std::size_t n) {
    got.append(reinterpret_cast<const char*>(p), n);
    largest = std::max(largest, n);
  });
  EXPECT_EQ(got, data);
  EXPECT_EQ(largest, 1024u);
  ASSERT_EQ(r.ReadValue(), vaWString);
  EXPECT_EQ(r.ReadWideStringPayload(), wide);
  ASSERT_EQ(r.ReadValue(), vaLString);
  EXPECT_EQ(r.ReadStringPayload(vaLString), std::string(3000, 'q'));
  EXPECT_EQ(r.ReadInteger(), -5);
  EXPECT_EQ(r.Remaining(), 0);
  EXPECT_THROW_MSG(r.ReadByte(), EReadError, "Stream read error");
}

TEST(FormReaderTest, StructureErrors) {
  // A child position that is not an integer, a collection item without its
  // list tag, and nesting deeper than the limit.
  TMemoryStream prefix(std::string("\xF2\x06\x01x", 4));
  TFormReader r1(prefix);
  std::uint8_t flags;
  std::int32_t pos;
  EXPECT_THROW_MSG(r1.ReadPrefix(flags, pos), EReadError, "Invalid property value");
  TMemoryStream coll(std::string("\x0E\x02\x01\x02\x00\x00", 6));
  TFormReader r2(coll);
  EXPECT_THROW_MSG(r2.SkipValue(), EReadError, "Invalid property value");
  TMemoryStream deep(std::string(5000, '\x01'));
  TFormReader r3(deep);
  EXPECT_THROW(r3.SkipValue(), EReadError);
  TMemoryStream badTag(std::string("\x15", 1));
  TFormReader r4(badTag);
  EXPECT_THROW_MSG(r4.SkipValue(), EReadError, "Invalid property value");
}

TEST(FormWriterTest, IntegersUseTheSmallestTag) {
  const std::pair<std::int64_t, std::uint8_t> cases[] = {
      {127, vaInt8},   {-128, vaInt8},   {128, vaInt16},         {-32768, vaInt16},
      {32768, vaInt32}, {-2147483648LL, vaInt32}, {2147483648LL, vaInt64}};
  for (const auto& [value, tag] : cases) {
    TMemoryStream s;
    TFormWriter(s).WriteInteger(value);
    s.SetPosition(0);
    TFormReader r(s);
    EXPECT_EQ(r.NextValue(), tag) << value;
    EXPECT_EQ(r.ReadInt64(), value);
  }
}

TEST(FormWriterTest, OverlongNamesAreRefused) {
  TMemoryStream s;
  TFormWriter w(s);
  EXPECT_THROW_MSG(w.WriteStr(std::string(256, 'n'), "Property name"), EWriteError,
                   "Property name is too long for a form stream (256 bytes, at most 255)");
  EXPECT_THROW_MSG(ToBinary("object F: T\n  " + std::string(300, 'n') + " = 1\nend"), EParserError,
                   "Name longer than 255 bytes on line 2");
}

}  // namespace
}  // namespace sw
