#include "frontend/TipsFile.h"

#include <zlib.h>

#include <stdexcept>

#include "platform/LittleEndian.h"

namespace tips {
namespace {

uint32_t Get32(std::string_view s, size_t at) {
  return plat::Get32LE(reinterpret_cast<const uint8_t*>(s.data()) + at);
}

void Set32(std::string& s, size_t at, uint32_t v) {
  plat::Set32LE(reinterpret_cast<uint8_t*>(s.data()) + at, v);
}

}  // namespace

std::vector<uint32_t> ReadOffsets(std::string_view file) {
  std::vector<uint32_t> offsets;
  if (file.size() < 4 || file.size() > kMaxFileSize || file.substr(0, 4) != "TIPS") return offsets;
  for (size_t at = 4; at + 4 <= file.size(); at += 4) {
    uint32_t v = Get32(file, at);
    if (v == 0) break;
    offsets.push_back(v);
  }
  return offsets;
}

std::optional<std::string> LoadTip(std::string_view file, uint32_t offset) {
  if (offset > file.size() || file.size() - offset < 4) return std::nullopt;
  const uint32_t length = Get32(file, offset);
  const size_t packedSize = file.size() - offset - 4;
  // zlib never expands more than about 1032 to 1.
  if (length > kMaxTipLength || length / 1032 > packedSize) return std::nullopt;
  std::string text(length, '\0');
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return std::nullopt;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(file.data() + offset + 4));
  z.avail_in = static_cast<uInt>(packedSize);
  z.next_out = reinterpret_cast<Bytef*>(text.data());
  z.avail_out = length;
  int rc = Z_OK;
  while (z.avail_out > 0 && rc == Z_OK) rc = inflate(&z, Z_NO_FLUSH);
  inflateEnd(&z);
  if (z.avail_out != 0 || (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR))
    return std::nullopt;
  return text;
}

std::string Build(const std::vector<std::string>& texts) {
  std::string out = "TIPS";
  const size_t table = out.size();
  out.append(4 * (texts.size() + 1), '\0');
  for (size_t i = 0; i < texts.size(); ++i) {
    Set32(out, table + 4 * i, static_cast<uint32_t>(out.size()));
    plat::Put32LE(out, static_cast<uint32_t>(texts[i].size()));
    uLongf size = compressBound(static_cast<uLong>(texts[i].size()));
    std::string packed(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
                  reinterpret_cast<const Bytef*>(texts[i].data()),
                  static_cast<uLong>(texts[i].size()), Z_BEST_COMPRESSION) != Z_OK)
      throw std::runtime_error("tip could not be compressed");
    out.append(packed.data(), size);
  }
  return out;
}

}  // namespace tips
