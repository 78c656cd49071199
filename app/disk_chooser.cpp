#include "app/disk_chooser.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "storage/disk_list.h"

namespace tavrix {

DiskChooser::DiskChooser(QWidget* parent, const std::string& sysBlockDir, const std::string& devDir)
    : QDialog(parent), list_(new QListWidget(this)) {
  setWindowTitle("Open Disk");
  for (const DiskEntry& disk : ListDisks(sysBlockDir, devDir)) {
    QString line = QString::fromStdString(FormatDiskLine(disk));
    if (!disk.readable) line += "  (no permission to read)";
    auto* item = new QListWidgetItem(line, list_);
    item->setData(Qt::UserRole, QString::fromStdString(disk.devicePath));
    if (!disk.readable) item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  QPushButton* image = buttons->addButton("Disk Image...", QDialogButtonBox::ActionRole);
  buttons->button(QDialogButtonBox::Ok)->setEnabled(false);
  connect(list_, &QListWidget::currentItemChanged, this, [this, buttons](QListWidgetItem* item) {
    buttons->button(QDialogButtonBox::Ok)->setEnabled(item != nullptr && (item->flags() & Qt::ItemIsEnabled));
  });
  connect(list_, &QListWidget::itemDoubleClicked, this, &DiskChooser::ChooseSelected);
  connect(buttons, &QDialogButtonBox::accepted, this, &DiskChooser::ChooseSelected);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(image, &QPushButton::clicked, this, &DiskChooser::ChooseImage);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(list_->count() == 0 ? "No disks were found." : "Choose the DVR's disk:", this));
  layout->addWidget(list_);
  layout->addWidget(buttons);
  resize(460, 260);
}

QStringList DiskChooser::lines() const {
  QStringList lines;
  for (int i = 0; i < list_->count(); ++i) lines.append(list_->item(i)->text());
  return lines;
}

void DiskChooser::ChooseSelected() {
  const QListWidgetItem* item = list_->currentItem();
  if (item == nullptr || !(item->flags() & Qt::ItemIsEnabled)) return;
  emit chosen(item->data(Qt::UserRole).toString());
  accept();
}

void DiskChooser::ChooseImage() {
  const QString path = QFileDialog::getOpenFileName(this, "Open Disk Image", {}, "All Files (*)");
  if (path.isEmpty()) return;
  emit chosen(path);
  accept();
}

}  // namespace tavrix
