// The sixteen synthetic signals a simulated X-Tamber meters: eight inputs (a
// drum kit, bass, guitar, keys, a singer and a room microphone) and four DAW
// playback pairs. Each is a stream of notes at its own tempo, grouped into
// phrases that are tacet, soft, normal or loud, with attacks, decays and held
// notes; now and then a note in a loud phrase clips at full scale.
//
// Everything is a pure function of a per-device key and the time, so the
// device need not run a clock: it asks what happened between two instants.
// Integer arithmetic only (the core also runs in kernel mode).
#pragma once

#include <cstdint>

namespace simulator::core {

// Level of channel 0..15 at `timeUs`: linear amplitude 0..255. Only a clipping
// note reaches 255.
std::uint8_t SignalLevel(std::uint64_t key, std::uint32_t channel, std::uint64_t timeUs);

// The highest level of channel 0..15 in (fromUs, toUs]: what a peak meter that
// is read at `fromUs` and again at `toUs` shows.
std::uint8_t SignalPeak(std::uint64_t key, std::uint32_t channel, std::uint64_t fromUs,
                        std::uint64_t toUs);

// The channels (bit n: channel n) that reached full scale in (fromUs, toUs].
// Of a span longer than several minutes only its last minutes are searched.
std::uint16_t SignalClips(std::uint64_t key, std::uint64_t fromUs, std::uint64_t toUs);

// 2^-x in units of 1/65536, for x in units of 1/256: the shape of every decay.
std::uint32_t Pow2NegQ16(std::uint32_t xQ8);

}  // namespace simulator::core
