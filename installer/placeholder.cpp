// TEMPORARY: stands in for velmora_app.exe and qdl_cpl.exe in the installer
// while a branch lacks those targets, so the installer and its test can be
// built and run. It appends its command line, as Windows passed it, to
// %TEMP%\korvane_placeholder.txt (UTF-8), where the installer's test reads
// what opening a settings file started. Remove with the last of its users.
#include <windows.h>

#include <cstdio>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  wchar_t folder[MAX_PATH + 1] = {};
  if (GetTempPathW(MAX_PATH, folder) == 0) return 1;
  const std::wstring path = std::wstring(folder) + L"korvane_placeholder.txt";
  const wchar_t* line = GetCommandLineW();
  const int size = WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr);
  std::string text(size > 0 ? static_cast<std::size_t>(size) : 1u, '\0');
  WideCharToMultiByte(CP_UTF8, 0, line, -1, text.data(), size, nullptr, nullptr);
  text.resize(text.size() - 1);
  std::FILE* file = _wfopen(path.c_str(), L"ab");
  if (!file) return 1;
  std::fprintf(file, "%s\n", text.c_str());
  std::fclose(file);
  return 0;
}
