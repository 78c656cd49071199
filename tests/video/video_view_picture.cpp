// Writes a picture of the video view as it shows four generated test
// pictures with their captions: video_view_picture OUT.png [--plain].
#include <QApplication>
#include <QImage>
#include <cstdio>
#include <cstring>
#include <vector>

#include "codec/test_picture.h"
#include "video/video_widget.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: video_view_picture OUT.png [--plain]\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const bool plain = argc > 2 && std::strcmp(argv[2], "--plain") == 0;

  tavrix::VideoWidget view;
  view.resize(1280, 896);
  view.show();
  view.SetUseDirectDraw(!plain);
  view.SetChannelCount(4);
  view.SetSplit(4, 0);
  view.SetPlayerFlag(true);
  view.SetShowTime(true);
  view.SetOsdFont(tavrix::OsdFont{16, 0, 500, false, "Arial"});
  view.SetOsdColours(0x80FFFF, 0);

  constexpr int kWidth = 640, kHeight = 224;
  tavrix::CalendarTime time;
  time.year = 2008;
  time.month = 1;
  time.day = 1;
  time.hour = 10;
  time.minute = 0;
  time.second = 5;
  std::vector<std::uint8_t> picture(kWidth * kHeight * 3 / 2);
  for (int channel = 0; channel < 4; ++channel) {
    tavrix::DrawTestPicture(picture.data(), kWidth, kHeight, channel, 12, 5);
    const std::uint8_t* y = picture.data();
    view.OnPicture(channel,
                   tavrix::PictureView{y, y + kWidth * kHeight, y + kWidth * kHeight * 5 / 4, kWidth, kHeight, kWidth,
                                       kWidth / 2},
                   time);
  }
  // The pictures are drawn by the call they queued.
  QCoreApplication::processEvents();
  const QImage shown = view.grab().toImage();
  if (!shown.save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "video_view_picture: cannot write %s\n", argv[1]);
    return 1;
  }
  std::printf("%s: %s path, %dx%d\n", argv[1], view.IsAccelerated() ? "accelerated" : "plain", shown.width(),
              shown.height());
  return 0;
}
