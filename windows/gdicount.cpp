#include "windows/gdicount.h"

#include <atomic>

namespace gdi {
namespace {
// Atomic: the metering thread draws into surfaces too.
std::atomic<int> live{0};
}  // namespace

int LiveObjects() { return live.load(); }
void CountMade() { ++live; }
void CountReleased() { --live; }

}  // namespace gdi
