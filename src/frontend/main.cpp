#include "frontend/main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QShowEvent>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

TMainFRM::TMainFRM(QWidget* owner) : TDXForm(owner) {
  QApplication::setApplicationName("Velmora");
  setWindowTitle("Velmora");
  setMinimumSize(760, 570);
  setObjectName("MainFRM");

  ToolBAR = addToolBar("ToolBAR");
  ToolBAR->setObjectName("ToolBAR");

  MainSPLT = new QSplitter(Qt::Horizontal, this);
  auto* left = new QWidget(MainSPLT);
  left->setObjectName("MainLeftPNL");
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  LeftSPLT = new QSplitter(Qt::Vertical, left);
  auto* listPanel = new QWidget(LeftSPLT);
  auto* listLayout = new QVBoxLayout(listPanel);
  listLayout->setContentsMargins(0, 0, 0, 0);
  listLayout->setSpacing(0);
  ListTabs = new QTabBar(listPanel);
  ListTabs->setObjectName("ListTabs");
  ListTabs->setExpanding(false);
  ListTabs->addTab("All games");
  FiltersBAR = new QToolBar("FiltersBAR", listPanel);
  FiltersBAR->setObjectName("FiltersBAR");
  TreeList = new QTreeView(listPanel);
  TreeList->setObjectName("TreeList");
  TreeList->setHeaderHidden(true);
  TreeList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  TreeList->setUniformRowHeights(true);
  listLayout->addWidget(ListTabs);
  listLayout->addWidget(FiltersBAR);
  listLayout->addWidget(TreeList, 1);
  QuickInfoBOX = new QTextEdit(LeftSPLT);
  QuickInfoBOX->setObjectName("QuickInfoBOX");
  QuickInfoBOX->setReadOnly(true);
  QuickInfoBOX->setLineWrapMode(QTextEdit::NoWrap);
  QuickInfoBOX->setFont(QFont("Courier New", 9));
  QuickInfoBOX->setMinimumHeight(100);
  LeftSPLT->addWidget(listPanel);
  LeftSPLT->addWidget(QuickInfoBOX);
  leftLayout->addWidget(LeftSPLT);
  left->setMinimumWidth(200);

  auto* right = new QWidget(MainSPLT);
  right->setObjectName("MainRightPNL");
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  ScreenShotPGE = new QTabWidget(right);
  ScreenShotPGE->setObjectName("ScreenShotPGE");
  SnapShot = new QLabel;
  SnapShot->setObjectName("SnapShot");
  SnapShot->setAlignment(Qt::AlignCenter);
  ScreenShotPGE->addTab(SnapShot, "None");
  auto* infoLine = new QWidget(right);
  auto* infoLayout = new QHBoxLayout(infoLine);
  infoLayout->setContentsMargins(4, 2, 4, 2);
  ImageSize = new QLabel(infoLine);
  ImagePath = new QLabel(infoLine);
  infoLayout->addWidget(new QLabel("Image size:", infoLine));
  infoLayout->addWidget(ImageSize);
  infoLayout->addWidget(new QLabel("Image file name:", infoLine));
  infoLayout->addWidget(ImagePath, 1);
  GameRecordingPNL = new QWidget(right);
  GameRecordingPNL->setObjectName("GameRecordingPNL");
  rightLayout->addWidget(ScreenShotPGE, 1);
  rightLayout->addWidget(infoLine);
  rightLayout->addWidget(GameRecordingPNL);
  MainSPLT->addWidget(left);
  MainSPLT->addWidget(right);
  MainSPLT->setSizes({385, 375});
  setCentralWidget(MainSPLT);

  StatusPanel0 = new QLabel(this);
  StatusPanel0->setMinimumWidth(150);
  StatusPanel1 = new QLabel(this);
  StatusPanel1->setMinimumWidth(50);
  statusBar()->addWidget(StatusPanel0);
  statusBar()->addWidget(StatusPanel1, 1);

  JoyCheckTMR = new QTimer(this);
  JoyCheckTMR->setInterval(100);
  SlideShowTMR = new QTimer(this);
}

TMainFRM::~TMainFRM() = default;

void TMainFRM::closeEvent(QCloseEvent* e) { TDXForm::closeEvent(e); }

void TMainFRM::showEvent(QShowEvent* e) { TDXForm::showEvent(e); }
