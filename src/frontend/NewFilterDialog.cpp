#include "frontend/NewFilterDialog.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "database/Report.h"
#include "frontend/InputQuery.h"
#include "frontend/WorkingProgress.h"
#include "frontend/main.h"
#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "platform/Seams.h"

TNewFilterFRM::TNewFilterFRM(TMainFRM* main) : QDialog(nullptr), main_(main) {
  setObjectName("NewFilterFRM");
  setWindowTitle("Velmora - Create new filter");
  setMinimumSize(434, 384);
  setSizeGripEnabled(true);

  auto* layout = new QVBoxLayout(this);
  auto* nameRow = new QHBoxLayout;
  FilterName = new QLineEdit(this);
  FilterName->setObjectName("FilterName");
  auto* nameLabel = new QLabel("Filter &name:", this);
  nameLabel->setBuddy(FilterName);
  nameRow->addWidget(nameLabel);
  nameRow->addWidget(FilterName, 1);
  layout->addLayout(nameRow);

  auto* formulaBox = new QGroupBox(" Filtering formula ", this);
  auto* fl = new QGridLayout(formulaBox);
  FormulaArchive = new QComboBox(formulaBox);
  FormulaArchive->setObjectName("FormulaArchive");
  auto* archiveLabel = new QLabel("Default &formulas:", formulaBox);
  archiveLabel->setBuddy(FormulaArchive);
  Formula = new QPlainTextEdit(formulaBox);
  Formula->setObjectName("Formula");
  Formula->setTabChangesFocus(true);  // a formula needs no tab character; Tab leaves the box
  AddBTN = new QPushButton("&Add new formula", formulaBox);
  ReplaceBTN = new QPushButton("&Replace formula", formulaBox);
  DeleteBTN = new QPushButton("&Delete formula", formulaBox);
  TestBTN = new QPushButton("&Test formula syntax", formulaBox);
  fl->addWidget(archiveLabel, 0, 0);
  fl->addWidget(FormulaArchive, 0, 1, 1, 3);
  fl->addWidget(Formula, 1, 0, 1, 4);
  fl->addWidget(AddBTN, 2, 0);
  fl->addWidget(ReplaceBTN, 2, 1);
  fl->addWidget(DeleteBTN, 2, 2);
  fl->addWidget(TestBTN, 2, 3);
  layout->addWidget(formulaBox, 1);

  auto* varsBox = new QGroupBox(" &User parameters ", this);  // Alt+U goes to the grid
  auto* vl = new QVBoxLayout(varsBox);
  UserVars = new QTableWidget(11, 2, varsBox);
  UserVars->setObjectName("UserVars");
  UserVars->horizontalHeader()->hide();
  UserVars->verticalHeader()->hide();
  UserVars->horizontalHeader()->setStretchLastSection(true);
  // Wide enough for the "Name" heading in any font.
  UserVars->setColumnWidth(0, UserVars->fontMetrics().horizontalAdvance("Name") + 16);
  auto fixed = [](const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    item->setBackground(QColor(0xE0, 0xE0, 0xE0));
    return item;
  };
  UserVars->setItem(0, 0, fixed("Name"));
  UserVars->setItem(0, 1, fixed("Value"));
  for (int r = 1; r <= 10; ++r) {
    UserVars->setItem(r, 0, fixed("%" + QString::number(r - 1)));
    UserVars->setItem(r, 1, new QTableWidgetItem(QString()));
    UserVars->setRowHeight(r, 20);
  }
  UserVars->setRowHeight(0, 20);
  UserVars->setCurrentCell(1, 1);  // the keyboard starts in the value of %0
  vl->addWidget(UserVars);
  layout->addWidget(varsBox, 1);

  QHBoxLayout* buttons = OkCancelRow(this, OkBTN, CancelBTN);
  HelpBTN = new QPushButton("&Help", this);
  buttons->addWidget(HelpBTN);
  layout->addLayout(buttons);
  for (auto [b, n] : {std::pair{AddBTN, "AddBTN"}, {ReplaceBTN, "ReplaceBTN"},
                      {DeleteBTN, "DeleteBTN"}, {TestBTN, "TestBTN"}, {OkBTN, "OkBTN"},
                      {CancelBTN, "CancelBTN"}, {HelpBTN, "HelpBTN"}}) {
    b->setObjectName(n);
    b->setAutoDefault(false);
  }

  // Handlers report what they could not do instead of letting it escape the event.
  auto guard = [this](void (TNewFilterFRM::*f)()) {
    return [this, f]() {
      try {
        (this->*f)();
      } catch (const std::exception& e) {
        Message(e.what(), plat::MB_ICONERROR);
      }
    };
  };
  connect(FormulaArchive, QOverload<int>::of(&QComboBox::activated), this,
          guard(&TNewFilterFRM::FormulaArchiveChange));
  connect(AddBTN, &QPushButton::clicked, this, guard(&TNewFilterFRM::AddBTNClick));
  connect(ReplaceBTN, &QPushButton::clicked, this, guard(&TNewFilterFRM::ReplaceBTNClick));
  connect(DeleteBTN, &QPushButton::clicked, this, guard(&TNewFilterFRM::DeleteBTNClick));
  connect(TestBTN, &QPushButton::clicked, this, guard(&TNewFilterFRM::TestBTNClick));
  connect(OkBTN, &QPushButton::clicked, this, guard(&TNewFilterFRM::OkBTNClick));
  connect(CancelBTN, &QPushButton::clicked, this, [this] { Close(mrCancel); });
  connect(HelpBTN, &QPushButton::clicked, this, guard(&TNewFilterFRM::HelpBTNClick));

  LoadFormulaArchive();
  SelectEntry(archive_.empty() ? -1 : 0);
  evaluator_ = std::make_unique<TEvaluator>(&formulafilter::Keywords(), true);
  resize(580, 540);
}

