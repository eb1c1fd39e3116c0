#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
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
