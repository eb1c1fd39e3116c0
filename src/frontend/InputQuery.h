// A small modal input box: a prompt, one edit line, OK and Cancel.
#pragma once
#include <string>

#include "database/DXClass.h"

class QLabel;
class QLineEdit;
class QPushButton;

class TInputQueryFRM : public TDXForm {
  Q_OBJECT
 public:
  TInputQueryFRM(const std::string& caption, const std::string& prompt, const std::string& value);
  ~TInputQueryFRM() override;

  QLabel* Prompt = nullptr;
  QLineEdit* Edit = nullptr;
  QPushButton* OkBTN = nullptr;
  QPushButton* CancelBTN = nullptr;

  std::string Value() const;  // the text as typed, Windows-1252

 protected:
  void showEvent(QShowEvent* e) override;
};

// Shows the box modally; true with the text when OK was pressed.
bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value);
