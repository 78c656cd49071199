#include "export/export_composer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "picture/caption_font.h"

namespace tavrix {
namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 448;

// A grey picture whose luminance comes from lumaAt(x, y); chroma neutral, so
// every pixel converts to B = G = R = luminance (at least 1).
template <typename Luma>
DecodedPicture GreyPicture(std::uint32_t width, std::uint32_t height, Luma lumaAt) {
  DecodedPicture picture;
  picture.SetSize(width, height);
  picture.Clear();
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) picture.data()[y * width + x] = lumaAt(x, y);
  }
  return picture;
}

DecodedPicture FlatPicture(std::uint8_t luma) {
  return GreyPicture(640, 224, [luma](std::uint32_t, std::uint32_t) { return luma; });
}

std::uint8_t Converted(int luma) { return static_cast<std::uint8_t>(std::max(luma, 1)); }

// Collects the frames a composer writes.
struct FrameLog {
  std::vector<std::vector<std::uint8_t>> frames;
  ExportComposer::FrameWriter Writer() {
    return [this](const std::uint8_t* frame) { frames.emplace_back(frame, frame + std::size_t{kWidth} * kHeight * 3); };
  }
};

// Blue byte of the pixel at (x, y) counted from the top of a bottom-up frame.
std::uint8_t BlueAt(const std::vector<std::uint8_t>& frame, int x, int y) {
  return frame[(static_cast<std::size_t>(kHeight - 1 - y) * kWidth + x) * 3];
}

const CalendarTime kNoTime{};

TEST(ExportComposer, FrameIsWrittenWhenAChannelArrivesAgain) {
  FrameLog log;
  ExportComposer composer(kWidth, kHeight, 4, 4, 0, log.Writer());
  const DecodedPicture pictures[] = {FlatPicture(40), FlatPicture(80), FlatPicture(120), FlatPicture(160)};
  for (int channel = 0; channel < 4; ++channel) {
    ASSERT_TRUE(composer.Add(channel, kNoTime, pictures[channel]));
    EXPECT_TRUE(log.frames.empty());
  }
  ASSERT_TRUE(composer.Add(0, kNoTime, FlatPicture(200)));
  ASSERT_EQ(log.frames.size(), 1u);
  // The first frame holds the first round, one channel per quarter.
  const auto& first = log.frames[0];
  EXPECT_EQ(BlueAt(first, 100, 150), 40);
  EXPECT_EQ(BlueAt(first, 500, 150), 80);
  EXPECT_EQ(BlueAt(first, 100, 400), 120);
  EXPECT_EQ(BlueAt(first, 500, 400), 160);

  // The round in progress is written by Flush, with the newer picture of
  // channel 0 and the others as they were.
  composer.Flush();
  ASSERT_EQ(log.frames.size(), 2u);
  EXPECT_EQ(BlueAt(log.frames[1], 100, 150), 200);
  EXPECT_EQ(BlueAt(log.frames[1], 500, 400), 160);
  composer.Flush();
  EXPECT_EQ(log.frames.size(), 2u) << "nothing arrived since the last frame";
  EXPECT_EQ(composer.framesWritten(), 2);
}

TEST(ExportComposer, SingleChannelIsLineDoubledWithAveragedLines) {
  FrameLog log;
  ExportComposer composer(kWidth, kHeight, 4, 1, 2, log.Writer());
  // Rows alternate between two greys, so the interpolated rows differ from both.
  const DecodedPicture picture =
      GreyPicture(640, 224, [](std::uint32_t x, std::uint32_t y) -> std::uint8_t { return y % 2 ? 200 : 20 + x % 2; });
  ASSERT_TRUE(composer.Add(2, kNoTime, picture));
  composer.Flush();
  ASSERT_EQ(log.frames.size(), 1u);
  const auto& frame = log.frames[0];
  const int x = 600;  // right of the caption, even column
  for (int y = 40; y < kHeight - 1; y += 37) {
    const int sourceRow = y / 2;
    const int upper = sourceRow % 2 ? 200 : 20;
    const int lower = (sourceRow + 1) % 2 ? 200 : 20;
    const int expected = y % 2 ? (upper + lower) / 2 : upper;
    EXPECT_EQ(BlueAt(frame, x, y), expected) << "frame row " << y;
  }
  // The last line repeats the last picture row; no line stays black.
  EXPECT_EQ(BlueAt(frame, x, kHeight - 1), 200);
  EXPECT_EQ(BlueAt(frame, x, kHeight - 2), 200);
}

TEST(ExportComposer, HalfWidthTilesAverageNeighbouringColumns) {
  FrameLog log;
  ExportComposer composer(kWidth, kHeight, 4, 4, 0, log.Writer());
  const DecodedPicture picture =
      GreyPicture(640, 224, [](std::uint32_t x, std::uint32_t) -> std::uint8_t { return x % 2 ? 180 : 60; });
  ASSERT_TRUE(composer.Add(3, kNoTime, picture));
  composer.Flush();
  ASSERT_EQ(log.frames.size(), 1u);
  EXPECT_EQ(BlueAt(log.frames[0], 320 + 250, 224 + 100), (60 + 180) / 2);
  EXPECT_EQ(BlueAt(log.frames[0], 250, 100), 0) << "tiles without a picture stay black";
}

