// One mixer at a time: two mixers driving one unit would each show a mix the
// hardware no longer plays. The first start holds a named mutex for as long
// as it runs; a later start finds its window and hands it the command line
// (WM_COPYDATA), and then ends.
#pragma once

#include <windows.h>

class SingleMixer {
 public:
  SingleMixer();
  ~SingleMixer();  // the first start gives the name back
  SingleMixer(const SingleMixer&) = delete;
  SingleMixer& operator=(const SingleMixer&) = delete;

  // True when no other mixer runs in this session, or the one that did has
  // ended since.
  bool IsFirst() const { return owned_; }
  // Hands `commandLine` (UTF-8) to the running mixer and brings it to the
  // front. False when that mixer ended before it had a window, or has none
  // after a while; this start then owns the name and runs as the first.
  bool HandOver(const char* commandLine);

 private:
  HANDLE mutex_ = nullptr;
  bool owned_ = false;
};
