#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

#include "tests/ui/recorded_prompts.h"
#include "ui/folder_chooser.h"

namespace tavrix {

class FolderChooserTest : public QObject {
  Q_OBJECT

  // A chooser open on the temporary folder, answering through `recorded`.
  struct Open {
    explicit Open(const QString& initial, RecordedPrompts& recorded)
        : chooser(QString::fromLatin1(FolderChooser::kCaption), QString::fromLatin1(FolderChooser::kPrompt),
                  initial) {
      chooser.SetPrompts(recorded.prompts());
      chooser.show();
      edit = chooser.findChild<QLineEdit*>(QStringLiteral("path"));
      ok = chooser.findChild<QPushButton*>(QStringLiteral("ok"));
    }
    // Types the path and presses OK; true when the chooser accepted it.
    bool Submit(const QString& path) {
      edit->setText(path);
      ok->setFocus();  // where a user's focus is when OK is pressed
      QTest::mouseClick(ok, Qt::LeftButton);
      return chooser.result() == QDialog::Accepted && !chooser.isVisible();
    }
    FolderChooser chooser;
    QLineEdit* edit;
    QPushButton* ok;
  };

 private slots:
  void opensOnTheInitialFolderWithTheCallersTexts() {
    QTemporaryDir temp;
    RecordedPrompts recorded;
    Open open(temp.path(), recorded);
    QCOMPARE(open.chooser.windowTitle(), QStringLiteral("Find Folder"));
    QCOMPARE(open.edit->text(), temp.path());
    QVERIFY(open.ok->isEnabled());
    // A folder still to be made keeps its text, ready to be confirmed.
    Open missing(temp.filePath(QStringLiteral("later/on")), recorded);
    QCOMPARE(missing.edit->text(), temp.filePath(QStringLiteral("later/on")));
    // No initial folder at all: the current directory.
    Open none(QString(), recorded);
    QCOMPARE(none.edit->text(), QDir::currentPath());
  }

  void okFollowsTheEditNotItsValidity() {
    QTemporaryDir temp;
    RecordedPrompts recorded;
    Open open(temp.path(), recorded);
    open.edit->clear();
    QVERIFY(!open.ok->isEnabled());
    open.edit->setText(QStringLiteral("not/absolute"));
    QVERIFY(open.ok->isEnabled());
  }

  void choosingInTheTreeFillsTheEdit() {
    QTemporaryDir temp;
    QVERIFY(QDir(temp.path()).mkdir(QStringLiteral("picked")));
    RecordedPrompts recorded;
    Open open(temp.path(), recorded);
    auto* tree = open.chooser.findChild<QTreeView*>();
    auto* model = qobject_cast<QFileSystemModel*>(tree->model());
    tree->setCurrentIndex(model->index(temp.filePath(QStringLiteral("picked"))));
    QCOMPARE(open.edit->text(), temp.filePath(QStringLiteral("picked")));
  }

  void existingFolderIsAcceptedWithoutAQuestion() {
    QTemporaryDir temp;
    RecordedPrompts recorded;
    Open open(QString(), recorded);
    QVERIFY(open.Submit(temp.path()));
    QCOMPARE(open.chooser.path(), temp.path());
    QVERIFY(recorded.questions.isEmpty());
    QVERIFY(recorded.warnings.isEmpty());
  }

  void missingFoldersAreMadeAfterOneYes() {
    QTemporaryDir temp;
    const QString wanted = temp.filePath(QStringLiteral("Capture/2024"));
    RecordedPrompts recorded;
    Open open(temp.path(), recorded);
    QVERIFY(open.Submit(wanted));
    QCOMPARE(recorded.questions,
             QStringList{QStringLiteral("The folder:\n\n%1\n\ndoes not exist. Do you want the folder to be created?")
                             .arg(wanted)});
    QVERIFY(QFileInfo(wanted).isDir());
    QCOMPARE(open.chooser.path(), wanted);
  }

  void noLeavesTheDiskAloneAndTheChooserOpen() {
    QTemporaryDir temp;
    RecordedPrompts recorded;
    recorded.answer = false;
    Open open(temp.path(), recorded);
    QVERIFY(!open.Submit(temp.filePath(QStringLiteral("Capture/2024"))));
    QCOMPARE(recorded.questions.size(), 1);
    QVERIFY(recorded.warnings.isEmpty());
    QVERIFY(QDir(temp.path()).isEmpty());
    QVERIFY(open.chooser.isVisible());
    QCOMPARE(open.chooser.focusWidget(), open.edit);
    QVERIFY(open.chooser.path().isEmpty());
  }

  void refusalsShowTheirMessageAndStay_data() {
    QTest::addColumn<QString>("name");  // below the temporary folder; "" for the path as is
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("ending");
    const QString invalid = QStringLiteral("is invalid. Please reenter.");
    const QString uncreatable = QStringLiteral("can not be created. Please double check.");
    QTest::newRow("relative") << "" << "Capture/2024" << invalid;
    QTest::newRow("trailing slash") << "new/" << "" << invalid;
    QTest::newRow("double slash") << "new//x" << "" << invalid;
    QTest::newRow("dot dot") << "new/../x" << "" << invalid;
    QTest::newRow("longer than 4095 bytes") << QString(4096, u'x') << "" << invalid;
    QTest::newRow("a file") << "file" << "" << uncreatable;
    QTest::newRow("below a file") << "file/sub" << "" << uncreatable;
  }

  void refusalsShowTheirMessageAndStay() {
    QFETCH(QString, name);
    QFETCH(QString, path);
    QFETCH(QString, ending);
    QTemporaryDir temp;
    QFile file(temp.filePath(QStringLiteral("file")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    if (path.isEmpty()) path = temp.path() + u'/' + name;

    RecordedPrompts recorded;
    Open open(temp.path(), recorded);
    QVERIFY(!open.Submit(path));
    QCOMPARE(recorded.warnings, QStringList{QStringLiteral("The folder:\n\n%1\n\n%2").arg(path, ending)});
    QVERIFY(open.chooser.isVisible());
    QCOMPARE(open.edit->text(), path);  // never cut
    QCOMPARE(open.chooser.focusWidget(), open.edit);
    QCOMPARE(QDir(temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"file"});
  }
};

}  // namespace tavrix

QTEST_MAIN(tavrix::FolderChooserTest)
#include "folder_chooser_test.moc"
