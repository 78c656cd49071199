#include "ui/folder_field.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace tavrix {

FolderField::FolderField(const QString& title, QWidget* parent)
    : QGroupBox(title, parent), edit_(new QLineEdit(this)), browse_(new QPushButton(QStringLiteral("Browse..."), this)) {
  edit_->setMinimumWidth(240);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(edit_, 1);
  layout->addWidget(browse_);
  connect(browse_, &QPushButton::clicked, this, &FolderField::Browse);
}

void FolderField::SetPath(const std::string& path) {
  edit_->setText(QFile::decodeName(QByteArray::fromStdString(path)));
}

std::string FolderField::path() const {
  return QFile::encodeName(edit_->text()).toStdString();
}

void FolderField::Browse() {
  if (const std::optional<QString> chosen = picker_(window(), edit_->text())) edit_->setText(*chosen);
}

}  // namespace tavrix
