#include "frontend/Preferences.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "directx/DXInput.h"
#include "frontend/main.h"
#include "launch/SetSources.h"
#include "platform/Cp1252.h"
#include "platform/Drives.h"
#include "platform/Files.h"
#include "platform/Seams.h"

namespace {

const char* const kListingItems[7] = {"Romset names",       "Manufacturing years",
                                      "Manufacturers",      "Row numbers",
                                      "Additional folders", "Filter specific folders",
                                      "Place additional folders on list's root"};
// The flag of each item above in TMainFRM::ListingFlags.
const size_t kListingSlots[7] = {gametree::ListRomsetName,    gametree::ListYear,
                                 gametree::ListManufacturer,  gametree::ListRowNumber,
                                 gametree::AdditionalFolders, gametree::FilterOwnFolders,
                                 gametree::AddedFoldersAsRoot};

QComboBox* FontSizeBox(QWidget* parent, const char* name) {
  auto* box = new QComboBox(parent);
  box->setObjectName(name);
  for (int32_t size : prefs::kFontSizes) box->addItem(QString::number(size));
  return box;
}

// A label whose access key goes to `buddy`.
QLabel* Buddy(QWidget* parent, const char* caption, QWidget* buddy) {
  auto* l = new QLabel(QString::fromLatin1(caption), parent);
  l->setBuddy(buddy);
  return l;
}

// Appends the widgets Tab reaches in `layout`, in the order it shows them: a grid by rows,
// then columns; a box in its order; a group box by its own layout.
void InLayoutOrder(QLayout* layout, std::vector<QWidget*>& out) {
  struct Item {
    int row, column;
    QLayoutItem* item;
  };
  std::vector<Item> items;
  auto* grid = qobject_cast<QGridLayout*>(layout);
  for (int i = 0; i < layout->count(); ++i) {
    Item it{i, 0, layout->itemAt(i)};
    int rows = 1, columns = 1;
    if (grid) grid->getItemPosition(i, &it.row, &it.column, &rows, &columns);
    items.push_back(it);
  }
  std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
    return a.row != b.row ? a.row < b.row : a.column < b.column;
  });
  for (const Item& it : items) {
    if (QWidget* w = it.item->widget()) {
      if (w->focusPolicy() & Qt::TabFocus) out.push_back(w);
      if (w->layout()) InLayoutOrder(w->layout(), out);
    } else if (QLayout* inner = it.item->layout()) {
      InLayoutOrder(inner, out);
    }
  }
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
  auto* b = new QPushButton(QString::fromLatin1(caption), parent);
  b->setObjectName(name);
  b->setAutoDefault(false);
  return b;
}

}  // namespace

