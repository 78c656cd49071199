#include "ui/options_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QVBoxLayout>

#include "ui/dialog_style.h"
#include "ui/folder_field.h"

namespace tavrix {

OptionsDialog::OptionsDialog(const OptionsValues& values, QWidget* parent)
    : QDialog(parent), values_(values) {
  setWindowTitle(QStringLiteral("Options"));
  ApplyDialogFont(this);

  auto* general = new QGroupBox(QStringLiteral("General"), this);
  auto* switches = new QVBoxLayout(general);
  alwaysOnTop_ = MakeCheckBox(QStringLiteral("Always on top"), "alwaysOnTop", values_.alwaysOnTop);
  showTime_ = MakeCheckBox(QStringLiteral("Show playback time"), "showTime", values_.showTime);
  repeat_ = MakeCheckBox(QStringLiteral("Repeat playback (&R)"), "repeat", values_.repeat);
  useDirectDraw_ = MakeCheckBox(QStringLiteral("Use DirectDraw"), "useDirectDraw", values_.useDirectDraw);
  for (QCheckBox* box : {alwaysOnTop_, showTime_, repeat_, useDirectDraw_}) switches->addWidget(box);

  capturePath_ = new FolderField(QStringLiteral("Path for still capture"), this);
  capturePath_->setObjectName(QStringLiteral("capturePath"));
  capturePath_->SetPath(values_.capturePath);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(general);
  layout->addWidget(capturePath_);
  layout->addWidget(MakeOkCancelButtons(this));
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void OptionsDialog::SetFolderPicker(FolderPicker picker) {
  capturePath_->SetPicker(std::move(picker));
}

void OptionsDialog::accept() {
  values_.alwaysOnTop = alwaysOnTop_->isChecked();
  values_.showTime = showTime_->isChecked();
  values_.repeat = repeat_->isChecked();
  values_.useDirectDraw = useDirectDraw_->isChecked();
  values_.capturePath = capturePath_->path();
  QDialog::accept();
}

}  // namespace tavrix
