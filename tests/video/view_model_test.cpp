#include "video/view_model.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <tuple>
#include <vector>

namespace tavrix {
namespace {

std::vector<std::uint8_t> FilledPicture(int width, int height, std::uint8_t value) {
  return std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3 / 2, value);
}

CalendarTime Time(int year, int month, int day, int hour, int minute, int second) {
  CalendarTime time;
  time.year = static_cast<std::uint16_t>(year);
  time.month = static_cast<std::uint16_t>(month);
  time.day = static_cast<std::uint16_t>(day);
  time.hour = static_cast<std::uint16_t>(hour);
  time.minute = static_cast<std::uint16_t>(minute);
  time.second = static_cast<std::uint16_t>(second);
  return time;
}

struct TileCase {
  int width, height, channels, split, page, channel;
  TileRect tile;
  bool onPage;
};

TEST(ViewLayout, PlacesChannelsPageByPageOnTheGrid) {
  const TileCase cases[] = {
      {640, 448, 4, 4, 0, 3, {320, 224, 640, 448}, true},
      {641, 449, 4, 4, 0, 0, {0, 0, 321, 225}, true},   // leftover pixel to the first column and row
      {641, 449, 4, 4, 0, 3, {321, 225, 641, 449}, true},
      {640, 448, 9, 9, 0, 3, {0, 150, 214, 299}, true},  // row 1, column 0 of a 3 x 3 grid
      {640, 448, 6, 4, 1, 5, {320, 0, 640, 224}, true},  // second page, position 1
      {640, 448, 6, 4, 1, 1, {320, 0, 640, 224}, false},
      {640, 448, 16, 16, 0, 15, {480, 336, 640, 448}, true},
      {640, 448, 4, 1, 2, 2, {0, 0, 640, 448}, true},
      {640, 448, 4, 1, 2, 1, {0, 0, 640, 448}, false},
  };
  for (const TileCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << " split " << c.split << " page " << c.page
                                      << " channel " << c.channel);
    const ViewLayout layout = ViewLayout::Compute(c.width, c.height, c.channels, c.split, c.page);
    EXPECT_EQ(layout.tiles[c.channel], c.tile);
    EXPECT_EQ(layout.onPage[c.channel], c.onPage);
  }
}

TEST(ViewLayout, TilesCoverTheAreaWithoutGaps) {
  for (int split : {4, 9, 16}) {
    const ViewLayout layout = ViewLayout::Compute(643, 451, 16, split, 0);
    long area = 0;
    for (int channel = 0; channel < split; ++channel) area += long{layout.tiles[channel].width()} * layout.tiles[channel].height();
    EXPECT_EQ(area, 643L * 451L) << "split " << split;
  }
}

TEST(VideoViewModel, SetSplitRefusesSplitsWithoutTilesAndLeavesTheLayout) {
  VideoViewModel view;
  ASSERT_TRUE(view.SetChannelCount(4));
  ASSERT_TRUE(view.SetSplit(4, 0));
  for (int split : {0, -1, 5, 9}) {
    EXPECT_FALSE(view.SetSplit(split, 0)) << split;
    EXPECT_EQ(view.GetSplit(), 4);
    EXPECT_EQ(view.GetPage(), 0);
  }
}

TEST(VideoViewModel, NextPageStepsThroughThePagesAndWraps) {
  VideoViewModel view;
  ASSERT_TRUE(view.SetChannelCount(9));
  ASSERT_TRUE(view.SetSplit(4, -1));  // a changed split starts on the first page
  EXPECT_EQ(view.PageCount(), 3);
  std::vector<int> pages;
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(view.SetSplit(4, -1));
    pages.push_back(view.GetPage());
  }
  EXPECT_EQ(pages, (std::vector<int>{1, 2, 0, 1}));
  EXPECT_TRUE(view.IsOnPage(4));
  EXPECT_FALSE(view.IsOnPage(0));
}

TEST(VideoViewModel, DoubleClickSwitchesBetweenOneChannelAndTheGrid) {
  VideoViewModel view(640, 448);
  MouseReport mouse;
  view.SetMouseReport(&mouse);
  ASSERT_TRUE(view.SetChannelCount(8));
  ASSERT_TRUE(view.SetSplit(4, 1));
  int notices = 0;
  view.SetLayoutChangedHandler([&] { ++notices; });

  const TileRect tile6 = view.TileOf(6);
  view.LeftDoubleClick(tile6.left + 1, tile6.top + 1);
  EXPECT_EQ(view.GetSplit(), 1);
  EXPECT_EQ(view.GetPage(), 6);
  EXPECT_TRUE(view.IsOnPage(6));

  view.LeftDoubleClick(10, 10);
  EXPECT_EQ(view.GetSplit(), 4);
  EXPECT_EQ(view.GetPage(), 1);
  EXPECT_EQ(notices, 2);

  const auto report = mouse.TakePending();
  ASSERT_TRUE(report.has_value());
  EXPECT_EQ(report->buttons, MouseReport::kLeftDouble);
}

