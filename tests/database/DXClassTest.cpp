#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <cmath>

#include "database/DXClass.h"
#include "support/ScriptedSeam.h"

TEST(WindowBase, CounterDrivesTheToolWindowState) {
  EXPECT_FALSE(TDXForm::ApplicationIsToolWindow());
  {
    TDXForm a, b;
    EXPECT_EQ(TDXForm::InstanceCount(), 2);
    EXPECT_TRUE(TDXForm::ApplicationIsToolWindow());
    EXPECT_TRUE(a.isWindow());
    EXPECT_EQ(a.parentWidget(), nullptr);
  }
  EXPECT_FALSE(TDXForm::ApplicationIsToolWindow());
  TDXForm c;
  EXPECT_TRUE(TDXForm::ApplicationIsToolWindow());
}

TEST(WindowBase, MinimisingOneWindowLeavesTheOthers) {
  TDXForm a, b;
  a.show();
  b.show();
  a.showMinimized();
  EXPECT_TRUE(a.isMinimized());
  EXPECT_FALSE(b.isMinimized());
  EXPECT_TRUE(b.isVisible());
}

TEST(WindowBase, ShowModalThroughTheSeam) {
  ScriptedSeam seam;
  TDXForm f;
  seam.modalHandlers.push_back([](QWidget* w) {
    static_cast<TDXForm*>(w)->SetModalResult(mrOk);
    return mrOk;
  });
  EXPECT_EQ(f.ShowModal(), mrOk);
  EXPECT_EQ(f.ShowModal(), mrCancel);  // no handler: cancelled
  EXPECT_EQ(seam.modalWindows.size(), 2u);
}

TEST(WindowBase, RealModalLoopEndsWhenAResultIsSet) {
  TDXForm f;
  QTimer::singleShot(50, &f, [&f] { f.SetModalResult(mrYes); });
  EXPECT_EQ(f.ShowModal(), mrYes);
  EXPECT_FALSE(f.isVisible());
}

TEST(DXBase, LibraryCacheLoadsOnce) {
  size_t before = DXClass::LoadedLibraryCount();
  void* a = DXClass::GetLibraryProc("libz.so.1", "inflate");
  void* b = DXClass::GetLibraryProc("LIBZ.SO.1", "inflate");
  EXPECT_EQ(a, b);
  EXPECT_EQ(DXClass::LoadedLibraryCount(), before + 1);
  try {
    DXClass::GetLibraryProc("DDraw.dll", "DirectDrawCreate");
    FAIL() << "no such library here";
  } catch (const DXClass::EDXError& e) {
    EXPECT_STREQ(e.what(), "DDraw.dll not loaded");
  }
  EXPECT_THROW(DXClass::GetLibraryProc("libz.so.1", "NoSuchProc"), DXClass::EDXError);
}

TEST(DXBase, HashBucketsAndCosines) {
  EXPECT_EQ(THashCollectionItem::BucketOf("abc"), 243);
  EXPECT_EQ(THashCollectionItem::BucketOf("cba"), 245);
  EXPECT_EQ(THashCollectionItem::BucketOf("ABC"), 243);
  EXPECT_EQ(THashCollectionItem::BucketOf("a"), 16);
  EXPECT_EQ(THashCollectionItem::BucketOf(""), 0);
  EXPECT_NEAR(DXClass::CosineTable[64], 0.0, 1e-12);
  EXPECT_NEAR(DXClass::CosineTable[128], -1.0, 1e-12);
  EXPECT_EQ(DXClass::Max(-3, 2), 2);
  EXPECT_EQ(DXClass::Min(-3, 2), -3);
}

TEST(DXBase, HashCollectionFilesAndUnfiles) {
  THashCollection c;
  auto* a = new THashCollectionItem(&c);
  auto* b = new THashCollectionItem(&c);
  auto* d = new THashCollectionItem(&c);
  a->SetName("abc");
  b->SetName("ABC");
  d->SetName("x");
  EXPECT_EQ(c.BucketHead(243), b);
  EXPECT_EQ(b->NextInBucket(), a);
  EXPECT_EQ(a->PrevInBucket(), b);
  EXPECT_EQ(d->Index(), 2);
  delete b;
  EXPECT_EQ(c.BucketHead(243), a);
  EXPECT_EQ(a->PrevInBucket(), nullptr);
  EXPECT_EQ(d->Index(), 1);
  d->SetIndex(0);
  EXPECT_EQ(c.Item(0), d);
  EXPECT_EQ(a->Index(), 1);
  EXPECT_EQ(THashCollectionItem(&c).GetDisplayName(), "THashCollectionItem");
}

namespace {
struct Probe : TDirectX {
  int checks = 0;
  void Check() override { ++checks; }
};
}  // namespace

TEST(DXBase, ResultCheckOnlyOnFailure) {
  Probe p;
  p.SetDXResult(0);
  EXPECT_EQ(p.checks, 0);
  p.SetDXResult(0x8876017C);
  EXPECT_EQ(p.checks, 1);
  EXPECT_EQ(p.DXResult(), 0x8876017Cu);
}

TEST(DXBase, SubclassHookSeesEventsUntilRemoved) {
  QObject target;
  int seen = 0;
  {
    TControlSubClass hook(&target, [&](QObject*, QEvent*) { ++seen; return false; });
    QEvent e(QEvent::User);
    QCoreApplication::sendEvent(&target, &e);
  }
  QEvent e(QEvent::User);
  QCoreApplication::sendEvent(&target, &e);
  EXPECT_EQ(seen, 1);
  // The control may die first: the hook's end does not touch it.
  auto* control = new QObject;
  TControlSubClass late(control, [](QObject*, QEvent*) { return false; });
  delete control;
}
