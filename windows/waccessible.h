// The accessible object a toolkit window hands a screen reader through
// WM_GETOBJECT: every question goes to the system's standard object for the
// window's client area, except those the window's AccessibleSource answers
// (role, name, value, description, state, default action). It holds the
// window's handle, not the window: a reader may keep it after the window has
// gone, and then the source is simply not found any more.
#pragma once

#include <windows.h>

#include <oleacc.h>

#include "windows/accessiblesource.h"

// The source of a window, or null (the window has gone, or has none).
using SourceLookup = AccessibleSource* (*)(HWND);

// In a static link the import library's IID_IAccessible is not the interface's id.
inline constexpr GUID kIidAccessible = {
    0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

// COM on the calling thread, started once: LresultFromObject marshals the
// object, and the window thread may not have COM yet when the first reader
// asks.
void EnsureCom();

// The answer to WM_GETOBJECT for the client area (true, *result set); false
// for any other object id, which the window's default procedure answers.
bool AnswerGetObject(HWND hwnd, WPARAM wParam, LPARAM lParam, SourceLookup lookup, LRESULT* result);

class WAccessible final : public IAccessible {
 public:
  // standard: the standard object, whose reference this object takes over.
  WAccessible(HWND hwnd, IAccessible* standard, SourceLookup lookup);

  // IUnknown and IDispatch
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(LONG left, LONG top, VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

 private:
  ~WAccessible();
  using Property = std::optional<std::string> (AccessibleSource::*)();
  // The source when `child` is the window itself and the window still has one.
  AccessibleSource* SourceFor(const VARIANT& child) const;
  // The source's text when it gives one, else the standard object's.
  template <typename Standard>
  HRESULT OwnText(const VARIANT& child, Property property, BSTR* out, Standard standardText) const;

  LONG references = 1;
  HWND hwnd;
  IAccessible* standard;
  SourceLookup lookup;
};
