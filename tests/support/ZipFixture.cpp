#include "support/ZipFixture.h"

#include <archive.h>
#include <archive_entry.h>

#include <stdexcept>

#include "platform/Files.h"

namespace {

la_ssize_t Append(archive*, void* out, const void* data, size_t size) {
  static_cast<std::string*>(out)->append(static_cast<const char*>(data), size);
  return static_cast<la_ssize_t>(size);
}

void Check(archive* a, int r) {
  if (r < ARCHIVE_WARN) throw std::runtime_error(archive_error_string(a));
}

}  // namespace

std::string BuildZip(const std::vector<ZipFixtureEntry>& entries, ZipFixtureOptions options) {
  std::string bytes;
  archive* a = archive_write_new();
  Check(a, archive_write_set_format_zip(a));
  if (options.zip64) Check(a, archive_write_set_format_option(a, "zip", "zip64", "1"));
  Check(a, archive_write_set_bytes_in_last_block(a, 1));
  Check(a, archive_write_open(a, &bytes, nullptr, Append, nullptr));
  for (const ZipFixtureEntry& e : entries) {
    Check(a, e.deflate ? archive_write_zip_set_compression_deflate(a)
                       : archive_write_zip_set_compression_store(a));
    archive_entry* en = archive_entry_new();
    archive_entry_set_pathname(en, e.name.c_str());
    archive_entry_set_mtime(en, 946684800, 0);
    switch (e.kind) {
      case ZipFixtureEntry::File:
        archive_entry_set_filetype(en, AE_IFREG);
        archive_entry_set_perm(en, 0644);
        archive_entry_set_size(en, static_cast<la_int64_t>(e.data.size()));
        break;
      case ZipFixtureEntry::Folder:
        archive_entry_set_filetype(en, AE_IFDIR);
        archive_entry_set_perm(en, 0755);
        break;
      case ZipFixtureEntry::Link:
        archive_entry_set_filetype(en, AE_IFLNK);
        archive_entry_set_perm(en, 0777);
        archive_entry_set_symlink(en, e.data.c_str());
        break;
    }
    Check(a, archive_write_header(a, en));
    if (e.kind == ZipFixtureEntry::File && !e.data.empty() &&
        archive_write_data(a, e.data.data(), e.data.size()) < 0)
      Check(a, ARCHIVE_FATAL);
    archive_entry_free(en);
  }
  Check(a, archive_write_close(a));
  archive_write_free(a);
  return bytes;
}

std::string WriteZip(const std::string& path, const std::vector<ZipFixtureEntry>& entries,
                     ZipFixtureOptions options) {
  std::string bytes = BuildZip(entries, options);
  plat::MakeDirs(plat::DirectoryOf(path));
  if (!plat::WriteFileAtomic(path, bytes)) throw std::runtime_error("cannot write " + path);
  return bytes;
}
