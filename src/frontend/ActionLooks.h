// How the main window's actions look: an icon (the desktop theme's, else one drawn here) and
// a hint shown as tool tip and status text; the sort choices as radio items.
#pragma once

class TMainFRM;

namespace looks {

// Gives every action of the window its icon and hint and groups the exclusive sort choices.
void ApplyActionLooks(TMainFRM& w);

}  // namespace looks
