#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QTreeView>
#include <functional>
#include <map>
#include <set>
#include <sys/stat.h>

#include "directx/DXInput.h"
#include "support/VirtualJoystick.h"
#include "frontend/MainWindowHarness.h"
#include "frontend/PreferenceValues.h"
#include "frontend/Preferences.h"
#include "platform/Cp1252.h"
#include "platform/Drives.h"
#include "platform/Files.h"

namespace {

using Work = std::function<void(TPreferencesFRM&)>;

struct PrefsWindow : MainWindowHarness {
  TempDir emu, pics, faq, cdD, cdE;
  PrefsWindow() {
    plat::SetCdRomDrivesForTests(std::vector<plat::CdRomDrive>{{"D:", cdD.path(), "", ""},
                                                               {"E:", cdE.path(), "", ""}});
    Make();
    LoadGames({"ZYPHON", "NEBULON"}, emu.path());
    TMainFRM& m = *window;
    m.FaqFilesDir = faq.path();
    m.TextEditor = "/usr/bin/editor";
    m.MameCdDrive = "D:";
    m.SetPictureTabCaptions({"Titles", "Snaps"});
    m.PictureTabs = {pics.path() + "titles/", pics.path() + "snap/"};
    plat::MakeDirs(pics.path() + "titles");
    plat::MakeDirs(pics.path() + "snap");
  }
  ~PrefsWindow() { plat::SetCdRomDrivesForTests(std::nullopt); }
  TMainFRM& w() { return *window; }

  // Opens the preferences, works them and ends with `key` (Return = Ok, Escape = Cancel,
  // Qt::Key_Close = the title bar's close, Qt::Key_Cancel = the Cancel button); gives the
  // window's modal result.
  int Run(const Work& work, int key = Qt::Key_Return) {
    int result = -1;
    seam.modalHandlers.push_back([&](QWidget* window) {
      auto& d = *qobject_cast<TPreferencesFRM*>(window);
      d.setProperty("modalResult", 0);
      d.show();
      work(d);
      if (key == Qt::Key_Close) {
        d.close();
      } else if (key == Qt::Key_Cancel) {
        d.CancelBTN->click();
      } else {
        // Typed with no button focused (Enter on a focused button presses that button).
        if (QWidget* f = d.focusWidget()) f->clearFocus();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&d, &press);
      }
      result = d.property("modalResult").toInt();
      return result;
    });
    w().OptionsPreferencesACTNExecute();
    return result;
  }

  // Every setting the window edits, by name.
  std::map<std::string, std::string> Settings() {
    TMainFRM& m = w();
    std::map<std::string, std::string> s;
    auto b = [](bool v) { return std::string(v ? "1" : "0"); };
    s["CheckSamplesOnRun"] = b(m.CheckSamplesOnRun);
    s["CheckCRCOnRun"] = b(m.CheckCRCOnRun);
    s["CreateFakeFiles"] = b(m.CreateFakeFiles);
    s["MameCd"] = b(m.MameCdEnabled);
    s["MameCdDrive"] = m.MameCdDrive;
    s["BoldFontSize"] = std::to_string(m.BoldFontSize);
    s["NormalFontSize"] = std::to_string(m.NormalFontSize);
    s["TextEditor"] = m.TextEditor;
    s["FaqFiles"] = m.FaqFilesDir;
    s["UseStats"] = b(m.UseStats);
    s["KillPifFile"] = b(m.KillPifFile);
    s["DXGameSelect"] = b(m.DXGameSelect);
    for (size_t i = 0; i < m.ListingFlags.size(); ++i)
      s["Listing" + std::to_string(i)] = std::to_string(m.ListingFlags[i]);
    s["Buttons"] = std::to_string(m.PlayButton) + std::to_string(m.TopButton) +
                   std::to_string(m.BottomButton) + std::to_string(m.PageUpButton) +
                   std::to_string(m.PageDownButton) + std::to_string(m.RandomButton);
    for (int i = 0; i < m.ScreenShotPGE->count(); ++i)
      s["Tabs"] += plat::ToAnsi(m.ScreenShotPGE->tabText(i)) + "=" +
                   m.PictureTabs[static_cast<size_t>(i)] + ";";
    return s;
  }
};

void SetCell(TPreferencesFRM& d, int row, int column, const std::string& text) {
  d.PicTypeList->item(row, column)->setText(plat::FromLocal(text));
}

std::set<std::string> Changed(const std::map<std::string, std::string>& a,
                              const std::map<std::string, std::string>& b) {
  std::set<std::string> keys;
  for (const auto& [k, v] : a)
    if (b.at(k) != v) keys.insert(k);
  return keys;
}

}  // namespace

