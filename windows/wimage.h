// A static picture whose key-coloured pixels show the parent's painting.
#pragma once

#include "windows/wwindow.h"

class WImage : public WWindow {
 public:
  WImage(int bitmap, COLORREF key) : bitmap(bitmap), key(key) {}

  bool HandleMessage(WMessage& msg) override;
  const char* ClassName() const override { return "ZWIMAGE"; }

 private:
  int bitmap;
  COLORREF key;
};