TPreferencesFRM::TPreferencesFRM(TMainFRM* owner)
    : TOptionDialog(owner, "PreferencesFRM"), main_(owner) {
  setWindowTitle("Velmora - Preferences");

  // Joystick.
  auto* joy = new QGroupBox("Joystick", Body);
  auto* joyLayout = new QGridLayout(joy);
  UseDirectX = MakeCheck(joy, "UseDirectX",
                         "Allow game selection using joystic&k (requires SDL joystick support)", "");
  joyLayout->addWidget(UseDirectX, 0, 0, 1, 3);
  const char* const joyNames[6] = {"PlayBTN", "TopBTN", "BottomBTN", "PgUpBTN", "PgDnBTN",
                                   "RandomBTN"};
  // Shown as top, bottom, page up / page down, play, random.
  const int joyCell[6][2] = {{2, 0}, {1, 0}, {1, 1}, {1, 2}, {2, 2}, {2, 1}};
  for (int f = 0; f < 6; ++f) {
    JoyBTN[f] = Button(joy, joyNames[f], "");
    JoyBTN[f]->setCheckable(true);
    JoyBTN[f]->setToolTip("Click then press joystick button");
    joyLayout->addWidget(JoyBTN[f], joyCell[f][0], joyCell[f][1]);
    connect(JoyBTN[f], &QPushButton::toggled, this, [this, f](bool down) {
      if (!down) return;
      // One group: at most one capture button is down.
      for (int other = 0; other < 6; ++other)
        if (other != f) JoyBTN[other]->setChecked(false);
    });
  }

  // Tests before a launch.
  auto* tests = new QGroupBox("Before running a game", Body);
  auto* testLayout = new QVBoxLayout(tests);
  TestSamples = MakeCheck(tests, "TestSamples", "Check sam&ples too", "");
  TestCRC = MakeCheck(tests, "TestCRC", "Forc&e rom CRC/size check", "");
  CreateMissingFiles = MakeCheck(
      tests, "CreateMissingFiles",
      "Create &fake rom files if required files are missing (MAME may crash with this)", "");
  for (QWidget* w : {TestSamples, TestCRC, CreateMissingFiles}) testLayout->addWidget(w);

  // MAMECD discs and report fonts.
  auto* cd = new QGroupBox("MAMECD", Body);
  auto* cdLayout = new QGridLayout(cd);
  MameCd = MakeCheck(cd, "MameCd", "Use MAMECD compliant d&iscs", "");
  CdRom = new QComboBox(cd);
  CdRom->setObjectName("CdRom");
  cdLayout->addWidget(MameCd, 0, 0, 1, 2);
  cdLayout->addWidget(Buddy(cd, "CD-ROM dri&ve:", CdRom), 1, 0);
  cdLayout->addWidget(CdRom, 1, 1, 1, 2);
  // Any folder can be the drive: a mounted disc or image, or the folder of a written disc.
  CdRomBrowseBTN = Button(cd, "CdRomBrowseBTN", "Fo&lder...");
  cdLayout->addWidget(CdRomBrowseBTN, 0, 2);
  cdLayout->setColumnStretch(2, 1);
  connect(CdRomBrowseBTN, &QPushButton::clicked, this, [this] { CdRomBrowseBTNClick(); });
  connect(CdRom, &QComboBox::currentTextChanged, CdRom, &QWidget::setToolTip);  // a long path
  auto* fonts = new QGroupBox("Report font sizes", Body);
  auto* fontLayout = new QGridLayout(fonts);
  BoldText = FontSizeBox(fonts, "BoldText");
  NormalText = FontSizeBox(fonts, "NormalText");
  fontLayout->addWidget(Buddy(fonts, "&Headers:", BoldText), 0, 0);
  fontLayout->addWidget(BoldText, 0, 1);
  fontLayout->addWidget(Buddy(fonts, "&Normal text:", NormalText), 1, 0);
  fontLayout->addWidget(NormalText, 1, 1);

  // Text editor and FAQ folder.
  auto* files = new QGroupBox("Files", Body);
  auto* fileLayout = new QGridLayout(files);
  TextEditor = new QLineEdit(files);
  TextEditor->setObjectName("TextEditor");
  TextEditorBrowseBTN = Button(files, "TextEditorBrowseBTN", "B&rowse...");
  FaqFilesDir = new QLineEdit(files);
  FaqFilesDir->setObjectName("FaqFilesDir");
  FaqFilesDirBrowseBTN = Button(files, "FaqFilesDirBrowseBTN", "Bro&wse...");
  fileLayout->addWidget(Buddy(files, "&Text editor:", TextEditor), 0, 0);
  fileLayout->addWidget(TextEditor, 0, 1);
  fileLayout->addWidget(TextEditorBrowseBTN, 0, 2);
  fileLayout->addWidget(Buddy(files, "FA&Q files directory:", FaqFilesDir), 1, 0);
  fileLayout->addWidget(FaqFilesDir, 1, 1);
  fileLayout->addWidget(FaqFilesDirBrowseBTN, 1, 2);

  // Picture tabs.
  auto* pictures = new QGroupBox("Pictures", Body);
  auto* picLayout = new QVBoxLayout(pictures);
  PicTypeLBL = new QLabel(pictures);
  PicTypeList = new QTableWidget(0, 3, pictures);
  PicTypeList->setObjectName("PicTypeList");
  PicTypeList->setHorizontalHeaderLabels({"N.", "Tab name", "Path to image directory"});
  PicTypeList->verticalHeader()->hide();
  PicTypeList->verticalHeader()->setDefaultSectionSize(20);
  PicTypeList->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  PicTypeList->setSelectionMode(QAbstractItemView::SingleSelection);
  PicTypeList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  PicTypeList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  PicTypeList->setTabKeyNavigation(false);
  PicTypeList->setToolTip("Drag a row by its number to move it");
  PicTypeList->viewport()->installEventFilter(this);
  auto* picButtons = new QHBoxLayout;
  PathEditBrowseBTN = Button(pictures, "PathEditBrowseBTN", "&Browse...");
  AddBTN = Button(pictures, "AddBTN", "&Add tab");
  DeleteBTN = Button(pictures, "DeleteBTN", "&Delete tab");
  DefaultBTN = Button(pictures, "DefaultBTN", "Defa&ult");
  for (QPushButton* b : {PathEditBrowseBTN, AddBTN, DeleteBTN, DefaultBTN}) picButtons->addWidget(b);
  picButtons->addStretch(1);
  picLayout->addWidget(PicTypeLBL);
  picLayout->addWidget(PicTypeList, 1);
  picLayout->addLayout(picButtons);

  // Statistics, shell and the game list.
  auto* misc = new QGroupBox("Other", Body);
  auto* miscLayout = new QVBoxLayout(misc);
  Stats = MakeCheck(misc, "Stats", "Enable &statistics functions", "");
  KillPif = MakeCheck(misc, "KillPif", "Force the shell to go full screen only when running a &game",
                      "Has no effect on this system; the setting is kept");
  miscLayout->addWidget(Stats);
  miscLayout->addWidget(KillPif);
  auto* list = new QGroupBox("Game list options:", Body);
  auto* listLayout = new QVBoxLayout(list);
  ListingOptions = new QListWidget(list);
  ListingOptions->setObjectName("ListingOptions");
  for (const char* item : kListingItems) {
    auto* it = new QListWidgetItem(QString::fromLatin1(item), ListingOptions);
    it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    it->setCheckState(Qt::Unchecked);
  }
  ListingOptions->setFixedHeight(ListingOptions->sizeHintForRow(0) * 7 +
                                 2 * ListingOptions->frameWidth() + 4);
  listLayout->addWidget(ListingOptions);

  auto* grid = new QGridLayout(Body);
  grid->setContentsMargins(0, 0, 0, 0);
  auto* left = new QVBoxLayout;
  left->addWidget(joy);
  left->addWidget(tests);
  auto* cdFonts = new QHBoxLayout;
  cdFonts->addWidget(cd, 1);
  cdFonts->addWidget(fonts);
  left->addLayout(cdFonts);
  left->addWidget(files);
  left->addWidget(misc);
  left->addStretch(1);
  auto* right = new QVBoxLayout;
  right->addWidget(pictures, 1);
  right->addWidget(list);
  grid->addLayout(left, 0, 0);
  grid->addLayout(right, 0, 1);
  grid->setColumnStretch(1, 1);

  JoyCheckTMR = new QTimer(this);
  JoyCheckTMR->setInterval(25);
  DirectX = TMainFRM::NewJoystickInput(this);

  connect(UseDirectX, &QCheckBox::clicked, this, [this] { UseDirectXClick(); });
  connect(JoyCheckTMR, &QTimer::timeout, this, [this] { JoyCheckTMRTimer(); });
  connect(MameCd, &QCheckBox::clicked, this, [this] { MameCdClick(); });
  connect(TextEditorBrowseBTN, &QPushButton::clicked, this, [this] { TextEditorBrowseBTNClick(); });
  connect(FaqFilesDirBrowseBTN, &QPushButton::clicked, this, [this] { FaqFilesDirBrowseBTNClick(); });
  connect(PathEditBrowseBTN, &QPushButton::clicked, this, [this] { PathEditBrowseBTNClick(); });
  connect(AddBTN, &QPushButton::clicked, this, [this] { AddBTNClick(); });
  connect(DeleteBTN, &QPushButton::clicked, this, [this] { DeleteBTNClick(); });
  connect(DefaultBTN, &QPushButton::clicked, this, [this] { DefaultBTNClick(); });

  // Tab follows the layout, whatever order the controls were made in; Ok and Cancel last.
  std::vector<QWidget*> order;
  InLayoutOrder(Body->layout(), order);
  order.push_back(OkBTN);
  order.push_back(CancelBTN);
  for (size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);

  // A fixed size, centred on the screen.
  centralWidget()->layout()->activate();
  setFixedSize(std::max(1000, sizeHint().width()), sizeHint().height());
  CenterOnScreen(this);
  FormCreate();
}

