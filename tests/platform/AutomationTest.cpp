// The late-binding layer: what reaches IDispatch (kinds, argument order, the put value, texts
// as BSTR), how failures come back, reference counts, and a real automation server of Wine.
#include "platform/Automation.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string Narrow(const wchar_t* text) {
  std::string narrow;
  for (; text != nullptr && *text != 0; ++text) narrow += static_cast<char>(*text);
  return narrow;
}

std::string Describe(const VARIANT& value) {
  switch (value.vt) {
    case VT_I4: return "I4 " + std::to_string(value.lVal);
    case VT_BOOL: return "BOOL " + std::to_string(value.boolVal);
    case VT_BSTR: return "BSTR \"" + Narrow(value.bstrVal) + "\"";
    default: return "VT " + std::to_string(value.vt);
  }
}

std::string KindOf(WORD flags) {
  switch (flags) {
    case DISPATCH_PROPERTYGET: return "get";
    case DISPATCH_PROPERTYPUT: return "put";
    case DISPATCH_METHOD | DISPATCH_PROPERTYGET: return "method|get";
    case DISPATCH_METHOD: return "method";
    default: return "flags " + std::to_string(flags);
  }
}

HRESULT STDMETHODCALLTYPE FillInLater(EXCEPINFO* info) {
  info->bstrDescription = SysAllocString(L"Filled in later");
  return S_OK;
}

// An IDispatch that writes down every invocation, and answers with Child, a number or a
// failure. It lives on the stack: references are only counted.
class TRecordingDispatch : public IDispatch {
 public:
  enum class TAnswer { Object, Number, Failure, Exception, DeferredException };

  std::vector<std::string> Members{"Cells", "Visible", "ColumnWidth", "WorkSheets", "Font",
                                   "Bold", "WorkBooks", "Add"};
  std::vector<std::string> Calls;
  TAnswer Answer = TAnswer::Object;
  TRecordingDispatch* Child = nullptr;
  ULONG References = 1;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++References; }
  ULONG STDMETHODCALLTYPE Release() override { return --References; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (count != 1) return E_INVALIDARG;
    for (size_t i = 0; i < Members.size(); ++i) {
      if (Narrow(names[0]) == Members[i]) {
        ids[0] = static_cast<DISPID>(i + 1);
        return S_OK;
      }
    }
    ids[0] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT*) override {
    std::string call = Members[static_cast<size_t>(id - 1)] + " " + KindOf(flags) + " named=[";
    for (UINT i = 0; i < params->cNamedArgs; ++i) call += std::to_string(params->rgdispidNamedArgs[i]);
    call += "] args=[";
    for (UINT i = 0; i < params->cArgs; ++i) call += (i > 0 ? ", " : "") + Describe(params->rgvarg[i]);
    call += "]";
    call += result != nullptr ? " result" : "";
    Calls.push_back(call);

    switch (Answer) {
      case TAnswer::Object:
        if (result != nullptr && Child != nullptr) {
          result->vt = VT_DISPATCH;
          result->pdispVal = Child;
          Child->AddRef();
        }
        return S_OK;
      case TAnswer::Number:
        if (result != nullptr) {
          result->vt = VT_I4;
          result->lVal = 42;
        }
        return S_OK;
      case TAnswer::Failure:
        return E_FAIL;
      case TAnswer::Exception:
        exception->scode = E_ACCESSDENIED;
        exception->bstrSource = SysAllocString(L"Recorder");
        exception->bstrDescription = SysAllocString(L"The workbook is locked");
        return DISP_E_EXCEPTION;
      case TAnswer::DeferredException:
        exception->pfnDeferredFillIn = FillInLater;
        return DISP_E_EXCEPTION;
    }
    return E_UNEXPECTED;
  }
};

struct TLayoutCase {
  const char* Label;
  std::function<void(TAutomationObject&)> Operation;
  const char* Expected;
};

class DispatchLayoutTest : public ::testing::TestWithParam<TLayoutCase> {};