TNewFilterFRM::~TNewFilterFRM() {
  try {
    SaveFormulaArchive();
  } catch (...) {
  }
}

std::string TNewFilterFRM::ArchivePath() const {
  return plat::JoinPath(main_->ProgramDir, formulafilter::kArchiveFile);
}

int TNewFilterFRM::Message(const std::string& text, unsigned flags) {
  return main_->ShowMessageBox(text, flags);
}

void TNewFilterFRM::Close(int result) {
  setProperty("modalResult", result);
  hide();
}

void TNewFilterFRM::closeEvent(QCloseEvent* e) {
  if (property("modalResult").toInt() == 0) setProperty("modalResult", int(mrCancel));
  QDialog::closeEvent(e);
}

void TNewFilterFRM::keyPressEvent(QKeyEvent* e) {
  // A held Enter presses Ok once.
  if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && e->isAutoRepeat()) return;
  QDialog::keyPressEvent(e);
}

void TNewFilterFRM::LoadFormulaArchive() {
  std::string error;
  archive_ = formulafilter::LoadArchive(ArchivePath(), &error);
  archiveRefused_ = !error.empty();
  if (archiveRefused_)
    Message("The formulas file " + ArchivePath() + " could not be read:\r" + error +
                "\rIt is left as it is: formulas added now are not saved.",
            plat::MB_ICONERROR);
  FormulaArchive->clear();
  for (const auto& f : archive_) FormulaArchive->addItem(plat::FromAnsi(f.Name));
}

bool TNewFilterFRM::SaveFormulaArchive() {
  if (archiveRefused_) return false;  // never written over what could not be read
  std::string error;
  if (formulafilter::SaveArchive(ArchivePath(), archive_, error)) return true;
  Message("The formulas could not be written to " + ArchivePath() + ":\r" + error,
          plat::MB_ICONERROR);
  return false;
}

