// Late-bound OLE automation: an automation server's members called by name at run time.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>
#include <vector>

struct IDispatch;

// An argument or a value of an automation call: an integer, a Boolean or a text. Its own type
// rather than a bare std::variant, so that a string literal is a text and never a Boolean.
class TAutomationValue {
 public:
  TAutomationValue(int value) : FValue(value) {}
  TAutomationValue(bool value) : FValue(value) {}
  TAutomationValue(const char* value) : FValue(std::string(value)) {}
  TAutomationValue(std::string value) : FValue(std::move(value)) {}

  const std::variant<int, bool, std::string>& Value() const { return FValue; }

 private:
  std::variant<int, bool, std::string> FValue;
};

using TAutomationArgs = std::vector<TAutomationValue>;

// A failed automation call: the member, the server's HRESULT and its own description.
class EAutomationError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An object of an automation server. Every operation either succeeds or throws (an
// EAutomationError for anything the server or COM refuses). A member whose result is not an
// object still gives an object; every operation on that one fails, as it would on the server.
class TAutomationObject {
 public:
  virtual ~TAutomationObject() = default;

  // Reads the property name with the index arguments args.
  virtual std::unique_ptr<TAutomationObject> Get(const std::string& name,
                                                 const TAutomationArgs& args) = 0;
  // Writes value to the property name with the index arguments args.
  virtual void Put(const std::string& name, const TAutomationArgs& args,
                   const TAutomationValue& value) = 0;
  // Calls the method name without arguments.
  virtual std::unique_ptr<TAutomationObject> Call(const std::string& name) = 0;
};

// Creates the object registered under progId, in process or as a local server. COM must
// already be initialised on the calling thread (a host's user-interface thread is); this
// layer never initialises it, so an uninitialised thread fails like any other error.
std::unique_ptr<TAutomationObject> CreateAutomationObject(const std::string& progId);

// The automation object of dispatch, which keeps a reference of its own (nullptr gives the
// object on which every operation fails).
std::unique_ptr<TAutomationObject> AutomationObjectOf(IDispatch* dispatch);
