// The 16-bit words of a mix block (unsigned, high byte first) and the values
// they hold: channel faders 0..2 over the word's range, pans -1..+1, masters
// 0..1. The model, the clipboard's blocks and their text all decode a word
// alike, so a mix shows the same numbers wherever it is read.
#pragma once

#include <cstdint>

// Values are truncated toward zero into their word; anything outside the
// range (or NaN) is pinned to its ends.
void PutFader(std::uint8_t* word, double gain);
void PutPan(std::uint8_t* word, double pan);
void PutMaster(std::uint8_t* word, double gain);

// The value that encodes to the word again: a whole number of 64ths for a pan
// word that such a number encodes to.
double ReadFader(const std::uint8_t* word);
double ReadPan(const std::uint8_t* word);
double ReadMaster(const std::uint8_t* word);
