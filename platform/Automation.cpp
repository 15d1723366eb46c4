#include "Automation.h"

#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <new>

namespace {

// Texts cross into COM in the system's ANSI code page, as every other text of the plug-ins.
std::wstring Widen(const std::string& text) {
  if (text.empty()) return std::wstring();
  int size = static_cast<int>(text.size());
  int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, &wide[0], length);
  return wide;
}

std::string Narrow(const wchar_t* text) {
  if (text == nullptr || *text == L'\0') return std::string();
  int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, &narrow[0], length, nullptr, nullptr);
  narrow.resize(static_cast<size_t>(length > 0 ? length - 1 : 0));
  return narrow;
}

[[noreturn]] void Fail(const std::string& what, HRESULT result, const std::string& detail = "") {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
  std::string message = what + " failed (" + code + ")";
  if (!detail.empty()) message += ": " + detail;
  throw EAutomationError(message);
}

// One reference to a dispatch interface.
class TDispatchRef {
 public:
  TDispatchRef() = default;
  // Takes over a reference the caller owns.
  explicit TDispatchRef(IDispatch* adopted) : FDispatch(adopted) {}
  ~TDispatchRef() {
    if (FDispatch != nullptr) FDispatch->Release();
  }
  TDispatchRef(TDispatchRef&& other) noexcept : FDispatch(other.FDispatch) {
    other.FDispatch = nullptr;
  }
  TDispatchRef(const TDispatchRef&) = delete;
  TDispatchRef& operator=(const TDispatchRef&) = delete;
  TDispatchRef& operator=(TDispatchRef&&) = delete;

  IDispatch* Get() const { return FDispatch; }

 private:
  IDispatch* FDispatch = nullptr;
};

// The argument slots of one call, cleared (strings freed) when the call is over.
class TVariantSlots {
 public:
  explicit TVariantSlots(size_t count) : FSlots(count) {
    for (VARIANT& slot : FSlots) VariantInit(&slot);
  }
  ~TVariantSlots() {
    for (VARIANT& slot : FSlots) VariantClear(&slot);
  }
  TVariantSlots(const TVariantSlots&) = delete;
  TVariantSlots& operator=(const TVariantSlots&) = delete;

  VARIANT* Data() { return FSlots.empty() ? nullptr : FSlots.data(); }
  VARIANT& operator[](size_t index) { return FSlots[index]; }

 private:
  std::vector<VARIANT> FSlots;
};

// The server's description of a failure; its strings are freed with it.
struct TExceptionInfo {
  EXCEPINFO Info{};
  ~TExceptionInfo() {
    SysFreeString(Info.bstrSource);
    SysFreeString(Info.bstrDescription);
    SysFreeString(Info.bstrHelpFile);
  }
};

void Store(const TAutomationValue& value, VARIANT& slot) {
  const auto& held = value.Value();
  if (const int* number = std::get_if<int>(&held)) {
    slot.vt = VT_I4;
    slot.lVal = *number;
  } else if (const bool* flag = std::get_if<bool>(&held)) {
    slot.vt = VT_BOOL;
    slot.boolVal = *flag ? VARIANT_TRUE : VARIANT_FALSE;
  } else {
    std::wstring text = Widen(std::get<std::string>(held));
    BSTR string = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (string == nullptr) throw std::bad_alloc();
    slot.vt = VT_BSTR;
    slot.bstrVal = string;
  }
}

class TDispatchObject : public TAutomationObject {
 public:
  explicit TDispatchObject(TDispatchRef dispatch) : FDispatch(std::move(dispatch)) {}

  std::unique_ptr<TAutomationObject> Get(const std::string& name,
                                         const TAutomationArgs& args) override {
    return Invoke(name, DISPATCH_PROPERTYGET, args, nullptr);
  }

  void Put(const std::string& name, const TAutomationArgs& args,
           const TAutomationValue& value) override {
    Invoke(name, DISPATCH_PROPERTYPUT, args, &value);
  }

