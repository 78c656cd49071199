#pragma once
#include <functional>
#include <optional>

#include <QDialog>
#include <QString>

#include "ui/dialog_prompts.h"

class QFileSystemModel;
class QLineEdit;
class QPushButton;
class QTreeView;

namespace tavrix {

// Asks the user for a folder, starting at `initial`; nothing on Cancel.
using FolderPicker = std::function<std::optional<QString>(QWidget* parent, const QString& initial)>;

// A folder dialog with an editable path above the folder tree. Choosing a
// folder in the tree puts its path into the edit; OK is enabled while the
// edit is not empty and then judges the typed path (folder_path_rules.h):
// an invalid one or one that cannot be made is refused with its message, a
// missing one is made only when the user says yes to the question. A refusal
// keeps the dialog open with the focus in the edit.
//
//   FolderChooser chooser(FolderChooser::kCaption, FolderChooser::kPrompt, current, this);
//   if (chooser.exec() == QDialog::Accepted) use(chooser.path());
class FolderChooser : public QDialog {
  Q_OBJECT

 public:
  static constexpr const char* kCaption = "Find Folder";
  static constexpr const char* kPrompt = "Select Folder";

  // An empty initialFolder starts at the current directory.
  FolderChooser(const QString& caption, const QString& prompt, const QString& initialFolder,
                QWidget* parent = nullptr);

  void SetPrompts(DialogPrompts prompts) { prompts_ = std::move(prompts); }

  // The accepted folder as typed; empty until OK accepts one.
  const QString& path() const { return path_; }

  // The chooser with the callers' caption and prompt, as a FolderPicker.
  static FolderPicker Picker();

  void accept() override;

 private:
  void ShowInTree(const QString& folder);
  void TakeTreeSelection();
  void FollowCurrent();

  QFileSystemModel* model_;
  QTreeView* tree_;
  QLineEdit* edit_;
  QPushButton* ok_;
  DialogPrompts prompts_ = DialogPrompts::MessageBoxes();
  QString path_;
  bool following_ = false;
  bool scrollPending_ = false;
};

}  // namespace tavrix
