#pragma once
// Owners for the platform's handles and COM pointers.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <string>
#include <utility>

namespace stubframework::win {

template <class Traits>
class UniqueOwner {
 public:
  using Handle = typename Traits::Handle;
  UniqueOwner() = default;
  explicit UniqueOwner(Handle handle) : handle_(handle) {}
  UniqueOwner(const UniqueOwner&) = delete;
  UniqueOwner& operator=(const UniqueOwner&) = delete;
  UniqueOwner(UniqueOwner&& other) noexcept : handle_(std::exchange(other.handle_, Traits::invalid())) {}
  UniqueOwner& operator=(UniqueOwner&& other) noexcept {
    if (this != &other) reset(std::exchange(other.handle_, Traits::invalid()));
    return *this;
  }
  ~UniqueOwner() { reset(); }

  void reset(Handle handle = Traits::invalid()) {
    if (Traits::valid(handle_)) Traits::close(handle_);
    handle_ = handle;
  }
  Handle get() const { return handle_; }
  Handle* put() {
    reset();
    return &handle_;
  }
  Handle release() { return std::exchange(handle_, Traits::invalid()); }
  explicit operator bool() const { return Traits::valid(handle_); }

 private:
  Handle handle_ = Traits::invalid();
};

struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle invalid() { return nullptr; }
  static bool valid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void close(Handle h) { ::CloseHandle(h); }
};
struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle invalid() { return INVALID_HANDLE_VALUE; }
  static bool valid(Handle h) { return h != INVALID_HANDLE_VALUE; }
  static void close(Handle h) { ::FindClose(h); }
};
struct RegKeyTraits {
  using Handle = HKEY;
  static Handle invalid() { return nullptr; }
  static bool valid(Handle h) { return h != nullptr; }
  static void close(Handle h) { ::RegCloseKey(h); }
};
struct ModuleTraits {
  using Handle = HMODULE;
  static Handle invalid() { return nullptr; }
  static bool valid(Handle h) { return h != nullptr; }
  static void close(Handle h) { ::FreeLibrary(h); }
};

using UniqueHandle = UniqueOwner<KernelHandleTraits>;
using UniqueFind = UniqueOwner<FindHandleTraits>;
using UniqueKey = UniqueOwner<RegKeyTraits>;
using UniqueModule = UniqueOwner<ModuleTraits>;

// A COM interface pointer that releases what it holds.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes a new reference.
  explicit ComPtr(T* p) : p_(p) {
    if (p_) p_->AddRef();
  }
  static ComPtr adopt(T* p) {
    ComPtr c;
    c.p_ = p;
    return c;
  }
  ComPtr(const ComPtr& o) : ComPtr(o.p_) {}
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComPtr& operator=(ComPtr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~ComPtr() { reset(); }

  void reset() {
    if (auto* p = std::exchange(p_, nullptr)) p->Release();
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T** put() {
    reset();
    return &p_;
  }
  void** putVoid() { return reinterpret_cast<void**>(put()); }
  T* detach() { return std::exchange(p_, nullptr); }
  explicit operator bool() const { return p_ != nullptr; }

  template <class U>
  ComPtr<U> query() const {
    ComPtr<U> out;
    if (p_) p_->QueryInterface(__uuidof(U), out.putVoid());
    return out;
  }

 private:
  T* p_ = nullptr;
};

// COM initialised for the lifetime of the object, uninitialised only when it succeeded.
class ComApartment {
 public:
  explicit ComApartment(DWORD model) : hr_(::CoInitializeEx(nullptr, model)) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (SUCCEEDED(hr_)) ::CoUninitialize();
  }
  HRESULT result() const { return hr_; }
  bool ok() const { return SUCCEEDED(hr_); }

 private:
  HRESULT hr_;
};

// A VARIANT that is cleared when it goes.
class Variant {
 public:
  Variant() { ::VariantInit(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { ::VariantClear(&v_); }
  VARIANT* get() { return &v_; }
  const VARIANT& operator*() const { return v_; }

 private:
  VARIANT v_;
};

// A BSTR owner.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const std::wstring& text) : s_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { ::SysFreeString(s_); }
  BSTR get() const { return s_; }
  BSTR detach() { return std::exchange(s_, nullptr); }

 private:
  BSTR s_ = nullptr;
};

// Last error of the calling thread as an HRESULT-style result code.
inline long ErrorAsResult(DWORD error) {
  return static_cast<long>(error) <= 0 ? static_cast<long>(error)
                                       : static_cast<long>(0x80070000u | (error & 0xFFFFu));
}

}  // namespace stubframework::win
