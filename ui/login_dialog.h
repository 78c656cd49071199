#pragma once
#include <string>

#include <QDialog>

#include "ui/dialog_prompts.h"

class QCheckBox;
class QFormLayout;
class QLabel;
class QLineEdit;

namespace tavrix {

class NumberEdit;

// What the login dialog shows and gives back.
struct LoginValues {
  bool dynamicIp = false;  // ask the dynamic-IP server for the DVR by name
  std::string ipAddress;   // the DVR's address or host name (direct)
  int port = 0;            // the DVR's port (direct), 1-65535
  std::string dvrName;     // the DVR's name at the dynamic-IP server
  std::string password;    // out only: the dialog always starts with an empty one

  bool operator==(const LoginValues&) const = default;
};

// "Login": connects to a DVR directly ("IP address:", "Port:", "Password:")
// or through the dynamic-IP service ("Select DVR" with the DVR's name, no
// port). The variant is the caller's dynamicIp; the "Use dynamic ip service"
// check box that switches it exists but stays hidden. "Login" refuses a port
// outside 1-65535 with a prompt; it then stores the address into ipAddress
// (direct) or dvrName (dynamic) and the password, and closes.
//
//   LoginDialog login(values, this);
//   if (login.exec() == QDialog::Accepted) Connect(login.values());
class LoginDialog : public QDialog {
  Q_OBJECT

 public:
  explicit LoginDialog(const LoginValues& values, QWidget* parent = nullptr);

  void SetPrompts(DialogPrompts prompts) { prompts_ = std::move(prompts); }

  // The values given, with the entries taken in once "Login" accepted them.
  const LoginValues& values() const { return values_; }

  void accept() override;

 private:
  void ShowVariant();

  LoginValues values_;
  DialogPrompts prompts_ = DialogPrompts::MessageBoxes();
  QCheckBox* dynamicIp_;
  QFormLayout* form_;
  QLabel* addressLabel_;
  QLineEdit* address_;
  NumberEdit* port_;
  QLineEdit* password_;
};

}  // namespace tavrix
