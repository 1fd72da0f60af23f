// The fixed-point formatter must write what C's printf writes, digit for
// digit: the instrument and any reader checking against printf see the same
// text whichever part of the program wrote it.
#include "common/NumberText.h"

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

using namespace stepvane;

namespace {

std::string printfText(double value, int decimals)
{
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

struct Case {
    double value;
    int decimals;
    const char *text;
};
const Case kCases[] = {
    {0.125, 2, "0.12"}, // exact binary tie: to even, not up
    {0.625, 2, "0.62"},       {0.375, 2, "0.38"},     {2.5, 0, "2"},
    {0.135, 2, "0.14"}, // not a tie in binary (0.1350000000000000088...)
    {-0.125, 2, "-0.12"},     {-0.0, 2, "-0.00"},     {-0.001, 2, "-0.00"},
    {0.88, 4, "0.8800"},      {0.072, 4, "0.0720"},   {0.00005, 4, "0.0001"},
    {0.03125, 4, "0.0312"},   {2700, 2, "2700.00"},   {1e15 + 0.5, 2, "1000000000000000.50"},
    {4916.72f, 2, "4916.72"}, {-179.9, 2, "-179.90"}, {1e22, 2, "10000000000000000000000.00"}};

TEST(FormatDecimal, MatchesPrintfDigitForDigit)
{
    for (const Case &c : kCases) {
        EXPECT_EQ(formatDecimal(c.value, c.decimals).toStdString(), c.text)
            << c.value << " with " << c.decimals;
        EXPECT_EQ(formatDecimal(c.value, c.decimals).toStdString(),
                  printfText(c.value, c.decimals));
    }
}

// The same texts when the process runs in a locale whose decimal separator
// is a comma: files and rows never follow the user's locale.
TEST(FormatDecimal, ALocaleWithADecimalCommaChangesNothing)
{
    const std::string before = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed (scripts/install-deps makes it)";
    ASSERT_EQ(printfText(0.5, 1), "0,5") << "the locale really writes a comma";
    for (const Case &c : kCases)
        EXPECT_EQ(formatDecimal(c.value, c.decimals).toStdString(), c.text)
            << c.value << " with " << c.decimals;
    std::setlocale(LC_ALL, before.c_str());
}

TEST(FormatDecimal, AgreesWithPrintfOverManyValues)
{
    // Every hundredth and thousandth step between -20 and 20 plus halves,
    // where ties and near-ties are dense.
    for (int i = -20000; i <= 20000; ++i) {
        const double value = i / 1000.0 + ((i % 7 == 0) ? 0.0005 : 0.0);
        for (int decimals : {0, 2, 4})
            ASSERT_EQ(formatDecimal(value, decimals).toStdString(), printfText(value, decimals))
                << value;
    }
    EXPECT_EQ(formatDecimal(DBL_MAX, 2).toStdString(), printfText(DBL_MAX, 2));
    EXPECT_EQ(formatDecimal(-DBL_MAX, 0).toStdString(), printfText(-DBL_MAX, 0));
}

} // namespace
