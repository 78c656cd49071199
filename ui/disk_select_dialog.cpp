#include "ui/disk_select_dialog.h"

#include <QFile>
#include <QFileDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialog_style.h"

namespace tavrix {
namespace {

QString OpenImageFileDialog(QWidget* parent) {
  return QFileDialog::getOpenFileName(parent, QStringLiteral("Open Disk Image"), QString(),
                                      QStringLiteral("Disk images (*.img *.dd *.raw *.bin *.iso);;All files (*)"));
}

}  // namespace

DiskSelectDialog::DiskSelectDialog(std::vector<DiskEntry> disks, QWidget* parent)
    : QDialog(parent), disks_(std::move(disks)), list_(new QListWidget(this)), imagePicker_(OpenImageFileDialog) {
  setWindowTitle(QStringLiteral("Disk Select"));
  ApplyDialogFont(this);

  // The lines are laid out in columns, which only a fixed-pitch font keeps.
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  fixed.setPointSize(font().pointSize());
  list_->setFont(fixed);
  list_->setObjectName(QStringLiteral("disks"));
  for (const DiskEntry& disk : disks_) {
    auto* line = new QListWidgetItem(QString::fromStdString(FormatDiskLine(disk)), list_);
    const QString device = QFile::decodeName(QByteArray::fromStdString(disk.devicePath));
    if (disk.readable) {
      line->setToolTip(device);
    } else {
      line->setToolTip(QStringLiteral("%1: no permission to read it").arg(device));
      line->setForeground(palette().brush(QPalette::Disabled, QPalette::Text));
    }
  }
  if (!disks_.empty()) list_->setCurrentRow(0);
  list_->setMinimumWidth(list_->fontMetrics().horizontalAdvance(QStringLiteral("DISK0  Removable  0123456789 MB")) + 40);
  list_->setMinimumHeight(list_->fontMetrics().height() * 6);

  auto* image = new QPushButton(QStringLiteral("Open Disk Image..."), this);
  image->setObjectName(QStringLiteral("openImage"));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(image);
  buttons->addStretch(1);
  buttons->addWidget(MakeOkCancelButtons(this));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_, 1);
  layout->addLayout(buttons);

  connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0 && row < static_cast<int>(disks_.size())) selected_ = row;
  });
  connect(list_, &QListWidget::itemDoubleClicked, this, &DiskSelectDialog::accept);
  connect(image, &QPushButton::clicked, this, &DiskSelectDialog::OpenImage);
}

void DiskSelectDialog::accept() {
  devicePath_ = disks_.empty() ? std::string() : disks_[static_cast<std::size_t>(selected_)].devicePath;
  QDialog::accept();
}

void DiskSelectDialog::OpenImage() {
  const QString file = imagePicker_(this);
  if (file.isEmpty()) return;
  devicePath_ = QFile::encodeName(file).toStdString();
  QDialog::accept();
}

}  // namespace tavrix
