#include "launch/DosCmd.h"

TCmdLineFRM* CmdLineFRM = nullptr;

TCmdLineFRM::TCmdLineFRM(QWidget* owner) : TDXForm(owner) { setObjectName("CmdLineFRM"); }

TCmdLineFRM::~TCmdLineFRM() {
  if (CmdLineFRM == this) CmdLineFRM = nullptr;
}
