#include "gui/commandline.h"

std::string SettingsPathFromCommandLine(const char* commandLine) {
  std::string text = commandLine ? commandLine : "";
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
    return text.substr(1, text.size() - 2);
  return text;
}
