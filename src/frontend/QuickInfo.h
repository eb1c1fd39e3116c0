// The quick-information text of a game and the set-detail texts of the reports: pure text
// builders over a game record. Lines are joined with CR LF; no text ends with a line break.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "database/types.h"

namespace quickinfo {

// Finds a game or resource by set name (nullptr when the profile has none).
using GameLookup = std::function<const GameRecord*(std::string_view name)>;

// The quick-information text; empty for no game. `stats` may be null.
std::string BuildQuickInfo(const GameRecord* game, const GameLookup& find,
                           const PlayStatList* stats);
// "Never played" or "Played N time(s); total time: hh:mm:ss".
std::string PlayText(const PlayStatRecord* record);
// At least two digits, a leading "0" below 10.
std::string TwoDigits(uint32_t value);

// The sets of the game's family (every game whose clone-of is the family's master), and how many.
void AddCloneListInfo(const GameRecord* game, const GameList* games, std::string& text,
                      uint16_t& count);
void AddChipInfo(const GameRecord* game, std::string& text);
void AddRomInfo(const GameRecord* game, std::string& text);
void AddDipSwitchInfo(const GameRecord* game, std::string& text);
void AddSampleInfo(const GameRecord* game, std::string& text);

// The words the texts use for the listinfo codes; codes outside a table give a fallback.
std::string_view QualityWord(uint8_t code);
std::string_view ChannelWord(uint8_t channels);
std::string_view ControlWord(uint8_t control);

}  // namespace quickinfo
