#include "windows/wedit.h"

#include "velmora/mixsteps.h"
#include "velmora/velmora.h"
#include "windows/focusmark.h"
#include "windows/wdrawncontrol.h"

void WEdit::OnCommand(int code, WMessage&) {
  if (code == EN_KILLFOCUS && SendMessageA(HWnd, EM_GETMODIFY, 0, 0)) Commit();
}

void WEdit::Refresh() {
  const std::string text = KMXFormatValue(ParameterId(), GetValue());
  SendMessageA(HWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  Invalidate();
}

void WEdit::SetValue(double value) {
  SetFloat(value);
  Refresh();
}

void WEdit::Commit() {
  double value = GetValue();
  bool write = true;
  // Unchanged text writes the model's own value again: the text is rounded
  // (6.0 for 6.02 dB), and reading it back would move the value.
  if (SendMessageA(HWnd, EM_GETMODIFY, 0, 0)) {
    char text[120] = {};
    SendMessageA(HWnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    // Text with no number in it is no value: nothing is written.
    write = KMXReadValue(ParameterId(), text, &value);
  }
  if (write) {
    const StepScope typed(StepJoin::kNever, ParameterId());
    SetValue(value);
  }
  Refresh();
  SendMessageA(HWnd, EM_SETMODIFY, FALSE, 0);
}

bool WEdit::HandleMessage(WMessage& msg) {
  switch (msg.msg) {
    case WM_SETFOCUS:
      SendMessageA(HWnd, EM_SETSEL, 0, -1);
      return false;  // the edit takes the focus itself
    case WM_KEYDOWN:
      if (msg.wParam != VK_RETURN) return false;
      Commit();
      return true;
    case WM_CHAR:
      return msg.wParam == '\r';  // taken on the key-down; a single-line edit would beep
    case WM_CTLCOLOREDIT:
      msg.result = PickColours(reinterpret_cast<HDC>(msg.wParam));
      return true;
    default:
      return false;
  }
}

// Yellow on black, or the system's window colours under a high-contrast theme.
LRESULT WEdit::PickColours(HDC dc) {
  if (HighContrastOn()) {
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
  }
  SetBkColor(dc, RGB(0, 0, 0));
  SetTextColor(dc, RGB(0xFF, 0xFF, 0));
  return reinterpret_cast<LRESULT>(GetStockObject(BLACK_BRUSH));
}

std::optional<std::string> WEdit::AccName() { return MixerControlName(ParameterId()); }

std::optional<std::string> WEdit::AccValue() {
  char text[120] = {};
  GetWindowTextA(HWnd, text, sizeof text);
  return std::string(text);
}
