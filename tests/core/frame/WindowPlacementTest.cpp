// SPDX-License-Identifier: GPL-3.0-or-later
// Windows kept on the screen: stored places from another screen, sizes
// larger than the screen, and the results windows' cascade on a small screen.
#include <gtest/gtest.h>

#include "core/frame/AppState.h"
#include "core/frame/WindowPlacement.h"
#include "core/results/ResultCommands.h"

using namespace karvel;

namespace {

// A 1024x600 screen with a 32-pixel panel at its top.
const QRect kSmall(0, 32, 1024, 568);

bool inside(const QRect& r, const QRect& room) { return room.contains(r); }

}  // namespace

TEST(KeepInside, AWindowThatFitsStaysWhereItIs) {
  const QRect frame(100, 100, 640, 400);
  EXPECT_EQ(keepInside(frame, kSmall), frame);
  // Touching the edges is inside.
  const QRect corner(1024 - 640, 600 - 400, 640, 400);
  EXPECT_EQ(keepInside(corner, kSmall), corner);
}

TEST(KeepInside, ALargerWindowShrinksToTheRoomAndMovesIntoIt) {
  // The designed main window on a small screen: too high.
  EXPECT_EQ(keepInside(QRect(0, 0, 940, 680), kSmall), QRect(0, 32, 940, 568));
  // Larger both ways, placed anywhere: the whole room.
  EXPECT_EQ(keepInside(QRect(300, 200, 1920, 1080), kSmall), kSmall);
}

TEST(KeepInside, OffScreenPlacesComeBack) {
  // Stored on a second screen to the right that is gone now.
  EXPECT_EQ(keepInside(QRect(1500, 100, 640, 400), kSmall), QRect(384, 100, 640, 400));
  // Below the screen, and partly past the bottom-right corner.
  EXPECT_EQ(keepInside(QRect(200, 900, 640, 400), kSmall), QRect(200, 200, 640, 400));
  EXPECT_EQ(keepInside(QRect(900, 500, 640, 400), kSmall), QRect(384, 200, 640, 400));
  // Under the panel.
  EXPECT_EQ(keepInside(QRect(10, 0, 640, 400), kSmall), QRect(10, 32, 640, 400));
}

TEST(KeepInside, NegativePlacesAndSizes) {
  EXPECT_EQ(keepInside(QRect(-50, -30, 640, 400), kSmall), QRect(0, 32, 640, 400));
  EXPECT_EQ(keepInside(QRect(-5000, -5000, 2000, 2000), kSmall), kSmall);
  // A room that starts left of and above the origin (a screen placed there).
  const QRect leftScreen(-1280, -200, 1280, 1024);
  EXPECT_EQ(keepInside(QRect(-100, 700, 640, 400), leftScreen), QRect(-640, 424, 640, 400));
  // A size that makes no sense still gives a window that can be seen.
  const QRect shown = keepInside(QRect(100, 100, -20, 0), kSmall);
  EXPECT_TRUE(inside(shown, kSmall));
  EXPECT_FALSE(shown.isEmpty());
}

TEST(KeepInside, NoScreenKnownLeavesThePlace) {
  EXPECT_EQ(keepInside(QRect(-50, 3000, 640, 400), QRect()), QRect(-50, 3000, 640, 400));
}

TEST(ResultCascadeOnScreen, ALargeScreenKeepsTheUsualCascade) {
  const QRect large(0, 0, 1920, 1200);
  const QSize frame(700, 500);
  for (int n : {0, 1, 19, 20, 21, 39, 40, 57}) {
    EXPECT_EQ(resultWindowPosition(n, frame, large), resultWindowPosition(n)) << n;
  }
}

TEST(ResultCascadeOnScreen, WrapsBeforeAWindowWouldLeaveASmallScreen) {
  // 80 + 20k + 420 <= 600: tops 80..180, six places; 80 + 20k + 600 <= 1024:
  // lefts 80..420, eighteen places.
  const QSize frame(600, 420);
  const QRect screen(0, 0, 1024, 600);
  EXPECT_EQ(resultWindowPosition(0, frame, screen), QPoint(80, 80));
  EXPECT_EQ(resultWindowPosition(5, frame, screen), QPoint(180, 180));
  EXPECT_EQ(resultWindowPosition(6, frame, screen), QPoint(200, 80));  // the top goes back
  EXPECT_EQ(resultWindowPosition(17, frame, screen), QPoint(420, 180));
  EXPECT_EQ(resultWindowPosition(18, frame, screen), QPoint(80, 80));  // and the left
  for (int n = 0; n < 200; ++n) {
    EXPECT_TRUE(inside(QRect(resultWindowPosition(n, frame, screen), frame), screen)) << n;
  }
}

TEST(ResultCascadeOnScreen, TakingPositionsStepsThroughTheWrappedCascade) {
  AppState state;
  const QSize frame(600, 420);
  const QRect screen(0, 0, 1024, 600);
  QList<QPoint> taken;
  for (int i = 0; i < 8; ++i) taken.append(takeResultWindowPosition(state, frame, screen));
  EXPECT_EQ(state.resultWindowCount, 8);
  EXPECT_EQ(taken[0], QPoint(80, 80));
  EXPECT_EQ(taken[1], QPoint(100, 100));
  EXPECT_EQ(taken[5], QPoint(180, 180));
  EXPECT_EQ(taken[6], QPoint(200, 80));
  EXPECT_EQ(taken[7], QPoint(220, 100));
}

TEST(ResultCascadeOnScreen, AWindowTooLargeForTheCascadeStillFits) {
  // Taller than the room below the first place: every window at the top
  // that keeps it whole, still stepping to the right.
  const QSize frame(600, 560);
  const QRect screen(0, 0, 1024, 600);
  EXPECT_EQ(resultWindowPosition(0, frame, screen), QPoint(80, 40));
  EXPECT_EQ(resultWindowPosition(3, frame, screen), QPoint(140, 40));
  // A room that starts below the first place (a screen below another one).
  const QRect lower(0, 768, 1024, 600);
  EXPECT_EQ(resultWindowPosition(0, QSize(400, 300), lower), QPoint(80, 768));
  EXPECT_EQ(resultWindowPosition(1, QSize(400, 300), lower), QPoint(100, 788));
  EXPECT_EQ(resultWindowPosition(-3, QSize(400, 300), lower), QPoint(80, 768));
}

TEST(ResultWindowSize, ShrinksOnlyWhereTheCascadeWouldHaveNoRoom) {
  const QSize designed(788, 556);
  const QSize minimum(488, 356);
  // A large screen: as designed.
  EXPECT_EQ(resultWindowFrameSize(designed, minimum, QRect(0, 0, 1920, 1080)), designed);
  // 1024x600: below the first place at 80 stay four steps of 20.
  EXPECT_EQ(resultWindowFrameSize(designed, minimum, QRect(0, 0, 1024, 600)), QSize(788, 440));
  // Too small for that: the minimum, as long as the screen holds it.
  EXPECT_EQ(resultWindowFrameSize(designed, minimum, QRect(0, 0, 640, 480)), minimum);
  EXPECT_EQ(resultWindowFrameSize(designed, minimum, QRect(0, 0, 400, 300)), QSize(400, 300));
  EXPECT_EQ(resultWindowFrameSize(designed, minimum, QRect()), designed);
}