  // A member called without arguments may be a property (WorkBooks, Font, Columns): servers
  // that dispatch through their type library refuse a property invoked as a method only, so
  // the call offers both kinds, as script hosts do.
  std::unique_ptr<TAutomationObject> Call(const std::string& name) override {
    return Invoke(name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}, nullptr);
  }

 private:
  DISPID IdOf(const std::string& name) {
    std::wstring wide = Widen(name);
    LPOLESTR names[1] = {&wide[0]};
    DISPID id = DISPID_UNKNOWN;
    HRESULT result = FDispatch.Get()->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(result)) Fail("looking up the member '" + name + "'", result);
    return id;
  }

  // value is the value of a property put and nullptr otherwise.
  std::unique_ptr<TAutomationObject> Invoke(const std::string& name, WORD kind,
                                            const TAutomationArgs& args,
                                            const TAutomationValue* value) {
    if (FDispatch.Get() == nullptr) {
      throw EAutomationError("'" + name + "' was asked of a result that is not an object");
    }
    DISPID id = IdOf(name);

    // COM takes the arguments last to first; the value of a put comes before them all, as
    // the one named argument DISPID_PROPERTYPUT.
    size_t putSlots = value != nullptr ? 1 : 0;
    size_t count = args.size() + putSlots;
    TVariantSlots slots(count);
    for (size_t i = 0; i < args.size(); ++i) Store(args[i], slots[count - 1 - i]);
    DISPID putId = DISPID_PROPERTYPUT;
    if (value != nullptr) Store(*value, slots[0]);
    DISPPARAMS params{slots.Data(), value != nullptr ? &putId : nullptr, static_cast<UINT>(count),
                      static_cast<UINT>(putSlots)};

    TVariantSlots resultValue(1);
    TExceptionInfo exception;
    UINT argumentError = 0;
    HRESULT result = FDispatch.Get()->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params,
                                             value != nullptr ? nullptr : resultValue.Data(),
                                             &exception.Info, &argumentError);
    if (result == DISP_E_EXCEPTION) {
      EXCEPINFO& info = exception.Info;
      if (info.pfnDeferredFillIn != nullptr) info.pfnDeferredFillIn(&info);
      std::string description = Narrow(info.bstrDescription);
      if (description.empty()) description = Narrow(info.bstrSource);
      HRESULT code = info.scode != 0 ? info.scode : result;
      Fail("the automation call '" + name + "'", code,
           description.empty() ? "the server raised an exception" : description);
    }
    if (FAILED(result)) {
      std::string detail;
      if (result == DISP_E_TYPEMISMATCH || result == DISP_E_PARAMNOTFOUND) {
        detail = "argument " + std::to_string(count - argumentError) + " was refused";
      }
      Fail("the automation call '" + name + "'", result, detail);
    }
    return TakeObject(resultValue[0]);
  }

  // The object in value, whose reference moves out of it, or the object that is none.
  static std::unique_ptr<TAutomationObject> TakeObject(VARIANT& value) {
    IDispatch* dispatch = nullptr;
    if (value.vt == VT_DISPATCH) {
      dispatch = value.pdispVal;
      value.vt = VT_EMPTY;
    } else if (value.vt == VT_UNKNOWN && value.punkVal != nullptr) {
      value.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    }
    TDispatchRef held(dispatch);
    return std::make_unique<TDispatchObject>(std::move(held));
  }

  TDispatchRef FDispatch;
};

}  // namespace

std::unique_ptr<TAutomationObject> CreateAutomationObject(const std::string& progId) {
  CLSID classId;
  HRESULT result = CLSIDFromProgID(Widen(progId).c_str(), &classId);
  if (FAILED(result)) Fail("finding the automation server '" + progId + "'", result);
  IDispatch* dispatch = nullptr;
  result = CoCreateInstance(classId, nullptr, CLSCTX_LOCAL_SERVER | CLSCTX_INPROC_SERVER,
                            IID_IDispatch, reinterpret_cast<void**>(&dispatch));
  if (FAILED(result)) Fail("creating the automation object '" + progId + "'", result);
  TDispatchRef held(dispatch);
  return std::make_unique<TDispatchObject>(std::move(held));
}

std::unique_ptr<TAutomationObject> AutomationObjectOf(IDispatch* dispatch) {
  if (dispatch != nullptr) dispatch->AddRef();
  TDispatchRef held(dispatch);
  return std::make_unique<TDispatchObject>(std::move(held));
}
