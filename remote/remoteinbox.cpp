#include "remote/remoteinbox.h"

#include <algorithm>

bool RemoteInbox::Put(const RemoteCommand& command, const RemoteEndpoint& sender) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = std::find_if(entries_.begin(), entries_.end(),
                            [&](const Entry& entry) { return SameKey(entry, command, sender); });
  if (found != entries_.end()) {
    *found = Entry{command, sender};
    return false;
  }
  if (entries_.size() >= kMaxEntries) {
    ++droppedWhenFull_;
    return false;
  }
  entries_.push_back(Entry{command, sender});
  return entries_.size() == 1;
}

std::vector<RemoteInbox::Entry> RemoteInbox::Take() {
  std::vector<Entry> taken;
  std::lock_guard<std::mutex> lock(mutex_);
  taken.swap(entries_);
  return taken;
}

bool RemoteInbox::TakeFirstOf(int mix, Entry* entry) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = std::find_if(entries_.begin(), entries_.end(),
                                  [mix](const Entry& held) { return mix == kAnyMix || held.command.mix == mix; });
  if (found == entries_.end()) return false;
  *entry = *found;
  entries_.erase(found);
  return true;
}

std::size_t RemoteInbox::Size() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return entries_.size();
}

std::size_t RemoteInbox::DroppedWhenFull() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return droppedWhenFull_;
}

bool RemoteInbox::SameKey(const Entry& entry, const RemoteCommand& command,
                          const RemoteEndpoint& sender) {
  const RemoteCommand& held = entry.command;
  if (held.kind != command.kind || held.id != command.id || held.mix != command.mix) return false;
  const bool perSender = command.kind == RemoteCommandKind::kRefresh ||
                         command.kind == RemoteCommandKind::kMeters;
  return !perSender || entry.sender == sender;
}
