// The game tree: its layout functions and the item model the main window's tree view shows.
#pragma once
#include "frontend/GameTreeModel.h"
#include "frontend/TreeLayout.h"
