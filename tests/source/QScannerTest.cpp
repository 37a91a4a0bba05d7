// Tokenizer behaviour through the token dump: one line per token with its
// line, columns, kind and text.
#include "extract/source/SourceScanner.h"

#include <gtest/gtest.h>

#include <random>

#include "support/TestSupport.h"
#include "base/Exceptions.h"

namespace sw {
namespace {

class QScannerTest : public ::testing::Test {
 protected:
  std::string Dump(std::initializer_list<std::string> lines, TScanMode mode = smPascal) {
    scanner.SetMode(mode);
    scanner.Lines().Clear();
    for (const auto& line : lines) scanner.Lines().Add(line);
    return DumpTokens(scanner);
  }
  TQScanner scanner;
};

TEST_F(QScannerTest, ModeTableHoldsTheDoubleQuoteAsSeventeenthSymbol) {
  for (TScanMode mode : {smPascal, smC, smCSingleQuoted, smHashComment}) {
    scanner.SetMode(mode);
    std::vector<std::string> symbols;
    std::string set = scanner.SymbolSet();
    for (std::size_t start = 0; start <= set.size();) {
      const std::size_t blank = std::min(set.find(' ', start), set.size());
      symbols.push_back(set.substr(start, blank - start));
      start = blank + 1;
    }
    ASSERT_GE(symbols.size(), 17u);
    EXPECT_EQ(symbols[15], "'");
    EXPECT_EQ(symbols[16], "\"");
    EXPECT_EQ(symbols[17], ":");
  }
  scanner.SetMode(smPascal);
  EXPECT_EQ(scanner.CommentPairs(), "(*-*),{-}");
  EXPECT_EQ(scanner.StringQuote(), '\'');
  EXPECT_EQ(scanner.EscapeChar(), '#');
  scanner.SetMode(smC);
  EXPECT_EQ(scanner.CommentPairs(), "/*-*/");
  EXPECT_EQ(scanner.StringQuote(), '"');
  EXPECT_EQ(scanner.EscapeChar(), '\\');
  scanner.SetMode(smHashComment);
  EXPECT_EQ(scanner.CommentPairs(), "");
  EXPECT_EQ(scanner.LineComment(), "#");
  // A mode outside the table only records its number.
  scanner.SetMode(static_cast<TScanMode>(7));
  EXPECT_EQ(scanner.Mode(), 7);
  EXPECT_EQ(scanner.LineComment(), "#");
}

TEST_F(QScannerTest, CommentPairDescriptionIgnoresItemsWithoutDash) {
  scanner.SetCommentPairs("<!--->,bad,{-}");
  EXPECT_EQ(scanner.CommentPairs(), "<!--->,{-}");
  scanner.SetCommentPairs("");
  EXPECT_EQ(scanner.CommentPairs(), "");
}

TEST_F(QScannerTest, PascalAssignmentAndNumbers) {
  EXPECT_EQ(Dump({"x:=1"}),
            "0:1-2 ttIdentifier x\n"
            "0:2-4 ttSymbol :=\n"
            "0:4-5 ttNumber 1\n");
  EXPECT_EQ(Dump({"42 1e5 $1F 0x1F 1abc _x 1.5"}),
            "0:1-3 ttNumber 42\n"
            "0:4-7 ttNumber 1e5\n"
            "0:8-11 ttNone $1F\n"
            "0:12-16 ttNone 0x1F\n"
            "0:17-21 ttNone 1abc\n"
            "0:22-24 ttIdentifier _x\n"
            "0:25-26 ttNumber 1\n"
            "0:26-27 ttSymbol .\n"
            "0:27-28 ttNumber 5\n");
}

TEST_F(QScannerTest, KeywordsAndWordListsIgnoreCase) {
  scanner.Keywords().Add("begin");
  scanner.WordList1().Add("Foo");
  scanner.WordList2().Add("bar");
  EXPECT_EQ(Dump({"BEGIN foo BAR baz"}),
            "0:1-6 ttKeyword BEGIN\n"
            "0:7-10 ttUserWord1 foo\n"
            "0:11-14 ttUserWord2 BAR\n"
            "0:15-18 ttIdentifier baz\n");
  scanner.Start();
  EXPECT_EQ(scanner.TokenLower(), "begin");
}

TEST_F(QScannerTest, CommentsAcrossLinesAndOffsets) {
  EXPECT_EQ(Dump({"a { // still", "comment } b (*) c", "d // { not open", "e"}),
            "0:1-2 ttIdentifier a\n"
            "1:11-12 ttIdentifier b\n"
            "1:17-18 ttIdentifier c\n"
            "2:1-2 ttIdentifier d\n"
            "3:1-2 ttIdentifier e\n");
  // Offsets count two characters per line break.
  scanner.Start();
  EXPECT_EQ(scanner.Token(0).Offset, 0);
  EXPECT_EQ(scanner.Token(1).Offset, 12 + 2 + 10);
  EXPECT_EQ(scanner.Token(3).Offset, 14 + 19 + 0);
  EXPECT_EQ(Dump({"a /* x", "y */ b // c"}, smC),
            "0:1-2 ttIdentifier a\n"
            "1:6-7 ttIdentifier b\n");
  // An unterminated comment runs to the end of the text.
  EXPECT_EQ(Dump({"a {", "b", "c"}), "0:1-2 ttIdentifier a\n");
  EXPECT_EQ(Dump({"x # y", "z"}, smHashComment), "0:1-2 ttIdentifier x\n1:1-2 ttIdentifier z\n");
}

TEST_F(QScannerTest, LocalizeSwitches) {
  EXPECT_EQ(Dump({"a // localize off", "b", "// LOCALIZE ON and more", "c", "//  localize off", "d"}),
            "0:1-2 ttIdentifier a\n"
            "1:1-2 ttIdentifier b [nolocalize]\n"
            "3:1-2 ttIdentifier c\n"
            "5:1-2 ttIdentifier d\n");
  // Start keeps the state.
  Dump({"// localize off"});
  EXPECT_FALSE(scanner.Localize());
  EXPECT_EQ(Dump({"x"}), "0:1-2 ttIdentifier x [nolocalize]\n");
  // The 13 characters after the marker decide: "localize once" is not "on".
  EXPECT_EQ(Dump({"# localize once", "y", "#localize on", "z"}, smHashComment),
            "1:1-2 ttIdentifier y [nolocalize]\n"
            "3:1-2 ttIdentifier z\n");
}

TEST_F(QScannerTest, PascalStringsAndCharacterCodes) {
  EXPECT_EQ(Dump({"'It''s'#13#10'ok' #65 #$41#66 'a' 'b'"}),
            "0:1-18 ttString It's\\r\\nok\n"
            "0:19-22 ttChar A\n"
            "0:23-30 ttString AB\n"
            "0:31-34 ttString a\n"
            "0:35-38 ttString b\n");
  EXPECT_EQ(Dump({"'a'#13#10", "#"}), "0:1-10 ttString a\\r\\n\n1:1-2 ttChar \\x00\n");
  EXPECT_EQ(Dump({"''"}), "0:1-3 ttString \n");
  // Unterminated strings run to the end of their line.
  EXPECT_EQ(Dump({"'abc", "x #13'y"}), "0:1-5 ttNone abc\n1:1-2 ttIdentifier x\n1:3-8 ttNone \\ry\n");
}

TEST_F(QScannerTest, PascalCodesAboveByteAreUnicode) {
  scanner.SetCodePage(1252);
  EXPECT_EQ(Dump({"#$0416#1078 #233'x' #$D83D#$DE00"}),
            "0:1-12 ttString \xD0\x96\xD0\xB6\n"
            "0:13-20 ttString \xC3\xA9x\n"
            "0:21-33 ttString \xF0\x9F\x98\x80\n");
  EXPECT_THROW_MSG(Dump({"#$110000"}), EQScannerError, "\"#$110000\" not a character");
  // Half a surrogate pair names no character: U+FFFD, and a warning.
  EXPECT_EQ(Dump({"'a'#$D800'b'", "#$DC00 #$D800#65"}),
            "0:1-13 ttString a\xEF\xBF\xBD" "b\n1:1-7 ttChar \xEF\xBF\xBD\n1:8-17 ttString \xEF\xBF\xBD" "A\n");
  EXPECT_EQ(scanner.Warnings(), (std::vector<std::string>{"line 0: \"#$D800\" is half a surrogate pair, kept as U+FFFD",
                                                          "line 1: \"#$DC00\" is half a surrogate pair, kept as U+FFFD",
                                                          "line 1: \"#$D800\" is half a surrogate pair, kept as U+FFFD"}));
  EXPECT_THROW_MSG(Dump({"#$1000000000"}), EQScannerError, "\"#$1000000000\" not a character");
  EXPECT_EQ(Dump({"#$0000000000000000041"}), "0:1-22 ttChar A\n");
  EXPECT_THROW_MSG(Dump({"#9999999999"}), EConvertError, "'9999999999' is not a valid integer value");
}

TEST_F(QScannerTest, PascalByteCodesDecodeTogetherInTheCodePage) {
  // Shift-JIS: the two bytes 82 A0 are one hiragana letter.
  scanner.SetCodePage(932);
  EXPECT_EQ(Dump({"#$82#$A0"}), "0:1-9 ttString \xE3\x81\x82\n");
  scanner.SetCodePage(1251);
  EXPECT_EQ(Dump({"#192"}), "0:1-5 ttChar \xD0\x90\n");
}

TEST_F(QScannerTest, CStringsAndEscapes) {
  scanner.SetCodePage(1252);
  EXPECT_EQ(Dump({R"("\x41" "\101" "\q" "a\\b\"c" "\a\b\f\n\r\t\v" "\x" "\xfff")"}, smC),
            "0:1-7 ttString A\n"
            "0:8-14 ttString A\n"
            "0:15-19 ttString q\n"
            "0:20-29 ttString a\\\\b\"c\n"
            "0:30-46 ttString \\x07\\x08\\x0C\\n\\r\\t\\x0B\n"
            "0:47-51 ttString \\x00\n"
            "0:52-59 ttString \xC3\xBF\n");
  EXPECT_THROW_MSG(Dump({R"("\8")"}, smC), EConvertError, "8 is not an oct digit");
  // Two literals with blanks between them stay two tokens.
  EXPECT_EQ(Dump({"\"a\"  \"b\""}, smC), "0:1-4 ttString a\n0:6-9 ttString b\n");
}

TEST_F(QScannerTest, WideStringsAndCharacterLiterals) {
  EXPECT_EQ(Dump({R"(L"abc" l"x" L "y" '\n'x 'ab' '')"}, smC),
            "0:1-7 ttWideString abc\n"
            "0:8-9 ttIdentifier l\n"
            "0:9-12 ttString x\n"
            "0:13-14 ttIdentifier L\n"
            "0:15-18 ttString y\n"
            "0:19-23 ttChar \\n\n"
            "0:23-24 ttIdentifier x\n"
            "0:25-27 ttChar \\x00\n"
            "0:27-28 ttIdentifier b\n"
            "0:28-31 ttChar  \n"
            "0:31-32 ttChar \\x00\n");
  // A multi-byte character is one character of a literal.
  EXPECT_EQ(Dump({"'\xC3\xA9'"}, smC), "0:1-5 ttChar \xC3\xA9\n");
  // After "L" an unterminated string is consumed; the L stays an identifier.
  EXPECT_EQ(Dump({"L\"abc", "x"}, smC), "0:1-6 ttIdentifier L\n1:1-2 ttIdentifier x\n");
  EXPECT_EQ(Dump({"\"abc", "x"}, smC), "0:1-5 ttNone abc\n1:1-2 ttIdentifier x\n");
}

TEST_F(QScannerTest, SingleQuotedCDoublesTheDelimiter) {
  EXPECT_EQ(Dump({"'it''s\\n' <> !="}, smCSingleQuoted),
            "0:1-10 ttString it's\\n\n0:11-13 ttSymbol <>\n0:14-16 ttSymbol !=\n");
  EXPECT_EQ(Dump({"a =~ b ~ c"}, smHashComment),
            "0:1-2 ttIdentifier a\n0:3-5 ttSymbol =~\n0:6-7 ttIdentifier b\n0:8-9 ttSymbol ~\n"
            "0:10-11 ttIdentifier c\n");
}

TEST_F(QScannerTest, WindowDrainsAndKeepsTenBehind) {
  scanner.Lines().Clear();
  std::string line;
  for (int i = 0; i < 30; ++i) line += "w" + std::to_string(i) + " ";
  scanner.Lines().Add(line);
  scanner.Start();
  EXPECT_EQ(scanner.Token(10).Text, "w10");
  EXPECT_EQ(scanner.Token(-1).Text, "");
  int count = 0;
  while (!scanner.Eof()) {
    EXPECT_EQ(scanner.TokenText(), "w" + std::to_string(count));
    if (count >= 10) {
      EXPECT_EQ(scanner.Token(-10).Text, "w" + std::to_string(count - 10));
    }
    if (count == 25) {
      EXPECT_EQ(scanner.Token(4).Text, "w29");
      EXPECT_EQ(scanner.Token(5).Kind, ttNone);
      EXPECT_EQ(scanner.Token(5).Text, "");
      EXPECT_EQ(scanner.PrecedingText(), "w15w16w17w18w19w20w21w22w23w24");
    }
    ++count;
    scanner.Next();
  }
  EXPECT_EQ(count, 30);
  scanner.Next();  // more calls after the end change nothing
  EXPECT_TRUE(scanner.Eof());

  for (int tokens : {0, 3}) {
    scanner.Lines().Clear();
    if (tokens) scanner.Lines().Add("a b c");
    scanner.Start();
    int seen = 0;
    while (!scanner.Eof()) ++seen, scanner.Next();
    EXPECT_EQ(seen, tokens);
  }
  scanner.Lines().Clear();
  scanner.Lines().Add("  ");
  scanner.Start();
  EXPECT_TRUE(scanner.Eof());
}

TEST_F(QScannerTest, TokenOutsideWindowFails) {
  scanner.Lines().Add("a");
  scanner.Start();
  EXPECT_THROW_MSG(scanner.Token(11), EQScannerError, "Token 11 is not available");
  EXPECT_THROW_MSG(scanner.SetToken(-11, TScanToken{}), EQScannerError, "Token -11 is not available");
  TScanToken replaced;
  replaced.Text = "z";
  scanner.SetToken(0, replaced);
  EXPECT_EQ(scanner.TokenText(), "z");
}

TEST_F(QScannerTest, LowerTextFoldsLettersBeyondAscii) {
  EXPECT_EQ(LowerUtf8("ÄÖÜ ÀÉ Ł ЖЁ ΣΑ x\xFF"), "äöü àé ł жё σα x\xFF");
}

TEST_F(QScannerTest, ArbitraryBytesNeverCrash) {
  std::mt19937 random(7);
  const std::string alphabet = "'\"#$\\/*(){}xL01289\t \r\n\xC3\xA9\xFF";
  for (TScanMode mode : {smPascal, smC, smCSingleQuoted, smHashComment}) {
    scanner.SetMode(mode);
    scanner.SetCodePage(1252);
    for (int round = 0; round < 300; ++round) {
      scanner.Lines().Clear();
      for (int l = 0; l < 4; ++l) {
        std::string line;
        const int length = static_cast<int>(random() % 24);
        for (int k = 0; k < length; ++k)
          line += (random() % 4 == 0) ? static_cast<char>(random() % 256) : alphabet[random() % alphabet.size()];
        scanner.Lines().Add(line);
      }
      try {
        scanner.Start();
        int guard = 0;
        while (!scanner.Eof() && ++guard < 1000) scanner.Next();
        EXPECT_LT(guard, 1000);
      } catch (const Exception&) {
        // character-code errors are fine; crashes are not
      }
    }
  }
}

}  // namespace
}  // namespace sw
