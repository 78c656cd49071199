#include "ui/network_options_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/dialog_style.h"
#include "ui/folder_field.h"
#include "ui/number_edit.h"

namespace tavrix {

NetworkOptionsDialog::NetworkOptionsDialog(const NetworkOptionsValues& values, QWidget* parent)
    : QDialog(parent), values_(values) {
  setWindowTitle(QStringLiteral("Network Options"));
  ApplyDialogFont(this);

  auto* general = new QGroupBox(QStringLiteral("General"), this);
  auto* switches = new QGridLayout(general);
  alwaysOnTop_ = MakeCheckBox(QStringLiteral("Always on top"), "alwaysOnTop", values_.alwaysOnTop);
  useDirectDraw_ = MakeCheckBox(QStringLiteral("Use DirectDraw"), "useDirectDraw", values_.useDirectDraw);
  autoReconnect_ = MakeCheckBox(QStringLiteral("Auto Reconnection (&C)"), "autoReconnect", values_.autoReconnect);
  QCheckBox* repeat = MakeCheckBox(QStringLiteral("Repeat playback (&R)"), "repeat", false);
  repeat->setEnabled(false);
  switches->addWidget(alwaysOnTop_, 0, 0);
  switches->addWidget(autoReconnect_, 0, 1);
  switches->addWidget(useDirectDraw_, 1, 0);
  switches->addWidget(repeat, 1, 1);

  timeoutSeconds_ = new NumberEdit(1, kMaxTimeoutSeconds, general);
  timeoutSeconds_->setObjectName(QStringLiteral("timeoutSeconds"));
  timeoutSeconds_->SetValue(values_.timeoutMs / 1000);
  timeoutSeconds_->setMaximumWidth(80);
  auto* timeout = new QHBoxLayout;
  timeout->addWidget(new QLabel(QStringLiteral("Connection Timeout:"), general));
  timeout->addWidget(timeoutSeconds_);
  timeout->addWidget(new QLabel(QStringLiteral("sec"), general));
  timeout->addStretch(1);
  switches->addLayout(timeout, 2, 0, 1, 2);

  recordingPath_ = new FolderField(QStringLiteral("Path for recording file"), this);
  recordingPath_->setObjectName(QStringLiteral("recordingPath"));
  recordingPath_->SetPath(values_.recordingPath);

  auto* mouse = new QGroupBox(QStringLiteral("Mouse Remote Control"), this);
  auto* modes = new QVBoxLayout(mouse);
  mouseMode_ = new QButtonGroup(this);
  const QString texts[] = {QStringLiteral("Disable"), QStringLiteral("Enable && Hidden cusor on DVR side"),
                           QStringLiteral("Enable && Display cusor on DVR side")};
  for (int mode = 0; mode < 3; ++mode) {
    auto* button = new QRadioButton(texts[mode], mouse);
    button->setObjectName(QStringLiteral("mouseMode%1").arg(mode));
    button->setChecked(mode == values_.mouseMode);
    mouseMode_->addButton(button, mode);
    modes->addWidget(button);
  }

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(general);
  layout->addWidget(recordingPath_);
  layout->addWidget(mouse);
  layout->addWidget(MakeOkCancelButtons(this));
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void NetworkOptionsDialog::SetFolderPicker(FolderPicker picker) {
  recordingPath_->SetPicker(std::move(picker));
}

void NetworkOptionsDialog::accept() {
  const std::optional<std::uint32_t> seconds = timeoutSeconds_->TakeValue(prompts_);
  if (!seconds) return;
  values_.alwaysOnTop = alwaysOnTop_->isChecked();
  values_.useDirectDraw = useDirectDraw_->isChecked();
  values_.autoReconnect = autoReconnect_->isChecked();
  values_.timeoutMs = *seconds * 1000;
  values_.recordingPath = recordingPath_->path();
  // A mode the caller gave outside the group checks no button and stays.
  if (mouseMode_->checkedId() >= 0) values_.mouseMode = mouseMode_->checkedId();
  QDialog::accept();
}

}  // namespace tavrix
