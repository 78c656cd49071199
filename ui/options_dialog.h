#pragma once
#include <string>

#include <QDialog>

#include "ui/folder_chooser.h"

class QCheckBox;

namespace tavrix {

class FolderField;

// What the player-mode "Options" dialog shows and gives back.
struct OptionsValues {
  bool alwaysOnTop = false;
  bool showTime = false;
  bool repeat = false;
  bool useDirectDraw = false;  // the accelerated presentation path
  std::string capturePath = "/tmp";
  std::string timeFormat = "%Y/%m/%d %H:%M:%S";  // no control; passes through

  bool operator==(const OptionsValues&) const = default;
};

// "Options" (player mode): the "General" switches and the "Path for still
// capture" with "Browse..." (the folder chooser).
//
//   OptionsDialog options(values, this);
//   if (options.exec() == QDialog::Accepted) Apply(options.values());
class OptionsDialog : public QDialog {
  Q_OBJECT

 public:
  explicit OptionsDialog(const OptionsValues& values, QWidget* parent = nullptr);

  // Who "Browse..." asks; the folder chooser at first.
  void SetFolderPicker(FolderPicker picker);

  // The values given, with the entries taken in once OK accepted them.
  const OptionsValues& values() const { return values_; }

  void accept() override;

 private:
  OptionsValues values_;
  QCheckBox* alwaysOnTop_;
  QCheckBox* showTime_;
  QCheckBox* repeat_;
  QCheckBox* useDirectDraw_;
  FolderField* capturePath_;
};

}  // namespace tavrix
