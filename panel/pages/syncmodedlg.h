// The mode dialog of the Synchronisation page: the selectable synchronisation
// modes of one device, exactly one of them checked. It works on a copy of
// the device's record; the page takes the copy back on "OK".
#pragma once

#include "panel/app/dialog.h"
#include "panel/driverrecords.h"
#include "panel/pages/listview.h"
#include "panel/res/resource.h"

class CSyncModeDlg : public app::Dialog {
 public:
  explicit CSyncModeDlg(const SyncInfo& info) : app::Dialog(IDD_SYNCMODE), info_(info) {}

  const SyncInfo& Info() const { return info_; }
  CListView& List() { return list_; }

 protected:
  void OnInitDialog() override;
  LRESULT OnNotify(const NMHDR& header) override;

 private:
  void OnRowChanged(int row);

  SyncInfo info_;
  CListView list_;
  bool ready_ = false;  // false while the dialog changes the checks itself
};