TEST(VideoViewModel, DoubleClickOnAnEmptyPositionKeepsTheLayout) {
  VideoViewModel view(640, 448);
  ASSERT_TRUE(view.SetChannelCount(6));
  ASSERT_TRUE(view.SetSplit(4, 1));  // channels 4 and 5; positions 2 and 3 stay empty
  int notices = 0;
  view.SetLayoutChangedHandler([&] { ++notices; });
  view.LeftDoubleClick(600, 400);
  EXPECT_EQ(view.GetSplit(), 4);
  EXPECT_EQ(view.GetPage(), 1);
  EXPECT_EQ(notices, 1);
}

TEST(VideoViewModel, ShowPictureTakesOnlyKnownSizesAndShownChannels) {
  VideoViewModel view;
  ASSERT_TRUE(view.SetChannelCount(4));
  const auto stored = FilledPicture(640, 224, 77);
  ASSERT_TRUE(view.ShowPicture(1, Time(2008, 1, 1, 10, 0, 0), stored.data(), 640, 224));

  struct Case { int channel, width, height; bool accepted; };
  const Case cases[] = {
      {1, 352, 288, false}, {1, 640, 240, false}, {4, 640, 224, false}, {-1, 640, 224, false},
      {2, 320, 112, true},  {2, 320, 136, true},  {3, 640, 272, true},  {0, 320, 224, true},
  };
  const auto other = FilledPicture(640, 288, 9);
  for (const Case& c : cases) {
    EXPECT_EQ(view.ShowPicture(c.channel, CalendarTime{}, other.data(), c.width, c.height), c.accepted)
        << c.channel << " " << c.width << "x" << c.height;
  }
  const VideoViewModel::Picture kept = view.CopyPicture(1);
  EXPECT_EQ(kept.width, 640);
  EXPECT_EQ(kept.height, 224);
  EXPECT_EQ(kept.bytes, stored);
  EXPECT_EQ(view.CopyPicture(3).bytes.size(), 640u * 272 * 3 / 2);
  EXPECT_EQ(view.ShownCount(1), 1u);

  view.OnPicturesCleared();
  for (int channel = 0; channel < 4; ++channel) EXPECT_FALSE(view.HasPicture(channel));
}

// The engine hands pictures over as planes with strides; the view keeps them
// tightly packed, and drops what it cannot show as ShowPicture refuses it.
TEST(VideoViewModel, OnPictureCopiesPlanesRowByRowAcrossTheirStrides) {
  VideoViewModel view;
  ASSERT_TRUE(view.SetChannelCount(4));
  const int width = 320, height = 112, strideY = 400, strideC = 200;
  std::vector<std::uint8_t> y(static_cast<std::size_t>(strideY) * height, 0xEE);
  std::vector<std::uint8_t> cb(static_cast<std::size_t>(strideC) * height / 2, 0xEE);
  std::vector<std::uint8_t> cr(cb.size(), 0xEE);
  std::vector<std::uint8_t> expected;
  for (int row = 0; row < height; ++row) {
    for (int x = 0; x < width; ++x) y[static_cast<std::size_t>(row * strideY + x)] = static_cast<std::uint8_t>(row + x);
  }
  for (int row = 0; row < height / 2; ++row) {
    for (int x = 0; x < width / 2; ++x) {
      cb[static_cast<std::size_t>(row * strideC + x)] = static_cast<std::uint8_t>(3 * row);
      cr[static_cast<std::size_t>(row * strideC + x)] = static_cast<std::uint8_t>(5 * x);
    }
  }
  for (const auto& [plane, stride, w, h] : {std::tuple{&y, strideY, width, height}, std::tuple{&cb, strideC, width / 2, height / 2},
                                           std::tuple{&cr, strideC, width / 2, height / 2}}) {
    for (int row = 0; row < h; ++row) {
      const auto begin = plane->begin() + static_cast<std::ptrdiff_t>(row) * stride;
      expected.insert(expected.end(), begin, begin + w);
    }
  }
  const PictureView picture{y.data(), cb.data(), cr.data(), width, height, strideY, strideC};
  view.OnPicture(2, picture, Time(2008, 1, 1, 10, 0, 0));
  const VideoViewModel::Picture kept = view.CopyPicture(2);
  EXPECT_EQ(kept.width, width);
  EXPECT_EQ(kept.height, height);
  EXPECT_EQ(kept.bytes, expected);
  EXPECT_EQ(kept.time.year, 2008);

  PictureView narrow = picture;
  narrow.strideY = width - 1;  // rows would overlap
  view.OnPicture(1, narrow, CalendarTime{});
  view.OnPicture(4, picture, CalendarTime{});  // no tile for it
  EXPECT_FALSE(view.HasPicture(1));
  EXPECT_EQ(view.ShownCount(2), 1u);
}

