#include "app/main_dialog.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QScreen>
#include <cstdio>

#include "app/command_ids.h"
#include "app/status_text.h"
#include "app/time_text.h"
#include "app/window_events.h"
#include "app/window_layout.h"
#include "storage/vvf_block.h"
#include "ui/artwork.h"
#include "ui/bitmap_slider.h"
#include "ui/skin_button.h"
#include "ui/status_line.h"
#include "ui/transparent_label.h"
#include "video/video_widget.h"

namespace tavrix {
namespace {

constexpr QSize kStartVideoArea{640, 448};
// The corner of the window that a drag resizes it from.
constexpr int kResizeCorner = 16;
constexpr int kLayoutPeriodMs = 1000;
constexpr int kStatusPeriodMs = 300;
constexpr int kRefreshPeriodMs = 40;
constexpr int kRecorderChannels = 4;
constexpr int kAudioRate = 8000;
constexpr int kVolumeMaximum = 0xFFFF;
const QColor kTitleColour(0xE0, 0xE8, 0xF0);

}  // namespace

MainDialog::MainDialog(const CommandLine& commandLine, std::filesystem::path profilePath,
                       std::unique_ptr<AudioDevice> audioDevice, QWidget* parent)
    : SkinDialog(parent),
      profile_(std::move(profilePath)),
      view_(new VideoWidget(this)),
      forwarder_(this) {
  engine_ = std::make_unique<PlayerEngine>(
      *view_, [this](const std::string& message) { forwarder_.OnSoundError(message); }, std::move(audioDevice));
  engine_->SetObserver(&forwarder_);

  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  setWindowIcon(Artwork::ApplicationIcon());
  setAcceptDrops(true);
  setMouseTracking(true);
  SetBackground(art::kBackground);
  SetDrag(true);

  actions_ = new CommandActions(this);
  connect(actions_, &CommandActions::triggered, this, &MainDialog::RunCommand);
  CreateControls();
  CreateSliders();
  setWindowTitle("Tavrix Viewer");
  connect(view_, &VideoWidget::layoutChanged, this,
          [this] { QCoreApplication::postEvent(this, new WindowMessage(window_event::kViewLayoutChanged)); });

  if (!engine_->Create(FormatVariant::QM_QMT2, AudioFormat::QM_ALAW, kRecorderChannels, kAudioRate)) {
    std::fprintf(stderr, "tavrix-viewer: the engine refused the recorder's formats\n");
  }
  view_->SetOsdFont(OsdFont{16, 0, 500, false, "Arial"});
  view_->SetOsdColours(0x80FFFF, 0);

  std::string warning;
  settings_ = profile_.Load(HomeFolder(), warning);
  if (!warning.empty()) std::fprintf(stderr, "tavrix-viewer: %s\n", warning.c_str());
  ApplySettings();
  volumeSlider_->SetPosition(static_cast<int>(engine_->GetVolume()));
  SetTitle({});

  SetCorners(12, 12);
  Layout(kStartVideoArea);
  layoutTimer_.start(kLayoutPeriodMs, this);
  statusTimer_.start(kStatusPeriodMs, this);
  refreshTimer_.start(kRefreshPeriodMs, this);
  SwitchToPlayerMode();

  if (!commandLine.file.empty()) OpenSource(QString::fromStdString(commandLine.file), false);
  Refresh();
}

MainDialog::~MainDialog() = default;

// --- Controls ---------------------------------------------------------------

SkinButton* MainDialog::AddButton(int id, int strip, const QString& tooltip, bool checkBox) {
  auto* button = new SkinButton(checkBox ? SkinButton::Kind::kCheckBox : SkinButton::Kind::kPushButton, this);
  button->SetStrip(strip);
  button->setToolTip(tooltip);
  // Keys belong to the window's commands (Space plays and pauses), never to
  // whichever button was clicked last.
  button->setFocusPolicy(Qt::NoFocus);
  if (id == command::kIconButton) {
    // The logo closes the window on a double click only.
    button->installEventFilter(this);
  } else {
    connect(button, &QAbstractButton::clicked, this, [this, id] { RunCommand(id); });
  }
  controls_[id] = button;
  buttons_[id] = button;
  return button;
}

void MainDialog::CreateControls() {
  AddButton(command::kIconButton, art::kIconButton, {});
  AddButton(command::kMinimize, art::kMinimize, "Minimize");
  AddButton(command::kCloseButton, art::kClose, "Exit\tAlt+F4");
  AddButton(command::kPlayerMode, art::kPlayerMode, "Player", true);
  // Client mode comes with the network dialogs; until then its box only
  // shows that this is the player.
  AddButton(command::kClientMode, art::kClientMode, "Viewer", true)->setEnabled(false);
  AddButton(command::kOpenFile, art::kOpen, "Open");
  AddButton(command::kFastRewind, art::kFastRewind, "Fast Rewind");
  AddButton(command::kPlayReverse, art::kPlayReverse, "Play Reverse");
  AddButton(command::kPreviousFrame, art::kPreviousFrame, "Previous Frame");
  AddButton(command::kPause, art::kPause, "Pause");
  AddButton(command::kNextFrame, art::kNextFrame, "Next Frame");
  AddButton(command::kPlay, art::kPlay, "Play");
  AddButton(command::kFastForward, art::kFastForward, "Fast Forward");
  AddButton(command::kStillCapture, art::kStillCapture, "Still Capture");
  AddButton(command::kSaveAvi, art::kSaveAvi, "Save AVI");
  AddButton(command::kSplit1, art::kSplit1, "Split 1");
  AddButton(command::kSplit4, art::kSplit4, "Split 4");
  AddButton(command::kMute, art::kMute, "Mute On/Off", true);

  title_ = new TransparentLabel(this);
  title_->SetTextColour(kTitleColour);
  QFont bold("Arial");
  bold.setPixelSize(13);
  bold.setWeight(QFont::Bold);
  title_->setFont(bold);
  title_->resize(134, 18);
  controls_[control::kTitle] = title_;

  statusLine_ = new StatusLine(this);
  controls_[control::kStatusLine] = statusLine_;
}

void MainDialog::CreateSliders() {
  positionSlider_ = new BitmapSlider(Qt::Horizontal, this);
  positionSlider_->SetStretchTrack(true);
  positionSlider_->SetTrackBitmaps(art::kPositionTrack, art::kPositionActiveTrack, false);
  positionSlider_->SetThumbBitmaps(art::kPositionThumb, art::kPositionActiveThumb, true);
  positionSlider_->SetDrawFocusRect(false);
  positionSlider_->SetRange(0, 0);
  positionSlider_->setFocusPolicy(Qt::NoFocus);
  controls_[control::kPositionSlider] = positionSlider_;

  volumeSlider_ = new BitmapSlider(Qt::Horizontal, this);
  volumeSlider_->SetTrackBitmaps(art::kVolumeTrack, art::kVolumeActiveTrack, true);
  volumeSlider_->SetThumbBitmaps(art::kVolumeThumb, art::kVolumeActiveThumb, true);
  volumeSlider_->SetDrawFocusRect(false);
  volumeSlider_->SetMargin(4, 1, 4, 0);
  volumeSlider_->SetRange(0, kVolumeMaximum);
  volumeSlider_->setToolTip("Volume");
  volumeSlider_->setFocusPolicy(Qt::NoFocus);
  controls_[control::kVolumeSlider] = volumeSlider_;

  // The sliders' reports travel as the window messages they always were.
  for (auto [slider, id] : {std::pair{positionSlider_, control::kPositionSlider},
                            std::pair{volumeSlider_, control::kVolumeSlider}}) {
    connect(slider, &BitmapSlider::moved, this, [this, id](int position) {
      QCoreApplication::postEvent(this, new WindowMessage(window_event::kSliderMoved, id, position));
    });
    connect(slider, &BitmapSlider::released, this, [this, id](int position) {
      QCoreApplication::postEvent(this, new WindowMessage(window_event::kSliderReleased, id, position));
    });
  }
}

QWidget* MainDialog::control(int id) const {
  const auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second;
}

// --- Settings ---------------------------------------------------------------

void MainDialog::ApplySettings() {
  alwaysOnTop_ = settings_.alwaysOnTop != 0;
  view_->SetShowTime(settings_.showTime != 0);
  engine_->SetRepeat(settings_.repeat != 0);
  view_->SetTimeFormat(settings_.timeFormat);
  engine_->SetVolume(static_cast<std::uint32_t>(settings_.volume));
  engine_->SetMute(settings_.mute != 0);
  view_->SetUseDirectDraw(settings_.useDirectDraw != 0);
  engine_->SetAutoReconnect(settings_.autoReconnect != 0);
  engine_->SetTimeout(settings_.timeoutMs);
}

void MainDialog::CollectSettings() {
  settings_.alwaysOnTop = alwaysOnTop_ ? 1 : 0;
  settings_.showTime = view_->GetShowTime() ? 1 : 0;
  settings_.repeat = engine_->GetRepeat() ? 1 : 0;
  settings_.timeFormat = view_->GetTimeFormat();
  settings_.volume = static_cast<int>(engine_->GetVolume());
  settings_.mute = engine_->GetMute() ? 1 : 0;
  settings_.useDirectDraw = view_->GetUseDirectDraw() ? 1 : 0;
  settings_.autoReconnect = engine_->GetAutoReconnect() ? 1 : 0;
  settings_.timeoutMs = engine_->GetTimeout();
}

// --- Layout -----------------------------------------------------------------

QSize MainDialog::videoArea() const { return view_->size(); }

void MainDialog::Layout(std::optional<QSize> size) {
  if (size) {
    resize(window_layout::WindowForVideo(*size));
    CentreOnScreen();
  }
  const QSize window = this->size();
  view_->setGeometry(window_layout::VideoRect(window));
  ApplyStaysOnTop();
  for (const window_layout::Row& row : window_layout::Rows()) {
    QWidget* widget = control(row.id);
    if (widget == nullptr) continue;
    const window_layout::Placement placement = window_layout::Place(row, window, mode_, widget->size());
    if (placement.shown) widget->setGeometry(placement.rect);
    widget->setVisible(placement.shown);
  }
  update();
  if (size) normalRect_ = geometry();
  layoutDone_ = true;
}

void MainDialog::CentreOnScreen() {
  const QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  QRect frame = geometry();
  frame.moveCenter(screen->availableGeometry().center());
  move(frame.topLeft());
}

void MainDialog::ApplyStaysOnTop() {
  if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == alwaysOnTop_) return;
  // Changing a flag takes the window off the screen; put it back.
  const bool shown = isVisible();
  setWindowFlag(Qt::WindowStaysOnTopHint, alwaysOnTop_);
  if (shown) show();
}

