// The disc-set window: created at start-up and kept for the whole run.
#pragma once
#include "database/DXClass.h"

class TMameCdFRM : public TDXForm {
  Q_OBJECT
 public:
  explicit TMameCdFRM(QWidget* owner = nullptr);
  ~TMameCdFRM() override;
};

// The program's one disc-set window (null until start-up has created it).
extern TMameCdFRM* MameCdFRM;
