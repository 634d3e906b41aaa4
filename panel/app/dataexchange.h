// Dialog data exchange: moves values between a dialog's controls and the
// members they are bound to, in one direction per pass. A dialog lists its
// bindings once (DoDataExchange) and runs them either way.
#pragma once

#include <windows.h>

#include <string>

namespace app {

class DataExchange {
 public:
  // `saving`: controls to members; otherwise members to controls.
  DataExchange(HWND dialog, bool saving) : dialog_(dialog), saving_(saving) {}

  bool Saving() const { return saving_; }

  void Text(int id, std::wstring& value);
  // A check box: 0 clear, 1 checked, 2 indeterminate.
  void Check(int id, int& value);
  // A group of automatic radio buttons with consecutive ids from `firstId`:
  // the index of the chosen one, -1 for none.
  void Radio(int firstId, int count, int& value);

 private:
  HWND dialog_;
  bool saving_;
};

}  // namespace app