void MainDialog::resizeEvent(QResizeEvent* event) {
  SkinDialog::resizeEvent(event);
  if (layoutDone_) layoutDirty_ = true;
}

// --- Mouse, keys and drops on the body ---------------------------------------

bool MainDialog::InResizeCorner(QPoint position) const {
  return position.x() >= width() - kResizeCorner && position.y() >= height() - kResizeCorner;
}

void MainDialog::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    if (mode_ == EngineMode::Player) {
      UpdateCommandStates();
      actions_->playerMenu()->popup(event->globalPosition().toPoint());
    }
    event->accept();
    return;
  }
  if (event->button() == Qt::LeftButton && InResizeCorner(event->position().toPoint())) {
    resizing_ = true;
    resizeOffset_ = QPoint(width(), height()) - event->position().toPoint();
    event->accept();
    return;
  }
  SkinDialog::mousePressEvent(event);
}

void MainDialog::mouseMoveEvent(QMouseEvent* event) {
  const QPoint position = event->position().toPoint();
  if (resizing_) {
    const QPoint corner = position + resizeOffset_;
    resize(window_layout::ClampToMinimum(QSize(corner.x(), corner.y())));
    Layout();
    event->accept();
    return;
  }
  if (InResizeCorner(position)) {
    setCursor(Qt::SizeFDiagCursor);
  } else {
    unsetCursor();
  }
  SkinDialog::mouseMoveEvent(event);
}