TPreferencesFRM::~TPreferencesFRM() = default;

void TPreferencesFRM::FormCreate() {
  for (const plat::CdRomDrive& d : plat::CdRomDrives())
    CdRom->addItem(QString::fromStdString(d.letter));
  if (main_ && plat::IsFolderDrive(main_->MameCdDrive)) SelectDriveFolder(main_->MameCdDrive);
  if (CdRom->count() == 0 && main_) main_->MameCdEnabled = false;
  // The joystick is read through SDL; without it the box cannot be ticked.
  if (!DirectX->DirectInput()) {
    UseDirectX->setEnabled(false);
    UseDirectX->setToolTip("Joysticks cannot be read: SDL's joystick support could not be started");
  }
  KillPif->setEnabled(false);
}

void TPreferencesFRM::FormShow() {
  setWindowTitle("Velmora - Preferences");
  TextEditor->setText(plat::FromLocal(main_->TextEditor));
  FaqFilesDir->setText(plat::FromLocal(main_->FaqFilesDir));
  FillPictureTypes();

  buttons_ = {main_->PlayButton,   main_->TopButton,      main_->BottomButton,
              main_->PageUpButton, main_->PageDownButton, main_->RandomButton};
  UpdateJoyButtonCaptions();
  UseDirectX->setChecked(main_->DXGameSelect);
  SetCaptureEnabled(UseDirectX->isChecked() && UseDirectX->isEnabled());

  TestSamples->setChecked(main_->CheckSamplesOnRun);
  TestCRC->setChecked(main_->CheckCRCOnRun);
  CreateMissingFiles->setChecked(main_->CreateFakeFiles);
  if (plat::IsFolderDrive(main_->MameCdDrive)) {
    SelectDriveFolder(main_->MameCdDrive);
  } else if (CdRom->count() > 0) {
    int index = 0;
    for (int i = 0; i < CdRom->count(); ++i)
      if (plat::SameText(plat::ToLocal(CdRom->itemText(i)), main_->MameCdDrive)) index = i;
    CdRom->setCurrentIndex(index);
  }
  MameCd->setChecked(CdRom->count() > 0 && main_->MameCdEnabled);
  MameCd->setEnabled(CdRom->count() > 0);
  MameCdClick();

  KillPif->setChecked(main_->KillPifFile);
  Stats->setChecked(main_->UseStats);
  for (int i = 0; i < 7; ++i)
    ListingOptions->item(i)->setCheckState(main_->ListingFlags[kListingSlots[i]] ? Qt::Checked
                                                                                : Qt::Unchecked);
  BoldText->setCurrentIndex(prefs::FontSizeItem(main_->BoldFontSize));
  NormalText->setCurrentIndex(prefs::FontSizeItem(main_->NormalFontSize));
}

