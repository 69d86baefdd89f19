// The grid's step rules and styles as plain functions.
#include "ChartGrid.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

std::vector<double> Walk(double lo, double hi, double step, bool logarithmic) {
  std::vector<double> v;
  for (double x = ChartGrid::FirstValue(lo, step, logarithmic); x < hi && v.size() < 50;
       x = ChartGrid::NextValue(x, step, logarithmic))
    v.push_back(x);
  return v;
}

TEST(GridRules, LinearStepsStartAtAMultipleAboveTheLowEnd) {
  EXPECT_EQ(Walk(-0.5, 2, 1, false), (std::vector<double>{0, 1}));
  // A negative step on a linear axis walks by |step| from the multiple taken with its sign.
  EXPECT_EQ(Walk(-0.5, 2, -1, false), (std::vector<double>{-1, 0, 1}));
  EXPECT_EQ(Walk(2.5, 4, 0.5, true), (std::vector<double>{2.5, 3, 3.5})); // step > 0 stays linear
}

TEST(GridRules, LogarithmicRulesWalkDecadesDigitsAndOneTwoFive) {
  EXPECT_EQ(Walk(3, 2000, -1, true), (std::vector<double>{10, 100, 1000}));
  EXPECT_EQ(Walk(3, 60, -2, true), (std::vector<double>{5, 10, 20, 50}));
  EXPECT_EQ(Walk(7, 30, -3, true), (std::vector<double>{7, 8, 9, 10, 20}));
}

TEST(GridRules, StylesDrawTheirLines) {
  const ChartGrid::Lines dotted = ChartGrid::LinesOf(gsDotLines);
  EXPECT_TRUE(dotted.vertical && dotted.horizontal && dotted.dotted);
  const ChartGrid::Lines vertical = ChartGrid::LinesOf(gsVertLines);
  EXPECT_TRUE(vertical.vertical && !vertical.horizontal && !vertical.dotted);
  const ChartGrid::Lines points = ChartGrid::LinesOf(gsPoints);
  EXPECT_FALSE(points.vertical || points.horizontal);
}

} // namespace
