#pragma once
// A script function of the browser page, as the job methods see it: an IDispatch whose call
// (member 0, from whatever thread COM carries it) becomes an event for /external/events.
#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <cstdint>

#include "devhost/call_protocol.h"

namespace stubframework::devhost {

class FunctionProxy final : public IDispatch {
 public:
  // Count 1, owned by the creator.
  FunctionProxy(int64_t number, EventQueue& events) : number_(number), events_(events) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) override;
  // Records the arguments in script order (the block holds them last first).
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO*, UINT*) override;

 private:
  ~FunctionProxy() = default;
  std::atomic<ULONG> refs_{1};
  int64_t number_;
  // Outlives every proxy: the host closes the run only after the job threads' calls stop
  // mattering, and a late call only appends to a queue nobody reads.
  EventQueue& events_;
};

}  // namespace stubframework::devhost
