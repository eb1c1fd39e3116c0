#include "frontend/Stats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/Files.h"
#include "platform/Ini.h"

namespace stats {

namespace {

constexpr uint32_t kMax32 = std::numeric_limits<uint32_t>::max();

uint32_t Clamp32(long v) {
  if (v < 0) return 0;
  if (static_cast<unsigned long>(v) > kMax32) return kMax32;
  return static_cast<uint32_t>(v);
}

const std::array<uint32_t, 8> kPanelColors = {0x0000FF, 0xFF00FF, 0xFF0000, 0x00FF00,
                                              0xFFFF00, 0x00FFFF, 0xFEFEFE, 0x808080};
const std::array<uint32_t, 8> kTextColors = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0x000000,
                                             0x000000, 0x000000, 0x000000, 0xFFFFFF};

std::string Two(uint64_t v) {
  std::string s = std::to_string(v);
  return v < 10 ? "0" + s : s;
}

}  // namespace

std::string TimeText(uint64_t hours, uint32_t minutes, uint32_t seconds) {
  return Two(hours) + ":" + Two(minutes) + ":" + Two(seconds);
}

uint64_t TotalSeconds(const PlayStatRecord& r) {
  return uint64_t{r.TotHours} * 3600 + uint64_t{r.TotMinutes} * 60 + r.TotSeconds;
}

void SetTime(PlayStatRecord& r, uint64_t total) {
  uint64_t hours = total / 3600;
  if (hours > kMax32) {
    r.TotHours = kMax32;
    r.TotMinutes = 59;
    r.TotSeconds = 59;
    return;
  }
  r.TotHours = static_cast<uint32_t>(hours);
  r.TotMinutes = static_cast<uint32_t>(total / 60 % 60);
  r.TotSeconds = static_cast<uint32_t>(total % 60);
}

PlayStatRecord& AddPlay(PlayStatList& list, std::string_view setName, uint64_t seconds) {
  std::string name = plat::UpperCase(setName);
  PlayStatRecord* r = types::FindByName(&list, String8(name).str());
  if (!r) {
    list.push_back(types::NewPlayStatRecord());
    r = list.back().get();
    r->Name = name;
  }
  if (r->TotTimes < kMax32) ++r->TotTimes;
  SetTime(*r, TotalSeconds(*r) + seconds);
  return *r;
}

std::unique_ptr<PlayStatList> LoadStatsFile(const std::string& path, std::string* error) {
  auto list = std::make_unique<PlayStatList>();
  plat::IniFile ini(path);
  if (!ini.Load(error)) return nullptr;
  for (const std::string& section : ini.ReadSections()) {
    if (section.empty()) continue;
    auto r = types::NewPlayStatRecord();
    r->Name = plat::UpperCase(section);
    uint64_t h = Clamp32(ini.ReadInteger(section, "TotHours", 0));
    uint64_t m = Clamp32(ini.ReadInteger(section, "TotMinutes", 0));
    uint64_t s = Clamp32(ini.ReadInteger(section, "TotSeconds", 0));
    SetTime(*r, h * 3600 + m * 60 + s);
    r->TotTimes = Clamp32(ini.ReadInteger(section, "TotTimes", 0));
    list->push_back(std::move(r));
  }
  return list;
}

