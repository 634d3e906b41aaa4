// Hands decoded commands from the network thread to the GUI thread, keeping
// only the latest value of each parameter: a flood of one fader's messages is
// one entry, applied once per pass, so memory stays flat and the window keeps
// up. Entries keep the order in which their first value arrived.
//
// A setting's key is what it sets (kind, id and mix), whoever sent it, so a
// fader's .../fader and .../db share one entry and the later value wins;
// refresh and meters belong to their sender and are keyed with it too.
#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

#include "remote/remoteaddress.h"
#include "remote/remoteendpoint.h"

class RemoteInbox {
 public:
  // Far above the settings there are (four mixes of 34, a few of the whole
  // mixer) plus refresh and meters of every controller: only a flood of
  // spoofed senders reaches it, and what is beyond it is dropped.
  static constexpr std::size_t kMaxEntries = 1024;

  struct Entry {
    RemoteCommand command;
    RemoteEndpoint sender;  // the latest sender of this entry
  };

  // Network thread. Returns true when the inbox was empty before, so a
  // message to the GUI thread is due; one posted message then covers every
  // Put until the GUI thread's next Take. False when full and dropped, too.
  // A post that fails must be tried again (or Take called another way): no
  // later Put asks for one until the inbox has been emptied.
  bool Put(const RemoteCommand& command, const RemoteEndpoint& sender);
  // GUI thread: every entry, first arrival first, and the inbox empty again.
  std::vector<Entry> Take();
  // GUI thread: into *entry the first entry of mix `mix` (-1: of no mix;
  // kAnyMix: of any), first arrival first; false when there is none. The
  // rest stay, and later values still replace theirs.
  static constexpr int kAnyMix = -2;
  bool TakeFirstOf(int mix, Entry* entry);

  std::size_t Size() const;
  std::size_t DroppedWhenFull() const;

 private:
  static bool SameKey(const Entry& entry, const RemoteCommand& command, const RemoteEndpoint& sender);

  mutable std::mutex mutex_;
  std::vector<Entry> entries_;
  std::size_t droppedWhenFull_ = 0;
};