void TPreferencesFRM::FormHide() {
  SetJoystickActive(false);
  RaiseCaptureButtons();
}

void TPreferencesFRM::hideEvent(QHideEvent* e) {
  FormHide();
  TOptionDialog::hideEvent(e);
}

// ---------------------------------------------------------------------------------------------
// Joystick capture.

void TPreferencesFRM::UpdateJoyButtonCaptions() {
  for (int f = 0; f < 6; ++f)
    JoyBTN[f]->setText(QString::fromStdString(prefs::JoyButtonCaption(f, buttons_[f])));
}

void TPreferencesFRM::SetCaptureEnabled(bool on) {
  for (QPushButton* b : JoyBTN) b->setEnabled(on);
  RaiseCaptureButtons();
  SetJoystickActive(on);
}

void TPreferencesFRM::RaiseCaptureButtons() {
  for (QPushButton* b : JoyBTN) b->setChecked(false);
}

void TPreferencesFRM::UseDirectXClick() { SetCaptureEnabled(UseDirectX->isChecked()); }

void TPreferencesFRM::JoyCheckTMRTimer() {
  DirectX->Update();
  JoyButtonPressed(TMainFRM::GetJoyButton(DirectX->States));
}

void TPreferencesFRM::JoyButtonPressed(uint8_t button) {
  if (button == 0) return;
  for (int f = 0; f < 6; ++f) {
    if (!JoyBTN[f]->isChecked()) continue;
    AssignJoyButton(f, button);
    RaiseCaptureButtons();
    UpdateJoyButtonCaptions();
    return;
  }
}

