#pragma once
#include <QDialog>
#include <QString>
#include <string>

class QListWidget;

namespace tavrix {

// Lists the block devices that may hold a DVR disk and hands back the one
// chosen; a disk image file can be chosen instead.
class DiskChooser : public QDialog {
  Q_OBJECT

 public:
  explicit DiskChooser(QWidget* parent = nullptr, const std::string& sysBlockDir = "/sys/block",
                       const std::string& devDir = "/dev");

  // The devices' lines as shown, in order.
  QStringList lines() const;

 signals:
  // The device or image to open as a disk.
  void chosen(const QString& path);

 private:
  void ChooseSelected();
  void ChooseImage();

  QListWidget* list_;
};

}  // namespace tavrix
