#include "compress/LzqContainer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace sw {
namespace {

const std::string kHeader("LZQ00\0\0\0\0", 9);

std::string Compress(const std::string& data) {
  TMemoryStream source(data);
  TMemoryStream dest;
  CompressStreamFromStart(source, dest);
  return dest.AsString();
}

std::string Expand(const std::string& compressed) {
  TMemoryStream source(compressed);
  TMemoryStream dest;
  ExpandStreamFromStart(source, dest);
  return dest.AsString();
}

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

std::string RandomBytes(std::size_t n, std::uint32_t seed, int alphabet = 256) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (auto& c : s) c = static_cast<char>(rng() % static_cast<unsigned>(alphabet));
  return s;
}

// Words and sentences with the repetition of real texts.
std::string TextLike(std::size_t n, std::uint32_t seed) {
  static const char* const kWords[] = {"the",     "file",  "language", "translation", "form",   "caption",
                                       "unit",    "string", "&Open",   "Cancel",      "OK",     "library",
                                       "revision", "value", "native",  "Hint",        "Items",  "Save"};
  std::mt19937 rng(seed);
  std::string s;
  while (s.size() < n) {
    s += kWords[rng() % std::size(kWords)];
    s += (rng() % 7 == 0) ? ".\r\n" : " ";
  }
  s.resize(n);
  return s;
}

struct Token {
  bool IsReference;
  std::uint32_t Offset;  // references only
  std::uint32_t Length;  // literal count or reference length
  std::size_t OutputStart;
};

// Splits a well-formed compressed stream into its tokens.
std::vector<Token> Tokens(const std::string& compressed) {
  std::vector<Token> tokens;
  std::size_t i = kHeader.size();
  std::size_t out = 0;
  while (i < compressed.size()) {
    const auto b = static_cast<std::uint8_t>(compressed[i]);
    if (b & 1) {
      const std::uint32_t w = b | (static_cast<std::uint8_t>(compressed.at(i + 1)) << 8);
      tokens.push_back({true, (w & 0x0FFF) >> 1, (w >> 12) + 3, out});
      i += 2;
    } else {
      tokens.push_back({false, 0, b / 2u, out});
      i += 1 + b / 2u;
    }
    out += tokens.back().Length;
  }
  return tokens;
}

const Token* TokenAt(const std::vector<Token>& tokens, std::size_t outputPosition) {
  for (const auto& t : tokens)
    if (t.OutputStart == outputPosition) return &t;
  return nullptr;
}

// ---- Encodings computed by hand from the coding rules -------------------------------------

TEST(LzqContainerTest, EmptySourceGivesOnlyTheHeader) {
  EXPECT_EQ(Compress(""), kHeader);
  EXPECT_EQ(Expand(kHeader), "");
}

TEST(LzqContainerTest, ShortSourcesAreOneLiteralRun) {
  EXPECT_EQ(Compress("a"), kHeader + Bytes({0x02, 'a'}));
  EXPECT_EQ(Compress("ab"), kHeader + Bytes({0x04, 'a', 'b'}));
  // A recurring pair is not worth a reference.
  EXPECT_EQ(Compress("abXab"), kHeader + Bytes({0x0A}) + "abXab");
}

TEST(LzqContainerTest, LiteralRunsHoldAtMost127Bytes) {
  std::string data;
  for (int i = 0; i < 128; ++i) data.push_back(static_cast<char>(i));
  EXPECT_EQ(Compress(data), kHeader + Bytes({0xFE}) + data.substr(0, 127) + Bytes({0x02, 127}));
}

TEST(LzqContainerTest, RunOfOneByteUsesDistanceOneAndSplitsAt18) {
  EXPECT_EQ(Compress(std::string(10, 'a')), kHeader + Bytes({0x02, 'a', 0x03, 0x60}));
  EXPECT_EQ(Compress(std::string(20, 'a')), kHeader + Bytes({0x02, 'a', 0x03, 0xF0, 0x02, 'a'}));
  EXPECT_EQ(Compress(std::string(37, 'a')), kHeader + Bytes({0x02, 'a', 0x03, 0xF0, 0x03, 0xF0}));
}

TEST(LzqContainerTest, ThreeRepeatedBytesBecomeAReference) {
  EXPECT_EQ(Compress("abcXabc"), kHeader + Bytes({0x08, 'a', 'b', 'c', 'X', 0x09, 0x00}));
}

