// The window's rules that need no window: where controls go, the status
// texts and the command line.
#include <QTest>

#include "app/command_ids.h"
#include "app/command_line.h"
#include "app/status_text.h"
#include "app/time_text.h"
#include "app/window_layout.h"

namespace tavrix {
namespace {

const window_layout::Row& RowOf(int id) {
  for (const auto& row : window_layout::Rows()) {
    if (row.id == id) return row;
  }
  qFatal("no layout row for %d", id);
}

}  // namespace

class WindowRulesTest : public QObject {
  Q_OBJECT

 private slots:
  void PlacesControlsByAnchor_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QRect>("rect");
    const QSize button(29, 26);
    // At the starting size of 645 x 548.
    QTest::newRow("icon stays top left") << command::kIconButton << QSize(645, 548) << 1 << true << QRect(5, 5, 29, 26);
    QTest::newRow("close follows the right edge")
        << command::kCloseButton << QSize(645, 548) << 1 << true << QRect(619, 2, 29, 26);
    QTest::newRow("play follows the bottom") << command::kPlay << QSize(645, 548) << 1 << true << QRect(204, 510, 29, 26);
    QTest::newRow("mute follows the corner") << command::kMute << QSize(645, 548) << 1 << true << QRect(537, 510, 29, 26);
    QTest::newRow("status line spans the width")
        << control::kStatusLine << QSize(645, 548) << 1 << true << QRect(13, 474, 529, 17);
    QTest::newRow("position slider spans the width")
        << control::kPositionSlider << QSize(645, 548) << 1 << true << QRect(13, 496, 619, 26);
    // The volume group hides when the window gets narrow, earlier in client mode.
    QTest::newRow("volume hidden at 517") << control::kVolumeSlider << QSize(517, 548) << 1 << false << QRect();
    QTest::newRow("volume shown at 518")
        << control::kVolumeSlider << QSize(518, 548) << 1 << true << QRect(442, 517, 29, 26);
    QTest::newRow("volume shown at 635") << command::kMute << QSize(635, 548) << 1 << true << QRect(527, 510, 29, 26);
    QTest::newRow("client volume hidden at 635") << command::kMute << QSize(635, 548) << 2 << false << QRect();
    QTest::newRow("client volume shown at 636") << command::kMute << QSize(636, 548) << 2 << true << QRect(528, 510, 29, 26);
    // Mode masks: a player row hides in client mode and the other way round;
    // Split 9 and Split 16 never show.
    QTest::newRow("player row hidden for the client") << command::kPlay << QSize(645, 548) << 2 << false << QRect();
    QTest::newRow("client row hidden for the player") << command::kConnect << QSize(645, 548) << 1 << false << QRect();
    QTest::newRow("client row") << command::kDvrSelect << QSize(645, 548) << 2 << true << QRect(499, 510, 29, 26);
    QTest::newRow("split 9 never") << command::kSplit9 << QSize(645, 548) << 1 << false << QRect();
    QTest::newRow("split 16 never") << command::kSplit16 << QSize(645, 548) << 1 << false << QRect();
  }
  void PlacesControlsByAnchor() {
    QFETCH(int, id);
    QFETCH(QSize, window);
    QFETCH(int, mode);
    QFETCH(bool, shown);
    QFETCH(QRect, rect);
    const auto placement =
        window_layout::Place(RowOf(id), window, static_cast<EngineMode>(mode), QSize(29, 26));
    QCOMPARE(placement.shown, shown);
    if (shown) QCOMPARE(placement.rect, rect);
  }

  void EveryControlHasOneRow() {
    QList<int> ids;
    for (const auto& row : window_layout::Rows()) {
      QVERIFY2(!ids.contains(row.id), qPrintable(QString::number(row.id)));
      ids.append(row.id);
    }
    QCOMPARE(ids.size(), 40);
  }

  void SizesTheWindowAroundTheVideo() {
    QCOMPARE(window_layout::WindowForVideo(QSize(640, 448)), QSize(645, 548));
    QCOMPARE(window_layout::WindowForVideo(QSize(640, 544)), QSize(645, 644));
    QCOMPARE(window_layout::VideoRect(QSize(645, 548)), QRect(2, 25, 640, 448));
    QCOMPARE(window_layout::ClampToMinimum(QSize(300, 300)), QSize(578, 486));
    QCOMPARE(window_layout::ClampToMinimum(QSize(577, 900)), QSize(578, 900));
    QCOMPARE(window_layout::ClampToMinimum(QSize(900, 485)), QSize(900, 486));
  }

