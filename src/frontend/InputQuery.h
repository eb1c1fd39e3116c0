// A small modal input box: a prompt, one edit line, OK and Cancel.
#pragma once
#include <QString>
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

// Shows the box modally; true with the text when OK was pressed. A name the program's files
// are to keep is refused, with the reason, until it can be kept or the box is cancelled.
bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value,
                bool storedName = false);

// Shows the window modally until it is cancelled, or closed with OK on a name the program's
// files can keep; a refused name is told over the window, which stays shown where it was.
bool ShowModalForName(TDXForm& window, const QLineEdit& name);

// Why a name the user gave cannot be kept in the program's files (they hold Windows-1252);
// empty when it can.
QString UnstorableName(const QString& name);
