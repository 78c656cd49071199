#pragma once
#include <QDialog>

namespace tavrix {

// "About Viewer": the application icon, the name "Tavrix Viewer 2.81" and
// the file and product versions, with OK.
class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace tavrix
