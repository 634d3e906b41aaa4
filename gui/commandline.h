// The mixer's command line: its whole text, when not empty, names a settings
// file to load at start-up.
#pragma once

#include <string>

// The path the command-line text names. A shell quotes a path with spaces, so
// one pair of quotation marks around the whole text is taken off; anything
// else, spaces and inner quotation marks included, stays as it is.
std::string SettingsPathFromCommandLine(const char* commandLine);

// What follows the program's name in the process's whole command line (as
// GetCommandLine gives it), as WinMain's text would be: the name is quoted
// up to the next quotation mark or runs to the first space or tab, and the
// spaces and tabs after it are skipped.
std::string ArgumentsOfCommandLine(const std::string& whole);