void TNewFilterFRM::SelectEntry(int index) {
  FormulaArchive->setCurrentIndex(index);
  FormulaArchiveChange();
}

void TNewFilterFRM::FormulaArchiveChange() {
  Formula->clear();
  ReplaceBTN->setEnabled(false);
  DeleteBTN->setEnabled(false);
  int i = FormulaArchive->currentIndex();
  bool selected = i >= 0 && static_cast<size_t>(i) < archive_.size();
  if (selected) {
    Formula->setPlainText(plat::FromAnsi(archive_[static_cast<size_t>(i)].Formula));
    ReplaceBTN->setEnabled(true);
    DeleteBTN->setEnabled(true);
  }
  FilterName->setText(selected ? plat::FromAnsi(archive_[static_cast<size_t>(i)].Name) : QString());
}

bool TNewFilterFRM::CheckNameAndFormula() {
  std::string name = plat::ToAnsi(FilterName->text());
  if (plat::Trim(name).empty()) {
    Message("Cannot add a formula with no name! Please specify a formula name and try again.",
            plat::MB_ICONERROR);
    return false;
  }
  if (plat::Trim(plat::ToAnsi(Formula->toPlainText())).empty()) {
    Message("Cannot add an empty formula! Please specify a formula to add and try again.",
            plat::MB_ICONERROR);
    return false;
  }
  if (std::string why = formulafilter::CheckFormulaName(name); !why.empty()) {
    Message(why, plat::MB_ICONERROR);
    return false;
  }
  return StorableName();
}

bool TNewFilterFRM::StorableName() {
  const QString why = UnstorableName(FilterName->text());
  if (why.isEmpty()) return true;
  main_->ShowMessageBoxText(why, plat::MB_ICONERROR);
  return false;
}

void TNewFilterFRM::AddBTNClick() {
  if (!CheckNameAndFormula()) return;
  std::string name = plat::ToAnsi(FilterName->text());
  std::string formula = plat::ToAnsi(Formula->toPlainText());
  // One section per name: a name that exists already is replaced, with consent.
  for (size_t i = 0; i < archive_.size(); ++i) {
    if (!plat::SameText(plat::Trim(archive_[i].Name), plat::Trim(name))) continue;
    if (Message("Really replace \"" + archive_[i].Name + "\"?",
                plat::MB_ICONWARNING | plat::MB_YESNO) != plat::IDYES)
      return;
    archive_[i] = {name, formula};
    FormulaArchive->setItemText(static_cast<int>(i), plat::FromAnsi(name));
    SelectEntry(static_cast<int>(i));
    return;
  }
  archive_.push_back({name, formula});
  FormulaArchive->addItem(plat::FromAnsi(name));
  SelectEntry(static_cast<int>(archive_.size()) - 1);
}

void TNewFilterFRM::ReplaceBTNClick() {
  if (!CheckNameAndFormula()) return;
  int i = FormulaArchive->currentIndex();
  if (i < 0 || static_cast<size_t>(i) >= archive_.size()) {
    Message("No items selected. Cannot replace formula. Select an item and try again.",
            plat::MB_ICONERROR);
    return;
  }
  // The new name may not be another entry's: one of the two formulas would be lost.
  const std::string name = plat::ToAnsi(FilterName->text());
  for (size_t j = 0; j < archive_.size(); ++j)
    if (j != static_cast<size_t>(i) && plat::SameText(plat::Trim(archive_[j].Name), plat::Trim(name))) {
      Message("Another formula is named \"" + archive_[j].Name +
                  "\". Choose another name, or select that formula to replace it.",
              plat::MB_ICONERROR);
      return;
    }
  auto& entry = archive_[static_cast<size_t>(i)];
  if (Message("Really replace \"" + entry.Name + "\"?", plat::MB_ICONWARNING | plat::MB_YESNO) !=
      plat::IDYES)
    return;
  entry = {plat::ToAnsi(FilterName->text()), plat::ToAnsi(Formula->toPlainText())};
  FormulaArchive->setItemText(i, plat::FromAnsi(entry.Name));
  SelectEntry(i);
}