TEST(ExportComposer, CaptionCarriesChannelAndTimeInTheViewColours) {
  FrameLog log;
  ExportComposer composer(kWidth, kHeight, 4, 4, 0, log.Writer());
  CalendarTime time;
  time.year = 2008;
  time.month = 1;
  time.day = 1;
  time.hour = 10;
  ASSERT_TRUE(composer.Add(1, time, FlatPicture(128)));
  composer.Flush();
  ASSERT_EQ(log.frames.size(), 1u);
  const auto& frame = log.frames[0];
  const TileRect& tile = composer.layout().tiles[1];
  const int left = tile.left + 4;
  const int top = tile.top + 2;
  auto pixel = [&](int x, int y) {
    const std::uint8_t* p = &frame[(static_cast<std::size_t>(kHeight - 1 - y) * kWidth + x) * 3];
    return std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2];
  };
  // "CH2" then "2008/01/01 10:00:00": every dot of the glyphs is drawn in the
  // text colour, and the pixel left of a glyph's left edge in the outline.
  const std::string caption = "CH22008/01/01 10:00:00";
  int dots = 0;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    for (int row = 0; row < 7; ++row) {
      for (int column = 0; column < 5; ++column) {
        if (!CaptionFont::Dot(caption[i], column, row)) continue;
        ++dots;
        const int x = left + static_cast<int>(i) * CaptionFont::kAdvance + column * CaptionFont::kScale;
        const int y = top + row * CaptionFont::kScale;
        ASSERT_EQ(pixel(x, y), CaptionFont::kTextColour) << caption[i] << " " << column << "," << row;
        if (column == 0) {
          ASSERT_EQ(pixel(x - 1, y), CaptionFont::kOutlineColour);
        }
      }
    }
  }
  EXPECT_GT(dots, 100);
  EXPECT_EQ(pixel(left + 2, top + CaptionFont::kHeight + 2), 0x808080u) << "the picture shows below the caption";
  EXPECT_EQ(pixel(4 + 2, 2 + 2), 0u) << "no caption in a tile that received no picture";
}

// The captions follow the view: with or without the time, in its format.
TEST(ExportComposer, CaptionTimeFollowsTheSettings) {
  CalendarTime time;
  time.year = 2008;
  time.month = 1;
  time.day = 1;
  time.hour = 10;
  const struct {
    bool showTime;
    const char* format;
    std::string caption;
  } cases[] = {
      {true, "", "CH22008/01/01 10:00:00"},  // empty: the default format
      {true, "%H:%M", "CH210:00"},
      {false, "%H:%M", "CH2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.caption);
    FrameLog log;
    ExportComposer composer(kWidth, kHeight, 4, 4, 0, log.Writer());
    composer.SetCaptionTime(c.showTime, c.format);
    ASSERT_TRUE(composer.Add(1, time, FlatPicture(128)));
    composer.Flush();
    ASSERT_EQ(log.frames.size(), 1u);
    const TileRect& tile = composer.layout().tiles[1];
    const auto textAt = [&](int x, int y) {
      const std::uint8_t* p = &log.frames[0][(static_cast<std::size_t>(kHeight - 1 - y) * kWidth + x) * 3];
      return (std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2]) == CaptionFont::kTextColour;
    };
    // Each glyph of the caption is drawn, and nothing in the cell after it.
    for (std::size_t i = 0; i <= c.caption.size(); ++i) {
      int dots = 0, drawn = 0;
      for (int row = 0; row < 7; ++row) {
        for (int column = 0; column < 5; ++column) {
          const int x = tile.left + 4 + static_cast<int>(i) * CaptionFont::kAdvance + column * CaptionFont::kScale;
          const int y = tile.top + 2 + row * CaptionFont::kScale;
          const bool dot = i < c.caption.size() && CaptionFont::Dot(c.caption[i], column, row);
          dots += dot ? 1 : 0;
          drawn += textAt(x, y) ? 1 : 0;
          if (dot) {
            EXPECT_TRUE(textAt(x, y)) << "glyph " << i;
          }
        }
      }
      if (i == c.caption.size()) {
        EXPECT_EQ(drawn, 0) << "the caption ends there";
      } else {
        EXPECT_EQ(drawn, dots) << "glyph " << i;
      }
    }
  }
}

TEST(ExportComposer, RefusesChannelsOffThePageAndUnknownSizes) {
  FrameLog log;
  ExportComposer composer(kWidth, kHeight, 4, 1, 2, log.Writer());
  EXPECT_FALSE(composer.Add(0, kNoTime, FlatPicture(50)));
  EXPECT_FALSE(composer.Add(-1, kNoTime, FlatPicture(50)));
  EXPECT_FALSE(composer.Add(7, kNoTime, FlatPicture(50)));
  EXPECT_FALSE(composer.Add(2, kNoTime, GreyPicture(352, 288, [](std::uint32_t, std::uint32_t) { return 50; })));
  composer.Flush();
  EXPECT_TRUE(log.frames.empty());
  // A PAL field fills the tile too, stretched to its height.
  ASSERT_TRUE(composer.Add(2, kNoTime, GreyPicture(640, 272, [](std::uint32_t, std::uint32_t) { return 90; })));
  composer.Flush();
  ASSERT_EQ(log.frames.size(), 1u);
  EXPECT_EQ(BlueAt(log.frames[0], 600, kHeight - 1), Converted(90));
}

TEST(CaptionFont, TextAtTheEdgesIsClippedToTheCanvas) {
  std::vector<std::uint8_t> pixels(40 * 20 * 3, 7);
  const Bgr24Canvas canvas{pixels.data(), 40, 20};
  CaptionFont::Draw(canvas, -7, -5, "CH1");
  CaptionFont::Draw(canvas, 30, 15, "88:88");
  const auto text = std::count(pixels.begin(), pixels.end(), std::uint8_t{0x80});
  EXPECT_GT(text, 0);
  EXPECT_EQ(pixels.size(), 40u * 20 * 3);
}

}  // namespace
}  // namespace tavrix
