#include "windows/accessiblesource.h"

#include <oleacc.h>

void AccessibleSource::NotifyIfChanged(HWND hwnd) {
  const Said now{AccName().value_or(""), AccValue().value_or(""), AccStateBits()};
  if (said && hwnd) {
    if (now.name != said->name)
      NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, hwnd, OBJID_CLIENT, CHILDID_SELF);
    if (now.value != said->value)
      NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, hwnd, OBJID_CLIENT, CHILDID_SELF);
    if (now.state != said->state)
      NotifyWinEvent(EVENT_OBJECT_STATECHANGE, hwnd, OBJID_CLIENT, CHILDID_SELF);
  }
  said = now;
}
