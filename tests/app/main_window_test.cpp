// The viewer window on Qt's off-screen platform, with the real engine
// playing recordings made by `tavrix make-sample`.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>

#include "app/about_box.h"
#include "app/disk_chooser.h"
#include "app/command_ids.h"
#include "app/main_dialog.h"
#include "app/window_events.h"
#include "tests/app/viewer_fixture.h"
#include "ui/bitmap_slider.h"
#include "ui/skin_button.h"
#include "ui/status_line.h"
#include "ui/transparent_label.h"
#include "video/video_widget.h"

namespace tavrix {

using testing::MakeSample;
using testing::ProfileIn;
using testing::ShowViewer;

namespace {

constexpr int kEngineWaitMs = 10'000;

void Drop(QWidget* window, const QString& path) {
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(path)});
  const QPoint at(300, 200);
  QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window, &enter);
  QVERIFY(enter.isAccepted());
  QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window, &drop);
}

QString Title(MainDialog& window) { return static_cast<TransparentLabel*>(window.control(control::kTitle))->text(); }

bool Enabled(MainDialog& window, int command) { return window.actions().action(command)->isEnabled(); }
bool Ticked(MainDialog& window, int command) { return window.actions().action(command)->isChecked(); }

QStringList ProfileLines(const QTemporaryDir& folder) {
  QFile file(ProfileIn(folder));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

QList<QMessageBox*> MessageBoxes(MainDialog& window) { return window.findChildren<QMessageBox*>(); }

// Fast forward doubles the speed only once the engine plays forward, so
// each press waits for the one before it to be taken.
void FastForwardTo32(MainDialog& window) {
  for (double speed : {8.0, 16.0, 32.0}) {
    window.RunCommand(command::kFastForward);
    QTRY_COMPARE_WITH_TIMEOUT(window.engine().GetSpeed(), PlaybackSpeed(speed), kEngineWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(window.engine().GetState(), PlaybackState::Forward, kEngineWaitMs);
  }
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(samples_.isValid());
    // Long enough that nothing reaches its end while a test looks.
    sample_ = MakeSample(samples_.filePath("sample.VVF"), 30);
    QVERIFY(!sample_.isEmpty());
  }

  void StartsAtItsSizeInTheMiddleOfTheScreen() {
    QTemporaryDir folder;
    auto window = ShowViewer(folder);
    QCOMPARE(window->size(), QSize(645, 548));
    QCOMPARE(window->view().geometry(), QRect(2, 25, 640, 448));
    const QPoint middle = window->screen()->availableGeometry().center();
    QVERIFY2((window->geometry().center() - middle).manhattanLength() <= 2,
             qPrintable(QString("window centre %1,%2").arg(window->geometry().center().x()).arg(window->geometry().center().y())));
    QCOMPARE(window->control(control::kStatusLine)->geometry(), QRect(13, 474, 529, 17));
    QCOMPARE(window->control(control::kPositionSlider)->geometry().topLeft(), QPoint(13, 496));
    QCOMPARE(window->control(control::kPositionSlider)->width(), 619);
    QCOMPARE(window->control(command::kPlay)->pos(), QPoint(204, 510));
    QCOMPARE(window->control(command::kCloseButton)->pos(), QPoint(619, 2));
    QCOMPARE(window->windowTitle(), QString("Tavrix Viewer"));
    QCOMPARE(Title(*window), QString("Tavrix Viewer 2.81"));
    QVERIFY(window->windowFlags().testFlag(Qt::FramelessWindowHint));
  }

  void CornerDragKeepsTheSmallestSize() {
    QTemporaryDir folder;
    auto window = ShowViewer(folder);
    QTest::mousePress(window.get(), Qt::LeftButton, {}, QPoint(640, 543));
    QTest::mouseMove(window.get(), QPoint(700, 600));
    QTRY_COMPARE(window->size(), QSize(705, 605));
    QTest::mouseMove(window.get(), QPoint(295, 295));
    QTRY_COMPARE(window->size(), QSize(578, 486));
    QTest::mouseRelease(window.get(), Qt::LeftButton, {}, QPoint(295, 295));
    // The layout followed the drag: the view fills what the frame leaves.
    QCOMPARE(window->view().geometry(), QRect(2, 25, 573, 386));
    QCOMPARE(window->control(command::kCloseButton)->pos(), QPoint(552, 2));
    // A press away from the corner starts no resize.
    QTest::mousePress(window.get(), Qt::LeftButton, {}, QPoint(450, 12));
    QTest::mouseMove(window.get(), QPoint(460, 20));
    QTest::mouseRelease(window.get(), Qt::LeftButton, {}, QPoint(460, 20));
    QCOMPARE(window->size(), QSize(578, 486));
  }

  void VolumeGroupHidesWhenTheWindowIsNarrow() {
    QTemporaryDir folder;
    auto window = ShowViewer(folder);
    QWidget* volume = window->control(control::kVolumeSlider);
    QWidget* mute = window->control(command::kMute);
    window->resize(517, 548);
    QTRY_VERIFY(!volume->isVisible());
    QVERIFY(!mute->isVisible());
    QVERIFY(window->control(command::kPlay)->isVisible());
    window->resize(635, 548);
    QTRY_VERIFY(volume->isVisible());
    QVERIFY(mute->isVisible());
    QCOMPARE(mute->pos(), QPoint(527, 510));
    QCOMPARE(volume->pos(), QPoint(559, 517));
  }

  void VideoAreaAndPlacementCommands() {
    QTemporaryDir folder;
    auto window = ShowViewer(folder);
    QTRY_VERIFY(Ticked(*window, command::kVideo640x448));
    window->RunCommand(command::kVideo640x544);
    QCOMPARE(window->size(), QSize(645, 644));
    QCOMPARE(window->view().size(), QSize(640, 544));
    QTRY_VERIFY(Ticked(*window, command::kVideo640x544));
    QVERIFY(!Ticked(*window, command::kVideo640x448));
    window->RunCommand(command::kVideo640x448);
    QCOMPARE(window->size(), QSize(645, 548));

    QVERIFY(Ticked(*window, command::kNormal));
    QTest::mouseDClick(window.get(), Qt::LeftButton, {}, QPoint(450, 12));
    QTRY_COMPARE(window->size(), window->screen()->availableGeometry().size());
    QTRY_VERIFY(Ticked(*window, command::kMaximize));
    QVERIFY(!Ticked(*window, command::kNormal));
    // The controls follow at the next tick.
    QTRY_COMPARE(window->view().size(), window->size() - QSize(5, 100));
    QTest::mouseDClick(window.get(), Qt::LeftButton, {}, QPoint(450, 12));
    QTRY_COMPARE(window->size(), QSize(645, 548));
    QTRY_VERIFY(Ticked(*window, command::kNormal));

    QVERIFY(!Ticked(*window, command::kAlwaysOnTop));
    window->RunCommand(command::kAlwaysOnTop);
    QVERIFY(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QTRY_VERIFY(Ticked(*window, command::kAlwaysOnTop));
    QVERIFY(window->isVisible());
  }

  void PopupTicksAndEnablesFollowPlayback() {
    QTemporaryDir folder;
    auto window = ShowViewer(folder);
    // Nothing plays: the playback commands and their buttons are off.
    const int playback[] = {command::kPlay,      command::kPlayReverse, command::kPause,        command::kFastForward,
                            command::kFastRewind, command::kNextFrame,   command::kPreviousFrame};
    for (int id : playback) {
      QTRY_VERIFY2(!Enabled(*window, id), qPrintable(QString::number(id)));
      QVERIFY(!window->control(id)->isEnabled());
    }
    QVERIFY(!Enabled(*window, command::kClose));
    QVERIFY(Ticked(*window, command::kPlayerMode));
    QVERIFY(Ticked(*window, command::kShowTime));
    QVERIFY(!Ticked(*window, command::kRepeat));

    // The popup opens on the right button, with its rules evaluated.
    QMenu* popup = window->actions().playerMenu();
    QTest::mousePress(window.get(), Qt::RightButton, {}, QPoint(300, 200));
    QTRY_VERIFY(popup->isVisible());
    popup->close();

    Drop(window.get(), sample_);
    for (int id : playback) {
      QTRY_VERIFY2(Enabled(*window, id), qPrintable(QString::number(id)));
      QVERIFY(window->control(id)->isEnabled());
    }
    QVERIFY(Enabled(*window, command::kClose));

    // The mode's own box goes on playing.
    QTest::mouseClick(window->control(command::kPlayerMode), Qt::LeftButton);
    QVERIFY(static_cast<SkinButton*>(window->control(command::kPlayerMode))->GetCheck());
    QCOMPARE(window->engine().GetState(), PlaybackState::Forward);

    window->RunCommand(command::kShowTime);
    window->RunCommand(command::kRepeat);
    window->RunCommand(command::kMute);
    QVERIFY(!Ticked(*window, command::kShowTime));
    QVERIFY(Ticked(*window, command::kRepeat));
    QVERIFY(static_cast<SkinButton*>(window->control(command::kMute))->GetCheck());
    QVERIFY(window->engine().GetMute());

    window->RunCommand(command::kClose);
    for (int id : playback) QTRY_VERIFY2(!Enabled(*window, id), qPrintable(QString::number(id)));
  }

  void StatusLineFollowsTheEngine() {
    QTemporaryDir folder;
    CommandLine line;
    line.file = sample_.toStdString();
    auto window = ShowViewer(folder, line);
    StatusLine& status = window->statusLine();
    QTRY_COMPARE(status.statusText(), QString("Play x 1.0   "));
    QTRY_VERIFY2(QRegularExpression(R"(^\d{4}/\d\d/\d\d \d\d:\d\d:\d\d$)").match(status.timeText()).hasMatch(),
                 qPrintable(status.timeText()));
    QCOMPARE(window->control(control::kPositionSlider)->toolTip(), status.timeText());
    QCOMPARE(status.playbackState(), 2);

    // From the middle, reverse play has a long way to go.
    auto* slider = static_cast<BitmapSlider*>(window->control(control::kPositionSlider));
    QCoreApplication::postEvent(window.get(),
                                new WindowMessage(window_event::kSliderMoved, control::kPositionSlider, slider->maximum() / 2));
    QTRY_COMPARE_WITH_TIMEOUT(status.statusText(), QString("Pause"), kEngineWaitMs);
    QTRY_VERIFY(std::abs(slider->position() - slider->maximum() / 2) <= 4);
    window->RunCommand(command::kPlayReverse);
    QTRY_COMPARE(status.statusText(), QString("Play x 1.0   "));
    QCOMPARE(status.playbackState(), 3);

    window->RunCommand(command::kRepeat);  // so 32x never runs out of recording
    FastForwardTo32(*window);
    QTRY_COMPARE(status.statusText(), QString("Play x 32.0   "));
    window->RunCommand(command::kPause);
    QTRY_COMPARE(status.statusText(), QString("Pause"));

    window->RunCommand(command::kClose);
    QTRY_COMPARE(status.statusText(), QString("READY"));
    QCOMPARE(status.timeText(), QString(" "));
    QCOMPARE(Title(*window), QString("Tavrix Viewer 2.81"));
    QCOMPARE(static_cast<BitmapSlider*>(window->control(control::kPositionSlider))->position(), 0);
  }

  void AcceleratorsAndPlayerKeys() {
    QTemporaryDir folder;
    CommandLine line;
    line.file = sample_.toStdString();
    auto window = ShowViewer(folder, line);
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    PlayerEngine& engine = window->engine();
    QTRY_COMPARE(engine.GetState(), PlaybackState::Forward);
    // The keys work once the refresh has seen the playback.
    QTRY_VERIFY(Enabled(*window, command::kPause));

    QTest::keyClick(window.get(), Qt::Key_P, Qt::ControlModifier);
    QTRY_COMPARE_WITH_TIMEOUT(engine.GetState(), PlaybackState::Paused, kEngineWaitMs);
    QTest::keyClick(window.get(), Qt::Key_Space);
    QTRY_COMPARE_WITH_TIMEOUT(engine.GetState(), PlaybackState::Forward, kEngineWaitMs);
    QTest::keyClick(window.get(), Qt::Key_BracketRight);
    QTRY_COMPARE(engine.GetSpeed(), PlaybackSpeed(2.0));
    QTest::keyClick(window.get(), Qt::Key_BracketLeft);
    QTest::keyClick(window.get(), Qt::Key_BracketLeft);
    QTRY_COMPARE(engine.GetSpeed(), PlaybackSpeed(0.5));
    QTest::keyClick(window.get(), Qt::Key_Space);
    QTRY_COMPARE_WITH_TIMEOUT(engine.GetState(), PlaybackState::Paused, kEngineWaitMs);

    // Steps: Ctrl+N and "." forward, Ctrl+V and "," back.
    for (auto [key, modifiers, forward] : {std::tuple{Qt::Key_N, Qt::ControlModifier, true},
                                           std::tuple{Qt::Key_Period, Qt::NoModifier, true},
                                           std::tuple{Qt::Key_V, Qt::ControlModifier, false},
                                           std::tuple{Qt::Key_Comma, Qt::NoModifier, false}}) {
      const std::uint64_t taken = engine.GetCommandsTaken();
      const std::uint64_t before = engine.GetPosition();
      QTest::keyClick(window.get(), key, modifiers);
      QTRY_VERIFY_WITH_TIMEOUT(engine.GetCommandsTaken() > taken, kEngineWaitMs);
      QTRY_COMPARE_WITH_TIMEOUT(engine.GetState(), PlaybackState::Paused, kEngineWaitMs);
      QVERIFY2(forward ? engine.GetPosition() > before : engine.GetPosition() < before,
               qPrintable(QString("%1 -> %2").arg(before).arg(engine.GetPosition())));
    }

    // End and Home jump to the last block and back to the first.
    QTest::keyClick(window.get(), Qt::Key_End);
    QTRY_VERIFY_WITH_TIMEOUT(engine.GetPosition() + 64 * 1024 > engine.GetSourceSize(), kEngineWaitMs);
    QTest::keyClick(window.get(), Qt::Key_Home);
    QTRY_VERIFY_WITH_TIMEOUT(engine.GetPosition() < 64 * 1024, kEngineWaitMs);

    QTest::keyClick(window.get(), Qt::Key_F10);
    QTRY_VERIFY(window->findChild<AboutBox*>() != nullptr && window->findChild<AboutBox*>()->isVisible());
    window->findChild<AboutBox*>()->close();
    QTRY_VERIFY(window->findChild<AboutBox*>() == nullptr);
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));

    window->RunCommand(command::kMaximize);
    QTRY_VERIFY(Ticked(*window, command::kMaximize));
    QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
    QTRY_VERIFY(Ticked(*window, command::kNormal));

    QTest::keyClick(window.get(), Qt::Key_C, Qt::ControlModifier);
    QTRY_COMPARE(engine.GetState(), PlaybackState::Idle);
    QTRY_COMPARE(window->statusLine().statusText(), QString("READY"));
    // With nothing playing the player's keys are off: no refusal to show.
    QVERIFY(!Enabled(*window, command::kTogglePlay));
    QTest::keyClick(window.get(), Qt::Key_Space);
    QCOMPARE(engine.GetState(), PlaybackState::Idle);
    QVERIFY(MessageBoxes(*window).isEmpty());

    // Escape closes the window like Exit, writing the profile.
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QTRY_VERIFY(!window->isVisible());
    QVERIFY(QFile::exists(ProfileIn(folder)));
  }

  void ProfileIsReadAtStartAndWrittenOnClose() {
    QTemporaryDir folder;
    QDir().mkpath(folder.filePath("tavrix"));
    QFile profile(ProfileIn(folder));
    QVERIFY(profile.open(QIODevice::WriteOnly));
    profile.write("; kept\n[Tavrix Viewer]\nTimeout=3\nShow Time=0\nRepeat=1\nVolume=30000\nMute=1\nUse DDraw=0\n"
                  "Time Format=%H:%M:%S\nPort=70000\nDvrName=DVR042\n");
    profile.close();

    auto window = ShowViewer(folder);
    QCOMPARE(window->engine().GetTimeout(), 3000u);
    QVERIFY(window->engine().GetRepeat());
    QVERIFY(window->engine().GetMute());
    QCOMPARE(window->engine().GetVolume(), 30000u);
    QVERIFY(!window->view().GetShowTime());
    QVERIFY(!window->view().GetUseDirectDraw());
    QCOMPARE(window->view().GetTimeFormat(), std::string("%H:%M:%S"));
    QCOMPARE(static_cast<BitmapSlider*>(window->control(control::kVolumeSlider))->position(), 30000);
    QTRY_VERIFY(static_cast<SkinButton*>(window->control(command::kMute))->GetCheck());

    window->RunCommand(command::kShowTime);
    window->RunCommand(command::kMute);
    window->RunCommand(command::kRepeat);
    QCoreApplication::postEvent(window.get(), new WindowMessage(window_event::kSliderMoved, control::kVolumeSlider, 1234));
    QTRY_COMPARE(window->engine().GetVolume(), 1234u);
    window->RunCommand(command::kExit);
    QVERIFY(!window->isVisible());

    const QStringList lines = ProfileLines(folder);
    QCOMPARE(lines.value(0), QString("; kept"));
    QCOMPARE(lines.value(1), QString("[Tavrix Viewer]"));
    QStringList keys;
    for (const QString& line : lines.mid(2)) keys.append(line.section('=', 0, 0));
    for (const char* expected :
         {"Timeout=3", "Show Time=1", "Repeat=0", "Mute=0", "Volume=1234", "Use DDraw=0", "Time Format=%H:%M:%S",
          "Port=8841", "DvrName=DVR042", "Enable && Hidden cusor on DVR side=1"}) {
      QVERIFY2(lines.contains(expected), expected);
    }
    QCOMPARE(keys.size(), 18);
  }

  void CommandLineOpensItsFileAndNeverTheOptions() {
    QTemporaryDir folder;
    // Quotes are part of a Linux file name.
    const QString quoted = folder.filePath("rec \"one\".VVF");
    QVERIFY(QFile::copy(sample_, quoted));
    {
      auto window = ShowViewer(folder, ParseCommandLine({"/IP:10.0.0.1", quoted.toStdString(), "/PORT:8841"}));
      QTRY_COMPARE(window->engine().GetState(), PlaybackState::Forward);
      QCOMPARE(window->engine().GetSpeed(), PlaybackSpeed::Normal());
      QCOMPARE(Title(*window), quoted);
      QCOMPARE(window->windowTitle(), QString("rec \"one\".VVF - Tavrix Viewer"));
      const int blocks = static_cast<int>(QFileInfo(quoted).size() / 4096);
      QCOMPARE(static_cast<BitmapSlider*>(window->control(control::kPositionSlider))->maximum(), blocks);
    }

    // Options alone open nothing and complain about nothing.
    QTemporaryDir other;
    auto optionsOnly = ShowViewer(other, ParseCommandLine({"/IP:10.0.0.1", "/PORT:8841"}));
    QCoreApplication::sendPostedEvents();
    QCOMPARE(optionsOnly->engine().GetState(), PlaybackState::Idle);
    QVERIFY(MessageBoxes(*optionsOnly).isEmpty());
    QCOMPARE(Title(*optionsOnly), QString("Tavrix Viewer 2.81"));
  }

  void AFileThatCannotBeOpenedIsReported() {
    QTemporaryDir folder;
    CommandLine line;
    line.file = folder.filePath("missing.VVF").toStdString();
    auto window = ShowViewer(folder, line);
    QTRY_COMPARE(MessageBoxes(*window).size(), 1);
    QVERIFY(!MessageBoxes(*window).front()->text().isEmpty());
    QCOMPARE(window->engine().GetState(), PlaybackState::Idle);
    QCOMPARE(Title(*window), QString("Tavrix Viewer 2.81"));
  }

  void DropOpensTheWholeLongPath() {
    QTemporaryDir folder;
    QString directory = folder.path();
    while (directory.size() < 400) directory += "/a-rather-long-folder-name-for-recordings";
    QVERIFY(QDir().mkpath(directory));
    const QString path = directory + "/dropped.VVF";
    QVERIFY(QFile::copy(sample_, path));
    auto window = ShowViewer(folder);
    Drop(window.get(), path);
    QTRY_COMPARE(window->engine().GetState(), PlaybackState::Forward);
    QCOMPARE(Title(*window), path);
    QCOMPARE(QString::fromStdString(window->engine().GetSourceName()), path);
  }

  void DiskChooserListsTheDisksAndTheWindowOpensTheChoice() {
    // A stand-in for /sys/block and /dev: one readable disk, one not.
    QTemporaryDir fake;
    for (auto [name, sectors, node] : {std::tuple{"sdb", "156301488", true}, std::tuple{"sdc", "2048", false}}) {
      QVERIFY(QDir().mkpath(fake.filePath(QString("sys/%1").arg(name))));
      QFile size(fake.filePath(QString("sys/%1/size").arg(name)));
      QVERIFY(size.open(QIODevice::WriteOnly));
      size.write(QByteArray(sectors) + "\n");
      if (node) {
        QFile device(fake.filePath(name));
        QVERIFY(device.open(QIODevice::WriteOnly));
      }
    }
    DiskChooser chooser(nullptr, fake.filePath("sys").toStdString(), fake.path().toStdString());
    const QStringList lines = chooser.lines();
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[0].startsWith("DISK0") && !lines[0].contains("no permission"), qPrintable(lines[0]));
    QVERIFY2(lines[1].startsWith("DISK1") && lines[1].contains("no permission"), qPrintable(lines[1]));

    // The window opens what the chooser hands back as a disk: here an image
    // of the sample as a DVR disk stores it, every 16-bit word swapped.
    QFile source(sample_);
    QVERIFY(source.open(QIODevice::ReadOnly));
    QByteArray bytes = source.readAll();
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) std::swap(bytes[i], bytes[i + 1]);
    QTemporaryDir folder;
    QFile image(folder.filePath("disk.img"));
    QVERIFY(image.open(QIODevice::WriteOnly));
    image.write(bytes);
    image.close();
    auto window = ShowViewer(folder);
    window->RunCommand(command::kOpenDisk);
    auto* shown = window->findChild<DiskChooser*>();
    QVERIFY(shown != nullptr && shown->isVisible());
    emit shown->chosen(image.fileName());
    QTRY_COMPARE(window->engine().GetState(), PlaybackState::Forward);
    QTRY_VERIFY_WITH_TIMEOUT(window->view().model().ShownCount(3) > 0, kEngineWaitMs);
    QCOMPARE(Title(*window), image.fileName());
  }

  void PositionSliderSeeksPastFourGigabytes() {
    QTemporaryDir folder;
    // A sparse file with the recording at its start and again past 4 GiB.
    const qint64 farCopy = 4608LL * 1024 * 1024;
    const QString path = folder.filePath("large.VVF");
    QFile source(sample_);
    QVERIFY(source.open(QIODevice::ReadOnly));
    const QByteArray bytes = source.readAll();
    QFile large(path);
    QVERIFY(large.open(QIODevice::WriteOnly));
    QCOMPARE(large.write(bytes), bytes.size());
    if (!large.seek(farCopy) || large.write(bytes) != bytes.size()) QSKIP("no room for a sparse 4.5 GiB file here");
    large.close();

    CommandLine line;
    line.file = path.toStdString();
    auto window = ShowViewer(folder, line);
    QTRY_COMPARE(window->engine().GetState(), PlaybackState::Forward);
    window->RunCommand(command::kPause);
    QTRY_COMPARE(window->engine().GetState(), PlaybackState::Paused);
    const auto block = static_cast<int>(farCopy / 4096) + 16;
    QCoreApplication::postEvent(window.get(), new WindowMessage(window_event::kSliderMoved, control::kPositionSlider, block));
    QTRY_VERIFY_WITH_TIMEOUT(window->engine().GetPosition() >= static_cast<std::uint64_t>(farCopy), kEngineWaitMs);
    QVERIFY(window->engine().GetPosition() < static_cast<std::uint64_t>(farCopy + bytes.size()));
    // A release reports where the thumb stopped and seeks no further: the
    // step after it starts where the seek left off.
    QTRY_COMPARE_WITH_TIMEOUT(window->engine().GetState(), PlaybackState::Paused, kEngineWaitMs);
    QCoreApplication::postEvent(window.get(), new WindowMessage(window_event::kSliderReleased, control::kPositionSlider, 3));
    QCoreApplication::sendPostedEvents(window.get());
    const std::uint64_t taken = window->engine().GetCommandsTaken();
    window->RunCommand(command::kNextFrame);
    QTRY_VERIFY_WITH_TIMEOUT(window->engine().GetCommandsTaken() > taken, kEngineWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(window->engine().GetState(), PlaybackState::Paused, kEngineWaitMs);
    QVERIFY(window->engine().GetPosition() >= static_cast<std::uint64_t>(farCopy));
  }

  void StillCaptureWritesDatedBitmapsAndReportsAFolderItCannotMake() {
    QTemporaryDir folder;
    const QString captures = folder.filePath("captures/today");
    QFile blocker(folder.filePath("not-a-folder"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    auto writeProfile = [&](const QString& capturePath) {
      QDir().mkpath(folder.filePath("tavrix"));
      QFile profile(ProfileIn(folder));
      QVERIFY(profile.open(QIODevice::WriteOnly | QIODevice::Truncate));
      profile.write(("[Tavrix Viewer]\nCapture Path=" + capturePath + "\n").toUtf8());
    };
    writeProfile(captures);
    CommandLine line;
    line.file = sample_.toStdString();
    {
      auto window = ShowViewer(folder, line);
      QTRY_VERIFY_WITH_TIMEOUT(window->view().model().ShownCount(3) > 0, kEngineWaitMs);
      window->RunCommand(command::kStillCapture);
      window->RunCommand(command::kStillCapture);
      QVERIFY(MessageBoxes(*window).isEmpty());
    }
    const QStringList files = QDir(captures).entryList(QDir::Files);
    QCOMPARE(files.size(), 2);
    for (const QString& name : files) {
      QVERIFY2(QRegularExpression(R"(^\d{8}-\d{6}(-\d+)?\.bmp$)").match(name).hasMatch(), qPrintable(name));
      QFile bitmap(QDir(captures).filePath(name));
      QVERIFY(bitmap.open(QIODevice::ReadOnly));
      QCOMPARE(bitmap.read(2), QByteArray("BM"));
    }

    writeProfile(folder.filePath("not-a-folder/captures"));
    auto window = ShowViewer(folder, line);
    window->RunCommand(command::kStillCapture);
    QCOMPARE(MessageBoxes(*window).size(), 1);
    QVERIFY(MessageBoxes(*window).front()->text().contains("not-a-folder/captures"));
  }

  void OpenFileAndAviButtonTakeTheirFilesFromADialog() {
    QTemporaryDir folder;
    auto window = ShowViewer(folder);
    window->RunCommand(command::kOpenFile);
    auto* open = window->findChild<QFileDialog*>();
    QVERIFY(open != nullptr && open->isVisible());
    open->selectFile(sample_);
    static_cast<QDialog*>(open)->accept();
    QTRY_COMPARE(window->engine().GetState(), PlaybackState::Forward);
    QTRY_VERIFY_WITH_TIMEOUT(window->view().model().ShownCount(3) > 0, kEngineWaitMs);
    QTRY_VERIFY(window->findChild<QFileDialog*>() == nullptr);

    // The AVI button pauses while the file is chosen, then captures until
    // it is pressed again.
    const QString avi = folder.filePath("capture.avi");
    window->RunCommand(command::kSaveAvi);
    auto* save = window->findChild<QFileDialog*>();
    QVERIFY(save != nullptr && save->isVisible());
    QTRY_COMPARE(window->engine().GetState(), PlaybackState::Paused);
    save->selectFile(avi);
    static_cast<QDialog*>(save)->accept();
    QTRY_VERIFY(window->engine().IsAviCapturing());
    QCOMPARE(window->control(command::kSaveAvi)->toolTip(), QString("Stop AVI"));
    QTRY_COMPARE(window->engine().GetState(), PlaybackState::Forward);
    const std::uint64_t shown = window->view().model().ShownCount(0);
    QTRY_VERIFY_WITH_TIMEOUT(window->view().model().ShownCount(0) > shown + 10, kEngineWaitMs);
    window->RunCommand(command::kSaveAvi);
    QVERIFY(!window->engine().IsAviCapturing());
    QCOMPARE(window->control(command::kSaveAvi)->toolTip(), QString("Save AVI"));
    QVERIFY(QFileInfo(avi).size() > 10'000);
    QVERIFY(MessageBoxes(*window).isEmpty());

    // Closing the recording ends a capture too, and the button follows.
    window->RunCommand(command::kSaveAvi);
    save = window->findChild<QFileDialog*>();
    QVERIFY(save != nullptr);
    save->selectFile(folder.filePath("second.avi"));
    static_cast<QDialog*>(save)->accept();
    QTRY_VERIFY(window->engine().IsAviCapturing());
    QTRY_COMPARE(window->engine().GetState(), PlaybackState::Forward);
    const std::uint64_t before = window->view().model().ShownCount(0);
    QTRY_VERIFY_WITH_TIMEOUT(window->view().model().ShownCount(0) > before + 10, kEngineWaitMs);
    window->RunCommand(command::kClose);
    QVERIFY(!window->engine().IsAviCapturing());
    QTRY_COMPARE(window->control(command::kSaveAvi)->toolTip(), QString("Save AVI"));
    QVERIFY(QFileInfo(folder.filePath("second.avi")).size() > 10'000);
  }

  void StoppingClosingAndQuittingDuringFastPlayReturnAtOnce() {
    QTemporaryDir folder;
    CommandLine line;
    line.file = sample_.toStdString();
    auto window = ShowViewer(folder, line);
    PlayerEngine& engine = window->engine();
    // Round and round, so 32x never runs out of recording.
    window->RunCommand(command::kRepeat);
    auto fastest = [&] {
      QTRY_COMPARE(engine.GetState(), PlaybackState::Forward);
      FastForwardTo32(*window);
      // The window's own refresh keeps running while the engine races.
      QTRY_COMPARE(window->statusLine().statusText(), QString("Play x 32.0   "));
    };
    fastest();
    window->RunCommand(command::kPause);
    QTRY_COMPARE_WITH_TIMEOUT(engine.GetState(), PlaybackState::Paused, kEngineWaitMs);

    window->RunCommand(command::kPlay);
    fastest();
    window->RunCommand(command::kClose);
    QCOMPARE(engine.GetState(), PlaybackState::Idle);

    Drop(window.get(), sample_);
    fastest();
    window->RunCommand(command::kCloseButton);
    QVERIFY(!window->isVisible());
    QCOMPARE(engine.GetState(), PlaybackState::Idle);
    QVERIFY(QFile::exists(ProfileIn(folder)));
  }

 private:
  QTemporaryDir samples_;
  QString sample_;
};

}  // namespace tavrix

QTEST_MAIN(tavrix::MainWindowTest)
#include "main_window_test.moc"
