// Field-by-field comparison of game lists, for round-trip tests.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "database/types.h"

inline void ExpectSameGame(const GameRecord& a, const GameRecord& b) {
  SCOPED_TRACE("game " + a.Name.str());
  EXPECT_EQ(a.Index, b.Index);
  EXPECT_EQ(a.Kind, b.Kind);
  EXPECT_EQ(a.Name, b.Name);
  EXPECT_EQ(a.Description, b.Description);
  EXPECT_EQ(a.Year, b.Year);
  EXPECT_EQ(a.Manufacturer, b.Manufacturer);
  EXPECT_EQ(a.CloneOf, b.CloneOf);
  EXPECT_EQ(a.RomOf, b.RomOf);
  EXPECT_EQ(a.SampleOf, b.SampleOf);
  EXPECT_EQ(a.Screen, b.Screen);
  EXPECT_EQ(a.Orientation, b.Orientation);
  EXPECT_EQ(a.Width, b.Width);
  EXPECT_EQ(a.Height, b.Height);
  EXPECT_EQ(a.Colors, b.Colors);
  EXPECT_EQ(a.Freq, b.Freq);
  EXPECT_EQ(a.Channels, b.Channels);
  EXPECT_EQ(a.Players, b.Players);
  EXPECT_EQ(a.Control, b.Control);
  EXPECT_EQ(a.Buttons, b.Buttons);
  EXPECT_EQ(a.Coins, b.Coins);
  EXPECT_EQ(a.Tilt, b.Tilt);
  EXPECT_EQ(a.Service, b.Service);
  EXPECT_EQ(a.Status, b.Status);
  EXPECT_EQ(a.Color, b.Color);
  EXPECT_EQ(a.Sound, b.Sound);
  EXPECT_EQ(a.ColorDeep, b.ColorDeep);
  EXPECT_EQ(*a.Samples, *b.Samples);
  ASSERT_EQ(a.Roms->size(), b.Roms->size());
  for (size_t i = 0; i < a.Roms->size(); ++i) {
    const RomRecord& x = *(*a.Roms)[i];
    const RomRecord& y = *(*b.Roms)[i];
    EXPECT_EQ(x.Name, y.Name);
    EXPECT_EQ(x.Merge, y.Merge);
    EXPECT_EQ(x.Region, y.Region);
    EXPECT_EQ(x.Flags, y.Flags);
    EXPECT_EQ(x.Offs, y.Offs);
    EXPECT_EQ(x.Size, y.Size);
    EXPECT_EQ(x.Crc, y.Crc);
  }
  ASSERT_EQ(a.Chips->size(), b.Chips->size());
  for (size_t i = 0; i < a.Chips->size(); ++i) {
    const ChipRecord& x = *(*a.Chips)[i];
    const ChipRecord& y = *(*b.Chips)[i];
    EXPECT_EQ(x.ChipType, y.ChipType);
    EXPECT_EQ(x.Flags, y.Flags);
    EXPECT_EQ(x.Name, y.Name);
    EXPECT_EQ(x.Clock, y.Clock);
  }
  ASSERT_EQ(a.DipSwitches->size(), b.DipSwitches->size());
  for (size_t i = 0; i < a.DipSwitches->size(); ++i) {
    const DipSwitchRecord& x = *(*a.DipSwitches)[i];
    const DipSwitchRecord& y = *(*b.DipSwitches)[i];
    EXPECT_EQ(x.Name, y.Name);
    EXPECT_EQ(x.Default, y.Default);
    EXPECT_EQ(*x.Entries, *y.Entries);
  }
}

inline void ExpectSameGames(const GameList& a, const GameList& b) {
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) ExpectSameGame(*a[i], *b[i]);
}
