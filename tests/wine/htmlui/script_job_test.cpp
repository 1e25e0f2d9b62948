// A job's worker thread, in the multithreaded apartment, calls back a script function that
// lives on the UI thread's single-threaded apartment.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "core/log_format.h"
#include "htmlui/script_job_win.h"
#include "shell/win_raii.h"

using namespace stubframework;

namespace {

// A stand-in for a page's function object: records where and with what it was called.
class RecordingFunction : public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO*, UINT*) override {
    Call call{::GetCurrentThreadId(), id, flags, result != nullptr, {}};
    for (UINT i = params->cArgs; i-- > 0;) {
      // Back into script order; every argument must be a 32-bit integer.
      call.args.push_back(params->rgvarg[i].vt == VT_I4 ? params->rgvarg[i].lVal : -999);
    }
    calls.push_back(call);
    return S_OK;
  }

  struct Call {
    DWORD thread;
    DISPID id;
    WORD flags;
    bool resultSlot;
    std::vector<LONG> args;
  };
  std::vector<Call> calls;
  std::atomic<ULONG> refs{1};
};

struct RecordingLog : debug::LogWriter {
  std::vector<std::pair<int, std::wstring>> lines;
  void writeMessage(int level, const std::wstring& message) override { lines.emplace_back(level, message); }
};

// Runs the message loop until `done` or the timeout.
void PumpUntil(const std::atomic<bool>& done, DWORD timeoutMs = 10000) {
  DWORD start = ::GetTickCount();
  while (!done && ::GetTickCount() - start < timeoutMs) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

const ScriptJobMessages kMessages{L"EMTest: CoMarshalInterThreadInterfaceInStream failed with %x",
                                  L"TestThreadFunc CoGetInterfaceAndReleaseStream  failed with: %x"};

}  // namespace

TEST(ScriptJob, CallbacksArriveOnTheUiThreadInScriptOrder) {
  win::ComApartment sta(COINIT_APARTMENTTHREADED);
  ASSERT_TRUE(sta.ok());
  RecordingFunction function;
  RecordingLog log;
  std::atomic<bool> done{false};
  std::atomic<DWORD> workerThread{0};
  HRESULT hr = StartScriptJob(&log, &function, kMessages, [&](ScriptCallback& callback) {
    workerThread = ::GetCurrentThreadId();
    callback.call({10, 100, 5});
    callback.call({0, 100, 100});
    done = true;
  });
  ASSERT_EQ(hr, S_OK);
  PumpUntil(done);
  ASSERT_TRUE(done);
  // The worker's reference to the proxy goes when it ends; wait for the count to settle.
  std::atomic<bool> never{false};
  for (int i = 0; i < 50 && function.refs != 1; ++i) PumpUntil(never, 20);

  ASSERT_EQ(function.calls.size(), 2u);
  for (const auto& call : function.calls) {
    EXPECT_EQ(call.thread, ::GetCurrentThreadId());
    EXPECT_EQ(call.id, DISPID_VALUE);
    EXPECT_EQ(call.flags, DISPATCH_METHOD);
    // (The IDispatch stub always hands the function a result slot, whatever the caller passed.)
  }
  EXPECT_NE(workerThread.load(), ::GetCurrentThreadId());
  EXPECT_EQ(function.calls[0].args, (std::vector<LONG>{10, 100, 5}));
  EXPECT_EQ(function.calls[1].args, (std::vector<LONG>{0, 100, 100}));
  EXPECT_EQ(function.refs, 1u);
  EXPECT_TRUE(log.lines.empty());
}

TEST(ScriptJob, ACallbackThatCannotBeUnmarshalledIsNeverCalled) {
  win::ComApartment sta(COINIT_APARTMENTTHREADED);
  RecordingLog log;
  // A stream that holds no marshalled interface at all.
  IStream* garbage = nullptr;
  ASSERT_EQ(::CreateStreamOnHGlobal(nullptr, TRUE, &garbage), S_OK);
  const char junk[64] = "not a marshalled interface";
  garbage->Write(junk, sizeof junk, nullptr);
  LARGE_INTEGER zero{};
  garbage->Seek(zero, STREAM_SEEK_SET, nullptr);

  std::atomic<bool> bodyRan{false};
  ASSERT_EQ(StartScriptJobWithStream(&log, garbage, kMessages, [&](ScriptCallback&) { bodyRan = true; }), S_OK);
  std::atomic<bool> never{false};
  for (int i = 0; i < 200 && log.lines.empty(); ++i) PumpUntil(never, 20);
  ASSERT_EQ(log.lines.size(), 1u);
  EXPECT_EQ(log.lines[0].first, debug::kError);
  EXPECT_EQ(log.lines[0].second.rfind(L"TestThreadFunc CoGetInterfaceAndReleaseStream  failed with: 8", 0), 0u)
      << std::string(log.lines[0].second.begin(), log.lines[0].second.end());
  EXPECT_FALSE(bodyRan);
}

TEST(ScriptJob, AFunctionThatCannotBeMarshalledIsReportedToTheCaller) {
  win::ComApartment sta(COINIT_APARTMENTTHREADED);
  RecordingLog log;
  HRESULT hr = StartScriptJob(&log, nullptr, kMessages, [](ScriptCallback&) {});
  EXPECT_TRUE(FAILED(hr));
  ASSERT_EQ(log.lines.size(), 1u);
  EXPECT_EQ(log.lines[0].first, debug::kError);
  EXPECT_EQ(log.lines[0].second.rfind(L"EMTest: CoMarshalInterThreadInterfaceInStream failed with ", 0), 0u);
}
