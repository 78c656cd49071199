#include "ui/login_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "ui/dialog_style.h"
#include "ui/number_edit.h"

namespace tavrix {

LoginDialog::LoginDialog(const LoginValues& values, QWidget* parent)
    : QDialog(parent),
      values_(values),
      dynamicIp_(new QCheckBox(QStringLiteral("Use dynamic ip service"), this)),
      form_(new QFormLayout),
      addressLabel_(new QLabel(this)),
      address_(new QLineEdit(this)),
      port_(new NumberEdit(1, 65535, this)),
      password_(new QLineEdit(this)) {
  setWindowTitle(QStringLiteral("Login"));
  ApplyDialogFont(this);
  values_.password.clear();

  dynamicIp_->setObjectName(QStringLiteral("dynamicIp"));
  addressLabel_->setObjectName(QStringLiteral("addressLabel"));
  address_->setObjectName(QStringLiteral("address"));
  port_->setObjectName(QStringLiteral("port"));
  password_->setObjectName(QStringLiteral("password"));
  password_->setEchoMode(QLineEdit::Password);
  address_->setMinimumWidth(180);

  form_->addRow(addressLabel_, address_);
  auto* portLabel = new QLabel(QStringLiteral("Port:"), this);
  portLabel->setObjectName(QStringLiteral("portLabel"));
  form_->addRow(portLabel, port_);
  form_->addRow(QStringLiteral("Password:"), password_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(dynamicIp_);
  layout->addLayout(form_);
  layout->addWidget(MakeOkCancelButtons(this, QStringLiteral("Login")));
  layout->setSizeConstraint(QLayout::SetFixedSize);
  dynamicIp_->hide();

  dynamicIp_->setChecked(values_.dynamicIp);
  port_->SetValue(static_cast<std::uint32_t>(values_.port < 0 ? 0 : values_.port));
  ShowVariant();
  connect(dynamicIp_, &QCheckBox::toggled, this, [this](bool on) {
    values_.dynamicIp = on;
    ShowVariant();
  });
  password_->setFocus();
}

// The address edit shows the stored value of the variant; whatever was typed
// into it before a switch is dropped.
void LoginDialog::ShowVariant() {
  addressLabel_->setText(values_.dynamicIp ? QStringLiteral("Select DVR") : QStringLiteral("IP address:"));
  address_->setText(QString::fromStdString(values_.dynamicIp ? values_.dvrName : values_.ipAddress));
  form_->setRowVisible(port_, !values_.dynamicIp);
}

void LoginDialog::accept() {
  // The port is judged only where the user can see and mend it; the dynamic
  // variant passes the caller's port through.
  if (!values_.dynamicIp) {
    const std::optional<std::uint32_t> port = port_->TakeValue(prompts_);
    if (!port) return;
    values_.port = static_cast<int>(*port);
  }
  (values_.dynamicIp ? values_.dvrName : values_.ipAddress) = address_->text().toStdString();
  values_.password = password_->text().toStdString();
  QDialog::accept();
}

}  // namespace tavrix
