// SPDX-License-Identifier: GPL-3.0-or-later
// The date a measurement would reach its limit: the least-squares line over
// the result dates, and every case in which no date is given.
#include <gtest/gtest.h>

#include "core/results/LimitReach.h"

using namespace karvel;

namespace {

QDateTime day(int d) { return QDateTime(QDate(2026, 11, 1).addDays(d), QTime(9, 0)); }

// A measurement with a band from 51 to 53.2 in every run.
CompareMeasurement measured(std::vector<std::optional<double>> values) {
  CompareMeasurement m;
  m.name = QStringLiteral("Bit time");
  const std::size_t n = values.size();
  m.values = std::move(values);
  m.minimum.assign(n, 51.0);
  m.maximum.assign(n, 53.2);
  return m;
}

}  // namespace

TEST(LimitReach, TheLineMeetsTheLimitItHeadsFor) {
  // 0.4 a week towards the maximum: 52.8 at day 21, 53.2 a week later.
  const auto up =
      limitReach(measured({51.6, 52.0, 52.4, 52.8}), {day(0), day(7), day(14), day(21)});
  ASSERT_TRUE(up);
  EXPECT_TRUE(up->towardsMaximum);
  EXPECT_LE(std::abs(up->date.secsTo(day(28))), 1);
  EXPECT_DOUBLE_EQ(up->limit, 53.2);
  EXPECT_NEAR(up->rSquared, 1.0, 1e-12);
  EXPECT_EQ(up->points, 4);
  EXPECT_FALSE(up->alreadyReached);
  // The line itself, over the dates it rests on, for a chart to draw.
  EXPECT_EQ(up->from, day(0));
  EXPECT_EQ(up->to, day(21));
  EXPECT_NEAR(up->valueAt(up->from), 51.6, 1e-9);
  EXPECT_NEAR(up->valueAt(day(28)), 53.2, 1e-9);

  // Falling towards the minimum, the dates unevenly spaced and out of order
  // of the values' size: the fit goes by the dates.
  const auto down = limitReach(measured({52.0, 51.8, 51.4}), {day(0), day(2), day(6)});
  ASSERT_TRUE(down);
  EXPECT_FALSE(down->towardsMaximum);
  EXPECT_EQ(down->date.date(), day(10).date());

  // The limits of the latest result count: the maximum was raised to 54.
  CompareMeasurement raised = measured({51.6, 52.0, 52.4});
  raised.maximum.back() = 54.0;
  const auto later = limitReach(raised, {day(0), day(7), day(14)});
  ASSERT_TRUE(later);
  EXPECT_LE(std::abs(later->date.secsTo(day(42))), 1);

  // Past the limit already: the crossing lies before the latest result.
  const auto past = limitReach(measured({52.8, 53.3, 53.8}), {day(0), day(7), day(14)});
  ASSERT_TRUE(past);
  EXPECT_TRUE(past->alreadyReached);
  EXPECT_LE(past->date, day(14));
}

TEST(LimitReach, NoDateWhenTheLineSaysNothing) {
  const std::vector<QDateTime> three = {day(0), day(7), day(14)};
  // Two values: no line worth extending.
  EXPECT_FALSE(limitReach(measured({51.6, 52.0}), {day(0), day(7)}));
  // "---" cells leave only two values of three runs.
  EXPECT_FALSE(limitReach(measured({51.6, std::nullopt, 52.4}), three));
  // All on one date: no slope to speak of.
  EXPECT_FALSE(limitReach(measured({51.6, 52.0, 52.4}), {day(3), day(3), day(3)}));
  // Values that do not move.
  EXPECT_FALSE(limitReach(measured({52.0, 52.0, 52.0}), three));
  // Scattered: the line explains too little (R² about 0.04).
  EXPECT_FALSE(limitReach(measured({51.6, 52.8, 51.5, 52.7, 51.8}),
                          {day(0), day(7), day(14), day(21), day(28)}));
  // Rising, but only a minimum: moving away from the one limit there is.
  CompareMeasurement away = measured({51.6, 52.0, 52.4});
  away.maximum.assign(3, std::nullopt);
  EXPECT_FALSE(limitReach(away, three));
  // No limits at all.
  away.minimum.assign(3, std::nullopt);
  EXPECT_FALSE(limitReach(away, three));
  // Invalid dates are not points.
  EXPECT_FALSE(limitReach(measured({51.6, 52.0, 52.4}), {day(0), QDateTime(), day(14)}));
  // Creeping so slowly that the limit is centuries away.
  EXPECT_FALSE(limitReach(measured({52.0, 52.00001, 52.00002}), three));
}

TEST(LimitReach, NoDateUnlessTheLineExplainsFourFifthsOfTheVariation) {
  const std::vector<QDateTime> five = {day(0), day(7), day(14), day(21), day(28)};
  // R² 0.641 and 0.799: the line explains too little, though R itself
  // (0.80 and 0.89) is above 0.8.
  EXPECT_FALSE(limitReach(measured({51.6, 52.4, 52.0, 52.5, 52.6}), five));
  EXPECT_FALSE(limitReach(measured({51.6, 51.9, 52.2, 52.0, 52.6}), five));
  // R² 0.802: enough for a date.
  const auto enough = limitReach(measured({51.6, 51.9, 51.7, 52.2, 52.6}), five);
  ASSERT_TRUE(enough);
  EXPECT_NEAR(enough->rSquared, 0.8015, 1e-4);
  EXPECT_TRUE(enough->towardsMaximum);
}
