#pragma once
// Reference-counted objects of the download engine: every task and callback is an IObject, and
// details::Object<T> is the concrete class that adds the count. A factory returns an object
// with one reference that belongs to the caller.
#include <mutex>
#include <utility>

namespace downloader {

class IObject {
 public:
  virtual long AddRef() = 0;
  virtual long Release() = 0;

 protected:
  virtual ~IObject() = default;
};

// Engine diagnostics. `where` names the operation as "Class::Method"; the format is a wide
// printf-style format (see stubframework::utils::FormatWide).
class ILogger : public IObject {
 public:
  virtual void Log(const wchar_t* where, const wchar_t* format, ...) = 0;
};

namespace details {

template <class T>
class Object final : public T {
 public:
  template <class... Args>
  explicit Object(Args&&... args) : T(std::forward<Args>(args)...) {}

  long AddRef() override {
    std::lock_guard guard(countLock_);
    return ++count_;
  }

  long Release() override {
    long remaining;
    {
      std::lock_guard guard(countLock_);
      remaining = --count_;
    }
    if (remaining == 0) delete this;
    return remaining;
  }

 private:
  std::mutex countLock_;
  long count_ = 1;
};

}  // namespace details

// Holds one reference; for the engine's own objects, never for COM interfaces.
template <class T>
class Ref {
 public:
  Ref() = default;
  // Takes over a reference the caller already owns (a factory's result).
  static Ref adopt(T* object) {
    Ref ref;
    ref.object_ = object;
    return ref;
  }
  // Takes a new reference.
  static Ref share(T* object) {
    if (object) object->AddRef();
    return adopt(object);
  }
  Ref(const Ref& other) : object_(other.object_) {
    if (object_) object_->AddRef();
  }
  Ref(Ref&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  Ref& operator=(Ref other) noexcept {
    std::swap(object_, other.object_);
    return *this;
  }
  ~Ref() { reset(); }

  void reset() {
    if (auto* object = std::exchange(object_, nullptr)) object->Release();
  }
  T* get() const { return object_; }
  T* operator->() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  // Hands the reference over to the caller.
  T* detach() { return std::exchange(object_, nullptr); }

 private:
  T* object_ = nullptr;
};

}  // namespace downloader
