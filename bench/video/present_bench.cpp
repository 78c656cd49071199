// Presenting one round of four 640 x 224 pictures, each line-doubled into its
// 640 x 448 tile of a 1280 x 896 view, on both presentation paths: what the
// view composes for the window to show (the accelerated path into its back
// buffer, the plain path into a window-sized image like the window's own
// backing store). Beside them, the same pictures through QImage::scaled and
// through libswscale's scale plus convert. Our paths also draw the captions.
#include <benchmark/benchmark.h>

extern "C" {
#include <libswscale/swscale.h>
}

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <array>
#include <vector>

#include "codec/test_picture.h"
#include "picture/colour_conversion.h"
#include "picture/view_layout.h"
#include "video/back_buffer_presenter.h"
#include "video/caption_stamp.h"
#include "video/plain_presenter.h"

namespace {

constexpr int kWidth = 640, kHeight = 224, kViewWidth = 1280, kViewHeight = 896, kChannels = 4;

// Fonts need an application; the offscreen platform needs no display.
void EnsureApplication() {
  static QGuiApplication* application = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "present_bench";
    static char* argv[] = {name, nullptr};
    return new QGuiApplication(argc, argv);
  }();
  benchmark::DoNotOptimize(application);
}

const std::vector<std::vector<std::uint8_t>>& Pictures() {
  static const std::vector<std::vector<std::uint8_t>> pictures = [] {
    std::vector<std::vector<std::uint8_t>> made;
    for (int channel = 0; channel < kChannels; ++channel) {
      made.emplace_back(static_cast<std::size_t>(kWidth * kHeight * 3 / 2));
      tavrix::DrawTestPicture(made.back().data(), kWidth, kHeight, channel, 7, 65);
    }
    return made;
  }();
  return pictures;
}

const tavrix::ViewLayout& Layout() {
  static const tavrix::ViewLayout layout = tavrix::ViewLayout::Compute(kViewWidth, kViewHeight, kChannels, 4, 0);
  return layout;
}

const char* Caption(int channel) {
  static const char* captions[kChannels] = {"CH12008/01/01 10:00:00", "CH22008/01/01 10:00:00",
                                           "CH32008/01/01 10:00:00", "CH42008/01/01 10:00:00"};
  return captions[channel];
}

void CountRounds(benchmark::State& state) {
  state.counters["rounds"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_PresentAccelerated(benchmark::State& state) {
  EnsureApplication();
  tavrix::BackBufferPresenter presenter;
  std::string error;
  if (!presenter.Setup(static_cast<int>(state.range(0)), QSize(kViewWidth, kViewHeight), error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  std::array<tavrix::CaptionStamp, kChannels> captions;
  const tavrix::OsdFont font;
  for (auto _ : state) {
    for (int channel = 0; channel < kChannels; ++channel) {
      const tavrix::TileRect& tile = Layout().tiles[channel];
      presenter.Convert(Pictures()[channel].data(), kWidth, kHeight, error);
      presenter.StretchInto(tile);
      QPainter painter(&presenter.backBuffer());
      captions[channel].Draw(painter, tile.left + 4, tile.top + 2, Caption(channel), font, 0x80FFFF, 0x050505);
    }
    benchmark::DoNotOptimize(presenter.backBuffer().constBits());
  }
  CountRounds(state);
}
BENCHMARK(BM_PresentAccelerated)->ArgName("depth")->Arg(32)->Arg(16)->MeasureProcessCPUTime();

void BM_PresentPlain(benchmark::State& state) {
  EnsureApplication();
  tavrix::PlainPresenter presenter;
  QImage window(kViewWidth, kViewHeight, QImage::Format_RGB32);
  std::array<tavrix::CaptionStamp, kChannels> captions;
  const tavrix::OsdFont font;
  for (auto _ : state) {
    QPainter painter(&window);
    for (int channel = 0; channel < kChannels; ++channel) {
      const tavrix::TileRect& tile = Layout().tiles[channel];
      presenter.Convert(Pictures()[channel].data(), kWidth, kHeight);
      presenter.Draw(painter, tile);
      captions[channel].Draw(painter, tile.left + 4, tile.top + 2, Caption(channel), font, 0x80FFFF, 0x050505);
    }
    painter.end();
    benchmark::DoNotOptimize(window.constBits());
  }
  CountRounds(state);
}
BENCHMARK(BM_PresentPlain)->MeasureProcessCPUTime();

// Our conversion, then a new scaled image per picture drawn into the tile.
void BM_QImageScaled(benchmark::State& state) {
  EnsureApplication();
  QImage converted(kWidth, kHeight, QImage::Format_RGB32);
  QImage backBuffer(kViewWidth, kViewHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter painter(&backBuffer);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (int channel = 0; channel < kChannels; ++channel) {
      const tavrix::TileRect& tile = Layout().tiles[channel];
      tavrix::YuvToXrgb32(converted.bits(), Pictures()[channel].data(), kWidth, kHeight);
      const QImage scaled = converted.scaled(tile.width(), tile.height(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
      painter.drawImage(tile.left, tile.top, scaled);
    }
    painter.end();
    benchmark::DoNotOptimize(backBuffer.constBits());
  }
  CountRounds(state);
}
BENCHMARK(BM_QImageScaled)->MeasureProcessCPUTime();

// libswscale scales and converts each picture straight into its tile.
void BM_SwscaleScaleConvert(benchmark::State& state) {
  const int flags = static_cast<int>(state.range(0));
  QImage backBuffer(kViewWidth, kViewHeight, QImage::Format_RGB32);
  const tavrix::TileRect& first = Layout().tiles[0];
  SwsContext* context = sws_getContext(kWidth, kHeight, AV_PIX_FMT_YUV420P, first.width(), first.height(),
                                       AV_PIX_FMT_BGRA, flags, nullptr, nullptr, nullptr);
  if (context == nullptr) {
    state.SkipWithError("swscale context failed");
    return;
  }
  const int strides[3] = {kWidth, kWidth / 2, kWidth / 2};
  const int outStride[1] = {static_cast<int>(backBuffer.bytesPerLine())};
  for (auto _ : state) {
    for (int channel = 0; channel < kChannels; ++channel) {
      const tavrix::TileRect& tile = Layout().tiles[channel];
      const std::uint8_t* picture = Pictures()[channel].data();
      const std::uint8_t* planes[3] = {picture, picture + kWidth * kHeight, picture + kWidth * kHeight * 5 / 4};
      std::uint8_t* out[1] = {backBuffer.bits() + tile.top * backBuffer.bytesPerLine() + tile.left * 4};
      sws_scale(context, planes, strides, 0, kHeight, out, outStride);
    }
    benchmark::DoNotOptimize(backBuffer.constBits());
  }
  sws_freeContext(context);
  CountRounds(state);
}
BENCHMARK(BM_SwscaleScaleConvert)->ArgName("flags")->Arg(SWS_POINT)->Arg(SWS_FAST_BILINEAR)->MeasureProcessCPUTime();

}  // namespace