bool SaveStatsFile(const PlayStatList& list, const std::string& path, std::string* error) {
  // Every section is replaced: of the old file only the lines above the first one stay.
  plat::IniFile ini(plat::PathForWrite(path));
  std::string old;
  if (plat::ResolveNoCase(ini.Path()) &&
      !plat::ReadRegularFile(ini.Path(), old, plat::IniFile::kMaxFileSize, error))
    return false;
  size_t at = 0;
  while (at < old.size()) {
    size_t b = old.find_first_not_of(" \t", at);
    if (b != std::string::npos && old[b] == '[') break;
    at = old.find_first_of("\r\n", at);
    at = at == std::string::npos ? old.size() : old.find_first_not_of("\r\n", at);
    if (at == std::string::npos) at = old.size();
  }
  old.resize(at);
  ini.LoadFromText(old);
  for (size_t i = 0; i < list.size(); ++i) {
    const PlayStatRecord* r = list[i].get();
    if (!r) continue;
    const std::string& n = r->Name.str();
    ini.WriteInteger(n, "TotHours", static_cast<long>(r->TotHours));
    ini.WriteInteger(n, "TotMinutes", static_cast<long>(r->TotMinutes));
    ini.WriteInteger(n, "TotSeconds", static_cast<long>(r->TotSeconds));
    ini.WriteInteger(n, "TotTimes", static_cast<long>(r->TotTimes));
  }
  return ini.Save(error);
}

View BuildView(PlayStatList& list, uint8_t mode, const DescriptionLookup& find,
               const std::function<void(size_t, size_t)>& progress) {
  View v;
  v.caption = std::string("Velmora - Statistics report by ") +
              (mode == ByPlays ? "number of plays" : "playing time");
  list.erase(std::remove(list.begin(), list.end(), nullptr), list.end());

  uint64_t totalSecs = 0;
  if (!list.empty()) {
    if (mode == ByPlays)
      std::stable_sort(list.begin(), list.end(),
                       [](const auto& a, const auto& b) { return a->TotTimes > b->TotTimes; });
    else
      std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) {
        if (a->TotHours != b->TotHours) return a->TotHours > b->TotHours;
        if (a->TotMinutes != b->TotMinutes) return a->TotMinutes > b->TotMinutes;
        return a->TotSeconds > b->TotSeconds;
      });
    for (size_t i = 0; i < list.size(); ++i) {
      if (progress) progress(i, list.size() - 1);
      v.totalPlays += list[i]->TotTimes;
      totalSecs += TotalSeconds(*list[i]);
    }
  }
  v.totalHours = totalSecs / 3600;
  v.totalMinutes = static_cast<uint32_t>(totalSecs / 60 % 60);
  v.totalSeconds = static_cast<uint32_t>(totalSecs % 60);
  v.playsText = std::to_string(v.totalPlays);
  v.timeText = TimeText(v.totalHours, v.totalMinutes, v.totalSeconds);

  const double total = mode == ByPlays ? static_cast<double>(v.totalPlays)
                                       : static_cast<double>(totalSecs);
  v.emptyChart = list.empty() || total <= 0;
  double angle = M_PI / 2;
  for (size_t s = 0; s < v.Slots.size(); ++s) {
    Slot& slot = v.Slots[s];
    if (s >= list.size()) continue;
    slot.used = true;
    slot.others = s == 7 && list.size() > 8;
    slot.panelColor = kPanelColors[s];
    slot.textColor = kTextColors[s];
    uint64_t plays = 0, secs = 0;
    for (size_t r = s; r < (slot.others ? list.size() : s + 1); ++r) {
      plays += list[r]->TotTimes;
      secs += TotalSeconds(*list[r]);
    }
    std::string value = mode == ByPlays ? std::to_string(plays)
                                        : TimeText(secs / 3600, secs / 60 % 60, secs % 60);
    double part = mode == ByPlays ? static_cast<double>(plays) : static_cast<double>(secs);
    slot.share = total > 0 ? part / total * 100.0 : 0.0;
    if (slot.others) {
      slot.label = value + " - Other games";
    } else {
      const std::string& name = list[s]->Name.str();
      const GameRecord* g = find ? find(name) : nullptr;
      slot.label = g ? value + " - [" + name + "] = " + g->Description.str()
                     : value + " - [" + name + "] (game not supported by current profile)";
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f%%", slot.share);
    slot.panelText = buf;
    slot.startAngle = angle;
    slot.sweepAngle = slot.share / 100.0 * 2 * M_PI;
    angle += slot.sweepAngle;
  }
  return v;
}

}  // namespace stats
