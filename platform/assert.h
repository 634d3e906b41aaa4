// Debug assertions for broken preconditions. The message is the expression's
// text as the code states it ("chan < numberof(Mixer.Fader)"). Release builds
// check nothing here: the caller still guards the access itself, so a broken
// precondition never reads or writes out of bounds.
#pragma once

namespace platform {

// Logs "Assertion failed: <text>\n" and, unless tests switched it off, aborts.
void AssertionFailed(const char* text);
// Tests that break a precondition on purpose switch the abort off.
void SetAssertionsAbort(bool abort);

}  // namespace platform

#ifdef NDEBUG
#define KORVANE_ASSERT(expr, text) ((void)0)
#else
#define KORVANE_ASSERT(expr, text) ((expr) ? (void)0 : ::platform::AssertionFailed(text))
#endif
