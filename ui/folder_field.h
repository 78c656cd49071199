#pragma once
#include <string>

#include <QGroupBox>

#include "ui/folder_chooser.h"

class QLineEdit;
class QPushButton;

namespace tavrix {

// A titled group with a folder path edit and a "Browse..." button that asks
// the folder picker (the folder chooser unless another is set), starting at
// the path in the edit; a chosen folder replaces the edit's text. Paths go
// in and out as bytes in the file system's encoding.
class FolderField : public QGroupBox {
  Q_OBJECT

 public:
  explicit FolderField(const QString& title, QWidget* parent = nullptr);

  void SetPath(const std::string& path);
  std::string path() const;

  void SetPicker(FolderPicker picker) { picker_ = std::move(picker); }

  QLineEdit* edit() const { return edit_; }
  QPushButton* browseButton() const { return browse_; }

 private:
  void Browse();

  QLineEdit* edit_;
  QPushButton* browse_;
  FolderPicker picker_ = FolderChooser::Picker();
};

}  // namespace tavrix
