#include "ui/about_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/artwork.h"
#include "ui/dialog_style.h"

namespace tavrix {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("About Viewer"));
  ApplyDialogFont(this);

  auto* icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("icon"));
  icon->setPixmap(Artwork::ApplicationIcon().pixmap(32, 32));
  icon->setAlignment(Qt::AlignTop);

  auto* name = new QLabel(QStringLiteral("Tavrix Viewer 2.81"), this);
  name->setObjectName(QStringLiteral("name"));
  QFont bold = name->font();
  bold.setBold(true);
  name->setFont(bold);

  auto* texts = new QGridLayout;
  texts->addWidget(name, 0, 0, 1, 2);
  texts->addWidget(new QLabel(QStringLiteral("Version:"), this), 1, 0);
  texts->addWidget(new QLabel(QStringLiteral("2.8.1.0"), this), 1, 1);
  texts->addWidget(new QLabel(QStringLiteral("Version:"), this), 2, 0);
  texts->addWidget(new QLabel(QStringLiteral("2.81"), this), 2, 1);
  texts->setColumnStretch(1, 1);
  texts->setColumnMinimumWidth(1, 120);
  texts->setHorizontalSpacing(12);

  auto* body = new QHBoxLayout;
  body->addWidget(icon);
  body->addSpacing(16);
  body->addLayout(texts, 1);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(18, 18, 18, 12);
  layout->addLayout(body);
  layout->addSpacing(12);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  setWindowIcon(Artwork::ApplicationIcon());
}

}  // namespace tavrix
