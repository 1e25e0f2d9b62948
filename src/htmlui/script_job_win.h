#pragma once
// The pattern of the job methods: the script's callback function is marshalled on the UI
// thread, a worker thread joins the multithreaded apartment, unmarshals it and calls it back
// with 32-bit integer arguments; COM carries each call to the UI thread.
#include <windows.h>
#include <oaidl.h>
#include <objidl.h>

#include <cstdint>
#include <functional>
#include <initializer_list>

#include "core/log_format.h"
#include "shell/win_raii.h"

namespace stubframework {

// The unmarshalled callback on the worker thread.
class ScriptCallback {
 public:
  explicit ScriptCallback(win::ComPtr<IDispatch> function) : function_(std::move(function)) {}
  // Calls the function with the arguments in script order; the result is ignored.
  void call(std::initializer_list<int32_t> arguments);

 private:
  win::ComPtr<IDispatch> function_;
};

struct ScriptJobMessages {
  // Format with one %x: logged on the UI thread when the function cannot be marshalled.
  const wchar_t* marshalFailure;
  // Format with one %x: logged at error level on the worker when it cannot be unmarshalled.
  const wchar_t* unmarshalFailure;
};

using ScriptJobBody = std::function<void(ScriptCallback& callback)>;

// On the UI thread: marshals `function` and starts the worker that runs `body`. Returns the
// marshalling error, or S_OK once the worker runs; nothing waits for the worker.
HRESULT StartScriptJob(debug::LogWriter* log, IDispatch* function, const ScriptJobMessages& messages,
                       ScriptJobBody body);
// The same with a stream that already holds the marshalled function (taken over).
HRESULT StartScriptJobWithStream(debug::LogWriter* log, IStream* marshalled, const ScriptJobMessages& messages,
                                 ScriptJobBody body);

}  // namespace stubframework
