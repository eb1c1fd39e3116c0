// Stand-ins for steps that other features of the program provide: each is replaced by the
// real one when that feature is in, and this file goes once all of them are.
#include "frontend/main.h"

// --- tip of the day, new-filter dialog ---

void TMainFRM::HelpTipsACTNExecute() {}

