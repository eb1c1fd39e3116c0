// The profile-information and romset-detail reports as documents of styled lines, built
// without any window; the main window hands them to the report window.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "database/types.h"
#include "frontend/QuickInfo.h"

namespace reports {

enum class Style { Title, Heading, Body };  // the title line is centred, the rest left-aligned

struct Line {
  Style style;
  std::string text;  // may hold several lines, CR LF separated
};

struct Document {
  std::string title;
  std::string fileName;  // default file name, without extension
  std::vector<Line> lines;
  std::vector<std::string> problems;  // files that could not be read, told before the report
  void Add(Style style, std::string text) { lines.push_back({style, std::move(text)}); }
  // An empty line in the style of the line before it.
  void Blank() { Add(lines.empty() ? Style::Body : lines.back().style, {}); }
  std::string PlainText() const;  // every line's text, CR LF between (tests)
};

struct ProfileFacts {
  std::string programDir;     // with trailing "/"
  std::string profileFile;
  std::string creationDate;   // "date - time", "" when the profile file does not exist
  std::string executable;     // emulator folder + executable
  std::string version;
  const GameList* games = nullptr;
  const GameList* resources = nullptr;
  quickinfo::GameLookup find;  // games and resources by set name
};

using Progress = std::function<void(size_t done, size_t total)>;

Document ProfileInfo(const ProfileFacts& facts, const Progress& progress = {});

// The four data files, as found on disk ("" when missing).
struct DataFileNames {
  std::string hiscore, history, mameinfo, cheat;
};

struct RomsetFacts {
  std::string programDir;
  const GameRecord* game = nullptr;
  const GameList* games = nullptr;
  std::string quickInfo;
  DataFileNames files;
};

Document RomsetDetail(const RomsetFacts& facts);

}  // namespace reports
