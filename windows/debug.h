// The toolkit's debug output: formatted text to the debugger.
#pragma once

// Formats like printf into 512 characters and writes the text to the debugger
// output. A text that does not fit (512 characters or more) is a programming
// error: a debug report, and "TRACE buffer overflow\n" is written instead.
void TRACE(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Receives each text TRACE writes (tests). Null restores the debugger output.
using TraceSink = void (*)(const char* text);
void SetTraceSink(TraceSink sink);
