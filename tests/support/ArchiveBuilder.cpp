#include "support/ArchiveBuilder.h"

#include <zlib.h>

namespace testarc {

namespace {
void Put16(std::string& s, uint32_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}
void Put64(std::string& s, uint64_t v) {
  Put32(s, static_cast<uint32_t>(v));
  Put32(s, static_cast<uint32_t>(v >> 32));
}
uint32_t Crc(const std::string& d) {
  return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(d.data()), d.size()));
}
std::string RawDeflate(const std::string& d) {
  z_stream z{};
  deflateInit2(&z, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, d.size()) + 16, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(d.data()));
  z.avail_in = static_cast<uInt>(d.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}
}  // namespace

std::string BuildZip(const std::vector<ZipItem>& items, const ZipOptions& o) {
  std::string out = o.prefix, central;
  const size_t base = o.prefix.size();
  if (o.spanned) Put32(out, 0x08074b50);
  for (const auto& it : items) {
    const std::string packed = it.deflate ? RawDeflate(it.data) : it.data;
    const uint16_t method = it.method >= 0 ? static_cast<uint16_t>(it.method) : it.deflate ? 8 : 0;
    const uint32_t crc = Crc(it.data) + (it.badCrc ? 1 : 0);
    const uint64_t offset = out.size() - base;
    std::string extra;
    if (o.zip64) {
      Put16(extra, 1);
      Put16(extra, 24);
      Put64(extra, it.data.size());
      Put64(extra, packed.size());
      Put64(extra, offset);
    }
    const uint32_t big = 0xFFFFFFFF;
    auto header = [&](std::string& s, bool isCentral) {
      Put32(s, isCentral ? 0x02014b50 : 0x04034b50);
      if (isCentral) Put16(s, it.unixMode ? (3 << 8) | 20 : 20);
      Put16(s, o.zip64 ? 45 : 20);
      Put16(s, it.flags);
      Put16(s, method);
      Put32(s, 0x5B8B75D8);
      Put32(s, crc);
      Put32(s, o.zip64 ? big : static_cast<uint32_t>(packed.size()));
      Put32(s, o.zip64 ? big : static_cast<uint32_t>(it.data.size()));
      Put16(s, static_cast<uint32_t>(it.name.size()));
      Put16(s, static_cast<uint32_t>(extra.size()));
      if (isCentral) {
        Put16(s, 0);  // comment
        Put16(s, 0);  // disk
        Put16(s, 0);
        Put32(s, it.unixMode << 16);
        Put32(s, o.zip64 ? big : static_cast<uint32_t>(offset));
      }
      s += it.name;
      s += extra;
    };
    header(out, false);
    out += packed;
    header(central, true);
  }
  const uint64_t cdOffset = out.size() - base;
  out += central;
  const uint64_t count = items.size();
  if (o.zip64) {
    const uint64_t z64 = out.size() - base;
    Put32(out, 0x06064b50);
    Put64(out, 44);
    Put16(out, 45);
    Put16(out, 45);
    Put32(out, 0);
    Put32(out, 0);
    Put64(out, count);
    Put64(out, count);
    Put64(out, central.size());
    Put64(out, cdOffset);
    Put32(out, 0x07064b50);
    Put32(out, 0);
    Put64(out, z64);
    Put32(out, 1);
  }
  Put32(out, 0x06054b50);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, o.zip64 ? 0xFFFF : static_cast<uint32_t>(count));
  Put16(out, o.zip64 ? 0xFFFF : static_cast<uint32_t>(count));
  Put32(out, o.zip64 ? 0xFFFFFFFF : static_cast<uint32_t>(central.size()));
  Put32(out, o.zip64 ? 0xFFFFFFFF : static_cast<uint32_t>(cdOffset));
  Put16(out, static_cast<uint32_t>(o.comment.size()));
  out += o.comment;
  return out;
}

namespace {
// Prefix with the header CRC over the bytes from the type field.
std::string AceBlock(const std::string& body) {
  std::string s;
  uint32_t crc = ~static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size())));
  Put16(s, crc & 0xFFFF);
  Put16(s, static_cast<uint32_t>(body.size()));
  return s + body;
}
}  // namespace

std::string BuildAce(const std::vector<AceItem>& items, uint16_t mainFlags) {
  std::string main;
  main += '\0';
  Put16(main, mainFlags);
  main += "**ACE**";
  main += static_cast<char>(20);
  main += static_cast<char>(20);
  main += static_cast<char>(2);
  main += '\0';
  Put32(main, 0x5B8B75D8);
  main += std::string(8, '\0');
  main += '\0';  // no authenticity text
  std::string out = AceBlock(main);
  for (const auto& it : items) {
    std::string h;
    h += '\1';
    Put16(h, 1u | it.flags | (mainFlags & 0x8000 && !it.folder ? 0x8000 : 0));
    Put32(h, static_cast<uint32_t>(it.data.size()));
    Put32(h, static_cast<uint32_t>(it.data.size()));
    Put32(h, 0x5B8B75D8);
    Put32(h, it.folder ? 0x10 : 0x20);
    Put32(h, ~Crc(it.data) + (it.badCrc ? 1 : 0));
    h += static_cast<char>(it.method);
    h += '\0';
    Put16(h, 0x000A);
    Put16(h, 0);
    Put16(h, static_cast<uint32_t>(it.name.size()));
    h += it.name;
    out += AceBlock(h) + it.data;
  }
  return out;
}

}  // namespace testarc
