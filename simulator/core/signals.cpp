#include "simulator/core/signals.h"

#include "simulator/core/prng.h"

namespace simulator::core {
namespace {

// One synthetic source. Its notes fall on a grid of slots (the voice's tempo);
// a slot sounds or not by chance, downbeats always sound unless the phrase is
// tacet, and each note rises over `attackUs`, then decays by half every
// `halfLifeUs`, towards `sustain` while it is held.
struct Voice {
  std::uint32_t slotUs;
  std::uint32_t offsetUs;
  std::uint32_t slotsPerPhrase;
  std::uint32_t accentEvery;  // every n-th slot is a downbeat
  std::uint32_t density;      // of 256: chance that an off-beat slot sounds
  std::uint32_t peak;         // a downbeat's level in a loud phrase
  std::uint32_t spread;       // random reduction of a note's level
  std::uint32_t attackUs;
  std::uint32_t halfLifeUs;
  std::uint32_t sustain;  // of 256 of the note's level, held for holdUs
  std::uint32_t holdUs;
  std::uint32_t wobble;    // of 256: vibrato depth on held notes
  std::uint32_t floor;     // noise between notes
  std::uint32_t clipOdds;  // of 65536: chance that a note in a loud phrase clips
};

constexpr std::uint32_t kVoiceCount = 12;

// clang-format off
constexpr Voice kVoices[kVoiceCount] = {
    //  slot   offset  phr acc dens peak spr  attack halflife sus   hold  wob flr clip
    // Inputs 1..8: kick (120 bpm), snare on 2 and 4, hi-hat eighths, bass (96 bpm),
    // guitar (140 bpm), keys (a chord a bar at 72 bpm), singer (100 bpm), room microphone.
    {  500000,      0, 32, 4, 235, 225, 30,   2000,   70000,   0,       0,  0,  0, 1800},
    { 1000000, 500000, 16, 2, 220, 215, 40,   1500,   90000,   0,       0,  0,  0, 1400},
    {  250000,      0, 64, 2, 200, 150, 50,   1000,   45000,   0,       0,  0,  3,  240},
    {  625000, 110000, 32, 4, 190, 200, 35,   8000,  180000, 150,  400000,  0,  0,  600},
    {  214286,  60000, 48, 4, 150, 190, 60,   4000,  220000, 110,  150000,  0,  0,  500},
    { 3333333, 400000,  8, 2, 200, 170, 40,  60000,  900000, 170, 2600000,  0,  0,    0},
    {  600000, 250000, 24, 4, 170, 210, 70,  25000,  300000, 190,  450000, 40,  0, 1000},
    { 1000000,      0, 16, 4, 255, 120, 30,  10000,  400000,  80,  700000,  0, 10,    0},
    // DAW playback pairs 1-2 .. 7-8: drum stem (128 bpm eighths), pad (two bars at
    // 80 bpm), lead (sixteenths at 110 bpm), percussion (90 bpm).
    {  234375,      0, 64, 2, 230, 220, 40,   1500,   80000,   0,       0,  0,  0,  800},
    { 6000000,      0,  4, 2, 230, 160, 30, 400000, 1200000, 200, 5500000, 20,  0,    0},
    {  136364,      0, 64, 4, 140, 200, 60,   3000,  120000, 120,  100000,  0,  0,  300},
    {  666667, 333333, 32, 4, 180, 190, 70,   1000,   60000,   0,       0,  0,  0, 1200},
};
// clang-format on

// 2^(-i/16) in units of 1/65536.
constexpr std::uint32_t kPow2Neg[17] = {65536, 62757, 60097, 57549, 55109, 52773,
                                        50535, 48393, 46341, 44376, 42495, 40693,
                                        38968, 37316, 35734, 34219, 32768};

// How far back a note can still be ringing, and how many slots of a window of
// time are searched (over nine minutes of the fastest voice): both bound the
// work of one call.
constexpr std::int64_t kLookBackSlots = 16;
constexpr std::int64_t kMaxWindowSlots = 4096;

// Phrase loudness, of 256: tacet, soft, normal, loud.
constexpr std::uint32_t kIntensityGain[4] = {0, 128, 200, 256};

struct Note {
  bool sounds;
  bool clips;
  std::uint32_t level;  // 1..255
  std::int32_t pan;     // -48 (left) .. 48 (right), for the DAW pairs
  std::int64_t onsetUs;
};

std::uint64_t Hash(std::uint64_t key, std::uint32_t voice, std::uint64_t n, std::uint32_t salt) {
  return Mix64(key ^ Mix64(n * 0x100000001B3ull + (static_cast<std::uint64_t>(voice) << 56) +
                           (static_cast<std::uint64_t>(salt) << 48)));
}

std::uint32_t VoiceOf(std::uint32_t channel) {
  return channel < 8 ? channel : 8 + (channel - 8) / 2;
}

Note NoteAt(std::uint64_t key, std::uint32_t v, std::int64_t slot) {
  const Voice& voice = kVoices[v];
  Note note{};
  note.onsetUs = voice.offsetUs + slot * static_cast<std::int64_t>(voice.slotUs);
  const auto j = static_cast<std::uint64_t>(slot);
  const std::uint32_t intensity =
      static_cast<std::uint32_t>(Hash(key, v, j / voice.slotsPerPhrase, 1) % 8);
  // Of eight phrases: one tacet, two soft, three normal, two loud.
  const std::uint32_t loudness = intensity == 0 ? 0 : intensity < 3 ? 1 : intensity < 6 ? 2 : 3;
  if (loudness == 0) return note;

  const std::uint64_t h = Hash(key, v, j, 2);
  const bool downbeat = j % voice.accentEvery == 0;
  const std::uint32_t density = loudness == 1 ? voice.density * 3 / 4 : voice.density;
  note.sounds = downbeat || (h & 0xFF) < density;

  std::uint32_t level = downbeat ? voice.peak : voice.peak * 7 / 8;
  const std::uint32_t cut = static_cast<std::uint32_t>((h >> 8) % (voice.spread + 1));
  level = level > cut + 8 ? level - cut : 8;
  level = level * kIntensityGain[loudness] >> 8;
  note.clips = loudness == 3 && ((h >> 24) & 0xFFFF) < voice.clipOdds;
  note.level = note.clips ? 255 : level < 1 ? 1 : level > 254 ? 254 : level;
  note.pan = static_cast<std::int32_t>((h >> 40) % 97) - 48;
  return note;
}

// The note's level on one channel of its voice: the DAW pairs spread it by
// its pan; a clip stays full scale on the louder side (both when centred).
std::uint32_t ChannelPeak(const Note& note, std::uint32_t channel) {
  if (channel < 8) return note.level;
  const bool right = (channel - 8) % 2 == 1;
  const std::int32_t away = right ? -note.pan : note.pan;  // how far the note sits from this side
  const std::uint32_t gain = away > 0 ? 256 - 2 * static_cast<std::uint32_t>(away) : 256;
  if (note.clips && (gain == 256 || (note.pan > -8 && note.pan < 8))) return 255;
  const std::uint32_t level = note.level * gain >> 8;
  return level < 1 ? 1 : level > 254 ? 254 : level;
}

// 2^(-elapsed/halfLife) in units of 1/65536.
std::uint32_t Decay(std::uint64_t elapsedUs, std::uint32_t halfLifeUs) {
  const std::uint64_t x = (elapsedUs << 8) / halfLifeUs;
  return x >= (32u << 8) ? 0 : Pow2NegQ16(static_cast<std::uint32_t>(x));
}

// A symmetric triangle of period 180 ms, -128..128: the singer's and the
// pad's vibrato.
std::int32_t Triangle(std::uint64_t timeUs) {
  const auto phase = static_cast<std::int32_t>(timeUs % 180000 / 352);  // 0..511
  return phase < 256 ? phase - 128 : 383 - phase;
}

std::uint32_t Envelope(const Voice& voice, const Note& note, std::uint32_t peak,
                       std::uint64_t timeUs) {
  const std::uint64_t age = timeUs - static_cast<std::uint64_t>(note.onsetUs);
  if (age < voice.attackUs) return static_cast<std::uint32_t>(peak * age / voice.attackUs);
  const std::uint64_t x = age - voice.attackUs;
  // Full scale is the one instant a clipping note peaks; every other moment
  // stays below it, so a 255 on the meter always comes with an over.
  if (x == 0) return peak;
  std::uint32_t level;
  if (voice.sustain == 0) {
    level = static_cast<std::uint32_t>(
        static_cast<std::uint64_t>(peak) * Decay(x, voice.halfLifeUs) >> 16);
  } else {
    const std::uint32_t held = peak * voice.sustain >> 8;
    const std::uint64_t heldFor = x < voice.holdUs ? x : voice.holdUs;
    level = held +
            static_cast<std::uint32_t>(
                static_cast<std::uint64_t>(peak - held) * Decay(heldFor, voice.halfLifeUs) >> 16);
    if (x >= voice.holdUs) {
      level = static_cast<std::uint32_t>(
          static_cast<std::uint64_t>(level) * Decay(x - voice.holdUs, voice.halfLifeUs / 2) >> 16);
    } else if (voice.wobble != 0) {
      const std::int32_t swing =
          static_cast<std::int32_t>(level * voice.wobble >> 8) * Triangle(timeUs) / 128;
      level = static_cast<std::uint32_t>(static_cast<std::int32_t>(level) + swing);
    }
  }
  return level > 254 ? 254 : level;
}

std::uint32_t Floor(std::uint64_t key, std::uint32_t v, std::uint64_t timeUs) {
  const std::uint32_t floor = kVoices[v].floor;
  if (floor == 0) return 0;
  return floor + static_cast<std::uint32_t>(Hash(key, v, timeUs / 20000, 3) % (floor / 2 + 1));
}

// Calls visit(note) for every note whose peak (the end of its attack) lies in
// (fromUs, toUs], at most the last kMaxWindowSlots slots of the window.
template <typename Visit>
void ForPeaksIn(std::uint64_t key, std::uint32_t v, std::uint64_t fromUs, std::uint64_t toUs,
                Visit visit) {
  const Voice& voice = kVoices[v];
  const std::int64_t slot = voice.slotUs;
  const std::int64_t low = static_cast<std::int64_t>(fromUs) - voice.attackUs - voice.offsetUs;
  const std::int64_t high = static_cast<std::int64_t>(toUs) - voice.attackUs - voice.offsetUs;
  if (high < 0 || high <= low) return;
  const std::int64_t last = high / slot;
  std::int64_t first = low < 0 ? 0 : low / slot + 1;
  if (last - first + 1 > kMaxWindowSlots) first = last - kMaxWindowSlots + 1;
  for (std::int64_t j = first; j <= last; ++j) {
    const Note note = NoteAt(key, v, j);
    if (note.sounds) visit(note);
  }
}

}  // namespace

std::uint32_t Pow2NegQ16(std::uint32_t xQ8) {
  const std::uint32_t whole = xQ8 >> 8;
  if (whole >= 17) return 0;
  const std::uint32_t sixteenth = (xQ8 & 0xFF) >> 4;
  const std::uint32_t rest = xQ8 & 0x0F;
  const std::uint32_t a = kPow2Neg[sixteenth];
  const std::uint32_t b = kPow2Neg[sixteenth + 1];
  return (a - ((a - b) * rest >> 4)) >> whole;
}

std::uint8_t SignalLevel(std::uint64_t key, std::uint32_t channel, std::uint64_t timeUs) {
  const std::uint32_t v = VoiceOf(channel);
  const Voice& voice = kVoices[v];
  const std::uint32_t floor = Floor(key, v, timeUs);
  if (timeUs < voice.offsetUs) return static_cast<std::uint8_t>(floor);
  const auto current = static_cast<std::int64_t>((timeUs - voice.offsetUs) / voice.slotUs);
  for (std::int64_t j = current; j >= 0 && j > current - kLookBackSlots; --j) {
    const Note note = NoteAt(key, v, j);
    if (!note.sounds) continue;
    const std::uint32_t level = Envelope(voice, note, ChannelPeak(note, channel), timeUs);
    return static_cast<std::uint8_t>(level > floor ? level : floor);
  }
  return static_cast<std::uint8_t>(floor);
}

std::uint8_t SignalPeak(std::uint64_t key, std::uint32_t channel, std::uint64_t fromUs,
                        std::uint64_t toUs) {
  std::uint8_t best = SignalLevel(key, channel, toUs);
  if (toUs <= fromUs) return best;
  // After its attack a note only falls (vibrato and noise aside, which move
  // it a little), so the window's highest point is at its start, at its end
  // or where a note peaks inside it.
  const std::uint8_t start = SignalLevel(key, channel, fromUs + 1);
  if (start > best) best = start;
  ForPeaksIn(key, VoiceOf(channel), fromUs, toUs, [&](const Note& note) {
    const std::uint32_t peak = ChannelPeak(note, channel);
    if (peak > best) best = static_cast<std::uint8_t>(peak);
  });
  return best;
}

std::uint16_t SignalClips(std::uint64_t key, std::uint64_t fromUs, std::uint64_t toUs) {
  std::uint16_t clips = 0;
  for (std::uint32_t v = 0; v < kVoiceCount; ++v) {
    ForPeaksIn(key, v, fromUs, toUs, [&](const Note& note) {
      if (!note.clips) return;
      const std::uint32_t first = v < 8 ? v : 8 + 2 * (v - 8);
      const std::uint32_t count = v < 8 ? 1 : 2;
      for (std::uint32_t c = first; c < first + count; ++c)
        if (ChannelPeak(note, c) == 255) clips = static_cast<std::uint16_t>(clips | 1u << c);
    });
  }
  return clips;
}

}  // namespace simulator::core
