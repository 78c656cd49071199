// The commands of the main window: each one call on the engine or the view.
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <algorithm>
#include <climits>

#include "app/about_box.h"
#include "app/command_ids.h"
#include "app/disk_chooser.h"
#include "app/main_dialog.h"
#include "storage/vvf_block.h"
#include "ui/artwork.h"
#include "ui/bitmap_slider.h"
#include "ui/skin_button.h"
#include "ui/status_line.h"
#include "video/video_widget.h"

namespace tavrix {
namespace {

// The speeds "[" and "]" step through, halving and doubling.
constexpr double kSlowestSpeed = 0.25;
constexpr double kFastestPlaySpeed = 8.0;

}  // namespace

void MainDialog::RunCommand(int id) {
  switch (id) {
    case command::kAbout: ShowAbout(); break;
    case command::kPlayerMode:
      // Switching the engine's mode stops its playback: not for a click on
      // the mode the window is in already.
      if (mode_ != EngineMode::Player) SwitchToPlayerMode();
      break;
    case command::kOpenFile: OpenFile(); break;
    case command::kOpenDisk: OpenDisk(); break;
    case command::kClose: CloseSource(); break;
    case command::kShowTime: view_->SetShowTime(!view_->GetShowTime()); break;
    case command::kRepeat: engine_->SetRepeat(!engine_->GetRepeat()); break;
    case command::kAlwaysOnTop: ToggleAlwaysOnTop(); break;
    case command::kPlay: Report(engine_->PlayForward(PlaybackSpeed::Normal())); break;
    case command::kPlayReverse: Report(engine_->PlayReverse(PlaybackSpeed::Normal())); break;
    case command::kPause: Report(engine_->Pause()); break;
    case command::kFastForward: Report(engine_->FastForward()); break;
    case command::kFastRewind: Report(engine_->FastRewind()); break;
    case command::kNextFrame: Report(engine_->StepForward()); break;
    case command::kPreviousFrame: Report(engine_->StepBackward()); break;
    case command::kTogglePlay: TogglePlay(); break;
    case command::kSlower: ChangeSpeed(false); break;
    case command::kFaster: ChangeSpeed(true); break;
    case command::kJumpToStart: Report(engine_->Seek(0)); break;
    case command::kJumpToEnd: JumpToEnd(); break;
    case command::kNormal: Restore(); break;
    case command::kMaximize: Maximize(); break;
    case command::kVideo640x448: SetVideoArea(QSize(640, 448)); break;
    case command::kVideo640x544: SetVideoArea(QSize(640, 544)); break;
    case command::kSplit1: view_->SetSplit(1, -1); break;
    case command::kSplit4: view_->SetSplit(4, -1); break;
    case command::kMute: ToggleMute(); break;
    case command::kStillCapture: StillCapture(); break;
    case command::kSaveAvi: ToggleAviCapture(); break;
    case command::kMinimize: showMinimized(); break;
    case command::kExit:
    case command::kCloseButton:
    case command::kIconButton: Finish(); return;
    default: return;
  }
  UpdateCommandStates();
}

void MainDialog::SwitchToPlayerMode() {
  Report(engine_->SetMode(EngineMode::Player, -1));
  view_->SetChannelCount(engine_->GetSplitCount());
  view_->SetPlayerFlag(true);
  mode_ = EngineMode::Player;
  statusLine_->SetMode(static_cast<int>(mode_));
  SetTitle({});
  view_->SetSplit(4, 0);
  Layout();
}

void MainDialog::OpenFile() {
  auto* dialog = new QFileDialog(this, "Open", lastFolder_, "All Files (*);;VVF File Format (*.VVF *.vvf)");
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setFileMode(QFileDialog::ExistingFile);
  connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& path) { OpenSource(path, false); });
  dialog->open();
}

void MainDialog::ToggleAviCapture() {
  if (engine_->IsAviCapturing()) {
    const CommandResult stopped = engine_->StopAviCapture();
    ShowAviCapturing(false);
    Report(stopped);
    return;
  }
  // Nothing to capture while nothing plays.
  if (engine_->GetState() == PlaybackState::Idle) return;
  Report(engine_->Pause());
  const QString suggested = lastAviPath_.isEmpty() ? QDir(lastFolder_).filePath("DVR.avi") : lastAviPath_;
  auto* dialog = new QFileDialog(this, "Save AVI", suggested,
                                 "AVI Files (*.avi);;MP4 Files (*.mp4);;Matroska Files (*.mkv)");
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setDefaultSuffix("avi");
  connect(dialog, &QFileDialog::fileSelected, this, &MainDialog::StartAviCapture);
  connect(dialog, &QFileDialog::rejected, this, [this] { Report(engine_->PlayForward(PlaybackSpeed::Normal())); });
  dialog->open();
}