TEST(Preferences, EachControlChangesItsOwnSettingOnOkAndNothingOnCancel) {
  struct Row {
    const char* setting;
    Work change;
  };
  const Row rows[] = {
      {"CheckSamplesOnRun", [](TPreferencesFRM& d) { d.TestSamples->click(); }},
      {"CheckCRCOnRun", [](TPreferencesFRM& d) { d.TestCRC->click(); }},
      {"CreateFakeFiles", [](TPreferencesFRM& d) { d.CreateMissingFiles->click(); }},
      {"MameCd", [](TPreferencesFRM& d) { d.MameCd->click(); }},
      {"MameCdDrive", [](TPreferencesFRM& d) { d.CdRom->setCurrentIndex(1); }},
      {"BoldFontSize", [](TPreferencesFRM& d) { d.BoldText->setCurrentIndex(5); }},
      {"NormalFontSize", [](TPreferencesFRM& d) { d.NormalText->setCurrentIndex(2); }},
      {"TextEditor", [](TPreferencesFRM& d) { d.TextEditor->setText("/opt/ed"); }},
      {"FaqFiles", [](TPreferencesFRM& d) { d.FaqFilesDir->setText(d.FaqFilesDir->text() + "x"); }},
      {"UseStats", [](TPreferencesFRM& d) { d.Stats->click(); }},
      {"Listing2", [](TPreferencesFRM& d) { d.ListingOptions->item(0)->setCheckState(Qt::Checked); }},
      {"Listing0", [](TPreferencesFRM& d) { d.ListingOptions->item(1)->setCheckState(Qt::Checked); }},
      {"Listing6", [](TPreferencesFRM& d) { d.ListingOptions->item(6)->setCheckState(Qt::Unchecked); }},
      {"Tabs", [](TPreferencesFRM& d) { SetCell(d, 1, 1, "Snapshots"); }},
      {"Buttons", [](TPreferencesFRM& d) { d.AssignJoyButton(prefs::JoyTop, 3); }},
  };
  const int cancels[3] = {Qt::Key_Escape, Qt::Key_Close, Qt::Key_Cancel};
  int n = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.setting);
    PrefsWindow h;
    h.seam.messageAnswers = {plat::IDYES};  // a new FAQ folder is made
    const auto before = h.Settings();
    EXPECT_EQ(h.Run(row.change, cancels[n++ % 3]), mrCancel);
    EXPECT_EQ(h.Settings(), before);
    EXPECT_EQ(h.Run(row.change), mrOk);
    EXPECT_EQ(Changed(before, h.Settings()), std::set<std::string>{row.setting});
  }
}

TEST(Preferences, ShowsTheSettingsAndMendsWhatCannotBeShown) {
  PrefsWindow h;
  TMainFRM& m = h.w();
  m.BoldFontSize = 11;
  m.MameCdDrive = "e:";
  m.MameCdEnabled = true;
  h.Run([](TPreferencesFRM& d) {
    EXPECT_EQ(d.windowTitle(), "Velmora - Preferences");
    EXPECT_EQ(d.BoldText->currentText(), "10");
    EXPECT_EQ(d.NormalText->currentText(), "8");
    EXPECT_EQ(d.CdRom->currentText(), "E:");
    EXPECT_TRUE(d.CdRom->isEnabled());
    EXPECT_EQ(d.TopBTN->text(), "List top: B6");
    EXPECT_EQ(d.RandomBTN->text(), "Random select: B1");
    EXPECT_EQ(d.PicTypeLBL->text(), "Installed picture types (2 total):");
    d.MameCd->click();
    EXPECT_FALSE(d.CdRom->isEnabled());
    d.MameCd->click();
  });
  EXPECT_EQ(m.BoldFontSize, 10);
  EXPECT_EQ(m.MameCdDrive, "E:");

  // No optical drive: MAMECD use goes off and stays off.
  plat::SetCdRomDrivesForTests(std::vector<plat::CdRomDrive>{});
  h.Run([](TPreferencesFRM& d) {
    EXPECT_EQ(d.CdRom->count(), 0);
    EXPECT_FALSE(d.MameCd->isChecked());
    EXPECT_FALSE(d.MameCd->isEnabled());
  });
  EXPECT_FALSE(m.MameCdEnabled);
  EXPECT_EQ(m.MameCdDrive, "");
  // Any folder can be the drive; it is kept as its path and shown again.
  h.seam.folderAnswers = {h.cdE.path() + "DISC1"};
  h.Run([](TPreferencesFRM& d) {
    d.CdRomBrowseBTN->click();
    EXPECT_TRUE(d.MameCd->isEnabled());
    d.MameCd->click();
  });
  EXPECT_TRUE(m.MameCdEnabled);
  EXPECT_EQ(m.MameCdDrive, h.cdE.path() + "DISC1");
  plat::SetCdRomDrivesForTests(std::vector<plat::CdRomDrive>{{"D:", h.cdD.path(), "", ""}});
  h.Run([&](TPreferencesFRM& d) {
    EXPECT_EQ(d.CdRom->count(), 2);
    EXPECT_EQ(plat::ToLocal(d.CdRom->currentText()), h.cdE.path() + "DISC1");
    EXPECT_TRUE(d.MameCd->isChecked());
  });
  EXPECT_EQ(m.MameCdDrive, h.cdE.path() + "DISC1");

  // Statistics off: their views go.
  h.Run([](TPreferencesFRM& d) { d.Stats->click(); });
  EXPECT_FALSE(m.StatsNPlaysACTN->isVisible());
  EXPECT_FALSE(m.StatsPlayingTimeACTN->isVisible());
}