TEST(LzqContainerTest, LongerCandidateBeatsNewerOne) {
  // At "abcd" the newer "abce" gives 3 bytes, the older "abcd" 4.
  EXPECT_EQ(Compress("abcd1abce2abcd"),
            kHeader + Bytes({0x0A, 'a', 'b', 'c', 'd', '1', 0x0B, 0x00, 0x04, 'e', '2', 0x15, 0x10}));
}

TEST(LzqContainerTest, EqualCandidatesKeepTheNewerOne) {
  // The last "abc" matches at distance 5 and at distance 9 with 3 bytes each.
  EXPECT_EQ(Compress("abc1abc22abc"),
            kHeader + Bytes({0x08, 'a', 'b', 'c', '1', 0x09, 0x00, 0x04, '2', '2', 0x0B, 0x00}));
}

TEST(LzqContainerTest, MatchOfNineBytesIsTakenWithoutTryingOlderCandidates) {
  // The final copy of the alphabet would match 13 bytes at distance 24, but the newer
  // 9-byte candidate at distance 10 is taken at once.
  EXPECT_EQ(Compress("ABCDEFGHIJKLM#ABCDEFGHI$ABCDEFGHIJKLM"),
            kHeader + Bytes({0x1C}) + "ABCDEFGHIJKLM#" + Bytes({0x1D, 0x60, 0x02, '$', 0x15, 0x60, 0x31, 0x10}));
}

// ---- The coding rules over a flat buffer --------------------------------------------------

// The coder restated without a ring buffer: the whole input in one array, the window as the
// range [end - 2048, end) where end is the cursor plus up to 127 bytes of lookahead, and for
// each byte value the 40 most recent positions before the cursor.
std::string ReferenceCompress(const std::string& data) {
  const auto byteAt = [&](std::size_t i) { return static_cast<std::uint8_t>(data[i]); };
  std::vector<std::vector<std::size_t>> recent(256);
  std::string out = kHeader;
  std::string literals;
  const auto flush = [&] {
    if (literals.empty()) return;
    out += static_cast<char>(literals.size() * 2);
    out += literals;
    literals.clear();
  };
  const auto consume = [&](std::size_t from, std::size_t n) {
    for (std::size_t i = from; i < from + n; ++i) {
      auto& list = recent[byteAt(i)];
      list.push_back(i);
      if (list.size() > 40) list.erase(list.begin());
    }
  };
  std::size_t cursor = 0;
  while (cursor < data.size()) {
    const std::size_t end = cursor + std::min<std::size_t>(127, data.size() - cursor);
    const std::size_t base = end > 2048 ? end - 2048 : 0;
    const std::size_t limit = std::min<std::size_t>(end - cursor, 18);
    std::size_t bestLength = 0;
    std::size_t bestOffset = 0;
    if (end - cursor >= 3) {
      const auto& list = recent[byteAt(cursor)];
      for (auto it = list.rbegin(); it != list.rend() && *it >= base; ++it) {
        std::size_t i = 1;
        while (i < limit && byteAt(*it + i) == byteAt(cursor + i)) ++i;
        if (i >= 3 && i > bestLength) {
          bestLength = i;
          bestOffset = cursor - *it;
          if (i > 8) break;
        }
      }
    }
    if (bestLength > 0) {
      flush();
      const std::size_t word = (bestOffset * 2 + 1) | ((bestLength - 3) << 12);
      out += static_cast<char>(word & 0xFF);
      out += static_cast<char>(word >> 8);
      consume(cursor, bestLength);
      cursor += bestLength;
    } else {
      if (literals.size() == 127) flush();
      literals += data[cursor];
      consume(cursor, 1);
      ++cursor;
    }
  }
  flush();
  return out;
}

