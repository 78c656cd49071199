#include "ui/folder_chooser.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "ui/dialog_style.h"
#include "ui/folder_path_rules.h"

namespace tavrix {

FolderChooser::FolderChooser(const QString& caption, const QString& prompt, const QString& initialFolder,
                             QWidget* parent)
    : QDialog(parent),
      model_(new QFileSystemModel(this)),
      tree_(new QTreeView(this)),
      edit_(new QLineEdit(this)) {
  setWindowTitle(caption);
  ApplyDialogFont(this);

  edit_->setObjectName(QStringLiteral("path"));
  model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  model_->setRootPath(QDir::rootPath());
  tree_->setModel(model_);
  tree_->setHeaderHidden(true);
  for (int column = 1; column < model_->columnCount(); ++column) tree_->hideColumn(column);
  tree_->setSortingEnabled(true);
  tree_->sortByColumn(0, Qt::AscendingOrder);
  tree_->setMinimumSize(360, 320);

  QDialogButtonBox* buttons = MakeOkCancelButtons(this);
  ok_ = buttons->findChild<QPushButton*>(QStringLiteral("ok"));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(prompt, this));
  layout->addWidget(edit_);
  layout->addWidget(tree_, 1);
  layout->addWidget(buttons);

  connect(edit_, &QLineEdit::textChanged, this, [this](const QString& text) { ok_->setEnabled(!text.isEmpty()); });
  connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this, &FolderChooser::TakeTreeSelection);
  connect(model_, &QAbstractItemModel::rowsInserted, this, &FolderChooser::FollowCurrent);
  connect(model_, &QAbstractItemModel::layoutChanged, this, &FolderChooser::FollowCurrent);
  connect(tree_->verticalScrollBar(), &QAbstractSlider::actionTriggered, this, [this] { following_ = false; });

  const QString start = initialFolder.isEmpty() ? QDir::currentPath() : initialFolder;
  ShowInTree(start);
  edit_->setText(start);
  ok_->setEnabled(!start.isEmpty());
  edit_->setFocus();
}

FolderPicker FolderChooser::Picker() {
  return [](QWidget* parent, const QString& initial) -> std::optional<QString> {
    FolderChooser chooser(QString::fromLatin1(kCaption), QString::fromLatin1(kPrompt), initial, parent);
    if (chooser.exec() != QDialog::Accepted) return std::nullopt;
    return chooser.path();
  };
}

// Selects the folder, or the nearest existing folder above it, so a folder
// still to be made opens the tree where it will go.
void FolderChooser::ShowInTree(const QString& folder) {
  QString shown = QDir::cleanPath(QDir(folder).absolutePath());
  while (!QFileInfo(shown).isDir() && shown != QDir::rootPath()) shown = QFileInfo(shown).path();
  const QModelIndex index = model_->index(shown);
  if (!index.isValid()) return;
  tree_->setCurrentIndex(index);
  tree_->scrollTo(index, QAbstractItemView::PositionAtCenter);
  following_ = true;
}

// The model lists folders in the background and sorts them as they arrive,
// which moves the rows: keep the initial folder in view until the user
// scrolls or picks another.
void FolderChooser::FollowCurrent() {
  if (!following_ || scrollPending_) return;
  scrollPending_ = true;
  QTimer::singleShot(0, this, [this] {
    scrollPending_ = false;
    if (following_) tree_->scrollTo(tree_->currentIndex(), QAbstractItemView::PositionAtCenter);
  });
}

void FolderChooser::TakeTreeSelection() {
  following_ = false;
  const QModelIndex current = tree_->currentIndex();
  if (current.isValid()) edit_->setText(model_->filePath(current));
}

void FolderChooser::accept() {
  const QString typed = edit_->text();
  const std::string shown = typed.toStdString();
  const auto message = [](const std::string& text) { return QString::fromStdString(text); };
  switch (AcceptFolder(QFile::encodeName(typed).toStdString(),
                       [&] { return prompts_.ask(this, message(CreateFolderQuestion(shown))); })) {
    case FolderDecision::kAccepted:
      path_ = typed;
      QDialog::accept();
      return;
    case FolderDecision::kInvalid:
      prompts_.warn(this, message(InvalidFolderMessage(shown)));
      break;
    case FolderDecision::kCannotCreate:
      prompts_.warn(this, message(UncreatableFolderMessage(shown)));
      break;
    case FolderDecision::kDeclined:
      break;
  }
  edit_->setFocus();
}

}  // namespace tavrix
