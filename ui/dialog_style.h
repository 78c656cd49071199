#pragma once
#include <QString>

class QCheckBox;
class QDialog;
class QDialogButtonBox;

namespace tavrix {

// What the small modal dialogs share: Arial at 9 points (or the closest sans
// serif the system has) and a right-aligned row of an accepting button and
// "Cancel", wired to the dialog's accept and reject.
void ApplyDialogFont(QDialog* dialog);
QDialogButtonBox* MakeOkCancelButtons(QDialog* dialog, const QString& okText = QStringLiteral("OK"));

// A check box with an object name for tests to find it by.
QCheckBox* MakeCheckBox(const QString& text, const char* name, bool checked);

}  // namespace tavrix