TEST(Preferences, JoystickButtonsNeverShareAButton) {
  prefs::JoyButtons b = {3, 6, 5, 4, 2, 1};  // play, top, bottom, page up, page down, random
  prefs::AssignJoyButton(b, prefs::JoyTop, 3);
  EXPECT_EQ(b, (prefs::JoyButtons{6, 3, 5, 4, 2, 1}));
  prefs::AssignJoyButton(b, prefs::JoyTop, 9);
  EXPECT_EQ(b, (prefs::JoyButtons{6, 9, 5, 4, 2, 1}));

  PrefsWindow h;
  h.Run([](TPreferencesFRM& d) {
    // The capture button that is down takes the pressed button; one is down at a time.
    for (QPushButton* b : d.JoyBTN) b->setEnabled(true);
    d.TopBTN->setChecked(true);
    d.PlayBTN->setChecked(true);
    EXPECT_FALSE(d.TopBTN->isChecked());
    d.TopBTN->setChecked(true);
    d.JoyButtonPressed(3);
    EXPECT_FALSE(d.TopBTN->isChecked());
    EXPECT_EQ(d.TopBTN->text(), "List top: B3");
    EXPECT_EQ(d.PlayBTN->text(), "Play: B6");
    d.JoyButtonPressed(4);  // nothing is down: no change
    EXPECT_EQ(d.PgUpBTN->text(), "Page up: B4");
  });
  EXPECT_EQ(h.w().TopButton, 3);
  EXPECT_EQ(h.w().PlayButton, 6);
}

TEST(Preferences, CaptureFromAVirtualJoystick) {
  SdlUse sdl;
  if (!sdl.Up()) GTEST_SKIP() << "SDL cannot start";
  VirtualJoystick stick(2, 12);
  ASSERT_TRUE(stick.Ok());
  PrefsWindow h;
  QTimer* timer = nullptr;
  h.Run([&](TPreferencesFRM& d) {
    timer = d.JoyCheckTMR;
    d.show();
    ASSERT_TRUE(d.UseDirectX->isEnabled());
    EXPECT_FALSE(d.BottomBTN->isEnabled());
    d.UseDirectX->click();
    EXPECT_TRUE(d.BottomBTN->isEnabled());
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 25);
    d.DirectX->SetActiveOnly(false);
    d.BottomBTN->click();
    stick.Button(8, true);  // button 9
    d.JoyCheckTMRTimer();
    stick.Button(8, false);
    EXPECT_EQ(d.BottomBTN->text(), "List bottom: B9");
    EXPECT_FALSE(d.BottomBTN->isChecked());
    d.hide();
    EXPECT_FALSE(timer->isActive());
  });
  EXPECT_TRUE(h.w().DXGameSelect);
  EXPECT_EQ(h.w().BottomButton, 9);
  EXPECT_TRUE(h.w().JoyCheckTMR->isActive());
  h.w().SwitchJoystick(false);
}