void MainDialog::mouseReleaseEvent(QMouseEvent* event) {
  if (resizing_ && event->button() == Qt::LeftButton) {
    resizing_ = false;
    event->accept();
    return;
  }
  SkinDialog::mouseReleaseEvent(event);
}

void MainDialog::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QScreen* screen = this->screen();
  if (screen != nullptr && width() < screen->geometry().width()) {
    Maximize();
  } else {
    Restore();
  }
}

void MainDialog::contextMenuEvent(QContextMenuEvent* event) {
  // Shown on the button press already; a keyboard's menu key opens it here.
  if (event->reason() != QContextMenuEvent::Mouse && mode_ == EngineMode::Player) {
    UpdateCommandStates();
    actions_->playerMenu()->popup(event->globalPos());
  }
  event->accept();
}

void MainDialog::dragEnterEvent(QDragEnterEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (!urls.isEmpty() && urls.front().isLocalFile()) event->acceptProposedAction();
}

void MainDialog::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.isEmpty() || !urls.front().isLocalFile()) return;
  event->acceptProposedAction();
  if (mode_ != EngineMode::Player) SwitchToPlayerMode();
  // The whole path, however long.
  OpenSource(urls.front().toLocalFile(), false);
}

// --- Timers and messages ------------------------------------------------------

