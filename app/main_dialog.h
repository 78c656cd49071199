#pragma once
#include <QBasicTimer>
#include <QPoint>
#include <QRect>
#include <QString>
#include <map>
#include <memory>

#include "app/command_actions.h"
#include "app/command_line.h"
#include "app/engine_report_forwarder.h"
#include "app/profile_file.h"
#include "app/profile_settings.h"
#include "engine/player_engine.h"
#include "ui/skin_dialog.h"

namespace tavrix {

class BitmapSlider;
class SkinButton;
class StatusLine;
class TransparentLabel;
class VideoWidget;
class WindowMessage;

// The viewer's one window: the video view, the playback buttons, the
// position and volume sliders, the status line and the right-click popup,
// all on a skinned, borderless, round-cornered body that moves when dragged
// and resizes from its bottom-right corner. It owns the engine and holds no
// playback logic of its own: each command is a call on the engine or on the
// view; the engine's reports arrive as posted messages.
class MainDialog : public SkinDialog {
  Q_OBJECT

 public:
  static constexpr const char* kProductTitle = "Tavrix Viewer 2.81";

  // Reads the profile at `profilePath` (written back when the window
  // closes) and opens the command line's file. A test may hand in its own
  // sound device.
  MainDialog(const CommandLine& commandLine, std::filesystem::path profilePath,
             std::unique_ptr<AudioDevice> audioDevice = {}, QWidget* parent = nullptr);
  ~MainDialog() override;

  // Runs the command of a button, menu item or key.
  void RunCommand(int id);

  PlayerEngine& engine() { return *engine_; }
  VideoWidget& view() { return *view_; }
  StatusLine& statusLine() { return *statusLine_; }
  CommandActions& actions() { return *actions_; }
  // The control with that identifier; nullptr for one this window lacks.
  QWidget* control(int id) const;
  EngineMode mode() const { return mode_; }
  // The area the video view has now.
  QSize videoArea() const;

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 public slots:
  // Escape and every other way of closing the window.
  void reject() override;

 private:
  void CreateControls();
  SkinButton* AddButton(int id, int strip, const QString& tooltip, bool checkBox = false);
  void CreateSliders();
  void ApplySettings();
  void CollectSettings();

  // Places the window, the view and the controls. With `size` the window is
  // first made to hold a video area of that size and centred on the screen.
  void Layout(std::optional<QSize> size = std::nullopt);
  void ApplyStaysOnTop();
  void CentreOnScreen();
  bool InResizeCorner(QPoint position) const;

  // The periodic refresh: status line, position, time, button states.
  void Refresh();
  void UpdateCommandStates();
  WindowFacts Facts() const;

  void SwitchToPlayerMode();
  void OpenFile();
  void OpenDisk();
  void OpenSource(const QString& path, bool isDisk);
  void CloseSource();
  void ToggleMute();
  void TogglePlay();
  void ChangeSpeed(bool faster);
  void JumpToEnd();
  void SetVideoArea(QSize area);
  void Maximize();
  void Restore();
  void ToggleAlwaysOnTop();
  void StillCapture();
  void ToggleAviCapture();
  void StartAviCapture(const QString& path);
  void ShowAviCapturing(bool capturing);
  void ShowAbout();
  void Finish();

  void HandleMessage(const WindowMessage& message);
  void SetTitle(const QString& path);
  void ShowMessage(const QString& text);
  void Report(const CommandResult& result);

  ProfileFile profile_;
  ProfileSettings settings_;

  VideoWidget* view_ = nullptr;
  // Declared before the engine, which reports to it until it is gone.
  EngineReportForwarder forwarder_;
  std::unique_ptr<PlayerEngine> engine_;

  CommandActions* actions_ = nullptr;
  std::map<int, QWidget*> controls_;
  std::map<int, SkinButton*> buttons_;
  TransparentLabel* title_ = nullptr;
  StatusLine* statusLine_ = nullptr;
  BitmapSlider* positionSlider_ = nullptr;
  BitmapSlider* volumeSlider_ = nullptr;

  EngineMode mode_ = EngineMode::Player;
  bool alwaysOnTop_ = false;
  bool maximized_ = false;
  bool normal_ = true;
  QRect normalRect_;
  bool layoutDone_ = false;
  bool layoutDirty_ = false;
  bool resizing_ = false;
  QPoint resizeOffset_;  // from the cursor to the bottom-right corner
  QString lastFolder_;
  QString lastAviPath_;
  bool finished_ = false;
  // The sound device's trouble is told once, not at every mode switch.
  bool soundErrorShown_ = false;

  QBasicTimer layoutTimer_;
  QBasicTimer statusTimer_;
  QBasicTimer refreshTimer_;
};

}  // namespace tavrix
