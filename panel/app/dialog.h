// A dialog made from a dialog resource: modal (DoModal) or a modeless child
// (CreateModeless). Messages reach HandleMessage; the usual ones are turned
// into the hooks below. Modal runs go through a hook that tests replace, so a
// test can drive the dialog as a modeless window and end it itself.
#pragma once

#include <windows.h>

#include <functional>

#include "panel/app/commandtarget.h"
#include "panel/app/dataexchange.h"

namespace app {

class Dialog : public CommandTarget {
 public:
  explicit Dialog(unsigned templateId) : templateId_(templateId) {}
  ~Dialog() override;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  HWND Handle() const { return hwnd_; }
  unsigned TemplateId() const { return templateId_; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  void EnableItem(int id, bool enable) { EnableWindow(Item(id), enable ? TRUE : FALSE); }

  // Runs the dialog modally over `owner`; its end result (IDOK, IDCANCEL...).
  INT_PTR DoModal(HWND owner);
  // Creates the dialog as a modeless window; false when that failed.
  bool CreateModeless(HWND parent);
  // Ends the dialog with `result`: a modal one returns it from DoModal, a
  // modeless one is destroyed and keeps it in Result().
  void End(INT_PTR result);
  INT_PTR Result() const { return result_; }

  // Controls to members (`save`) or members to controls. False when the
  // window does not exist.
  bool UpdateData(bool save);

  // How modal runs happen. The hook is handed the dialog and its owner and
  // answers its end result; an empty hook restores the real modal loop.
  using ModalHook = std::function<INT_PTR(Dialog& dialog, HWND owner)>;
  static void SetModalHook(ModalHook hook);

 protected:
  // Binds controls to members; runs in both directions.
  virtual void DoDataExchange(DataExchange&) {}
  // After the window and its controls exist; the members have not been pushed
  // to the controls yet (the base does that after this returns).
  virtual void OnInitDialog() {}
  // Enter and Escape, and the buttons IDOK and IDCANCEL.
  virtual void OnOK();
  virtual void OnCancel() { End(IDCANCEL); }
  // A control's notification through WM_NOTIFY; the result goes back to it.
  virtual LRESULT OnNotify(const NMHDR&) { return 0; }
  // Every message; the default turns the usual ones into the hooks above.
  // True when handled (`result` is then the answer).
  virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR RunModal(HWND owner);

  unsigned templateId_;
  HWND hwnd_ = nullptr;
  bool modal_ = false;
  INT_PTR result_ = 0;
};

}  // namespace app
