#include "windows/waccessible.h"

#include "platform/log.h"
#include "platform/widetext.h"

namespace {

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

HRESULT GiveText(const std::optional<std::string>& text, BSTR* out) {
  if (!out) return E_INVALIDARG;
  *out = SysAllocString(platform::WideFromUtf8(*text).c_str());
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT GiveLong(long value, VARIANT* out) {
  if (!out) return E_INVALIDARG;
  VariantInit(out);
  out->vt = VT_I4;
  out->lVal = value;
  return S_OK;
}

}  // namespace

void EnsureCom() {
  thread_local bool started = false;
  if (started) return;
  const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  started = SUCCEEDED(hr) || hr == RPC_E_CHANGED_MODE;
}

bool AnswerGetObject(HWND hwnd, WPARAM wParam, LPARAM lParam, SourceLookup lookup,
                     LRESULT* result) {
  if (static_cast<LONG>(lParam) != OBJID_CLIENT) return false;
  EnsureCom();
  IAccessible* standard = nullptr;
  if (FAILED(CreateStdAccessibleObject(hwnd, OBJID_CLIENT, kIidAccessible,
                                       reinterpret_cast<void**>(&standard))) ||
      !standard) {
    platform::Log("No standard accessible object for window %p.\n", static_cast<void*>(hwnd));
    return false;
  }
  auto* object = new WAccessible(hwnd, standard, lookup);
  *result = LresultFromObject(kIidAccessible, wParam, object);
  object->Release();  // the result holds its own reference
  return true;
}

WAccessible::WAccessible(HWND hwnd, IAccessible* standard, SourceLookup lookup)
    : hwnd(hwnd), standard(standard), lookup(lookup) {}

WAccessible::~WAccessible() { standard->Release(); }

AccessibleSource* WAccessible::SourceFor(const VARIANT& child) const {
  if (!IsSelf(child) || !IsWindow(hwnd)) return nullptr;
  return lookup ? lookup(hwnd) : nullptr;
}

HRESULT WAccessible::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
      IsEqualIID(iid, kIidAccessible)) {
    *out = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  // Anything else the standard object offers (window handle, enumeration)
  // comes from it, answering for the same window.
  return standard->QueryInterface(iid, out);
}

ULONG WAccessible::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references)); }

ULONG WAccessible::Release() {
  const LONG left = InterlockedDecrement(&references);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT WAccessible::GetTypeInfoCount(UINT* count) { return standard->GetTypeInfoCount(count); }

HRESULT WAccessible::GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) {
  return standard->GetTypeInfo(index, lcid, info);
}

HRESULT WAccessible::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                   DISPID* ids) {
  return standard->GetIDsOfNames(iid, names, count, lcid, ids);
}

// Late-bound calls would reach the standard object and miss the answers of
// the source: there are none.
HRESULT WAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
  return E_NOTIMPL;
}

HRESULT WAccessible::get_accParent(IDispatch** parent) { return standard->get_accParent(parent); }

HRESULT WAccessible::get_accChildCount(LONG* count) { return standard->get_accChildCount(count); }

HRESULT WAccessible::get_accChild(VARIANT child, IDispatch** out) {
  return standard->get_accChild(child, out);
}

template <typename Standard>
HRESULT WAccessible::OwnText(const VARIANT& child, Property property, BSTR* out,
                             Standard standardText) const {
  if (AccessibleSource* source = SourceFor(child))
    if (auto text = (source->*property)()) return GiveText(text, out);
  return standardText();
}

HRESULT WAccessible::get_accName(VARIANT child, BSTR* name) {
  return OwnText(child, &AccessibleSource::AccName, name,
                 [&] { return standard->get_accName(child, name); });
}

HRESULT WAccessible::get_accValue(VARIANT child, BSTR* value) {
  return OwnText(child, &AccessibleSource::AccValue, value,
                 [&] { return standard->get_accValue(child, value); });
}

HRESULT WAccessible::get_accDescription(VARIANT child, BSTR* description) {
  return OwnText(child, &AccessibleSource::AccDescription, description,
                 [&] { return standard->get_accDescription(child, description); });
}

HRESULT WAccessible::get_accRole(VARIANT child, VARIANT* role) {
  if (AccessibleSource* source = SourceFor(child))
    if (const long own = source->AccRole()) return GiveLong(own, role);
  return standard->get_accRole(child, role);
}

HRESULT WAccessible::get_accState(VARIANT child, VARIANT* state) {
  const HRESULT hr = standard->get_accState(child, state);
  AccessibleSource* source = SourceFor(child);
  if (!source) return hr;
  const long base = SUCCEEDED(hr) && state && state->vt == VT_I4 ? state->lVal : 0;
  return GiveLong(base | source->AccStateBits(), state);
}

HRESULT WAccessible::get_accHelp(VARIANT child, BSTR* help) {
  return standard->get_accHelp(child, help);
}

HRESULT WAccessible::get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) {
  return standard->get_accHelpTopic(file, child, topic);
}

HRESULT WAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
  return standard->get_accKeyboardShortcut(child, shortcut);
}

HRESULT WAccessible::get_accFocus(VARIANT* focus) { return standard->get_accFocus(focus); }

HRESULT WAccessible::get_accSelection(VARIANT* selection) {
  return standard->get_accSelection(selection);
}

HRESULT WAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
  return OwnText(child, &AccessibleSource::AccDefaultAction, action,
                 [&] { return standard->get_accDefaultAction(child, action); });
}

HRESULT WAccessible::accSelect(LONG flags, VARIANT child) {
  return standard->accSelect(flags, child);
}

HRESULT WAccessible::accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) {
  return standard->accLocation(left, top, width, height, child);
}

HRESULT WAccessible::accNavigate(LONG direction, VARIANT start, VARIANT* end) {
  return standard->accNavigate(direction, start, end);
}

HRESULT WAccessible::accHitTest(LONG left, LONG top, VARIANT* child) {
  return standard->accHitTest(left, top, child);
}

HRESULT WAccessible::accDoDefaultAction(VARIANT child) {
  if (AccessibleSource* source = SourceFor(child))
    if (source->AccDoDefaultAction()) return S_OK;
  return standard->accDoDefaultAction(child);
}

HRESULT WAccessible::put_accName(VARIANT child, BSTR name) {
  return standard->put_accName(child, name);
}

HRESULT WAccessible::put_accValue(VARIANT child, BSTR value) {
  return standard->put_accValue(child, value);
}
