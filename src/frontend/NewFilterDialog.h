// The new-filter dialog: a filter name, the formula archive, the formula, ten user
// parameters; OK tests every game and adds the games the formula holds for as a new tab.
#pragma once
#include <QDialog>
#include <memory>
#include <string>

#include "frontend/FormulaFilter.h"
#include "frontend/formulas.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class TMainFRM;

class TNewFilterFRM : public QDialog {
  Q_OBJECT
 public:
  explicit TNewFilterFRM(TMainFRM* main);
  ~TNewFilterFRM() override;  // writes the archive back

  QLineEdit* FilterName = nullptr;
  QComboBox* FormulaArchive = nullptr;
  QPlainTextEdit* Formula = nullptr;
  QTableWidget* UserVars = nullptr;
  QPushButton* AddBTN = nullptr;
  QPushButton* ReplaceBTN = nullptr;
  QPushButton* DeleteBTN = nullptr;
  QPushButton* TestBTN = nullptr;
  QPushButton* OkBTN = nullptr;
  QPushButton* CancelBTN = nullptr;
  QPushButton* HelpBTN = nullptr;

  void LoadFormulaArchive();
  void FormulaArchiveChange();
  void AddBTNClick();
  void ReplaceBTNClick();
  void DeleteBTNClick();
  void TestBTNClick();
  void OkBTNClick();
  void HelpBTNClick();
  bool CompileFormula();
  // Writes FORMULAS.INI (also run at destruction); false after a reported failure, and when
  // the file could not be read (it is then left as it is).
  bool SaveFormulaArchive();

  const formulafilter::FormulaArchive& Archive() const { return archive_; }
  TEvaluator& Evaluator() { return *evaluator_; }
  std::string ArchivePath() const;
  // Selects an archive entry (-1: none) and runs the selection handler.
  void SelectEntry(int index);

 protected:
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void Close(int result);
  int Message(const std::string& text, unsigned flags);
  bool CheckNameAndFormula();
  bool StorableName();  // says why when the filter name cannot be saved

  TMainFRM* main_;
  formulafilter::FormulaArchive archive_;
  bool archiveRefused_ = false;
  std::unique_ptr<TEvaluator> evaluator_;
};
