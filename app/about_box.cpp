#include "app/about_box.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>

#include "ui/artwork.h"

namespace tavrix {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
  setWindowTitle("About Tavrix Viewer");
  auto* icon = new QLabel(this);
  icon->setPixmap(Artwork::ApplicationIcon().pixmap(32, 32));
  auto* name = new QLabel("Tavrix Viewer 2.81", this);
  QFont bold = name->font();
  bold.setBold(true);
  name->setFont(bold);
  name->setObjectName("name");
  auto* fileVersion = new QLabel("2.8.1.0", this);
  fileVersion->setObjectName("fileVersion");
  auto* productVersion = new QLabel("2.81", this);
  productVersion->setObjectName("productVersion");
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QGridLayout(this);
  layout->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
  layout->addWidget(name, 0, 1);
  layout->addWidget(fileVersion, 1, 1);
  layout->addWidget(productVersion, 2, 1);
  layout->addWidget(buttons, 3, 0, 1, 2);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace tavrix
