// The PNG library's declarations, and the check that its entry points are bound.
#pragma once
#include <png.h>

namespace pngdef {

// Raises std::runtime_error "Error loading lpng.dll" when the header-reading entry point is
// not bound (the library is linked, so this holds unless the library is broken).
void CheckLibrary();

}  // namespace pngdef
