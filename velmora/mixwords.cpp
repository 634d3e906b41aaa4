#include "velmora/mixwords.h"

#include <cmath>

namespace {

// Truncated toward zero. Values arrive in range; anything outside (or NaN) is
// pinned to the ends rather than left to an undefined conversion.
unsigned ToWord(double value) {
  if (value >= 65535.0) return 65535;
  return value > 0.0 ? static_cast<unsigned>(value) : 0;
}

void PutWord(std::uint8_t* out, double value) {
  const unsigned word = ToWord(value);
  out[0] = static_cast<std::uint8_t>(word >> 8);
  out[1] = static_cast<std::uint8_t>(word & 0xFF);
}

// What each kind of value becomes before truncation to its word.
double FaderWord(double gain) { return gain / 2.0 * 65535; }
double PanWord(double pan) { return (pan + 1.0) / 2.0 * 65535; }
double MasterWord(double gain) { return gain * 65535; }

unsigned GetWord(const std::uint8_t* in) { return in[0] * 256u + in[1]; }

// The decoded value of a word, raised by as few units in the last place as it
// takes to encode to that word again. Rounding in the division lands many
// values a hair below their word, and truncation would then save a loaded file
// with those words one lower (a pan word 0x0001 would come back as 0x0000).
double Readable(unsigned word, double decoded, double (*encode)(double)) {
  for (int step = 0; step < 16 && ToWord(encode(decoded)) < word; ++step)
    decoded = std::nextafter(decoded, 3.0);  // upwards: 3 is above every range
  return decoded;
}

}  // namespace

void PutFader(std::uint8_t* word, double gain) { PutWord(word, FaderWord(gain)); }
void PutPan(std::uint8_t* word, double pan) { PutWord(word, PanWord(pan)); }
void PutMaster(std::uint8_t* word, double gain) { PutWord(word, MasterWord(gain)); }

double ReadFader(const std::uint8_t* in) {
  const unsigned word = GetWord(in);
  return Readable(word, word * 2.0 / 65535, FaderWord);
}

// A pan is shown in 64ths of a side, truncated, so a pan saved at 12> that came
// back a hair below 12/64 would read 11>, and centre would read <0. A word
// that a whole number of 64ths encodes to gives back that number exactly.
double ReadPan(const std::uint8_t* in) {
  const unsigned word = GetWord(in);
  const double decoded = Readable(word, word / 65535.0 * 2 - 1, PanWord);
  const double steps = std::round(decoded * 64.0) / 64.0;
  return ToWord(PanWord(steps)) == word ? steps : decoded;
}

double ReadMaster(const std::uint8_t* in) {
  const unsigned word = GetWord(in);
  return Readable(word, word / 65535.0, MasterWord);
}