TEST(LzqContainerTest, RingWindowCodesExactlyAsTheFlatRules) {
  const std::string mixed = TextLike(40'000, 1) + RandomBytes(5000, 2, 3) + std::string(3000, 'z') +
                            RandomBytes(7000, 3) + TextLike(20'000, 4);
  for (const std::string& data : {mixed, RandomBytes(300'000, 6, 8), TextLike(500'000, 12)}) {
    // Bytes drawn from few values overflow the 40-entry lists and pass the window often.
    ASSERT_EQ(Compress(data), ReferenceCompress(data));
  }
}

// ---- Window boundaries --------------------------------------------------------------------

// "PQR", `gap` bytes without P, Q or R, "PQR", then `tail` more such bytes.
std::string PatternAfterGap(std::size_t gap, std::size_t tail) {
  std::string filler = RandomBytes(gap + tail, 7, 80);
  for (auto& c : filler) c = static_cast<char>(c + 0x90);  // 0x90..0xDF: never 'P', 'Q' or 'R'
  return "PQR" + filler.substr(0, gap) + "PQR" + filler.substr(gap);
}

TEST(LzqContainerTest, HistoryReaches1921BytesWhileLookaheadIsFull) {
  const std::string near = PatternAfterGap(1918, 200);
  const auto nearTokens = Tokens(Compress(near));
  const Token* t = TokenAt(nearTokens, 1921);
  ASSERT_NE(t, nullptr);
  EXPECT_TRUE(t->IsReference);
  EXPECT_EQ(t->Offset, 1921u);

  const std::string far = PatternAfterGap(1919, 200);
  const std::string compressed = Compress(far);
  const Token* u = TokenAt(Tokens(compressed), 1922);
  EXPECT_TRUE(u == nullptr || !u->IsReference);
  EXPECT_EQ(Expand(compressed), far);
}

TEST(LzqContainerTest, NearTheEndReferencesReachTheWholeWindow) {
  // With only 3 bytes of lookahead left the history is 2045 bytes: distance 2045, length 3.
  const std::string data = PatternAfterGap(2042, 0);
  ASSERT_EQ(data.size(), 2048u);
  const std::string compressed = Compress(data);
  EXPECT_EQ(compressed.substr(compressed.size() - 2), Bytes({0xFB, 0x0F}));
  EXPECT_EQ(Expand(compressed), data);
}

// ---- Round trips --------------------------------------------------------------------------

enum class Kind { Random, TextLike, Zeros, Period7, SmallAlphabet };

std::string Make(Kind kind, std::size_t n) {
  switch (kind) {
    case Kind::Random: return RandomBytes(n, static_cast<std::uint32_t>(n) * 31 + 1);
    case Kind::TextLike: return TextLike(n, static_cast<std::uint32_t>(n));
    case Kind::Zeros: return std::string(n, '\0');
    case Kind::Period7: {
      std::string s(n, '\0');
      for (std::size_t i = 0; i < n; ++i) s[i] = "abcdefg"[i % 7];
      return s;
    }
    case Kind::SmallAlphabet: return RandomBytes(n, static_cast<std::uint32_t>(n) + 5, 4);
  }
  return {};
}

class QCompressRoundTripTest : public ::testing::TestWithParam<std::tuple<Kind, std::size_t>> {};

TEST_P(QCompressRoundTripTest, ExpandGivesBackTheSourceAndReferencesStayInTheWindow) {
  const auto [kind, size] = GetParam();
  const std::string data = Make(kind, size);
  const std::string compressed = Compress(data);
  ASSERT_EQ(compressed.substr(0, 9), kHeader);
  ASSERT_EQ(Expand(compressed), data);
  if (size > 20'000) return;  // the token walk below is for the small sizes
  for (const auto& t : Tokens(compressed)) {
    if (t.IsReference) {
      EXPECT_GE(t.Offset, 1u);
      EXPECT_LE(t.Offset + t.Length, 2048u);
      EXPECT_LE(t.Offset, t.OutputStart);
    } else {
      EXPECT_GE(t.Length, 1u);
      EXPECT_LE(t.Length, 127u);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, QCompressRoundTripTest,
    ::testing::Combine(::testing::Values(Kind::Random, Kind::TextLike, Kind::Zeros, Kind::Period7,
                                         Kind::SmallAlphabet),
                       ::testing::Values(0, 1, 2, 3, 17, 18, 19, 126, 127, 128, 129, 255, 1920, 1921, 1922, 2047,
                                         2048, 2049, 2175, 2176, 4096, 4097, 65543, 3 * 1024 * 1024 + 11)));

TEST(LzqContainerTest, CompressesFromSourcePositionAndAppendsAtDestinationPosition) {
  TMemoryStream source(std::string("skip:abcabcabc"));
  source.SetPosition(5);
  TMemoryStream dest(std::string("XY"));
  dest.SetPosition(2);
  CompressStream(source, dest);
  EXPECT_EQ(dest.AsString(), "XY" + Compress("abcabcabc"));

  dest.SetPosition(2);
  TMemoryStream expanded(std::string("pre"));
  expanded.SetPosition(3);
  ExpandStream(dest, expanded);
  EXPECT_EQ(expanded.AsString(), "preabcabcabc");
}

TEST(LzqContainerTest, ProgressReportsTheSourcePositionToTheEnd) {
  const std::string data = TextLike(5000, 3);
  TMemoryStream source(data);
  TMemoryStream dest;
  std::int64_t last = -1;
  bool monotonic = true;
  CompressStream(source, dest, [&](TQCompressor& sender, std::int64_t position, std::int64_t size) {
    EXPECT_NE(dynamic_cast<TLZQCompressor*>(&sender), nullptr);
    EXPECT_EQ(size, 5000);
    monotonic = monotonic && position >= last;
    last = position;
  });
  EXPECT_TRUE(monotonic);
  EXPECT_EQ(last, 5000);
}

// ---- Header and stream checks -------------------------------------------------------------

TEST(LzqContainerTest, IsCompressedStreamKeepsThePosition) {
  TMemoryStream yes(std::string("..") + kHeader);
  yes.SetPosition(2);
  EXPECT_TRUE(IsCompressedStream(yes));
  EXPECT_EQ(yes.Position(), 2);
  yes.SetPosition(0);
  EXPECT_FALSE(IsCompressedStream(yes));
  EXPECT_EQ(yes.Position(), 0);

  TMemoryStream shortStream(std::string("LZQ0"));
  EXPECT_FALSE(IsCompressedStream(shortStream));
  // Magic without room for the header value.
  TMemoryStream cutHeader(std::string("LZQ00\0\0", 7));
  EXPECT_FALSE(IsCompressedStream(cutHeader));
  EXPECT_EQ(cutHeader.Position(), 0);
}

TEST(LzqContainerTest, HeaderValueIsWrittenAndReadBackButIgnored) {
  const std::string compressed = std::string("LZQ00") + Bytes({0x78, 0x56, 0x34, 0x12, 0x06}) + "abc";
  TMemoryStream source(compressed);
  TMemoryStream dest;
  TLZQCompressor c;
  c.SrcStream = &source;
  c.DestStream = &dest;
  c.Expand();
  EXPECT_EQ(c.HeaderValue, 0x12345678);
  EXPECT_EQ(dest.AsString(), "abc");

  TMemoryStream out;
  TMemoryStream empty;
  TLZQCompressor w;
  w.SrcStream = &empty;
  w.DestStream = &out;
  w.HeaderValue = 7;
  w.Compress();
  EXPECT_EQ(out.AsString(), std::string("LZQ00\x07\0\0\0", 9));
}

TEST(LzqContainerTest, MissingStreamsAreReportedSourceFirst) {
  TMemoryStream s;
  TLZQCompressor none;
  EXPECT_THROW_MSG(none.Compress(), EQCompressError, "Source stream is not defined");
  EXPECT_THROW_MSG(none.Expand(), EQCompressError, "Source stream is not defined");
  TLZQCompressor noDest;
  noDest.SrcStream = &s;
  EXPECT_THROW_MSG(noDest.Compress(), EQCompressError, "Destination stream is not defined");
  EXPECT_THROW_MSG(noDest.Expand(), EQCompressError, "Destination stream is not defined");
  EXPECT_EQ(s.Position(), 0);
}

TEST(LzqContainerTest, WrongMagicWritesNothing) {
  TMemoryStream source(std::string("LZQ01\0\0\0\0\x02" "a", 11));
  TMemoryStream dest;
  EXPECT_THROW_MSG(ExpandStreamFromStart(source, dest), EQCompressError, "Wrong stream format");
  EXPECT_EQ(dest.Size(), 0);
}

// ---- Hostile and damaged input ------------------------------------------------------------

TEST(LzqContainerTest, EmptyLiteralRunIsAccepted) {
  EXPECT_EQ(Expand(kHeader + Bytes({0x00, 0x04, 'h', 'i', 0x00})), "hi");
}

TEST(LzqContainerTest, ReferenceBeforeTheStartRaisesAfterDeliveringWhatCameBefore) {
  TMemoryStream source(kHeader + Bytes({0x02, 'a', 0x05, 0x00}));
  TMemoryStream dest;
  EXPECT_THROW_MSG(ExpandStreamFromStart(source, dest), EQCompressError,
                   "Invalid back-reference at offset 11 of the compressed data: distance 2, but only 1 bytes have "
                   "been expanded");
  EXPECT_EQ(dest.AsString(), "a");
  EXPECT_THROW_MSG(Expand(kHeader + Bytes({0x01, 0x00})), EQCompressError,
                   "Invalid back-reference at offset 9 of the compressed data: distance 0, expected 1 to 2047");
  EXPECT_THROW_MSG(Expand(kHeader + Bytes({0x03, 0xF0})), EQCompressError,
                   "Invalid back-reference at offset 9 of the compressed data: distance 1, but only 0 bytes have "
                   "been expanded");
}

TEST(LzqContainerTest, ReferenceLongerThanTheRestOfTheWindowCopiesFromTheCurrentEnd) {
  // 2047 literal bytes, then distance 2047 with length 18: every new byte repeats the one
  // 2047 bytes before it, even those the copy itself produced.
  const std::string literals = RandomBytes(2047, 11);
  std::string compressed = kHeader;
  for (std::size_t i = 0; i < literals.size(); i += 127) {
    const std::size_t n = std::min<std::size_t>(127, literals.size() - i);
    compressed += static_cast<char>(n * 2);
    compressed += literals.substr(i, n);
  }
  compressed += Bytes({0xFF, 0xFF});  // distance 2047, length 18
  std::string expected = literals;
  for (int j = 0; j < 18; ++j) expected += expected[expected.size() - 2047];
  EXPECT_EQ(Expand(compressed), expected);
}

TEST(LzqContainerTest, EveryCutOfACompressedStreamExpandsQuietlyToAPrefix) {
  const std::string data = TextLike(3000, 9) + RandomBytes(300, 4);
  const std::string compressed = Compress(data);
  const auto tokens = Tokens(compressed);
  std::size_t tokenEnd = kHeader.size();
  std::size_t decodedBeforeCut = 0;
  std::size_t nextToken = 0;
  for (std::size_t cut = kHeader.size(); cut <= compressed.size(); ++cut) {
    // Tokens that end at or before the cut are whole.
    while (nextToken < tokens.size()) {
      const auto& t = tokens[nextToken];
      const std::size_t end = tokenEnd + (t.IsReference ? 2 : 1 + t.Length);
      if (end > cut) break;
      tokenEnd = end;
      decodedBeforeCut = t.OutputStart + t.Length;
      ++nextToken;
    }
    TMemoryStream source(compressed.substr(0, cut));
    TMemoryStream dest;
    TLZQCompressor c;
    c.SrcStream = &source;
    c.DestStream = &dest;
    ASSERT_NO_THROW(c.Expand()) << "cut at " << cut;
    const std::string out = dest.AsString();
    ASSERT_EQ(out, data.substr(0, out.size())) << "cut at " << cut;
    ASSERT_GE(out.size(), decodedBeforeCut) << "cut at " << cut;
    EXPECT_EQ(c.CutTokenOffset, cut == tokenEnd ? -1 : static_cast<std::int64_t>(tokenEnd)) << "cut at " << cut;
  }
}

// Corrupted streams: the replay of the expander's fuzz corpus (fuzz_replay_expand) expands
// damaged streams, which must end quietly or raise EQCompressError, and checks that
// compressing and expanding gives every input back and that a limited expansion is a prefix
// of the full one.

// ---- Limited expansion --------------------------------------------------------------------

TEST(LzqContainerTest, PrefixExpansionStopsAtTheLimitAndLeavesTheSourceBehindTheLastToken) {
  const std::string data = TextLike(100'000, 5);
  const std::string compressed = Compress(data);
  for (std::int64_t limit : {0, 1, 100, 2048, 4096, 99'999, 100'000, 200'000}) {
    TMemoryStream source(compressed);
    TMemoryStream dest;
    const std::int64_t written = ExpandStreamPrefix(source, dest, limit);
    const auto expected = static_cast<std::size_t>(std::min<std::int64_t>(limit, 100'000));
    EXPECT_EQ(written, static_cast<std::int64_t>(expected));
    EXPECT_EQ(dest.AsString(), data.substr(0, expected));
    if (limit > 0 && limit < 100'000) {
      EXPECT_LT(source.Position(), source.Size());
      EXPECT_GT(source.Position(), 9);
    }
  }
}

TEST(LzqContainerTest, HeadOfAFileExpandsFromAFixedCompressedPrefix) {
  // A reader that takes the first 2048 compressed bytes gets a clean prefix of the data.
  const std::string data = TextLike(50'000, 8);
  const std::string compressed = Compress(data);
  const std::string out = Expand(compressed.substr(0, 2048));
  EXPECT_GT(out.size(), 2048u);
  EXPECT_EQ(out, data.substr(0, out.size()));
}

}  // namespace
}  // namespace sw