void MainDialog::timerEvent(QTimerEvent* event) {
  // A resize is laid out at the next tick of any timer, so a maximised
  // window has its controls in place within one refresh.
  if (layoutDirty_) {
    layoutDirty_ = false;
    Layout();
  }
  if (event->timerId() == statusTimer_.timerId() || event->timerId() == refreshTimer_.timerId()) Refresh();
}

void MainDialog::Refresh() {
  const PlaybackState state = engine_->GetState();
  const auto connection = static_cast<int>(engine_->GetConnectionState());
  if (connection != statusLine_->connectionState()) statusLine_->SetConnectionState(connection);
  statusLine_->SetPlaybackState(static_cast<int>(state));
  if (engine_->GetMode() == EngineMode::Player) {
    // While the user drags the thumb, the thumb is where the user puts it;
    // after Close it stays at the start.
    if (state != PlaybackState::Idle && !positionSlider_->isDragging()) {
      positionSlider_->SetPosition(static_cast<int>(engine_->GetPosition() / kVvfBlockSize));
    }
    CalendarTime time;
    std::string timeText = " ";
    if (engine_->GetBlockTime(time)) {
      const std::string text = TimeText(time, view_->GetTimeFormat());
      if (!text.empty()) timeText = text;
    }
    const QString statusText = QString::fromStdString(StatusText(state, engine_->GetSpeed()));
    positionSlider_->setToolTip(QString::fromStdString(timeText));
    statusLine_->SetTexts(statusText, QString::fromStdString(timeText));
  }
  UpdateCommandStates();
}

WindowFacts MainDialog::Facts() const {
  return WindowFacts{
      .mode = mode_,
      .state = engine_->GetState(),
      .sourceOpen = engine_->IsSourceOpen(),
      .showTime = view_->GetShowTime(),
      .repeat = engine_->GetRepeat(),
      .alwaysOnTop = alwaysOnTop_,
      .maximized = maximized_,
      .normal = normal_,
      .videoArea = videoArea(),
      .muted = engine_->GetMute(),
  };
}

void MainDialog::UpdateCommandStates() {
  const WindowFacts facts = Facts();
  actions_->Update(facts);
  for (const auto& [id, button] : buttons_) {
    const CommandUi ui = CommandRule(id, facts);
    if (id != command::kClientMode) button->setEnabled(ui.enabled);
    if (ui.checked && button->kind() != SkinButton::Kind::kPushButton) button->SetCheck(*ui.checked);
  }
}

