// The plan format: text and JSON read back as written, older plans without
// the reason column, and the refusals of what is not a plan or selects a
// literal that is not offered.
#include "literals/LiteralPlan.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace sw {
namespace {

std::vector<TPlanEntry> Sample() {
  return {{"U.pas", 5, 3, true, "SHello", "Hello\t\"x\"\\\x01", "offered"},
          {"U.pas", 6, 1, false, "", "untyped", "untyped constant"}};
}

bool Same(const std::vector<TPlanEntry>& a, const std::vector<TPlanEntry>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i].File != b[i].File || a[i].Line != b[i].Line || a[i].Column != b[i].Column ||
        a[i].Selected != b[i].Selected || a[i].Literal != b[i].Literal || a[i].Reason != b[i].Reason)
      return false;
  return true;
}

TEST(LiteralPlanTest, TextAndJsonReadBackAsWritten) {
  const std::string text = FormatPlan(Sample(), "PrjConst.pas", false);
  EXPECT_EQ(text,
            "U.pas\t5\t3\t[x]\tSHello\t\"Hello\\t\\\"x\\\"\\\\\\x01\"\toffered\n"
            "U.pas\t6\t1\t[ ]\t-\t\"untyped\"\tuntyped constant\n");
  EXPECT_TRUE(Same(ReadPlan(text, "p.txt"), Sample()));
  EXPECT_TRUE(Same(ReadPlan(FormatPlan(Sample(), "PrjConst.pas", true), "p.json"), Sample()));
  // An older plan has no reason: its entries are offered ones.
  const auto old = ReadPlan("# comment\r\n\r\nU.pas\t5\t3\t[ ]\tSHello\t\"Hello\"\r\n", "old.txt");
  ASSERT_EQ(old.size(), 1u);
  EXPECT_TRUE(old[0].Offered());
  EXPECT_FALSE(old[0].Selected);
}

TEST(LiteralPlanTest, WhatIsNoPlanIsRefusedWithItsPlace) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"U.pas\tfive\t3\t[x]\tS\t\"a\"\n", "p line 1: not a plan line"},
      {"U.pas\t5\t3\t[?]\tS\t\"a\"\n", "p line 1: not a plan line"},
      {"# ok\nU.pas\t5\t3\t[x]\tS\t\"a\\q\"\n", "p line 2: not a plan line"},
      {"U.pas\t5\t3\t[x]\tS\t\"a\"\t\n", "p line 1: not a plan line"},
      {"U.pas\t5\t3\t[x]\n", "p line 1: not a plan line"},
  };
  for (const auto& [bytes, message] : cases) {
    SCOPED_TRACE(bytes);
    EXPECT_THROW_MSG(ReadPlan(bytes, "p"), Exception, message);
  }
  EXPECT_THROW(ReadPlan("{\"units\": [{\"file\": 1}]}", "p"), Exception);
  EXPECT_THROW(ReadPlan("{\"units\": ", "p"), Exception);

  TUnitRecList none;
  std::vector<TPlanEntry> selectsALeftLiteral = Sample();
  selectsALeftLiteral[0].Reason = "char pointer initializer";
  EXPECT_THROW_MSG(ApplyPlan(none, selectsALeftLiteral), Exception,
                   "U.pas line 5 column 3: the literal is not offered (char pointer initializer) and cannot be selected");
  EXPECT_THROW_MSG(ApplyPlan(none, {Sample()[0]}), Exception,
                   "U.pas line 5 column 3: no such literal; the unit changed since the plan was made or is not among "
                   "the units given");
  ApplyPlan(none, {Sample()[1]});  // a literal that stays needs no unit
}

}  // namespace
}  // namespace sw
