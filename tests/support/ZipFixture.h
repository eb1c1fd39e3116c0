// Zip archives for tests, written through libarchive's writer.
#pragma once
#include <string>
#include <vector>

struct ZipFixtureEntry {
  std::string name;
  std::string data;          // the bytes; for a link, its target
  bool deflate = true;       // false: stored
  enum Kind { File, Folder, Link } kind = File;
};

struct ZipFixtureOptions {
  bool zip64 = false;        // ZIP64 extra fields and end records on every entry
};

// The archive's bytes.
std::string BuildZip(const std::vector<ZipFixtureEntry>& entries, ZipFixtureOptions options = {});
// Writes the archive to `path` (its folder made when missing); its bytes are returned too.
std::string WriteZip(const std::string& path, const std::vector<ZipFixtureEntry>& entries,
                     ZipFixtureOptions options = {});
