// What a screen reader reads from a window through AccessibleObjectFromWindow,
// in this process or from another one.
#pragma once

#include <windows.h>

#include <oleacc.h>

#include <string>

#include "platform/widetext.h"
#include "windows/waccessible.h"

struct AccessibleRead {
  bool reached = false;
  long role = 0;
  long state = 0;
  std::string name, value, description, action;
};

// One of the text properties, read and freed.
template <typename Getter>
std::string TakeText(Getter get) {
  BSTR text = nullptr;
  const HRESULT hr = get(&text);
  std::string out = SUCCEEDED(hr) && text ? platform::Utf8FromWide(text) : std::string();
  SysFreeString(text);
  return out;
}

inline AccessibleRead ReadAccessible(HWND control) {
  AccessibleRead read;
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                        reinterpret_cast<void**>(&object))) ||
      !object)
    return read;
  read.reached = true;
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  VARIANT answer{};
  if (SUCCEEDED(object->get_accRole(self, &answer)) && answer.vt == VT_I4) read.role = answer.lVal;
  VariantInit(&answer);
  if (SUCCEEDED(object->get_accState(self, &answer)) && answer.vt == VT_I4)
    read.state = answer.lVal;
  read.name = TakeText([&](BSTR* text) { return object->get_accName(self, text); });
  read.value = TakeText([&](BSTR* text) { return object->get_accValue(self, text); });
  read.description = TakeText([&](BSTR* text) { return object->get_accDescription(self, text); });
  read.action = TakeText([&](BSTR* text) { return object->get_accDefaultAction(self, text); });
  object->Release();
  return read;
}

inline bool DoDefaultAction(HWND control) {
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                        reinterpret_cast<void**>(&object))) ||
      !object)
    return false;
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  const bool done = SUCCEEDED(object->accDoDefaultAction(self));
  object->Release();
  return done;
}
