#include "panel/shell/qdl_cplview.h"

#include <dbt.h>

#include "panel/app/framewindow.h"
#include "panel/app/resstrings.h"
#include "panel/app/windowdpi.h"
#include "panel/dpiscale.h"
#include "panel/driverdata.h"
#include "panel/notifypost.h"
#include "panel/res/resource.h"

namespace {

// The driver's device-interface class; its control device's path is made of
// the same identifier.
constexpr GUID kDriverInterfaceClass = {
    0x73F85346, 0xAF20, 0x4235, {0xB6, 0x24, 0xB6, 0x9A, 0xE6, 0x79, 0x2F, 0x5B}};

// Where each page sits in the view: right of the tree's line, in dialog
// units, so the page keeps clear of the line whatever the dialog font's size
// (140, 2 pixels with the usual 8-point font).
constexpr int kPageX = 93, kPageY = 1;

struct PageEntry {
  PanelPage page;
  unsigned title;
  int image;
};

// The tree's items in order. The Streams page follows Synchronisation: its
// plugs' states are what the synchronisation settings lead to.
constexpr PageEntry kTreeItems[] = {
    {PanelPage::kDevices, IDS_TITLE_DEVICES, 1},
    {PanelPage::kInputChannels, IDS_TITLE_INPUT_CHANNELS, 3},
    {PanelPage::kOutputChannels, IDS_TITLE_OUTPUT_CHANNELS, 3},
    {PanelPage::kSync, IDS_TITLE_SYNC, 5},
    {PanelPage::kStreams, IDS_TITLE_STREAMS, 4},
    {PanelPage::kSettings, IDS_TITLE_SETTINGS, 2},
};

unsigned TitleOf(PanelPage page) {
  for (const PageEntry& entry : kTreeItems)
    if (entry.page == page) return entry.title;
  return 0;
}

constexpr unsigned kTreeIcons[] = {IDI_PANEL,    IDI_DEVICES, IDI_SETTINGS,
                                   IDI_CHANNELS, IDI_STREAMS, IDI_SYNC};

}  // namespace

CQDL_CPLView::CQDL_CPLView(bool asioOption)
    : app::FormView(IDD_QDL_CPL_FORM), asioOption_(asioOption) {
  // Names and ranking show on the Channels pages and in the clock-master list.
  devices_.SetDevicesChangedHandler([this] {
    inputs_.Refresh();
    outputs_.Refresh();
    sync_.FillList();
  });
  inputs_.SetOtherPage(&outputs_);
  outputs_.SetOtherPage(&inputs_);
  // A driver that is not there yet is opened when its devices arrive.
  CDriverData::Instance().Open();
}

CQDL_CPLView::~CQDL_CPLView() {
  CDriverData::Instance().Close();
  if (images_ != nullptr) ImageList_Destroy(images_);
}

CPanelPage& CQDL_CPLView::Page(PanelPage page) {
  switch (page) {
    case PanelPage::kSettings:
      return settings_;
    case PanelPage::kDevices:
      return devices_;
    case PanelPage::kInputChannels:
      return inputs_;
    case PanelPage::kOutputChannels:
      return outputs_;
    case PanelPage::kStreams:
      return streams_;
    case PanelPage::kSync:
      break;
  }
  return sync_;
}

void CQDL_CPLView::OnInitialUpdate() {
  DEV_BROADCAST_DEVICEINTERFACE_W filter{};
  filter.dbcc_size = sizeof filter;
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  filter.dbcc_classguid = kDriverInterfaceClass;
  // Without it the panel still works; it only misses devices that come later.
  RegisterDeviceNotificationW(Handle(), &filter, DEVICE_NOTIFY_WINDOW_HANDLE);

  StartNotifier();
  Frame()->RecalcLayout();
  Frame()->ResizeParentToFit();
  if (!firstUpdate_) return;
  CreatePages();
  BuildTree();
  HideAllPages();
  SelectPage(asioOption_ ? PanelPage::kSettings : PanelPage::kDevices);
  firstUpdate_ = false;
}

void CQDL_CPLView::StartNotifier() {
  notifier_.SetTarget(Handle(), WM_DRIVER_NOTIFY, 0, 0);
  notifier_.Start();
}

void CQDL_CPLView::CreatePages() {
  RECT origin{kPageX, kPageY, 0, 0};
  MapDialogRect(Handle(), &origin);
  pageOrigin_ = {origin.left, origin.top};
  for (int i = 0; i < kPanelPageCount; ++i) {
    CPanelPage& page = Page(static_cast<PanelPage>(i));
    if (!page.CreateModeless(Handle())) continue;
    page.RecordLayout(Dpi());
    SetWindowPos(page.Handle(), nullptr, origin.left, origin.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(page.Handle(), SW_SHOW);
  }
  HideAllPages();
}

void CQDL_CPLView::SetTreeIcons(UINT dpi) {
  // The icons are drawn at the sizes of the usual scales; between them the
  // nearest is scaled.
  const int size = dpiscale::Scale(16, dpi);
  HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 6, 1);
  for (unsigned icon : kTreeIcons) {
    auto handle = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(icon), IMAGE_ICON, size, size, 0));
    ImageList_AddIcon(images, handle);
    if (handle != nullptr) DestroyIcon(handle);
  }
  SendMessageW(Tree(), TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
  if (images_ != nullptr) ImageList_Destroy(images_);
  images_ = images;
}