TEST_P(DispatchLayoutTest, ServerSeesKindNamedValueAndArgumentsLastToFirst) {
  TRecordingDispatch server;
  TRecordingDispatch child;
  server.Child = &child;
  GetParam().Operation(*AutomationObjectOf(&server));
  ASSERT_EQ(1u, server.Calls.size());
  EXPECT_EQ(GetParam().Expected, server.Calls[0]);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, DispatchLayoutTest,
    ::testing::Values(
        TLayoutCase{"PutCellWithTwoIndexes",
                    [](TAutomationObject& o) { o.Put("Cells", {2, 7}, "3000 x 2000"); },
                    "Cells put named=[-3] args=[BSTR \"3000 x 2000\", I4 7, I4 2]"},
        TLayoutCase{"PutTrue", [](TAutomationObject& o) { o.Put("Visible", {}, true); },
                    "Visible put named=[-3] args=[BOOL -1]"},
        TLayoutCase{"PutFalse", [](TAutomationObject& o) { o.Put("Bold", {}, false); },
                    "Bold put named=[-3] args=[BOOL 0]"},
        TLayoutCase{"PutInteger", [](TAutomationObject& o) { o.Put("ColumnWidth", {}, 20); },
                    "ColumnWidth put named=[-3] args=[I4 20]"},
        TLayoutCase{"GetByText",
                    [](TAutomationObject& o) { o.Get("WorkSheets", {"Skelvane Statistics"}); },
                    "WorkSheets get named=[] args=[BSTR \"Skelvane Statistics\"] result"},
        TLayoutCase{"GetWithTwoIndexes", [](TAutomationObject& o) { o.Get("Cells", {1, 2}); },
                    "Cells get named=[] args=[I4 2, I4 1] result"},
        TLayoutCase{"CallWithoutArguments", [](TAutomationObject& o) { o.Call("Font"); },
                    "Font method|get named=[] args=[] result"},
        TLayoutCase{"EmptyText", [](TAutomationObject& o) { o.Put("Cells", {1, 1}, ""); },
                    "Cells put named=[-3] args=[BSTR \"\", I4 1, I4 1]"}),
    [](const ::testing::TestParamInfo<TLayoutCase>& info) { return std::string(info.param.Label); });

TEST(DispatchObject, ObjectResultsAreReachedAndEveryReferenceIsReturned) {
  TRecordingDispatch server;
  TRecordingDispatch books;
  server.Child = &books;
  books.Answer = TRecordingDispatch::TAnswer::Number;
  {
    std::unique_ptr<TAutomationObject> excel = AutomationObjectOf(&server);
    EXPECT_EQ(2u, server.References);
    excel->Get("WorkBooks", {1})->Call("Add");
    EXPECT_EQ(1u, books.References);  // the collection was released with its object
  }
  EXPECT_EQ(1u, server.References);
  ASSERT_EQ(1u, books.Calls.size());
  EXPECT_EQ("Add method|get named=[] args=[] result", books.Calls[0]);
}

TEST(DispatchObject, ResultThatIsNoObjectFailsAtItsFirstUse) {
  TRecordingDispatch server;
  server.Answer = TRecordingDispatch::TAnswer::Number;
  std::unique_ptr<TAutomationObject> count = AutomationObjectOf(&server)->Get("Cells", {1, 1});
  ASSERT_NE(nullptr, count);
  EXPECT_THROW(count->Call("Font"), EAutomationError);
  EXPECT_THROW(count->Put("Bold", {}, true), EAutomationError);
}

TEST(DispatchObject, UnknownMemberFailsWithoutInvoking) {
  TRecordingDispatch server;
  EXPECT_THROW(AutomationObjectOf(&server)->Put("Quit", {}, true), EAutomationError);
  EXPECT_TRUE(server.Calls.empty());
}

struct TFailureCase {
  const char* Label;
  TRecordingDispatch::TAnswer Answer;
  const char* MessagePart;
};

class DispatchFailureTest : public ::testing::TestWithParam<TFailureCase> {};

