#include "htmlui/placement.h"

#include <gtest/gtest.h>

using namespace stubframework::htmlui;

TEST(Placement, ScalesByDpi) {
  EXPECT_EQ(ScaleForDpi(655, 144), 982);
  EXPECT_EQ(ScaleForDpi(513, 144), 769);
  EXPECT_EQ(ScaleForDpi(400, 96), 400);
  EXPECT_EQ(ScaleForDpi(655, 120), 818);  // truncated
}

TEST(Placement, CentredAndKeptInsideTheWorkArea) {
  const Rect work{0, 0, 1280, 984};
  struct Case {
    long w, h;
    Rect reference, work, want;
  } cases[] = {
      {655, 513, work, work, {312, 235, 967, 748}},
      // A second monitor to the right: centred there.
      {400, 200, {1280, 0, 2560, 1024}, {1280, 0, 2560, 1024}, {1720, 412, 2120, 612}},
      // Larger than the work area: its top-left corner.
      {2000, 1500, work, work, {0, 0, 2000, 1500}},
      // Centred on an owner near the edge, then pushed inside.
      {400, 200, {1100, 900, 1300, 1000}, work, {880, 784, 1280, 984}},
      // Negative coordinates (a monitor left of the primary) truncate toward zero.
      {401, 201, {-1280, -1, 0, 1023}, {-1280, -1, 0, 1023}, {-840, 410, -439, 611}},
  };
  for (const auto& c : cases) {
    Rect got = PlaceWithin(c.w, c.h, c.reference, c.work);
    EXPECT_EQ(got, c.want) << got.left << "," << got.top << "," << got.right << "," << got.bottom;
  }
}