void CQDL_CPLView::OnLayOutForDpi(UINT dpi, HFONT font) {
  SetTreeIcons(dpi);
  const POINT origin = Layout().Map(pageOrigin_, font);
  for (int i = 0; i < kPanelPageCount; ++i) {
    CPanelPage& page = Page(static_cast<PanelPage>(i));
    if (page.Handle() == nullptr) continue;
    SetWindowPos(page.Handle(), nullptr, origin.x, origin.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    page.ChangeDpi(dpi, font);
  }
}

void CQDL_CPLView::BuildTree() {
  SetTreeIcons(Dpi());
  for (const PageEntry& entry : kTreeItems) {
    std::wstring title = app::LoadResString(entry.title);
    TVINSERTSTRUCTW insert{};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    insert.item.pszText = title.data();
    insert.item.iImage = entry.image;
    insert.item.iSelectedImage = entry.image;
    insert.item.lParam = static_cast<LPARAM>(PageTag(entry.page));
    items_[static_cast<int>(entry.page)] = reinterpret_cast<HTREEITEM>(
        SendMessageW(Tree(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  }
}

void CQDL_CPLView::HideAllPages() {
  for (int i = 0; i < kPanelPageCount; ++i) {
    HWND page = Page(static_cast<PanelPage>(i)).Handle();
    if (page != nullptr) ShowWindow(page, SW_HIDE);
  }
}

bool CQDL_CPLView::SelectPage(PanelPage page) {
  HTREEITEM item = items_[static_cast<int>(page)];
  if (item == nullptr) return false;
  SendMessageW(Tree(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  return true;
}

std::optional<PanelPage> CQDL_CPLView::ShownPage() const {
  for (int i = 0; i < kPanelPageCount; ++i) {
    const auto page = static_cast<PanelPage>(i);
    HWND window = const_cast<CQDL_CPLView*>(this)->Page(page).Handle();
    if (window != nullptr && (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0) return page;
  }
  return std::nullopt;
}

void CQDL_CPLView::OnTreeSelectionChanged() {
  HideAllPages();
  HTREEITEM selected =
      reinterpret_cast<HTREEITEM>(SendMessageW(Tree(), TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (selected == nullptr) return;
  TVITEMW item{};
  item.mask = TVIF_PARAM;
  item.hItem = selected;
  if (!SendMessageW(Tree(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return;
  const std::optional<PanelPage> page = PageOfItemData(static_cast<std::uint64_t>(item.lParam));
  if (!page) return;
  ShowWindow(Page(*page).Handle(), SW_SHOW);
  Frame()->SetMessageText(app::LoadResString(TitleOf(*page)));
}

void CQDL_CPLView::RefreshAllPages() {
  devices_.Refresh();
  inputs_.Refresh();
  outputs_.Refresh();
  streams_.Refresh();
  settings_.Refresh();
  sync_.Refresh();
}

void CQDL_CPLView::OnDeviceChange(WPARAM event, LPARAM data) {
  if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE) return;
  const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
  if (header == nullptr || header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE) return;
  const auto* broadcast = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header);
  const std::size_t nameBytes =
      header->dbch_size > offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name)
          ? header->dbch_size - offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name)
          : 0;
  if (wcsnlen(broadcast->dbcc_name, nameBytes / sizeof(wchar_t)) <= 4) return;

  CDriverData& driver = CDriverData::Instance();
  if (driver.IsOpen()) {
    // An open instance may hold a handle of a driver that went away and came
    // back; one request tells, and closes the instance if so.
    qdl::DriverVersion version{};
    if (driver.GetDriverVersion(&version) == 0 || driver.IsOpen()) return;
  }
  if (driver.Open() == 0) {
    // The driver came back (or came at last). A handle the notifier opened
    // before only waits, so it never learns that its driver went: it would
    // wait for ever on an event the new driver knows nothing of.
    notifier_.Stop();
    StartNotifier();
  }
  RefreshAllPages();
}

void CQDL_CPLView::OnDriverNotify() {
  // One refresh however many changes were queued: a refresh may itself write
  // to the driver, which queues more, and must not run once per record.
  if (DrainNotifications(notifier_)) RefreshAllPages();
}

LRESULT CQDL_CPLView::OnNotify(const NMHDR& header) {
  if (header.idFrom == IDC_TREE && header.code == TVN_SELCHANGEDW) OnTreeSelectionChanged();
  return 0;
}

bool CQDL_CPLView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_DRIVER_NOTIFY:
      OnDriverNotify();
      result = 0;
      return true;
    case WM_DEVICECHANGE:
      OnDeviceChange(wParam, lParam);
      result = TRUE;
      return true;
    case WM_DESTROY:
      notifier_.Stop();
      notifier_.SetTarget(nullptr, 0, 0, 0);
      return false;
    default:
      return app::FormView::HandleMessage(message, wParam, lParam, result);
  }
}
