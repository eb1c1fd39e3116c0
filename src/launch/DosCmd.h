// The command-line window: created at start-up and kept for the whole run.
#pragma once
#include "database/DXClass.h"

class TCmdLineFRM : public TDXForm {
  Q_OBJECT
 public:
  explicit TCmdLineFRM(QWidget* owner = nullptr);
  ~TCmdLineFRM() override;
};

// The program's one command-line window (null until start-up has created it).
extern TCmdLineFRM* CmdLineFRM;
