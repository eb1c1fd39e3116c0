// Removing the temporary folder tree of a launch.
#pragma once
#include <functional>
#include <string>

namespace launch {

// Deletes a folder with everything in it, never following links (a link is removed, not
// entered). True when everything and the folder itself were deleted, or the folder did not
// exist. A failure anywhere keeps every entry that could not be deleted and the folders
// above it; the rest is still deleted.
bool DeleteFolderTree(const std::string& folder);

// Tests: the hook is asked before each file or folder is removed; false makes that removal
// fail.
void SetDeleteFileHookForTests(std::function<bool(const std::string&)> hook);

}  // namespace launch
