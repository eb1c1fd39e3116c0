#include "CatalogueGenerator.h"

#include <array>
#include <cstdio>

namespace {

class Random {
 public:
  explicit Random(uint64_t seed) : s_(seed) {}
  uint64_t Next() {  // splitmix64
    uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint32_t Below(uint32_t n) { return n ? static_cast<uint32_t>(Next() % n) : 0; }
  uint32_t Between(uint32_t lo, uint32_t hi) { return lo + Below(hi - lo + 1); }
  template <class T, size_t N>
  const T& Pick(const std::array<T, N>& a) { return a[Below(N)]; }

 private:
  uint64_t s_;
};

const std::array<const char*, 12> kManufacturers = {
    "Namco", "Capcom", "Konami", "Sega", "Taito", "Irem", "Data East", "SNK", "Nichibutsu",
    "[Namco] (Midway license)", "Williams", "Atari"};
const std::array<const char*, 10> kWords = {"Space", "Dragon", "Street", "Galaxy", "Ninja",
                                            "Fighter", "Rally", "Quest", "Attack", "Force"};
const std::array<const char*, 6> kRegions = {"cpu1", "cpu2", "gfx1", "gfx2", "sound1", "proms"};
const std::array<const char*, 6> kCpus = {"Z80", "M68000", "6809", "M6502", "I8039", "V30"};
const std::array<const char*, 5> kSoundChips = {"YM2151", "AY-3-8910", "Namco", "DAC", "SN76496"};
const std::array<const char*, 8> kControls = {"joy4way", "joy8way", "doublejoy4way",
                                              "doublejoy8way", "dial", "stick", "paddle",
                                              "trackball"};
const std::array<const char*, 3> kStates = {"good", "imperfect", "preliminary"};
const std::array<const char*, 8> kDipNames = {"Lives", "Bonus Life", "Difficulty", "Coinage",
                                              "Cabinet", "Demo Sounds", "Flip Screen",
                                              "Service Mode"};

// A distinct lower-case set name of up to eight characters for each number.
std::string SetName(uint32_t n, char prefix) {
  std::string s(1, prefix);
  do {
    s.push_back(static_cast<char>('a' + n % 26));
    n /= 26;
  } while (n);
  return s;
}

void Append(std::string& out, const char* fmt, auto... args) {
  char buf[256];
  const int n = std::snprintf(buf, sizeof buf, fmt, args...);
  if (n > 0) out.append(buf, static_cast<size_t>(n) < sizeof buf ? static_cast<size_t>(n) : sizeof buf - 1);
}

void Roms(std::string& out, Random& rnd, const std::string& set, uint32_t count,
          const std::string& parent) {
  uint32_t offset = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t size = 1024u << rnd.Below(8);
    const char* region = rnd.Pick(kRegions);
    const bool merged = !parent.empty() && rnd.Below(3) != 0;
    if (merged)
      Append(out, "\trom ( name %s.%u merge %s.%u size %u crc %08x region %s offs %x )\n",
             set.c_str(), i, parent.c_str(), i, size, static_cast<uint32_t>(rnd.Next()), region,
             offset);
    else if (rnd.Below(20) == 0)
      Append(out, "\trom ( name %s.%u size %u crc %08x region %s offs %x flags dispose )\n",
             set.c_str(), i, size, static_cast<uint32_t>(rnd.Next()), region, offset);
    else
      Append(out, "\trom ( name %s.%u size %u crc %08x region %s offs %x )\n", set.c_str(), i,
             size, static_cast<uint32_t>(rnd.Next()), region, offset);
    offset += size;
  }
}

}  // namespace

std::string GenerateListinfo(const CatalogueShape& shape) {
  Random rnd(shape.seed);
  std::string out;
  out.reserve(static_cast<size_t>(shape.games) * 4000 + static_cast<size_t>(shape.resources) * 600);
  std::string parent;
  for (uint32_t g = 0; g < shape.games; ++g) {
    const std::string name = SetName(g, 'g');
    const bool clone = !parent.empty() && shape.cloneEvery && g % shape.cloneEvery != 0;
    if (!clone) parent = name;
    out += "game (\n";
    Append(out, "\tname %s\n", name.c_str());
    Append(out, "\tdescription \"%s %s %u%s\"\n", rnd.Pick(kWords), rnd.Pick(kWords), g,
           clone ? " (set 2)" : "");
    Append(out, "\tyear %u\n", 1975 + rnd.Below(26));
    Append(out, "\tmanufacturer \"%s\"\n", rnd.Pick(kManufacturers));
    if (clone) Append(out, "\tcloneof %s\n\tromof %s\n", parent.c_str(), parent.c_str());
    Roms(out, rnd, name, rnd.Between(shape.minRoms, shape.maxRoms), clone ? parent : std::string());
    const uint32_t cpus = rnd.Between(1, 3);
    for (uint32_t c = 0; c < cpus; ++c)
      Append(out, "\tchip ( type cpu name %s clock %u )\n", rnd.Pick(kCpus),
             1000000 + rnd.Below(20) * 512000);
    const uint32_t audio = rnd.Between(1, 2);
    for (uint32_t c = 0; c < audio; ++c)
      Append(out, "\tchip ( type audio flags audio name %s clock %u )\n", rnd.Pick(kSoundChips),
             3579545u);
    Append(out, "\tvideo ( screen %s orientation %s x %u y %u colors %u freq 60 )\n",
           rnd.Below(10) ? "raster" : "vector", rnd.Below(3) ? "horizontal" : "vertical",
           224 + rnd.Below(4) * 32, 224 + rnd.Below(3) * 16, 16u << rnd.Below(8));
    Append(out, "\tsound ( channels %u )\n", rnd.Between(1, 2));
    Append(out, "\tinput ( players %u control %s buttons %u coins %u tilt %s service %s )\n",
           rnd.Between(1, 4), rnd.Pick(kControls), rnd.Below(7), rnd.Between(1, 4),
           rnd.Below(2) ? "yes" : "no", rnd.Below(2) ? "yes" : "no");
    const uint32_t dips = rnd.Between(0, shape.maxDipSwitches);
    for (uint32_t d = 0; d < dips; ++d) {
      Append(out, "\tdipswitch ( name \"%s\"", rnd.Pick(kDipNames));
      const uint32_t entries = shape.wideDipEvery && rnd.Below(shape.wideDipEvery) == 0
                                   ? rnd.Between(9, 256)
                                   : rnd.Between(2, 8);
      for (uint32_t e = 0; e < entries; ++e) Append(out, " entry \"%u\"", e + 1);
      Append(out, " default \"%u\" )\n", 1 + rnd.Below(entries));
    }
    if (shape.samplesEvery && g % shape.samplesEvery == 0) {
      Append(out, "\tsampleof %s\n", name.c_str());
      const uint32_t samples = rnd.Between(5, 30);
      for (uint32_t s = 0; s < samples; ++s) Append(out, "\tsample s%02u.wav\n", s);
    }
    Append(out, "\tdriver ( status %s color %s sound %s colordeep %s )\n", rnd.Pick(kStates),
           rnd.Pick(kStates), rnd.Pick(kStates), rnd.Below(4) ? "8" : "16");
    out += ")\n\n";
  }
  for (uint32_t r = 0; r < shape.resources; ++r) {
    const std::string name = SetName(r, 'r');
    out += "resource (\n";
    Append(out, "\tname %s\n\tdescription \"BIOS %u\"\n", name.c_str(), r);
    Roms(out, rnd, name, rnd.Between(1, 8), std::string());
    out += ")\n\n";
  }
  return out;
}
