#include "htmlui/script_job_win.h"

#include <memory>
#include <new>
#include <vector>

namespace stubframework {

void ScriptCallback::call(std::initializer_list<int32_t> arguments) {
  if (!function_) return;
  // The argument block holds the last argument first.
  std::vector<VARIANT> block(arguments.size());
  size_t slot = arguments.size();
  for (int32_t value : arguments) {
    VARIANT& v = block[--slot];
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
  }
  DISPPARAMS params{block.data(), nullptr, static_cast<UINT>(block.size()), 0};
  function_->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

namespace {

struct JobRecord {
  debug::LogWriter* log;
  IStream* marshalled;
  ScriptJobMessages messages;
  ScriptJobBody body;
};

DWORD WINAPI JobThread(void* parameter) {
  std::unique_ptr<JobRecord> record(static_cast<JobRecord*>(parameter));
  win::ComApartment apartment(COINIT_MULTITHREADED);
  win::ComPtr<IDispatch> function;
  // The stream is released by this call whether or not it succeeds.
  HRESULT hr = ::CoGetInterfaceAndReleaseStream(record->marshalled, IID_IDispatch, function.putVoid());
  if (FAILED(hr)) {
    if (record->log) record->log->error(record->messages.unmarshalFailure, static_cast<unsigned>(hr));
    return 0;
  }
  ScriptCallback callback(std::move(function));
  try {
    record->body(callback);
  } catch (...) {
    // A job reports its outcome through the callback; nothing leaves the thread.
    if (record->log) record->log->error(L"ScriptJob: the job ended by an exception");
  }
  return 0;
}

}  // namespace

HRESULT StartScriptJobWithStream(debug::LogWriter* log, IStream* marshalled, const ScriptJobMessages& messages,
                                 ScriptJobBody body) {
  std::unique_ptr<JobRecord> record(new (std::nothrow) JobRecord{log, marshalled, messages, std::move(body)});
  if (!record) {
    ::CoReleaseMarshalData(marshalled);
    marshalled->Release();
    return E_OUTOFMEMORY;
  }
  win::UniqueHandle thread(::CreateThread(nullptr, 0, JobThread, record.get(), 0, nullptr));
  if (!thread) {
    DWORD error = ::GetLastError();
    LARGE_INTEGER start{};
    marshalled->Seek(start, STREAM_SEEK_SET, nullptr);
    ::CoReleaseMarshalData(marshalled);
    marshalled->Release();
    return HRESULT_FROM_WIN32(error);
  }
  record.release();  // the thread owns it now
  return S_OK;
}

HRESULT StartScriptJob(debug::LogWriter* log, IDispatch* function, const ScriptJobMessages& messages,
                       ScriptJobBody body) {
  IStream* marshalled = nullptr;
  HRESULT hr = ::CoMarshalInterThreadInterfaceInStream(IID_IDispatch, function, &marshalled);
  if (FAILED(hr)) {
    if (log) log->error(messages.marshalFailure, static_cast<unsigned>(hr));
    return hr;
  }
  return StartScriptJobWithStream(log, marshalled, messages, std::move(body));
}

}  // namespace stubframework