void TPreferencesFRM::AssignJoyButton(int function, uint8_t button) {
  prefs::AssignJoyButton(buttons_, function, button);
}

void TPreferencesFRM::SetJoystickActive(bool on) {
  DirectX->SetUseDirectInput(on);  // a no-op when already so
  on ? JoyCheckTMR->start() : JoyCheckTMR->stop();
}

// ---------------------------------------------------------------------------------------------
// MAMECD and browsing.

void TPreferencesFRM::MameCdClick() { SetEnabledColoured(CdRom, MameCd->isChecked()); }

void TPreferencesFRM::SelectDriveFolder(const std::string& folder) {
  const QString text = plat::FromLocal(folder);
  int index = CdRom->findText(text, Qt::MatchExactly);
  if (index < 0) {
    CdRom->addItem(text);
    index = CdRom->count() - 1;
  }
  CdRom->setCurrentIndex(index);
}

void TPreferencesFRM::CdRomBrowseBTNClick() {
  const std::string current = plat::ToLocal(CdRom->currentText());
  auto dir = plat::Ui().FolderDialog(
      this, "Choose the folder of the MAMECD disc (a mounted disc or image, or a written disc):",
      plat::IsFolderDrive(current) ? current : launch::DiscDriveRoot(current));
  if (!dir || !plat::IsFolderDrive(*dir)) return;
  SelectDriveFolder(*dir);
  MameCd->setEnabled(true);
}

void TPreferencesFRM::TextEditorBrowseBTNClick() {
  plat::FileDialogRequest req;
  req.title = "Select text editor";
  req.filter = "Programs (*)|*";
  req.initialDir = main_->EmulatorDir;
  req.fileName = main_->EmulatorExe;
  req.mustExist = true;
  if (auto file = plat::Ui().FileDialog(this, req)) TextEditor->setText(plat::FromLocal(*file));
}

void TPreferencesFRM::FaqFilesDirBrowseBTNClick() {
  if (auto dir = plat::Ui().FolderDialog(this, "Choose FAQ files directory:",
                                         plat::ToLocal(FaqFilesDir->text())))
    FaqFilesDir->setText(plat::FromLocal(*dir));
}

void TPreferencesFRM::PathEditBrowseBTNClick() {
  const int row = PicTypeList->currentRow();
  if (!PicTypeList->isEnabled() || row < 0) return;
  const std::vector<prefs::PictureRow> rows = PictureRows();
  const std::string name = rows[static_cast<size_t>(row)].name;
  const std::string title =
      name.empty() ? "Choose image directory:" : "Choose \"" + name + "\" image directory:";
  if (auto dir = plat::Ui().FolderDialog(this, title, rows[static_cast<size_t>(row)].folder))
    SetRow(row, row + 1, name, plat::WithSlash(*dir));
  PicTypeList->setFocus();
}

// ---------------------------------------------------------------------------------------------
// The picture grid.

int TPreferencesFRM::TabCount() const {
  return PicTypeList->isEnabled() ? PicTypeList->rowCount() : 0;
}

void TPreferencesFRM::SetRow(int row, int number, const std::string& name,
                             const std::string& folder) {
  auto* n = new QTableWidgetItem(number > 0 ? QString::number(number) : QString());
  n->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  PicTypeList->setItem(row, 0, n);
  PicTypeList->setItem(row, 1, new QTableWidgetItem(plat::FromAnsi(name)));
  PicTypeList->setItem(row, 2, new QTableWidgetItem(plat::FromLocal(folder)));
}

