#include "ui/dialog_prompts.h"

#include <QMessageBox>
#include <QWidget>

namespace tavrix {
namespace {

QString TitleOf(QWidget* parent) {
  return parent ? parent->windowTitle() : QString();
}

}  // namespace

DialogPrompts DialogPrompts::MessageBoxes() {
  return {
      [](QWidget* parent, const QString& text) { QMessageBox::warning(parent, TitleOf(parent), text); },
      [](QWidget* parent, const QString& text) {
        return QMessageBox::question(parent, TitleOf(parent), text, QMessageBox::Yes | QMessageBox::No) ==
               QMessageBox::Yes;
      },
  };
}

}  // namespace tavrix
