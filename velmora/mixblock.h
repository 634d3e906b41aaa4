// One stereo mix on its own, as the clipboard carries it: the 52-byte mix
// block that a settings file holds for each output pair (8 mute bytes, 8 solo
// bytes, then big-endian words for the 8 faders, the 8 pans and the 2
// masters), and a text of it that a person can read.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "velmora/korvanemix8bus.h"
#include "velmora/mixhistory.h"

using MixBlock = std::array<std::uint8_t, kMixBlockSize>;

// The block of output pair `mix` (0..3) in a settings image, and the image
// with that pair's block replaced.
MixBlock MixBlockOf(const SettingsImage& image, int mix);
void PutMixBlock(SettingsImage* image, int mix, const MixBlock& block);

// Reads a block from bytes of unknown origin (the clipboard): false, with a
// log line naming what is wrong, when there are not exactly kMixBlockSize
// bytes or a value lies outside what a settings file may hold (a mute or
// solo byte other than 0 or 1).
bool ReadMixBlock(const void* data, std::size_t size, MixBlock* block);
// What keeps the kMixBlockSize bytes at `block` from being a settings file's
// block ("the solo byte of Ch 3 is 2"); empty when nothing does.
std::string MixBlockFault(const std::uint8_t* block);

// One value of a block by its parameter id (IDFADER or IDFADERTEXT with a
// channel 0..7 or a master side 8, 9; IDPAN or IDPANTEXT; IDSOLO; IDMUTE),
// in the parameter interface's units: a gain, a pan, 0 or 1. False for an id
// a block does not hold. A value put is pinned to its word's range.
bool BlockValue(const MixBlock& block, std::uint16_t id, double* value);
bool PutBlockValue(MixBlock* block, std::uint16_t id, double value);

// The block as lines of text, one per channel, then the two masters, each
// ended by "\r\n":
//   "Ch 1\t-6.0 dB\tcentre\tsolo off\tmute off"
//   "Master left\t0.0 dB", "Master right\t0.0 dB"
// A silent fader reads "-inf dB"; a pan off centre reads "12 left" or
// "12 right" (64ths of a side, as the pan box shows them).
std::string MixBlockText(const MixBlock& block);
