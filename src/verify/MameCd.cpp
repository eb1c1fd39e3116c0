#include "verify/MameCd.h"

TMameCdFRM* MameCdFRM = nullptr;

TMameCdFRM::TMameCdFRM(QWidget* owner) : TDXForm(owner) { setObjectName("MameCdFRM"); }

TMameCdFRM::~TMameCdFRM() {
  if (MameCdFRM == this) MameCdFRM = nullptr;
}
