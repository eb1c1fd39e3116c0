// velmora_bench: the registered benchmarks, or with --listinfo=FILE the counts and times of
// one listinfo file.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <string>

#include "database/Listinfo.h"
#include "database/ProfileFile.h"
#include "platform/Files.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

int RunListinfoFile(const std::string& path) {
  using Clock = std::chrono::steady_clock;
  std::string text, error;
  if (!plat::ReadWholeFile(path, text, &error)) {
    std::fprintf(stderr, "cannot read %s: %s\n", path.c_str(), error.c_str());
    return 1;
  }
  auto t = Clock::now();
  listinfo::ParseResult r = listinfo::ParseListinfo(text);
  const double parse = Seconds(t);
  size_t roms = 0, samples = 0;
  for (const GameList* list : {r.Games.get(), r.Resources.get()})
    for (const auto& g : *list) {
      roms += g->Roms->size();
      samples += g->Samples->size();
    }
  std::printf("file:       %s (%.1f MB)\n", path.c_str(), static_cast<double>(text.size()) / 1e6);
  std::printf("games:      %zu\nresources:  %zu\nroms:       %zu\nsamples:    %zu\nerrors:     %zu%s\n",
              r.Games->size(), r.Resources->size(), roms, samples, r.Errors.size(),
              r.Errors.size() > listinfo::MaxErrors ? " (limit reached)" : "");
  for (size_t i = 0; i < r.Errors.size() && i < 10; ++i)
    std::printf("  %s\n", listinfo::ErrorLine(*r.Errors[i]).c_str());
  std::printf("parse:      %.3f s (%.0f MB/s)\n", parse,
              static_cast<double>(text.size()) / 1e6 / parse);
  std::string().swap(text);

  const std::string tmp = "/tmp/velmora-bench-" + std::to_string(::getpid()) + ".vrl";
  for (bool compressed : {false, true}) {
    const char* kind = compressed ? "compressed" : "stored";
    t = Clock::now();
    std::string body = profile::BuildBody("/opt/mame/", "mame", "version", r.Games.get(),
                                          r.Resources.get());
    std::string file;
    if (!profile::BuildFile(body, compressed, file) || !plat::WriteFileAtomic(tmp, file, &error)) {
      std::fprintf(stderr, "cannot save a %s profile: %s\n", kind, error.c_str());
      return 1;
    }
    const double save = Seconds(t);
    const size_t size = file.size();
    std::string().swap(file);
    t = Clock::now();
    std::string data;
    plat::ReadWholeFile(tmp, data);
    profile::ProfileContent content;
    const profile::LoadStatus s = profile::DecodeProfile(data, content);
    const double load = Seconds(t);
    std::printf("%-11s save %.3f s, load %.3f s, %.1f MB%s\n", kind, save, load,
                static_cast<double>(size) / 1e6, s == profile::LoadStatus::Ok ? "" : " (REFUSED)");
  }
  plat::RemoveFile(tmp);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--listinfo=", 11) == 0) return RunListinfoFile(argv[i] + 11);
  // The window benchmarks need an application object; they draw offscreen.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
