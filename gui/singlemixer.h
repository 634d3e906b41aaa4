// One mixer at a time: two mixers driving one unit would each show a mix the
// hardware no longer plays. The first start holds a named mutex for as long
// as it runs; a later start finds its window and hands it the command line
// (WM_COPYDATA), and ends only once the running mixer has taken it. A mixer
// that is closing refuses: the later start waits for it to end and runs as
// the first.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "gui/mainwindow.h"

class SingleMixer {
 public:
  // The program's own name and window class; tests give names of their own,
  // so that they never meet a mixer another test runs.
  explicit SingleMixer(const wchar_t* mutexName = kMutexName,
                       const char* windowClass = MainWindow::kClassName);
  ~SingleMixer();  // the first start gives the name back
  SingleMixer(const SingleMixer&) = delete;
  SingleMixer& operator=(const SingleMixer&) = delete;

  // True when no other mixer runs in this session, or the one that did has
  // ended since.
  bool IsFirst() const { return owned_; }
  // Hands `commandLine` (UTF-8) to the running mixer, which comes to the
  // front. True when this start is done: the mixer took it, or it does not
  // answer (the user is told, and no second mixer opens on the unit). False
  // when that mixer was closing or ended, and this start now owns the name
  // and runs as the first; also when it never had a window after a while.
  bool HandOver(const char* commandLine);

  // Starts this program again for each command line, its file as the one
  // argument: files taken while the question that ended the mixer was open.
  // Each new start finds this mixer gone or going and opens its file once
  // this one has let go of the name.
  static void HandOn(const std::vector<std::string>& commandLines);

  static constexpr const wchar_t* kMutexName = L"Local\\KorvaneVelmora.OneMixer";

 private:
  enum class Answer { kTaken, kRefused, kNotUnderstood, kNoAnswer };
  Answer Send(HWND window, const std::wstring& commandLine) const;
  bool TakeName(DWORD waitMs);

  HANDLE mutex_ = nullptr;
  const char* windowClass_;
  bool owned_ = false;
};
