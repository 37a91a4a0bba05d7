// Tests of the variant: type codes as SetFromVariant tests them, the
// runtime's float formatting, and text conversion in both directions.
#include "runtime/Variant.h"

#include <gtest/gtest.h>

#include <limits>

namespace sw {
namespace {

TEST(VariantTest, TypeCodes) {
  EXPECT_EQ(TVariant().VarType(), varEmpty);
  EXPECT_TRUE(TVariant().IsEmpty());
  EXPECT_EQ(TVariant(std::int32_t{1}).VarType(), varInteger);
  EXPECT_EQ(TVariant(std::int64_t{1}).VarType(), varInt64);
  EXPECT_EQ(TVariant(1.5).VarType(), varDouble);
  EXPECT_EQ(TVariant("a").VarType(), varString);
  EXPECT_EQ(TVariant(u"a").VarType(), varOleStr);
  // Among these kinds only the wide string has bit 3 set.
  for (const TVariant& v : {TVariant(), TVariant(std::int32_t{1}), TVariant(std::int64_t{1}), TVariant(1.0),
                            TVariant("a")})
    EXPECT_EQ(v.VarType() & 8, 0) << v.VarType();
  EXPECT_NE(TVariant(u"a").VarType() & 8, 0);
}

TEST(VariantTest, FloatToStrUsesFifteenDigitsGeneralFormat) {
  EXPECT_EQ(FloatToStr(0), "0");
  EXPECT_EQ(FloatToStr(-0.0), "0");
  EXPECT_EQ(FloatToStr(1.5), "1.5");
  EXPECT_EQ(FloatToStr(-2.25), "-2.25");
  EXPECT_EQ(FloatToStr(100), "100");
  EXPECT_EQ(FloatToStr(0.1), "0.1");
  EXPECT_EQ(FloatToStr(0.1 + 0.2), "0.3");  // 15 digits hide the binary error
  EXPECT_EQ(FloatToStr(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(FloatToStr(2.0 / 3), "0.666666666666667");
  EXPECT_EQ(FloatToStr(123456789012345.0), "123456789012345");
  EXPECT_EQ(FloatToStr(1234567890123456.0), "1.23456789012346E15");
  EXPECT_EQ(FloatToStr(1e15), "1E15");
  EXPECT_EQ(FloatToStr(1e20), "1E20");
  EXPECT_EQ(FloatToStr(-1.5e300), "-1.5E300");
  EXPECT_EQ(FloatToStr(0.0001), "0.0001");
  EXPECT_EQ(FloatToStr(0.00012), "0.00012");
  EXPECT_EQ(FloatToStr(1e-5), "1E-5");
  EXPECT_EQ(FloatToStr(1.25e-7), "1.25E-7");
  EXPECT_EQ(FloatToStr(9.999999999999999), "10");  // rounding carries into a new digit
  EXPECT_EQ(FloatToStr(std::numeric_limits<double>::infinity()), "INF");
  EXPECT_EQ(FloatToStr(-std::numeric_limits<double>::infinity()), "-INF");
  EXPECT_EQ(FloatToStr(std::numeric_limits<double>::quiet_NaN()), "NAN");
}

TEST(VariantTest, NumbersAsText) {
  EXPECT_EQ(TVariant(std::int32_t{-42}).ToWide(), u"-42");
  EXPECT_EQ(TVariant(std::int64_t{1} << 40).ToAnsi(), "1099511627776");
  EXPECT_EQ(TVariant(2.5).ToWide(), u"2.5");
  EXPECT_EQ(TVariant(1e20).ToAnsi(), "1E20");
  EXPECT_EQ(TVariant().ToWide(), u"");
  EXPECT_EQ(TVariant().ToAnsi(), "");
}

TEST(VariantTest, TextConvertsBetweenAnsiAndWide) {
  EXPECT_EQ(TVariant("Caption").ToWide(1252), u"Caption");
  EXPECT_EQ(TVariant("Caption").ToAnsi(1252), "Caption");
  EXPECT_EQ(TVariant(u"Caption").ToAnsi(1252), "Caption");
  EXPECT_EQ(TVariant(u"Caption").ToWide(), u"Caption");
  EXPECT_EQ(TVariant("\xE9t\xE9").ToWide(1252), u"\u00E9t\u00E9");
  EXPECT_EQ(TVariant("\xC6").ToWide(1251), u"\u0416");
  EXPECT_EQ(TVariant(u"\u0416").ToAnsi(1251), "\xC6");
  EXPECT_EQ(TVariant(u"\u20AC").ToAnsi(1252), "\x80");
}

}  // namespace
}  // namespace sw