TEST_P(DispatchFailureTest, FailureBecomesAnExceptionWithTheServersWords) {
  TRecordingDispatch server;
  server.Answer = GetParam().Answer;
  std::unique_ptr<TAutomationObject> object = AutomationObjectOf(&server);
  try {
    object->Put("Cells", {1, 1}, "Channel");
    FAIL() << "no exception";
  } catch (const EAutomationError& error) {
    EXPECT_NE(std::string::npos, std::string(error.what()).find(GetParam().MessagePart))
        << error.what();
    EXPECT_NE(std::string::npos, std::string(error.what()).find("'Cells'")) << error.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, DispatchFailureTest,
    ::testing::Values(
        TFailureCase{"Failure", TRecordingDispatch::TAnswer::Failure, "0x80004005"},
        TFailureCase{"Exception", TRecordingDispatch::TAnswer::Exception, "The workbook is locked"},
        TFailureCase{"ExceptionCode", TRecordingDispatch::TAnswer::Exception, "0x80070005"},
        TFailureCase{"DeferredException", TRecordingDispatch::TAnswer::DeferredException,
                     "Filled in later"}),
    [](const ::testing::TestParamInfo<TFailureCase>& info) { return std::string(info.param.Label); });

// COM initialised on the calling thread for the lifetime of the object.
class TApartment {
 public:
  TApartment() : FInitialised(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~TApartment() {
    if (FInitialised) CoUninitialize();
  }
  TApartment(const TApartment&) = delete;
  TApartment& operator=(const TApartment&) = delete;

 private:
  bool FInitialised;
};

// Wine registers its own dictionary object, which dispatches through its type library as
// Excel's objects do.
const char kDictionary[] = "Scripting.Dictionary";

std::wstring ItemOf(IDispatch* dictionary, const wchar_t* key) {
  LPOLESTR name = const_cast<LPOLESTR>(L"Item");
  DISPID id = 0;
  if (FAILED(dictionary->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id))) return L"?";
  VARIANT argument;
  argument.vt = VT_BSTR;
  argument.bstrVal = SysAllocString(key);
  DISPPARAMS params{&argument, nullptr, 1, 0};
  VARIANT result;
  VariantInit(&result);
  HRESULT status = dictionary->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                      &params, &result, nullptr, nullptr);
  VariantClear(&argument);
  std::wstring text = SUCCEEDED(status) && result.vt == VT_BSTR ? result.bstrVal : L"?";
  VariantClear(&result);
  return text;
}

TEST(AutomationServer, RealServerStoresWhatWasPutUnderItsIndex) {
  TApartment apartment;
  CLSID classId;
  ASSERT_HRESULT_SUCCEEDED(CLSIDFromProgID(L"Scripting.Dictionary", &classId));
  IDispatch* dictionary = nullptr;
  ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                            reinterpret_cast<void**>(&dictionary)));
  {
    std::unique_ptr<TAutomationObject> object = AutomationObjectOf(dictionary);
    object->Put("Item", {"R"}, "127.50");
    object->Put("Item", {"Size"}, "3000 x 2000");
    // A property called without arguments, as the export calls WorkBooks, Font and Columns.
    EXPECT_NO_THROW(object->Call("Count"));
    EXPECT_THROW(object->Put("NoSuchMember", {}, 1), EAutomationError);
  }
  EXPECT_EQ(L"127.50", ItemOf(dictionary, L"R"));
  EXPECT_EQ(L"3000 x 2000", ItemOf(dictionary, L"Size"));
  dictionary->Release();
}

TEST(AutomationServer, CreatedByProgIdOnAnInitialisedThread) {
  TApartment apartment;
  std::unique_ptr<TAutomationObject> object = CreateAutomationObject(kDictionary);
  ASSERT_NE(nullptr, object);
  EXPECT_NO_THROW(object->Put("Item", {"G"}, "1"));
  EXPECT_NO_THROW(object->Call("RemoveAll"));
}

TEST(AutomationServer, UnregisteredProgIdFails) {
  TApartment apartment;
  EXPECT_THROW(CreateAutomationObject("Skelvane.NoSuchServer"), EAutomationError);
}

TEST(AutomationServer, ThreadWithoutComFailsInsteadOfInitialisingIt) {
  std::string error;
  std::thread([&] {
    try {
      CreateAutomationObject(kDictionary);
      error = "created";
    } catch (const EAutomationError& failure) {
      error = failure.what();
    }
  }).join();
  EXPECT_NE(std::string::npos, error.find("0x800401F0")) << error;  // CO_E_NOTINITIALIZED
}

}  // namespace
