// Stand-ins for steps that other features of the program provide: each is replaced by the
// real one when that feature is in, and this file goes once all of them are.
#include "frontend/main.h"

void TMainFRM::DeletePifFile() {}

void TMainFRM::HelpTipsACTNExecute() {}

void TMainFRM::FileFilterNewACTNExecute() {}