void TNewFilterFRM::DeleteBTNClick() {
  int i = FormulaArchive->currentIndex();
  if (i < 0 || static_cast<size_t>(i) >= archive_.size()) {
    Message("No items selected. Cannot delete formula. Select an item and try again.",
            plat::MB_ICONERROR);
    return;
  }
  if (Message("Really delete \"" + archive_[static_cast<size_t>(i)].Name + "\"?",
              plat::MB_ICONWARNING | plat::MB_YESNO) != plat::IDYES)
    return;
  archive_.erase(archive_.begin() + i);
  FormulaArchive->removeItem(i);
  SelectEntry(FormulaArchive->currentIndex());
}

bool TNewFilterFRM::CompileFormula() {
  for (int r = 1; r <= 10; ++r) {
    QTableWidgetItem* item = UserVars->item(r, 1);
    evaluator_->Params[static_cast<size_t>(r - 1)] = item ? plat::Trim(plat::ToAnsi(item->text())) : "";
  }
  std::vector<std::string> tokens;
  std::string error;
  if (evaluator_->Tokenize(plat::ToAnsi(Formula->toPlainText()), tokens, error))
    error = evaluator_->Compile(tokens);
  if (error.empty()) return true;
  Message(error, plat::MB_ICONERROR);
  return false;
}

void TNewFilterFRM::TestBTNClick() {
  if (CompileFormula())
    Message("The formula you typed in has been interpreted successfully!",
            plat::MB_ICONINFORMATION);
}

void TNewFilterFRM::OkBTNClick() {
  // A formula that does not compile, or a name that cannot be saved, keeps the dialog open
  // with the text as typed.
  if (!StorableName() || !CompileFormula()) return;
  if (!main_->Games || main_->Games->empty()) {
    Close(mrOk);
    return;
  }
  std::unique_ptr<FilterDescriptor> filter;
  std::string error;
  {
    WorkingProgress progress(main_, "Building new filter...");
    formulafilter::Vocabulary::Hooks hooks;
    hooks.FindGame = [this](const std::string& n) { return main_->FindGameByName(n); };
    hooks.SetFound = [this](const std::string& n, uint8_t kind) {
      return !main_->FindSetSource(n, kind, false).empty();
    };
    formulafilter::Vocabulary vocabulary(hooks, main_->MAMEDirectories, main_->FaqFilesDir,
                                         main_->EmulatorDir);
    filter = formulafilter::BuildFilter(*evaluator_, vocabulary, *main_->Games,
                                        plat::ToAnsi(FilterName->text()), error,
                                        [&progress](size_t d, size_t t) { progress.Set(d, t); });
  }
  if (!filter) {
    Message(error, plat::MB_ICONERROR);
    return;
  }
  main_->AppendFilter(std::move(filter));
  Close(mrOk);
}

void TNewFilterFRM::HelpBTNClick() {
  TReportFRM report;
  report.NewDocument("Formula evaluator quick reference",
                     plat::FindShippedFile(main_->ProgramDir, "HELP0001.RTF"), true, true);
  report.LoadDocument();
  report.ShowReport();
}

// ---------------------------------------------------------------------------------------------

void TMainFRM::AppendFilter(std::unique_ptr<FilterDescriptor> filter) {
  if (!filter) return;
  filter->FileName.clear();
  filter->Modified = 1;
  if (!Filters) {
    Filters = std::make_unique<FilterList>();
    Filters->push_back(nullptr);
  }
  Filters->push_back(std::move(filter));
  RebuildFilterTabs(static_cast<int32_t>(Filters->size()) - 1);
}

void TMainFRM::FileFilterNewACTNExecute() {
  TNewFilterFRM dialog(this);
  plat::Ui().ShowModal(&dialog);
}
