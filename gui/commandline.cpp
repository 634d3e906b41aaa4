#include "gui/commandline.h"

std::string SettingsPathFromCommandLine(const char* commandLine) {
  std::string text = commandLine ? commandLine : "";
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
    return text.substr(1, text.size() - 2);
  return text;
}

std::string ArgumentsOfCommandLine(const std::string& whole) {
  std::size_t at = 0;
  if (!whole.empty() && whole[0] == '"') {
    const std::size_t close = whole.find('"', 1);
    at = close == std::string::npos ? whole.size() : close + 1;
  } else {
    at = whole.find_first_of(" \t");
    if (at == std::string::npos) at = whole.size();
  }
  at = whole.find_first_not_of(" \t", at);
  return at == std::string::npos ? std::string() : whole.substr(at);
}
