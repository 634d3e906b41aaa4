// Mixer settings files (".kmx"): the 212-byte image of the four mixes.
#pragma once

// Saves to `path`, adding ".kmx" when the path holds no ".kmx". True when the
// whole image was written; only then is the state marked saved.
bool SaveSettingsFile(const char* path);
// Loads `path` into the model, sends all four mixes and refreshes every
// control. A file that cannot be read, or is shorter than the image, changes
// nothing.
bool LoadSettingsFile(const char* path);
