// The control panel on a monitor of another scale: the window moved to one of
// 144 dpi (150 %) has every control, icon, column and pane at that scale with
// nothing clipped, and back on a 96-dpi monitor it is exactly as it was.
// Where the window would not fit the work area at the monitor's scale, it is
// laid out for the largest DPI at which it fits.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "panel/app/resstrings.h"
#include "panel/dpiscale.h"
#include "tests/windows/panelwindow.h"
#include "windows/workarea.h"

namespace {

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

RECT RectIn(HWND window, HWND parent) {
  RECT rect;
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::wstring WindowText(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

// The room `text` takes in `window`'s font, wrapped at `width` when given.
SIZE TextExtent(HWND window, const std::wstring& text, int width = 0) {
  HDC dc = GetDC(window);
  auto font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
  HGDIOBJ before = SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
  RECT rect{0, 0, width > 0 ? width : 10000, 0};
  DrawTextW(dc, text.c_str(), -1, &rect,
            DT_CALCRECT | DT_NOPREFIX | (width > 0 ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(dc, before);
  ReleaseDC(window, dc);
  return {rect.right, rect.bottom};
}

std::string Name(HWND control) {
  std::ostringstream name;
  name << "control " << GetDlgCtrlID(control) << " (" << app::ToAnsi(ClassOf(control)) << " \""
       << app::ToAnsi(WindowText(control)) << "\")";
  return name.str();
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

// What of a dialog's texts would not fit its controls: a label or a wrapped
// text taller than its box, a button's caption wider than the button, a
// column's title wider than the column, a control out of the `form` it is
// shown in. Each as a line of its own.
void FindClipped(HWND dialog, HWND form, std::vector<std::string>& clipped) {
  RECT room;
  GetClientRect(form, &room);
  for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr;
       control = GetWindow(control, GW_HWNDNEXT)) {
    const std::wstring kind = ClassOf(control);
    if (kind == L"#32770") continue;  // a page: looked at on its own
    RECT client;
    GetClientRect(control, &client);
    const std::wstring text = WindowText(control);
    const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
    // The etched lines run to the form's edge, where a pixel more or less
    // shows nothing.
    const LONG_PTR staticType = style & SS_TYPEMASK;
    const bool line =
        kind == L"Static" && (staticType == SS_ETCHEDHORZ || staticType == SS_ETCHEDVERT);
    if (!line && !Inside(RectIn(control, form), room))
      clipped.push_back(Name(control) + " leaves the form");
    if (kind == L"Static" && !text.empty()) {
      if (TextExtent(control, text, client.right).cy > client.bottom)
        clipped.push_back(Name(control) + " is taller than its box");
      // A word wider than the box would be broken inside the word.
      std::wistringstream words(text);
      for (std::wstring word; words >> word;)
        if (TextExtent(control, word).cx > client.right)
          clipped.push_back(Name(control) + " has a word wider than its box");
    } else if (kind == L"Button" && !text.empty()) {
      const LONG_PTR type = style & BS_TYPEMASK;
      const bool box = type == BS_AUTOCHECKBOX || type == BS_CHECKBOX ||
                       type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON;
      // A check box's box and gap, and a push button's edges, take room too.
      const int frame = box ? GetSystemMetrics(SM_CXMENUCHECK) + 4 : type == BS_GROUPBOX ? 16 : 6;
      const SIZE extent = (style & BS_MULTILINE) != 0
                              ? TextExtent(control, text, client.right - frame)
                              : TextExtent(control, text);
      if (extent.cx + frame > client.right || (type != BS_GROUPBOX && extent.cy > client.bottom))
        clipped.push_back(Name(control) + " does not hold its caption");
    } else if (kind == WC_LISTVIEWW) {
      HWND header = ListView_GetHeader(control);
      for (int column = 0; column < Header_GetItemCount(header); ++column) {
        wchar_t title[64] = {};
        HDITEMW item{};
        item.mask = HDI_TEXT | HDI_WIDTH;
        item.pszText = title;
        item.cchTextMax = 64;
        Header_GetItem(header, column, &item);
        // The header draws its title with a margin on either side.
        if (title[0] != 0 && TextExtent(header, title).cx + 12 > item.cxy)
          clipped.push_back(Name(control) + " cuts the title of column " + std::to_string(column));
      }
    }
  }
}

class PanelDpi : public PanelWindow {
 protected:
  // Room for the window at every scale the tests move it to, whatever the
  // test's own screen measures.
  void SetUp() override {
    PanelWindow::SetUp();
    ForceWorkArea({0, 0, 4000, 3000});
  }
  void TearDown() override {
    PanelWindow::TearDown();
    SetWorkAreaForTests(nullptr);
  }
  void ForceWorkArea(RECT area) { SetWorkAreaForTests(&area); }
  void ScreenChanged(UINT message, WPARAM wParam = 0) {
    SendMessageW(Frame(), message, wParam, 0);
    testsupport::PumpPending();
  }
  // The whole frame inside `area`, holding the form and the status bar exactly.
  void ExpectWholeWindowIn(const RECT& area) {
    RECT outer;
    GetWindowRect(Frame(), &outer);
    EXPECT_GE(outer.left, area.left);
    EXPECT_GE(outer.top, area.top);
    EXPECT_LE(outer.right, area.right);
    EXPECT_LE(outer.bottom, area.bottom);
    const SIZE form = View().FormSize();
    EXPECT_EQ(ClientSize().cx, form.cx);
    EXPECT_EQ(ClientSize().cy, form.cy + application->MainWindow()->GetStatusBar().Height());
  }
  // What the system sends when the window comes onto a monitor of `dpi`: the
  // window's rectangle scaled about its top left corner.
  void MoveToMonitorOf(UINT dpi) {
    RECT window;
    GetWindowRect(Frame(), &window);
    const UINT from = View().Dpi();
    RECT suggested{window.left, window.top,
                   window.left + dpiscale::Rescale(window.right - window.left, from, dpi),
                   window.top + dpiscale::Rescale(window.bottom - window.top, from, dpi)};
    SendMessageW(Frame(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&suggested));
    testsupport::PumpPending();
  }
  std::vector<std::string> ClippedOnEveryPage() {
    std::vector<std::string> clipped;
    FindClipped(View().Handle(), View().Handle(), clipped);
    for (int i = 0; i < kPanelPageCount; ++i) {
      const auto page = static_cast<PanelPage>(i);
      View().SelectPage(page);
      testsupport::PumpPending();
      FindClipped(View().Page(page).Handle(), View().Handle(), clipped);
    }
    // The tree's titles and the status bar's texts.
    HWND tree = View().Tree();
    RECT treeRoom;
    GetClientRect(tree, &treeRoom);
    for (auto item = TreeView_GetRoot(tree); item != nullptr;
         item = TreeView_GetNextSibling(tree, item)) {
      RECT text;
      if (TreeView_GetItemRect(tree, item, &text, TRUE) && text.right > treeRoom.right)
        clipped.push_back("a tree item is wider than the tree");
    }
    HWND bar = application->MainWindow()->GetStatusBar().Handle();
    for (int pane = 0; pane < 2; ++pane) {
      RECT rect;
      SendMessageW(bar, SB_GETRECT, pane, reinterpret_cast<LPARAM>(&rect));
      const SIZE extent = TextExtent(bar, StatusText(pane));
      if (extent.cx + 6 > rect.right - rect.left || extent.cy > rect.bottom - rect.top)
        clipped.push_back("status pane " + std::to_string(pane) + " cuts \"" +
                          app::ToAnsi(StatusText(pane)) + "\"");
    }
    return clipped;
  }
  // Every control's rectangle in its dialog, the view's and the pages'.
  std::vector<RECT> ControlRects() {
    std::vector<RECT> rects;
    auto add = [&](HWND dialog) {
      for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr;
           control = GetWindow(control, GW_HWNDNEXT))
        rects.push_back(RectIn(control, dialog));
    };
    add(View().Handle());
    for (int i = 0; i < kPanelPageCount; ++i) add(View().Page(static_cast<PanelPage>(i)).Handle());
    return rects;
  }
  SIZE ClientSize() {
    RECT client;
    GetClientRect(Frame(), &client);
    return {client.right, client.bottom};
  }
  static std::string Joined(const std::vector<std::string>& lines) {
    std::string joined;
    for (const std::string& line : lines) joined += line + "\n";
    return joined;
  }
  int TreeIconSize() {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(TreeView_GetImageList(View().Tree(), TVSIL_NORMAL), &cx, &cy);
    return cx;
  }
};

TEST_F(PanelDpi, At144DpiEveryPageHoldsItsTextsAndTheFormFitsTheFrame) {
  Open();
  ASSERT_EQ(View().Dpi(), 96u) << "the test prefix runs at 96 dpi";
  ASSERT_EQ(Joined(ClippedOnEveryPage()), "") << "clipped at 96 dpi already";
  RECT tree96 = RectIn(View().Tree(), View().Handle());
  const SIZE form96 = View().FormSize();

  MoveToMonitorOf(144);
  EXPECT_EQ(View().Dpi(), 144u);
  EXPECT_EQ(Joined(ClippedOnEveryPage()), "");
  // Every control grew with the scale. The layout follows the font's
  // character size, which grows only about as the DPI does.
  auto grewAbout = [](int at96, int now) {
    return now >= at96 * 1.5 * 0.9 && now <= at96 * 1.5 * 1.1 + 1;
  };
  const RECT tree = RectIn(View().Tree(), View().Handle());
  EXPECT_TRUE(grewAbout(tree96.right - tree96.left, tree.right - tree.left));
  EXPECT_TRUE(grewAbout(tree96.bottom - tree96.top, tree.bottom - tree.top));
  EXPECT_EQ(TreeIconSize(), 24);
  // The frame holds the grown form and the status bar exactly.
  const SIZE form = View().FormSize();
  EXPECT_TRUE(grewAbout(form96.cx, form.cx)) << form.cx;
  EXPECT_TRUE(grewAbout(form96.cy, form.cy)) << form.cy;
  const SIZE client = ClientSize();
  EXPECT_EQ(client.cx, form.cx);
  EXPECT_EQ(client.cy, form.cy + application->MainWindow()->GetStatusBar().Height());
  RECT view;
  GetWindowRect(View().Handle(), &view);
  EXPECT_EQ(view.right - view.left, form.cx);
  EXPECT_EQ(view.bottom - view.top, form.cy);
  // The page starts right of the tree's line.
  RECT page = RectIn(View().Page(PanelPage::kSettings).Handle(), View().Handle());
  EXPECT_GT(page.left, tree.right);
}

TEST_F(PanelDpi, BackOnA96DpiMonitorEveryPixelIsWhereItWas) {
  Open();
  View().SelectPage(PanelPage::kInputChannels);
  const std::vector<RECT> before = ControlRects();
  const SIZE client = ClientSize();
  RECT window;
  GetWindowRect(Frame(), &window);

  for (UINT dpi : {144u, 192u, 120u, 96u}) MoveToMonitorOf(dpi);
  const std::vector<RECT> after = ControlRects();
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t i = 0; i < before.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(EqualRect(&after[i], &before[i]));
  }
  EXPECT_EQ(ClientSize().cx, client.cx);
  EXPECT_EQ(ClientSize().cy, client.cy);
  RECT now;
  GetWindowRect(Frame(), &now);
  EXPECT_EQ(now.left, window.left);
  EXPECT_EQ(now.top, window.top);
  EXPECT_EQ(TreeIconSize(), 16);
}

TEST_F(PanelDpi, ColumnsKeepTheirShareAndANonsenseDpiChangesNothing) {
  Open();
  CChannelsPage& inputs = static_cast<CChannelsPage&>(View().Page(PanelPage::kInputChannels));
  HWND list = inputs.List().Handle();
  // A column the user widened keeps its share of the list.
  ListView_SetColumnWidth(list, 0, 200);
  const int second = ListView_GetColumnWidth(list, 1);
  MoveToMonitorOf(192);
  EXPECT_EQ(ListView_GetColumnWidth(list, 0), 400);
  EXPECT_EQ(ListView_GetColumnWidth(list, 1), 2 * second);

  const std::vector<RECT> before = ControlRects();
  const SIZE client = ClientSize();
  RECT nowhere{0, 0, 10, 10};
  for (UINT dpi : {0u, 2u, 5000u})
    SendMessageW(Frame(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&nowhere));
  SendMessageW(Frame(), WM_DPICHANGED, MAKEWPARAM(144, 144), 0);
  testsupport::PumpPending();
  EXPECT_EQ(View().Dpi(), 192u);
  const std::vector<RECT> after = ControlRects();
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t i = 0; i < before.size(); ++i)
    EXPECT_TRUE(EqualRect(&after[i], &before[i])) << i;
  EXPECT_EQ(ClientSize().cx, client.cx);
  EXPECT_EQ(ClientSize().cy, client.cy);
}

TEST_F(PanelDpi, OnAMonitorTooSmallForItsScaleTheLargestDpiThatFitsIsTaken) {
  Open();
  const RECT screen{0, 0, 1280, 1024};
  ForceWorkArea(screen);
  MoveToMonitorOf(192);  // 1588 columns wide at 192 dpi
  const UINT dpi = View().Dpi();
  EXPECT_GT(dpi, 96u);
  EXPECT_LT(dpi, 192u);
  ExpectWholeWindowIn(screen);
  // The form grows with its font, in steps: at one dpi more it would not fit.
  RECT outer;
  GetWindowRect(Frame(), &outer);
  const SIZE larger = View().FormSizeAt(dpi + 1);
  const SIZE client = ClientSize();
  const SIZE form = View().FormSize();
  EXPECT_TRUE(larger.cx + (outer.right - outer.left) - client.cx > screen.right ||
              larger.cy + (outer.bottom - outer.top) - form.cy > screen.bottom)
      << dpi + 1 << " dpi: " << larger.cx << " x " << larger.cy;
  EXPECT_EQ(Joined(ClippedOnEveryPage()), "");
}

TEST_F(PanelDpi, AWorkAreaThatShrinksOrGrowsLaysTheFormOutAgainAndKeepsItInside) {
  Open();
  MoveToMonitorOf(144);
  ASSERT_EQ(View().Dpi(), 144u);
  const std::vector<RECT> at144 = ControlRects();
  const RECT small{0, 0, 1024, 600};
  ForceWorkArea(small);
  ScreenChanged(WM_SETTINGCHANGE, SPI_SETWORKAREA);
  EXPECT_LT(View().Dpi(), 144u);
  EXPECT_GE(View().Dpi(), 96u);
  ExpectWholeWindowIn(small);
  EXPECT_EQ(Joined(ClippedOnEveryPage()), "");
  // Room again: every control where it was at the monitor's scale.
  ForceWorkArea({0, 0, 4000, 3000});
  ScreenChanged(WM_DISPLAYCHANGE);
  EXPECT_EQ(View().Dpi(), 144u);
  const std::vector<RECT> after = ControlRects();
  ASSERT_EQ(after.size(), at144.size());
  for (std::size_t i = 0; i < at144.size(); ++i) EXPECT_TRUE(EqualRect(&after[i], &at144[i])) << i;
}

TEST_F(PanelDpi, AtTheBaseScaleTheWindowIsNeverMadeSmallerOnlyKeptInside) {
  // 700 x 400: smaller than the window at 96 dpi.
  ForceWorkArea({300, 200, 1000, 600});
  Open();
  EXPECT_EQ(View().Dpi(), 96u);
  RECT outer;
  GetWindowRect(Frame(), &outer);
  EXPECT_EQ(outer.left, 300);
  EXPECT_EQ(outer.top, 200);
}

}  // namespace
