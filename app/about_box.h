#pragma once
#include <QDialog>

namespace tavrix {

// The program's name, its two version numbers and its icon.
class AboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit AboutBox(QWidget* parent = nullptr);
};

}  // namespace tavrix
