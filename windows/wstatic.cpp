#include "windows/wstatic.h"

#include "velmora/velmora.h"

namespace {
// By selected mix; anything but 1 to 3 names the first pair.
const char* const kOutputLabels[] = {"Output 1 && 2", "Output 3 && 4", "Output 5 && 6",
                                     "Output 7 && 8"};
const char* const kDawLabels[] = {"DAW In 1 && 2", "DAW In 3 && 4", "DAW In 5 && 6",
                                  "DAW In 7 && 8"};

int PairIndex(std::int32_t selectedMix) {
  return selectedMix >= 1 && selectedMix <= 3 ? selectedMix : 0;
}
}  // namespace

void WStatic::Refresh() {
  const char* const* texts = labelId == IDOUTPUTLABEL ? kOutputLabels
                             : labelId == IDDAWLABEL  ? kDawLabels
                                                      : nullptr;
  if (texts) {
    const char* text = texts[PairIndex(KMXGetInteger(IDMIXSELECT))];
    SendMessageA(HWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  }
  Invalidate();
}

bool WStatic::HandleMessage(WMessage& msg) {
  if (msg.msg != WM_CTLCOLORSTATIC) return false;
  HDC dc = reinterpret_cast<HDC>(msg.wParam);
  SetBkColor(dc, RGB(0x63, 0x63, 0x63));
  SetTextColor(dc, RGB(0xB4, 0xB4, 0xB4));
  // No fill outside the text: the strip's picture shows there.
  msg.result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
  return true;
}
