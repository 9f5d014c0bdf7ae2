// Parameter texts to whole numbers, and the grids of texts.
#include <gtest/gtest.h>

#include "test_support.h"

namespace davrel3 {
namespace {

TEST(StrToInt, AcceptsSignedDecimalsInTheIntegerRange) {
  EXPECT_EQ(StrToInt("+5"), 5);
  EXPECT_EQ(StrToInt("-0012"), -12);
  EXPECT_EQ(StrToInt("0"), 0);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(StrToInt("00000000000000000000042"), 42);
}

TEST(StrToInt, RefusesEverythingElseWithTheUsersMessage) {
  for (const std::string text :
       {"", " 5", "5 ", "1e3", "0x10", "2147483648", "-2147483649", "+", "-", "5.0", "99999999999999999999"}) {
    try {
      StrToInt(text);
      ADD_FAILURE() << "accepted '" << text << "'";
    } catch (const ConversionError& error) {
      EXPECT_EQ(std::string(error.what()), "'" + text + "' is not a valid integer value");
      EXPECT_EQ(error.text(), text);
    }
  }
}

TEST(TextGrid, KeepsEveryTextUntilItIsWrittenAgain) {
  TextGrid grid(3, 2);
  grid.SetCell(1, 1, "a");
  grid.SetCell(7, 9, "outside");  // beyond the counts: kept for a later resize
  EXPECT_EQ(grid.Cell(7, 9), "outside");
  EXPECT_EQ(grid.RowMajor().size(), 2u);
  EXPECT_EQ(grid.RowMajor()[1], (std::vector<std::string>{"", "a", ""}));

  grid.SetRowCount(1);
  grid.SetColumnCount(1);
  EXPECT_EQ(grid.Cell(1, 1), "a");
  grid.SetRowCount(10);
  grid.SetColumnCount(8);
  EXPECT_EQ(grid.RowMajor()[1][1], "a");
  EXPECT_EQ(grid.RowMajor()[9][7], "outside");

  grid.SetCell(1, 1, "b");
  EXPECT_EQ(grid.Cell(1, 1), "b");
  grid.SetCell(-1, 0, "x");  // no such cell
  EXPECT_EQ(grid.Cell(-1, 0), "");
  grid.SetColumnCount(-3);
  EXPECT_EQ(grid.ColumnCount(), 0);
  EXPECT_EQ(grid.Cell(7, 9), "outside");
}

}  // namespace
}  // namespace davrel3