TEST(Preferences, PictureGridEditing) {
  PrefsWindow h;
  h.seam.folderAnswers = {h.pics.path() + "flyers"};
  h.Run([&](TPreferencesFRM& d) {
    d.show();
    QApplication::processEvents();
    const int col0 = d.PicTypeList->columnWidth(0), width = d.PicTypeList->viewport()->width();
    EXPECT_EQ(col0, width / 10);
    d.AddBTN->click();
    EXPECT_EQ(d.PicTypeList->item(2, 1)->text(), "Collection 3");
    d.PathEditBrowseBTN->click();
    EXPECT_EQ(d.PicTypeList->item(2, 2)->text().toStdString(), h.pics.path() + "flyers/");
    d.MovePictureRow(2, 0);
    EXPECT_EQ(d.PicTypeList->item(0, 1)->text(), "Collection 3");
    EXPECT_EQ(d.PicTypeList->item(0, 0)->text(), "1");
    while (d.AddBTN->isEnabled()) d.AddBTN->click();
    EXPECT_EQ(d.PicTypeList->rowCount(), 20);  // Add stops at 20
    EXPECT_EQ(d.PicTypeLBL->text(), "Installed picture types (20 total):");
    while (d.DeleteBTN->isEnabled()) d.DeleteBTN->click();
    EXPECT_FALSE(d.PicTypeList->isEnabled());
    EXPECT_EQ(d.PicTypeList->rowCount(), 1);
    EXPECT_FALSE(d.PathEditBrowseBTN->isEnabled());
  });
  EXPECT_EQ(h.Settings()["Tabs"], "None=;");
  EXPECT_TRUE(h.seam.messages.empty());

  // Default replaces the rows after its question.
  h.seam.messages.clear();
  h.seam.messageAnswers = {plat::IDYES, plat::IDNO};
  h.w().MAMEDirectories.snap = h.pics.path() + "snap";
  h.Run([](TPreferencesFRM& d) {
    d.DefaultBTN->click();
    EXPECT_EQ(d.PicTypeList->rowCount(), 8);
    EXPECT_EQ(d.PicTypeList->item(6, 1)->text(), "Control panels");
  });
  ASSERT_GE(h.seam.messages.size(), 2u);
  EXPECT_EQ(h.seam.messages[0].text,
            "This will replace your tabs with the default ones.\rAre you sure?");
  EXPECT_EQ(h.w().ScreenShotPGE->count(), 8);
  EXPECT_EQ(h.w().PictureTabs[7], h.pics.path() + "snap/");
}

TEST(Preferences, OkAsksAboutRowsAndFoldersAndStaysOpenWhenTheyCannotBeSaved) {
  PrefsWindow h;
  const auto before = h.Settings();
  auto twoWithoutFolders = [](TPreferencesFRM& d) {
    d.AddBTN->click();
    d.AddBTN->click();
    d.TestCRC->click();
  };
  h.seam.messageAnswers = {plat::IDNO};
  EXPECT_EQ(h.Run(twoWithoutFolders), 0);  // still open
  ASSERT_EQ(h.seam.messages.size(), 1u);
  EXPECT_EQ(h.seam.messages[0].text,
            "2 collections do not have a corresponding image collection directory.\r"
            "Do you want to remove them from the list?");
  EXPECT_EQ(h.Settings(), before);

  // A folder that cannot be made is told, and nothing is saved.
  h.seam.messages.clear();
  const std::string file = h.pics.write("plain", "x");
  h.seam.messageAnswers = {plat::IDYES};
  EXPECT_EQ(h.Run([&](TPreferencesFRM& d) {
              d.AddBTN->click();
              SetCell(d, 2, 2, file + "/sub");
              d.TestCRC->click();
            }),
            0);
  ASSERT_EQ(h.seam.messages.size(), 2u);
  EXPECT_EQ(h.seam.messages[0].text, "The directory " + file +
                                         "/sub/ does not exist.\rDo you want Velmora to create it?");
  EXPECT_EQ(h.seam.messages[1].text, "The directory " + file + "/sub/ could not be created.");
  EXPECT_EQ(h.Settings(), before);

  // Names the settings file cannot keep are refused, naming the row and quoting the name as
  // typed, and stay as typed.
  const std::pair<const char*, const char*> unstorable[] = {
      {"a=b", "\"=\""}, {" Ωmega 日本", "characters the settings file cannot hold"}};
  for (const auto& [name, why] : unstorable) {
    h.seam.messages.clear();
    EXPECT_EQ(h.Run([&](TPreferencesFRM& d) {
                SetCell(d, 1, 1, name);
                d.OkBTN->click();
                EXPECT_EQ(d.PicTypeList->item(1, 1)->text(), QString::fromUtf8(name));
              }),
              0);
    ASSERT_EQ(h.seam.messages.size(), 2u);
    EXPECT_EQ(h.seam.messages[0].shown, "The name of tab 2 (\"" + plat::Trim(name) +
                                            "\") cannot be stored: it has " + why + " in it.");
    EXPECT_EQ(h.Settings(), before);
  }
  // So is a name another tab has in any case: the file would keep one folder for both.
  h.seam.messages.clear();
  EXPECT_EQ(h.Run([](TPreferencesFRM& d) { SetCell(d, 1, 1, " TITLES "); }), 0);
  ASSERT_EQ(h.seam.messages.size(), 1u);
  EXPECT_EQ(h.seam.messages[0].text,
            "The name of tab 2 (\"TITLES\") cannot be stored: tab 1 has the same name.");
  EXPECT_EQ(h.Settings(), before);

  // One row without a folder: the singular question; Yes removes it and saves.
  h.seam.messages.clear();
  h.seam.messageAnswers = {plat::IDYES};
  EXPECT_EQ(h.Run([](TPreferencesFRM& d) {
              d.AddBTN->click();
              SetCell(d, 0, 1, "  ");
            }),
            mrOk);
  EXPECT_EQ(h.seam.messages[0].text,
            "1 collection does not have a corresponding image collection directory.\r"
            "Do you want to remove it from the list?");
  EXPECT_EQ(h.Settings()["Tabs"],
            "Collection 1=" + h.pics.path() + "titles/;Snaps=" + h.pics.path() + "snap/;");
}