bool MainDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick && watched == control(command::kIconButton)) {
    RunCommand(command::kIconButton);
    return true;
  }
  return SkinDialog::eventFilter(watched, event);
}

bool MainDialog::event(QEvent* event) {
  if (auto* message = dynamic_cast<WindowMessage*>(event)) {
    HandleMessage(*message);
    return true;
  }
  return SkinDialog::event(event);
}

void MainDialog::HandleMessage(const WindowMessage& message) {
  switch (message.number()) {
    case window_event::kSliderMoved:
    case window_event::kSliderReleased:
      if (message.first() == control::kVolumeSlider) {
        engine_->SetVolume(static_cast<std::uint32_t>(message.second()));
      } else if (message.first() == control::kPositionSlider && message.number() == window_event::kSliderMoved) {
        // In 64 bits: a block number times 4096 leaves 32 bits past 1 GiB.
        const auto block = static_cast<std::uint64_t>(message.second());
        if (block != engine_->GetPosition() / kVvfBlockSize) {
          Report(engine_->Seek(block * kVvfBlockSize));
        }
      }
      break;
    case window_event::kViewLayoutChanged:
      view_->SetSplit(view_->GetSplit(), view_->GetPage());
      break;
    case window_event::kPlaybackStateChanged:
    case window_event::kEndOfSource:
      Refresh();
      break;
    case window_event::kPlaybackError:
      ShowMessage(message.text());
      break;
    case window_event::kSoundError:
      if (!soundErrorShown_) ShowMessage(message.text());
      soundErrorShown_ = true;
      break;
    case window_event::kCaptureEnded:
      if (message.first() == static_cast<int>(EngineObserver::Capture::Avi)) ShowAviCapturing(false);
      if (message.second() == 0) ShowMessage(message.text());
      break;
    case window_event::kConnectionStateChanged:
      statusLine_->SetConnectionState(static_cast<int>(message.first()));
      break;
    case window_event::kNetServerClosed:
      if (engine_->IsConnected()) {
        Report(engine_->Disconnect());
        ShowMessage("Disconnected by server.");
      }
      break;
    case window_event::kNetNoResponse:
      Report(engine_->Disconnect());
      ShowMessage("No response server.");
      break;
    case window_event::kNetLoginFailed:
      Report(engine_->Disconnect());
      ShowMessage("Incorrect password.");
      break;
    default:  // kNetStatus: nothing to do
      break;
  }
}

void MainDialog::SetTitle(const QString& path) {
  title_->setText(path.isEmpty() ? QString(kProductTitle) : path);
  setWindowTitle(path.isEmpty() ? QString("Tavrix Viewer")
                                : QFileInfo(path).fileName() + QStringLiteral(" - Tavrix Viewer"));
}

void MainDialog::ShowMessage(const QString& text) {
  // Window-modal but not blocking: the refresh and the engine's reports go
  // on while it is open.
  auto* box = new QMessageBox(QMessageBox::Warning, "Tavrix Viewer", text, QMessageBox::Ok, this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

void MainDialog::Report(const CommandResult& result) {
  if (!result) ShowMessage(QString::fromStdString(result.reason()));
}

// --- Closing ----------------------------------------------------------------

void MainDialog::Finish() {
  if (finished_) return;
  finished_ = true;
  layoutTimer_.stop();
  statusTimer_.stop();
  refreshTimer_.stop();
  if (engine_->IsAviCapturing()) engine_->StopAviCapture();
  engine_->CloseSource();
  engine_->Disconnect();
  CollectSettings();
  std::string error;
  if (!profile_.Save(settings_, error)) QMessageBox::warning(this, "Tavrix Viewer", QString::fromStdString(error));
  done(QDialog::Rejected);
}

void MainDialog::reject() { Finish(); }

void MainDialog::closeEvent(QCloseEvent* event) {
  Finish();
  event->accept();
}

}  // namespace tavrix