std::vector<prefs::PictureRow> TPreferencesFRM::PictureRows() const {
  std::vector<prefs::PictureRow> rows;
  if (!PicTypeList->isEnabled()) return rows;
  auto text = [this](int r, int c) {
    QTableWidgetItem* it = PicTypeList->item(r, c);
    return it ? it->text() : QString();
  };
  for (int r = 0; r < PicTypeList->rowCount(); ++r) {
    const QString name = text(r, 1);
    rows.push_back({plat::ToAnsi(name), plat::ToLocal(text(r, 2)), !plat::FitsAnsi(name)});
  }
  return rows;
}

void TPreferencesFRM::SetPictureRows(const std::vector<prefs::PictureRow>& rows) {
  if (rows.empty()) {
    BlankGrid();
  } else {
    SetEnabledColoured(PicTypeList, true);
    PicTypeList->setRowCount(static_cast<int>(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i)
      SetRow(static_cast<int>(i), static_cast<int>(i) + 1, rows[i].name, rows[i].folder);
  }
  PictureGridChanged();
}

void TPreferencesFRM::BlankGrid() {
  PicTypeList->setRowCount(1);
  SetRow(0, 0, "", "");
  SetEnabledColoured(PicTypeList, false);
}

void TPreferencesFRM::PictureGridChanged() {
  const int tabs = TabCount();
  PicTypeLBL->setText(QString::fromStdString(prefs::PictureLabel(tabs)));
  AddBTN->setEnabled(tabs < prefs::kMaxPictureTabs);
  DeleteBTN->setEnabled(PicTypeList->isEnabled());
  PathEditBrowseBTN->setEnabled(PicTypeList->isEnabled());
  SetColumnWidths();
  for (int r = 0; r < PicTypeList->rowCount() && PicTypeList->isEnabled(); ++r)
    if (QTableWidgetItem* n = PicTypeList->item(r, 0)) n->setText(QString::number(r + 1));
}

void TPreferencesFRM::SetColumnWidths() {
  const int width = PicTypeList->viewport()->width();
  PicTypeList->setColumnWidth(0, width / 10);
  PicTypeList->setColumnWidth(1, width / 3);
  PicTypeList->setColumnWidth(2, width - width / 10 - width / 3);
}

void TPreferencesFRM::FillPictureTypes() {
  std::vector<prefs::PictureRow> rows;
  for (size_t i = 0; i < main_->PictureTabs.size() && rows.size() < prefs::kMaxPictureTabs; ++i) {
    if (main_->PictureTabs[i].empty()) continue;
    const int tab = static_cast<int>(i);
    rows.push_back({tab < main_->ScreenShotPGE->count()
                        ? plat::ToAnsi(main_->ScreenShotPGE->tabText(tab))
                        : std::string(),
                    main_->PictureTabs[i]});
  }
  SetPictureRows(rows);
  if (PicTypeList->isEnabled()) PicTypeList->setCurrentCell(0, 1);
}

void TPreferencesFRM::AddBTNClick() {
  std::vector<prefs::PictureRow> rows = PictureRows();
  if (static_cast<int>(rows.size()) >= prefs::kMaxPictureTabs) return;
  rows.push_back({"Collection " + std::to_string(rows.size() + 1), ""});
  SetPictureRows(rows);
  PicTypeList->setCurrentCell(static_cast<int>(rows.size()) - 1, 1);
}

void TPreferencesFRM::DeleteBTNClick() {
  std::vector<prefs::PictureRow> rows = PictureRows();
  const int row = PicTypeList->currentRow();
  if (rows.empty() || row < 0 || row >= static_cast<int>(rows.size())) return;
  rows.erase(rows.begin() + row);
  SetPictureRows(rows);
  if (!rows.empty()) PicTypeList->setCurrentCell(std::min(row, static_cast<int>(rows.size()) - 1), 1);
}

void TPreferencesFRM::DefaultBTNClick() {
  if (plat::Ui().MessageBox(this, "Velmora",
                            "This will replace your tabs with the default ones.\rAre you sure?",
                            plat::MB_YESNO | plat::MB_ICONWARNING) != plat::IDYES)
    return;
  SetPictureRows(prefs::DefaultPictureRows(main_->EmulatorDir, main_->MAMEDirectories.snap));
  PicTypeList->setCurrentCell(0, 1);
}

void TPreferencesFRM::MovePictureRow(int from, int to) {
  std::vector<prefs::PictureRow> rows = PictureRows();
  const int n = static_cast<int>(rows.size());
  if (from < 0 || to < 0 || from >= n || to >= n || from == to) return;
  prefs::PictureRow moved = rows[static_cast<size_t>(from)];
  rows.erase(rows.begin() + from);
  rows.insert(rows.begin() + to, moved);
  SetPictureRows(rows);
  PicTypeList->setCurrentCell(to, PicTypeList->currentColumn() < 0 ? 1 : PicTypeList->currentColumn());
}

bool TPreferencesFRM::eventFilter(QObject* watched, QEvent* event) {
  // Rows are dragged by their number to a new place.
  if (watched == PicTypeList->viewport() && event->type() == QEvent::Resize) SetColumnWidths();
  if (watched == PicTypeList->viewport() && PicTypeList->isEnabled()) {
    if (event->type() == QEvent::MouseButtonPress) {
      auto* m = static_cast<QMouseEvent*>(event);
      const QModelIndex at = PicTypeList->indexAt(m->position().toPoint());
      dragRow_ = at.isValid() && at.column() == 0 && m->button() == Qt::LeftButton ? at.row() : -1;
    } else if (event->type() == QEvent::MouseMove && dragRow_ >= 0) {
      auto* m = static_cast<QMouseEvent*>(event);
      const int over = PicTypeList->rowAt(static_cast<int>(m->position().y()));
      if (over >= 0 && over != dragRow_) {
        MovePictureRow(dragRow_, over);
        dragRow_ = over;
      }
      return true;
    } else if (event->type() == QEvent::MouseButtonRelease) {
      dragRow_ = -1;
    }
  }
  return TOptionDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Ok.

bool TPreferencesFRM::SavePreferences() {
  const bool gridInUse = PicTypeList->isEnabled();
  std::vector<prefs::PictureRow> rows = PictureRows();
  if (gridInUse) {
    // A refused name stays in the grid as typed, and the message quotes it as typed (the row's
    // name has "?" for what Windows-1252 cannot hold).
    const int missing = prefs::TidyPictureRows(rows);
    for (size_t i = 0; i < rows.size(); ++i)
      if (std::string why = prefs::UnstorableTabName(rows[i]); !why.empty()) {
        const QTableWidgetItem* cell = PicTypeList->item(static_cast<int>(i), 1);
        const QString typed =
            plat::FromLocal(plat::Trim(plat::ToLocal(cell ? cell->text() : QString())));
        main_->ShowMessageBoxText(
            plat::FromAnsi("The name of tab " + std::to_string(i + 1) + " (\"") + typed +
                plat::FromAnsi("\") cannot be stored: it has " + why + " in it."),
            plat::MB_ICONERROR);
        return false;
      }
    for (size_t i = 0; i < rows.size(); ++i)
      if (const int same = prefs::SameNameRow(rows, i)) {
        main_->ShowMessageBox("The name of tab " + std::to_string(i + 1) + " (\"" + rows[i].name +
                                  "\") cannot be stored: tab " + std::to_string(same) +
                                  " has the same name.",
                              plat::MB_ICONERROR);
        return false;
      }
    SetPictureRows(rows);
    if (missing > 0) {
      if (main_->ShowMessageBox(prefs::MissingFoldersQuestion(missing),
                                plat::MB_YESNO | plat::MB_ICONQUESTION) != plat::IDYES)
        return false;
      std::erase_if(rows, [](const prefs::PictureRow& r) { return r.folder.empty(); });
      SetPictureRows(rows);
    }
  }
  // Folders that do not exist may be created; one that cannot be keeps the window open.
  auto offerFolder = [this](const std::string& folder) {
    if (plat::DirExists(folder) ||
        main_->ShowMessageBox(prefs::CreateFolderQuestion(folder),
                              plat::MB_YESNO | plat::MB_ICONQUESTION) != plat::IDYES ||
        plat::MakeDirs(folder))
      return true;
    main_->ShowMessageBox(prefs::FolderNotCreated(folder), plat::MB_ICONERROR);
    return false;
  };
  for (const prefs::PictureRow& r : rows)
    if (!offerFolder(r.folder)) return false;
  const std::string faq =
      plat::WithSlash(plat::AbsolutePath(plat::Trim(plat::ToLocal(FaqFilesDir->text()))));
  if (!offerFolder(faq)) return false;

  // Everything is answered: store.
  StringList captions;
  main_->PictureTabs.clear();
  for (const prefs::PictureRow& r : rows) {
    captions.push_back(r.name);
    main_->PictureTabs.push_back(r.folder);
  }
  if (captions.empty()) {
    captions.push_back("None");
    main_->PictureTabs.push_back("");
  }
  main_->SetPictureTabCaptions(captions);

  main_->TextEditor = plat::ToLocal(TextEditor->text());
  main_->FaqFilesDir = faq;
  main_->CheckSamplesOnRun = TestSamples->isChecked();
  main_->CheckCRCOnRun = TestCRC->isChecked();
  main_->CreateFakeFiles = CreateMissingFiles->isChecked();
  main_->MameCdEnabled = MameCd->isChecked();
  main_->MameCdDrive = CdRom->currentIndex() >= 0 ? plat::ToLocal(CdRom->currentText()) : "";
  main_->KillPifFile = KillPif->isChecked();
  main_->UseStats = Stats->isChecked();

  bool listChanged = false;
  for (int i = 0; i < 7; ++i) {
    const uint8_t on = ListingOptions->item(i)->checkState() == Qt::Checked ? 1 : 0;
    uint8_t& flag = main_->ListingFlags[kListingSlots[i]];
    if (flag != on) listChanged = true;
    flag = on;
  }
  if (listChanged) main_->RebuildFilterTabs(-1);

  main_->BoldFontSize = prefs::kFontSizes[static_cast<size_t>(std::max(0, BoldText->currentIndex()))];
  main_->NormalFontSize =
      prefs::kFontSizes[static_cast<size_t>(std::max(0, NormalText->currentIndex()))];

  main_->DXGameSelect = UseDirectX->isChecked();
  main_->PlayButton = buttons_[prefs::JoyPlay];
  main_->TopButton = buttons_[prefs::JoyTop];
  main_->BottomButton = buttons_[prefs::JoyBottom];
  main_->PageUpButton = buttons_[prefs::JoyPageUp];
  main_->PageDownButton = buttons_[prefs::JoyPageDown];
  main_->RandomButton = buttons_[prefs::JoyRandom];
  return true;
}

// ---------------------------------------------------------------------------------------------
// The main window's preferences action.

void TMainFRM::OptionsPreferencesACTNExecute() {
  SwitchJoystick(false);
  SlideShowTMR->stop();
  bool ok = false;
  {
    TPreferencesFRM dialog(this);
    dialog.FormShow();
    ok = dialog.ShowModal() == mrOk;
  }
  if (ok) WriteSettings();
  if (ScreenshotDisplay >= ScreenShotPGE->count())
    ScreenshotDisplay = static_cast<uint8_t>(std::max(0, ScreenShotPGE->count() - 1));
  ScreenShotPGE->setCurrentIndex(ScreenshotDisplay);
  ShowStatsViews();
  SwitchJoystick(DXGameSelect);
  ScreenshotsSlideShowACTN->isChecked() ? SlideShowTMR->start() : SlideShowTMR->stop();
  if (ProfileLoaded) GameSelected();
}

void TMainFRM::ShowStatsViews() {
  StatsNPlaysACTN->setVisible(UseStats);
  StatsPlayingTimeACTN->setVisible(UseStats);
}
