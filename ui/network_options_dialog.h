#pragma once
#include <cstdint>
#include <string>

#include <QDialog>

#include "ui/dialog_prompts.h"
#include "ui/folder_chooser.h"

class QButtonGroup;
class QCheckBox;

namespace tavrix {

class FolderField;
class NumberEdit;

// What the client-mode "Network Options" dialog shows and gives back.
struct NetworkOptionsValues {
  bool alwaysOnTop = false;
  bool useDirectDraw = false;
  bool autoReconnect = false;
  std::uint32_t timeoutMs = 0;  // shown and entered in whole seconds
  std::string recordingPath;
  std::string ddnsAddress;  // the dynamic-IP server; passes through unseen
  int ddnsPort = 0;         // passes through unseen
  int mouseMode = 0;        // 0 "Disable", 1 cursor hidden on the DVR, 2 shown

  bool operator==(const NetworkOptionsValues&) const = default;
};

// "Network Options" (client mode): the "General" switches, "Connection
// Timeout:" in seconds (the milliseconds given divided by 1000; OK refuses
// anything but a whole number from 1 to 4294967 with a prompt and gives it
// back times 1000), the "Path for recording file" with "Browse...", and the
// "Mouse Remote Control" radio group. Its "Repeat playback (&R)" belongs to
// player mode and is shown disabled.
//
//   NetworkOptionsDialog options(values, this);
//   if (options.exec() == QDialog::Accepted) Apply(options.values());
class NetworkOptionsDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr std::uint32_t kMaxTimeoutSeconds = 4'294'967;  // times 1000 still fits 32 bits

  explicit NetworkOptionsDialog(const NetworkOptionsValues& values, QWidget* parent = nullptr);

  void SetPrompts(DialogPrompts prompts) { prompts_ = std::move(prompts); }
  // Who "Browse..." asks; the folder chooser at first.
  void SetFolderPicker(FolderPicker picker);

  // The values given, with the entries taken in once OK accepted them.
  const NetworkOptionsValues& values() const { return values_; }

  void accept() override;

 private:
  NetworkOptionsValues values_;
  DialogPrompts prompts_ = DialogPrompts::MessageBoxes();
  QCheckBox* alwaysOnTop_;
  QCheckBox* useDirectDraw_;
  QCheckBox* autoReconnect_;
  NumberEdit* timeoutSeconds_;
  FolderField* recordingPath_;
  QButtonGroup* mouseMode_;
};

}  // namespace tavrix
