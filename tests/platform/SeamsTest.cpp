#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QTreeView>

#include "platform/Seams.h"
#include "support/TempDir.h"

// A file dialog opens wide enough to show its detail columns whole, and the next one opens at
// the size the user left.
TEST(FileDialog, OpensWideEnoughAndAtTheSizeLeft) {
  TempDir dir;
  dir.write("a file with a rather long name.txt", std::string(326, 'x'));
  plat::FileDialogRequest req;
  req.initialDir = dir.path();
  req.filter = "All files (*.*)|*.*";
  // Two file dialogs, then a folder dialog: each opens at the size the last was left at.
  struct Run { QSize leave, seen; bool clipped = true; } runs[3];
  runs[0].leave = QSize(700, 450);
  runs[1].leave = QSize(710, 480);
  runs[2].leave = QSize(690, 470);
  for (Run& run : runs) {
    // The first dialog is looked at until the folder's file is listed unclipped (read in the
    // background, however late), or for a minute as a guard against a hang.
    QTimer look;
    int ticks = 0;
    const bool first = &run == &runs[0];
    QObject::connect(&look, &QTimer::timeout, [&run, &look, &ticks, first] {
      auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!d) return;
      run.seen = d->size();
      if (auto* view = d->findChild<QTreeView*>("treeView")) {
        const QModelIndex root = view->rootIndex();
        run.clipped = view->model()->rowCount(root) == 0;  // nothing shown counts as a failure
        for (int r = 0; r < view->model()->rowCount(root); ++r)
          for (int c = 1; c < view->header()->count(); ++c)
            run.clipped |= view->header()->sectionSize(c) <
                           view->fontMetrics().horizontalAdvance(
                               view->model()->index(r, c, root).data().toString());
      }
      if (first && run.clipped && ++ticks < 3000) return;
      look.stop();
      d->resize(run.leave);
      d->reject();
    });
    look.start(20);
    if (&run == &runs[2])
      EXPECT_FALSE(plat::Ui().FolderDialog(nullptr, "Folder", dir.path()));
    else
      EXPECT_FALSE(plat::Ui().FileDialog(nullptr, req));
  }
  const QSize screen = QApplication::primaryScreen()->availableGeometry().size() * 9 / 10;
  static QSize left;  // by an earlier run of this test in this process
  EXPECT_EQ(runs[0].seen, left.isValid() ? left : QSize(900, 560).boundedTo(screen));
  EXPECT_FALSE(runs[0].clipped);
  EXPECT_EQ(runs[1].seen, runs[0].leave);
  EXPECT_EQ(runs[2].seen, runs[1].leave);
  left = runs[2].leave;
}

// A message box belongs to the window that asks: the modal dialog on top even when it asks
// through the main window, else the asker's window; before that is on the screen, none (the
// box goes to the middle of the screen). The box is centred over its owner.
TEST(MessageBox, BelongsToTheWindowThatAsksAndSitsOverIt) {
  QWidget main, dialog;
  main.resize(700, 500);
  dialog.resize(300, 200);
  EXPECT_EQ(plat::MessageBoxOwner(&main), nullptr);  // not shown yet
  main.show();
  main.move(10, 10);
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.show();
  dialog.move(600, 400);
  QCoreApplication::processEvents();
  struct Row { QWidget* asker; QWidget* owner; };
  for (const Row& r : {Row{&main, &dialog}, Row{nullptr, &dialog}, Row{&dialog, &dialog}}) {
    EXPECT_EQ(plat::MessageBoxOwner(r.asker), r.owner);
    QWidget* parent = &main;
    QPoint centre;
    QTimer::singleShot(0, [&parent, &centre] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      parent = box->parentWidget();
      centre = box->geometry().center();
      box->accept();
    });
    plat::Ui().MessageBox(r.asker, "Velmora", "Refused.", plat::MB_ICONERROR);
    EXPECT_EQ(parent, r.owner);
    EXPECT_LE((centre - dialog.geometry().center()).manhattanLength(), 20);  // frames aside
  }
  dialog.hide();
  EXPECT_EQ(plat::MessageBoxOwner(&main), &main);
}
