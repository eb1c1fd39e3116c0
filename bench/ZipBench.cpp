// Extracting a 200 MB zip of rom-like files through the zip extraction component, side by side
// with a plain loop of zlib raw inflate + crc32 over the same entries (wall-clock time: the
// component writes on a second thread).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "launch/ZipExtr.h"
#include "platform/Files.h"
#include "platform/ZipLib.h"

namespace {

struct Member {
  uint64_t dataPos, packed, size;
  uint32_t crc;
};

struct Fixture {
  std::string dir, archive;
  std::vector<Member> members;
  uint64_t total = 0, archiveSize = 0;
};

void Put(std::string& s, uint32_t v, int n) {
  for (int i = 0; i < n; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Rom-like contents: tiles and code with repeats, mixed with noise; compresses to about 70%.
std::string RomData(std::mt19937& rng, size_t size) {
  std::string d(size, '\0');
  size_t i = 0;
  while (i < size) {
    size_t run = 16 + rng() % 240;
    if (rng() % 3 == 0 && i > 4096) {
      size_t from = i - 1 - rng() % 4096;
      for (size_t k = 0; k < run && i < size; ++k) d[i++] = d[from + k];
    } else {
      for (size_t k = 0; k < run && i < size; ++k) d[i++] = static_cast<char>(rng() & (k % 4 ? 0xFF : 0x0F));
    }
  }
  return d;
}

const Fixture& Zip() {
  static Fixture f = [] {
    Fixture f;
    char tmpl[] = "/tmp/velmora-zipbench-XXXXXX";
    f.dir = mkdtemp(tmpl);
    f.archive = f.dir + "/roms.zip";
    FILE* out = std::fopen(f.archive.c_str(), "wb");
    std::mt19937 rng(7);
    std::string central;
    uint64_t pos = 0;
    int count = 0;
    while (pos < 200u * 1000 * 1000) {
      size_t size = size_t{1} << (16 + rng() % 7);  // 64 KiB .. 4 MiB
      std::string data = RomData(rng, size);
      uLongf bound = compressBound(size) + 64;
      std::string packed(bound, '\0');
      z_stream z{};
      deflateInit2(&z, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
      z.next_in = reinterpret_cast<Bytef*>(data.data());
      z.avail_in = static_cast<uInt>(size);
      z.next_out = reinterpret_cast<Bytef*>(packed.data());
      z.avail_out = static_cast<uInt>(bound);
      deflate(&z, Z_FINISH);
      packed.resize(z.total_out);
      deflateEnd(&z);
      uint32_t crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()), size));
      std::string name = "rom" + std::to_string(count++) + ".bin";
      std::string h;
      Put(h, 0x04034b50, 4); Put(h, 20, 2); Put(h, 0, 2); Put(h, 8, 2); Put(h, 0, 4);
      Put(h, crc, 4); Put(h, static_cast<uint32_t>(packed.size()), 4); Put(h, static_cast<uint32_t>(size), 4);
      Put(h, static_cast<uint32_t>(name.size()), 2); Put(h, 0, 2);
      h += name;
      std::string c;
      Put(c, 0x02014b50, 4); Put(c, 20, 2); Put(c, 20, 2); Put(c, 0, 2); Put(c, 8, 2); Put(c, 0, 4);
      Put(c, crc, 4); Put(c, static_cast<uint32_t>(packed.size()), 4); Put(c, static_cast<uint32_t>(size), 4);
      Put(c, static_cast<uint32_t>(name.size()), 2); Put(c, 0, 2); Put(c, 0, 2); Put(c, 0, 2); Put(c, 0, 2);
      Put(c, 0x20, 4); Put(c, static_cast<uint32_t>(pos), 4);
      central += c + name;
      std::fwrite(h.data(), 1, h.size(), out);
      std::fwrite(packed.data(), 1, packed.size(), out);
      f.members.push_back({pos + h.size(), packed.size(), size, crc});
      pos += h.size() + packed.size();
      f.total += size;
    }
    std::string end;
    Put(end, 0x06054b50, 4); Put(end, 0, 4); Put(end, count, 2); Put(end, count, 2);
    Put(end, static_cast<uint32_t>(central.size()), 4); Put(end, static_cast<uint32_t>(pos), 4); Put(end, 0, 2);
    std::fwrite(central.data(), 1, central.size(), out);
    std::fwrite(end.data(), 1, end.size(), out);
    std::fclose(out);
    f.archiveSize = pos + central.size() + end.size();
    std::atexit([] { plat::RemoveTree(Zip().dir); });
    return f;
  }();
  return f;
}

void Counters(benchmark::State& state, const Fixture& f) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.total));
  state.counters["archive_MB"] = static_cast<double>(f.archiveSize) / 1e6;
  state.counters["files"] = static_cast<double>(f.members.size());
}

void BM_ZlibInflateCrcLoop(benchmark::State& state) {
  const Fixture& f = Zip();
  int fd = open(f.archive.c_str(), O_RDONLY);
  std::vector<uint8_t> in(256 * 1024), out(256 * 1024);
  for (auto _ : state) {
    for (const Member& m : f.members) {
      z_stream z{};
      inflateInit2(&z, -MAX_WBITS);
      uint32_t crc = 0;
      uint64_t pos = m.dataPos, left = m.packed;
      int r = Z_OK;
      while (r != Z_STREAM_END) {
        if (z.avail_in == 0) {
          size_t n = std::min<uint64_t>(left, in.size());
          if (pread(fd, in.data(), n, static_cast<off_t>(pos)) != static_cast<ssize_t>(n)) break;
          pos += n;
          left -= n;
          z.next_in = in.data();
          z.avail_in = static_cast<uInt>(n);
        }
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        r = inflate(&z, Z_NO_FLUSH);
        crc = static_cast<uint32_t>(crc32(crc, out.data(), static_cast<uInt>(out.size() - z.avail_out)));
        if (r != Z_OK && r != Z_STREAM_END) break;
      }
      inflateEnd(&z);
      if (crc != m.crc) state.SkipWithError("CRC mismatch");
    }
  }
  close(fd);
  Counters(state, f);
}

// The library alone, checking every entry without writing.
void BM_ZipLibTest(benchmark::State& state) {
  const Fixture& f = Zip();
  for (auto _ : state) {
    plat::zip::Request r;
    r.archive = f.archive;
    r.specs = {"*.*"};
    r.test = true;
    if (plat::zip::Extract(r) != static_cast<int>(f.members.size())) state.SkipWithError("failed");
  }
  Counters(state, f);
}

// The component as the unpacking drives it: listing, then every file written.
void BM_ZipExtractorExtract(benchmark::State& state) {
  const Fixture& f = Zip();
  const std::string target = f.dir + "/$VRTEMP$";
  plat::MakeDirs(target);
  for (auto _ : state) {
    TZipExtractor z;
    z.CodePage = cpNone;
    z.ExtrBaseDir = target;
    z.ExtrOptions = {ExtrOverWrite};
    z.FSpecArgs = {"*.*"};
    z.Unattended = true;
    z.SetZipFilename(f.archive);
    z.Extract();
    if (z.ErrCode != 0 || z.SuccessCnt != static_cast<int>(f.members.size()))
      state.SkipWithError(z.Message.c_str());
  }
  plat::RemoveTree(target);
  Counters(state, f);
}

}  // namespace

BENCHMARK(BM_ZlibInflateCrcLoop)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_ZipLibTest)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_ZipExtractorExtract)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