TEST(Preferences, ListOptionsRebuildTheListKeepingTheTab) {
  PrefsWindow h;
  h.AddFilter("Mine", {"ZYPHON"}, 0);
  h.w().ListTabs->setCurrentIndex(1);
  h.Run([](TPreferencesFRM& d) {
    d.ListingOptions->item(0)->setCheckState(Qt::Checked);
    d.ListingOptions->item(4)->setCheckState(Qt::Unchecked);
  });
  EXPECT_EQ(h.w().ListTabs->currentIndex(), 1);
  const QModelIndex first = h.w().TreeList->model()->index(0, 0);
  EXPECT_NE(first.data().toString().indexOf("ZYPHON"), -1) << first.data().toString().toStdString();
}

TEST(Preferences, KeysAndLayout) {
  PrefsWindow h;
  h.Run([](TPreferencesFRM& d) {
    d.show();
    QApplication::processEvents();
    std::set<QChar> keys;
    for (QAbstractButton* b : d.findChildren<QAbstractButton*>()) {
      const QString t = b->text();
      const int amp = t.indexOf('&');
      if (amp >= 0 && amp + 1 < t.size()) {
        SCOPED_TRACE(t.toStdString());
        EXPECT_TRUE(keys.insert(t[amp + 1].toLower()).second);
      }
      if (b->isVisible()) {
        EXPECT_GE(b->width(), b->sizeHint().width()) << t.toStdString();
      }
    }
    std::set<std::string> buddies;
    for (QLabel* l : d.findChildren<QLabel*>()) {
      if (l->isVisible()) {
        EXPECT_GE(l->width(), l->sizeHint().width()) << l->text().toStdString();
      }
      const int amp = l->text().indexOf('&');
      if (l->buddy() && amp >= 0 && amp + 1 < l->text().size()) {
        buddies.insert(l->text().toStdString());
        EXPECT_TRUE(keys.insert(l->text()[amp + 1].toLower()).second) << l->text().toStdString();
      }
    }
    EXPECT_EQ(buddies, (std::set<std::string>{"&Text editor:", "FA&Q files directory:", "&Headers:",
                                              "&Normal text:", "CD-ROM dri&ve:"}));
    // Tab goes top to bottom, left column first, each group left to right; Ok and Cancel last.
    const std::vector<std::string> want = {
        "UseDirectX", "TopBTN", "BottomBTN", "PgUpBTN", "PlayBTN", "RandomBTN", "PgDnBTN",
        "TestSamples", "TestCRC", "CreateMissingFiles", "MameCd", "CdRom", "BoldText",
        "NormalText", "TextEditor", "TextEditorBrowseBTN", "FaqFilesDir",
        "FaqFilesDirBrowseBTN", "Stats", "KillPif", "PicTypeList", "PathEditBrowseBTN",
        "AddBTN", "DeleteBTN", "DefaultBTN", "ListingOptions", "OkBTN", "CancelBTN"};
    std::vector<std::string> chain;
    QWidget* w = d.UseDirectX;
    do {
      const std::string name = w->objectName().toStdString();
      if (std::find(want.begin(), want.end(), name) != want.end()) chain.push_back(name);
      w = w->nextInFocusChain();
    } while (w != d.UseDirectX);
    EXPECT_EQ(chain, want);
    EXPECT_FALSE(d.KillPif->isEnabled());
    EXPECT_FALSE(d.KillPif->toolTip().isEmpty());
  }, Qt::Key_Escape);
}