TEST(VideoViewModel, ApplyModeLaysOutTheEnginesTilesWithCaptionsInPlayerModeOnly) {
  VideoViewModel view;
  EXPECT_EQ(view.GetMode(), EngineMode::Client);
  ASSERT_TRUE(view.ApplyMode(EngineMode::Player, 9));
  EXPECT_EQ(view.GetChannelCount(), 9);
  EXPECT_TRUE(view.GetPlayerFlag());
  EXPECT_EQ(view.GetMode(), EngineMode::Player);
  ASSERT_TRUE(view.ApplyMode(EngineMode::Client, 1));
  EXPECT_EQ(view.GetChannelCount(), 1);
  EXPECT_FALSE(view.GetPlayerFlag());
  EXPECT_EQ(view.GetMode(), EngineMode::Client);
  EXPECT_FALSE(view.ApplyMode(EngineMode::Player, 17));
  EXPECT_EQ(view.GetChannelCount(), 1);
  EXPECT_EQ(view.GetMode(), EngineMode::Client);
}

TEST(VideoViewModel, ChannelCountStaysWithinTheSixteenPictures) {
  VideoViewModel view;
  EXPECT_TRUE(view.SetChannelCount(16));
  EXPECT_FALSE(view.SetChannelCount(17));
  EXPECT_FALSE(view.SetChannelCount(0));
  EXPECT_EQ(view.GetChannelCount(), 16);
  const auto picture = FilledPicture(640, 272, 1);
  EXPECT_TRUE(view.ShowPicture(15, CalendarTime{}, picture.data(), 640, 272));
  EXPECT_FALSE(view.ShowPicture(16, CalendarTime{}, picture.data(), 640, 272));
}

TEST(VideoViewModel, CaptionAppendsThePictureTimeWithoutABlank) {
  setenv("TZ", "UTC", 1);
  VideoViewModel view;
  ASSERT_TRUE(view.SetChannelCount(4));
  EXPECT_EQ(view.Caption(2), "CH3");  // no picture yet
  const auto picture = FilledPicture(640, 224, 0);
  ASSERT_TRUE(view.ShowPicture(2, Time(2008, 1, 1, 10, 0, 0), picture.data(), 640, 224));
  EXPECT_EQ(view.Caption(2), "CH32008/01/01 10:00:00");
  view.SetTimeFormat("%H:%M");
  EXPECT_EQ(view.Caption(2), "CH310:00");
  view.SetShowTime(false);
  EXPECT_EQ(view.Caption(2), "CH3");
  view.SetShowTime(true);
  ASSERT_TRUE(view.ShowPicture(2, CalendarTime{}, picture.data(), 640, 224));  // year 0: no time
  EXPECT_EQ(view.Caption(2), "CH3");
}

TEST(VideoViewModel, MouseReportFollowsTheButtonRules) {
  VideoViewModel view(640, 448);
  view.LeftButtonDown(1, 1);  // no report to record into yet
  MouseReport mouse;
  view.SetMouseReport(&mouse);
  EXPECT_FALSE(mouse.TakePending());

  view.LeftButtonDown(100, 50);
  view.MouseMove(120, 60, VideoViewModel::kKeyLeftButton | 4);  // left with Shift: buttons kept, position moves
  auto report = mouse.TakePending();
  ASSERT_TRUE(report);
  EXPECT_EQ(report->buttons, MouseReport::kLeft);
  EXPECT_EQ(report->x, 120);
  EXPECT_EQ(report->y, 60);
  EXPECT_EQ(report->viewWidth, 640);
  EXPECT_EQ(report->viewHeight, 448);
  EXPECT_FALSE(mouse.TakePending());  // taken once

  view.MouseMove(640, 10, 0);  // outside the area: ignored
  EXPECT_FALSE(mouse.TakePending());

  view.RightDoubleClick(5, 5);
  view.LeftButtonUp(6, 6);  // a double click is not a press that an up ends
  report = mouse.TakePending();
  ASSERT_TRUE(report);
  EXPECT_EQ(report->buttons, MouseReport::kRightDouble);

  view.MouseMove(7, 7, VideoViewModel::kKeyRightButton);
  view.LeftButtonUp(8, 8);
  report = mouse.TakePending();
  ASSERT_TRUE(report);
  EXPECT_EQ(report->buttons, MouseReport::kNone);
}

TEST(VideoViewModel, ZeroColourBecomesNearBlack) {
  VideoViewModel view;
  view.SetOsdColours(0x80FFFF, 0);
  EXPECT_EQ(view.GetTextColour(), 0x80FFFFu);
  EXPECT_EQ(view.GetOutlineColour(), 0x050505u);
}

}  // namespace
}  // namespace tavrix
