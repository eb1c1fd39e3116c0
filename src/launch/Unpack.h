// Unpacking one set into the temporary folder: the ZIP, RAR, ACE and folder roads, each
// giving its error text ("" when nothing failed; several errors joined by CR LF).
#pragma once
#include <string>

namespace launch {

// "$VRTEMP$" of the emulator folder (the current folder when none is known).
std::string TempFolderOf(const std::string& emulatorDir);

// Append "UNRAR error in " / "UNACE error in " + path + ": " + the code's text, after CR LF
// when the text already holds an error.
void AddUnrarError(std::string& errors, const std::string& path, int code);
void AddUnaceError(std::string& errors, const std::string& path, int code);

// The roads. `tempDir` must exist (see plat::PrepareTargetFolder); files land flat in it.
// The zip component looks for its library in `programDir`.
std::string UnpackZip(const std::string& path, const std::string& tempDir,
                      const std::string& programDir = {});
std::string UnpackRar(const std::string& path, const std::string& tempDir);
std::string UnpackAce(const std::string& path, const std::string& tempDir);
// Copies the folder's regular files (not its subfolders, never through a link).
std::string CopyFolderSet(const std::string& folder, const std::string& tempDir);

// The road for a found source: a folder, else by the extension (".ZIP", ".RAR", ".ACE" in any
// case); anything else is copied as a folder.
std::string UnpackSource(const std::string& path, const std::string& tempDir,
                         const std::string& programDir = {});

// True when an error text of the roads tells of a failed or missing file; the zip component's
// warnings alone (a moved directory, bytes after the archive) leave every file whole.
bool UnpackFailed(const std::string& errors);

}  // namespace launch