  void StatusTexts_data() {
    QTest::addColumn<int>("state");
    QTest::addColumn<double>("speed");
    QTest::addColumn<QString>("text");
    QTest::newRow("idle") << 0 << 1.0 << "READY";
    QTest::newRow("forward") << 2 << 1.0 << "Play x 1.0   ";
    QTest::newRow("reverse at 8") << 3 << 8.0 << "Play x 8.0   ";
    QTest::newRow("fast at 32") << 2 << 32.0 << "Play x 32.0   ";
    QTest::newRow("quarter speed") << 2 << 0.25 << "Play x 0.2   ";
    QTest::newRow("step forward") << 4 << 1.0 << "STEPF";
    QTest::newRow("step backward") << 5 << 1.0 << "STEPR";
    QTest::newRow("paused keeps no speed") << 6 << 16.0 << "Pause";
    QTest::newRow("seek") << 7 << 1.0 << "SEARCH";
  }
  void StatusTexts() {
    QFETCH(int, state);
    QFETCH(double, speed);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(StatusText(static_cast<PlaybackState>(state), PlaybackSpeed(speed))), text);
  }

  void TimeTextFallsBackToTheDefaultFormat_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("text");
    QTest::newRow("default") << "%Y/%m/%d %H:%M:%S" << "2009/06/15 14:07:03";
    QTest::newRow("own format") << "%d.%m.%Y %H:%M" << "15.06.2009 14:07";
    QTest::newRow("weekday filled in") << "%a %H:%M" << "Mon 14:07";
    QTest::newRow("empty format") << "" << "2009/06/15 14:07:03";
    QTest::newRow("longer than a time text may be") << QString(200, 'x') << "2009/06/15 14:07:03";
  }
  void TimeTextFallsBackToTheDefaultFormat() {
    QFETCH(QString, format);
    QFETCH(QString, text);
    const CalendarTime time{2009, 6, 0, 15, 14, 7, 3, 0};
    QCOMPARE(QString::fromStdString(TimeText(time, format.toStdString())), text);
  }

  void TimeTextOfNoDateIsEmpty() {
    QCOMPARE(TimeText(CalendarTime{}, "%Y"), std::string());
    QCOMPARE(TimeText(CalendarTime{1899, 12, 0, 31, 0, 0, 0, 0}, "%Y"), std::string());
  }

  void ParsesTheCommandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("port");
    QTest::addColumn<bool>("autoConnect");
    QTest::newRow("nothing") << QStringList{} << "" << "" << "" << false;
    QTest::newRow("a file") << QStringList{"/tmp/a b.vvf"} << "/tmp/a b.vvf" << "" << "" << false;
    // The shell removes the quotes it needs; any left are part of the name.
    QTest::newRow("quotes in the name") << QStringList{"/tmp/\"odd\".vvf"} << "/tmp/\"odd\".vvf" << "" << "" << false;
    QTest::newRow("options are no file")
        << QStringList{"/IP:192.168.1.20", "/PORT:8841"} << "" << "192.168.1.20" << "8841" << true;
    QTest::newRow("file and options in any order")
        << QStringList{"/PORT:9000", "rec.vvf", "/IP:dvr.local", "second.vvf"} << "rec.vvf" << "dvr.local" << "9000"
        << true;
    QTest::newRow("address alone connects nowhere") << QStringList{"/IP:10.0.0.1"} << "" << "10.0.0.1" << "" << false;
    QTest::newRow("empty port") << QStringList{"/IP:10.0.0.1", "/PORT:"} << "" << "10.0.0.1" << "" << false;
  }
  void ParsesTheCommandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, file);
    QFETCH(QString, address);
    QFETCH(QString, port);
    QFETCH(bool, autoConnect);
    std::vector<std::string> words;
    for (const QString& argument : arguments) words.push_back(argument.toStdString());
    const CommandLine line = ParseCommandLine(words);
    QCOMPARE(QString::fromStdString(line.file), file);
    QCOMPARE(QString::fromStdString(line.address), address);
    QCOMPARE(QString::fromStdString(line.portText), port);
    QCOMPARE(line.AutoConnect(), autoConnect);
  }

  void CommandLinePortKeepsToTcpPorts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("port");
    QTest::newRow("plain") << "8841" << 8841;
    QTest::newRow("leading digits") << "9000abc" << 9000;
    QTest::newRow("highest") << "65535" << 65535;
    QTest::newRow("too high is the default, never wrapped") << "70000" << 8841;
    QTest::newRow("far too high") << "99999999999999999999" << 8841;
    QTest::newRow("zero") << "0" << 8841;
    QTest::newRow("no digits") << "port" << 8841;
    QTest::newRow("negative") << "-1" << 8841;
  }
  void CommandLinePortKeepsToTcpPorts() {
    QFETCH(QString, text);
    QFETCH(int, port);
    CommandLine line;
    line.portText = text.toStdString();
    QCOMPARE(static_cast<int>(line.Port(8841)), port);
  }
};

}  // namespace tavrix

QTEST_APPLESS_MAIN(tavrix::WindowRulesTest)
#include "window_rules_test.moc"