void MainDialog::StartAviCapture(const QString& path) {
  lastAviPath_ = path;
  PlayerEngine::AviCaptureOptions options;
  options.path = path.toStdString();
  options.split = view_->GetSplit();
  options.page = view_->GetPage();
  options.showTime = view_->GetShowTime();
  options.timeFormat = view_->GetTimeFormat();
  const CommandResult started = engine_->StartAviCapture(options);
  Report(engine_->PlayForward(PlaybackSpeed::Normal()));
  ShowAviCapturing(started.ok());
  Report(started);
}

void MainDialog::ShowAviCapturing(bool capturing) {
  SkinButton* button = buttons_[command::kSaveAvi];
  button->SetStrip(capturing ? art::kStopAvi : art::kSaveAvi);
  button->setToolTip(capturing ? "Stop AVI" : "Save AVI");
}

void MainDialog::OpenDisk() {
  auto* chooser = new DiskChooser(this);
  chooser->setAttribute(Qt::WA_DeleteOnClose);
  connect(chooser, &DiskChooser::chosen, this, [this](const QString& path) { OpenSource(path, true); });
  chooser->open();
}

void MainDialog::OpenSource(const QString& path, bool isDisk) {
  if (engine_->IsSourceOpen()) CloseSource();
  engine_->SetSpeed(PlaybackSpeed::Normal());
  const CommandResult opened = engine_->OpenSource(path.toStdString(), isDisk);
  if (!opened) {
    Report(opened);
    return;
  }
  const std::uint64_t blocks = engine_->GetSourceSize() <= 1 ? 0 : engine_->GetSourceSize() / kVvfBlockSize;
  positionSlider_->SetRange(0, static_cast<int>(std::min<std::uint64_t>(blocks, INT_MAX)));
  if (!isDisk) lastFolder_ = QFileInfo(path).absolutePath();
  SetTitle(path);
  Refresh();
}

void MainDialog::CloseSource() {
  // Refused only when nothing plays, which leaves nothing to close.
  engine_->CloseSource();
  engine_->Disconnect();
  view_->OnPicturesCleared();
  positionSlider_->SetPosition(0);
  SetTitle({});
  Refresh();
}

void MainDialog::TogglePlay() {
  const PlaybackState state = engine_->GetState();
  if (state == PlaybackState::Forward || state == PlaybackState::Reverse) {
    Report(engine_->Pause());
  } else {
    Report(engine_->PlayForward(engine_->GetSpeed()));
  }
}

void MainDialog::ChangeSpeed(bool faster) {
  const double now = engine_->GetSpeed().factor();
  const PlaybackSpeed next(std::clamp(faster ? now * 2 : now / 2, kSlowestSpeed, kFastestPlaySpeed));
  if (engine_->GetState() == PlaybackState::Reverse) {
    Report(engine_->PlayReverse(next));
  } else {
    Report(engine_->PlayForward(next));
  }
}

void MainDialog::JumpToEnd() {
  const std::uint64_t size = engine_->GetSourceSize();
  const std::uint64_t lastBlock = size == 0 ? 0 : (size - 1) / kVvfBlockSize;
  Report(engine_->Seek(lastBlock * kVvfBlockSize));
}

void MainDialog::ToggleMute() {
  engine_->SetMute(!engine_->GetMute());
  buttons_[command::kMute]->SetCheck(engine_->GetMute());
}

void MainDialog::SetVideoArea(QSize area) {
  if (maximized_) Restore();
  Layout(area);
}

void MainDialog::Maximize() {
  normalRect_ = geometry();
  showMaximized();
  maximized_ = true;
  normal_ = false;
}

void MainDialog::Restore() {
  const bool wasMaximized = maximized_;
  showNormal();
  // Without a window manager nothing else would put it back.
  if (wasMaximized && normalRect_.isValid()) setGeometry(normalRect_);
  maximized_ = false;
  normal_ = true;
}

void MainDialog::ToggleAlwaysOnTop() {
  alwaysOnTop_ = !alwaysOnTop_;
  ApplyStaysOnTop();
}

void MainDialog::StillCapture() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  // Only an empty folder setting means the current directory.
  const QString folder = QString::fromStdString(settings_.capturePath);
  if (!folder.isEmpty() && !QDir().mkpath(folder)) {
    QApplication::restoreOverrideCursor();
    ShowMessage(QString("The capture folder %1 cannot be created.").arg(folder));
    return;
  }
  const QString name = QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss") + ".bmp";
  const WrittenFile written = view_->SaveSnapshot((folder.isEmpty() ? name : QDir(folder).filePath(name)).toStdString());
  QApplication::restoreOverrideCursor();
  if (!written.ok()) ShowMessage(QString::fromStdString(written.error));
}

void MainDialog::ShowAbout() {
  auto* about = new AboutBox(this);
  about->setAttribute(Qt::WA_DeleteOnClose);
  about->open();
}

}  // namespace tavrix
