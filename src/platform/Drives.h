// CD-ROM drives: the mounted optical media of the machine and the mounted disc images
// (iso9660, udf and fuseiso mounts), lettered from "D:" in mount order, each with its mount
// folder and volume label.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

struct CdRomDrive {
  std::string letter;  // "D:", "E:", ...
  std::string root;    // the mount folder, with trailing "/"
  std::string label;   // the volume label; empty when it cannot be read
  std::string device;  // the mounted device, as /proc/mounts names it
};

// A mount type that holds a disc's files: iso9660 and udf (discs, and images mounted through a
// loop device) and fuseiso (images mounted by a user).
bool IsDiscFileSystem(std::string_view type);
// The image file behind a loop device ("/dev/loop3"), as the kernel names it under
// sysBlock; empty for any other device or when it cannot be read.
std::string LoopBackingFile(const std::string& device, const std::string& sysBlock = "/sys/block");

// The optical mounts of a /proc/mounts text, lettered from "D:" (at most up to "Z:").
// Labels are left empty.
std::vector<CdRomDrive> ParseCdRomMounts(std::string_view mountsText);
// A field of /proc/mounts with its octal escapes (\040 for a blank and the like) undone.
std::string UnescapeMountField(std::string_view field);
// The volume label of a device: its /dev/disk/by-label name, else the ISO 9660 volume
// identifier read from the device (from the image file behind a loop device); empty when
// neither can be had.
std::string VolumeLabel(const std::string& device);

// The machine's CD-ROM drives, or the table a test gave.
std::vector<CdRomDrive> CdRomDrives();
// The drive of a letter ("D", "d:", "D:\" and "D:/" all name drive D), if there is one.
std::optional<CdRomDrive> FindCdRomDrive(std::string_view letter);

// The disc drive setting names a drive by its letter ("D:") or, for any folder (a mount point,
// a mounted image, the folder of a written disc), by the folder's absolute path.
inline bool IsFolderDrive(std::string_view setting) { return !setting.empty() && setting[0] == '/'; }

// Tests: a table of drives (usually backed by plain folders) replaces the machine's;
// nullopt goes back to the machine's.
void SetCdRomDrivesForTests(std::optional<std::vector<CdRomDrive>> drives);

}  // namespace plat
