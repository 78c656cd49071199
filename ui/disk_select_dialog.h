#pragma once
#include <functional>
#include <string>
#include <vector>

#include <QDialog>

#include "storage/disk_list.h"

class QListWidget;

namespace tavrix {

// Asks for a disk image file; an empty text when the user cancels.
using DiskImagePicker = std::function<QString(QWidget* parent)>;

// "Disk Select": the disks it is given (normally ListDisks()), one line each
// in the storage layer's format, the first selected. OK (or a double click)
// gives the chosen disk's device path, an empty path when the list is empty.
// "Open Disk Image..." asks for an image file instead and, when one is
// picked, closes with its path as the result; the viewer reads either in
// disk mode.
//
//   DiskSelectDialog select(ListDisks(), this);
//   if (select.exec() == QDialog::Accepted) OpenDisk(select.devicePath());
class DiskSelectDialog : public QDialog {
  Q_OBJECT

 public:
  explicit DiskSelectDialog(std::vector<DiskEntry> disks, QWidget* parent = nullptr);

  // Who "Open Disk Image..." asks; a file dialog at first.
  void SetImagePicker(DiskImagePicker picker) { imagePicker_ = std::move(picker); }

  // After OK: the device or image path, bytes in the file system's encoding.
  const std::string& devicePath() const { return devicePath_; }

  void accept() override;

 private:
  void OpenImage();

  std::vector<DiskEntry> disks_;
  QListWidget* list_;
  int selected_ = 0;
  DiskImagePicker imagePicker_;
  std::string devicePath_;
};

}  // namespace tavrix
