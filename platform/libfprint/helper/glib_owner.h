#pragma once

#include <glib-object.h>
#include <utility>

namespace platform::libfprint {

// Holds one reference to a GObject and drops it when it goes.
template <class T>
class GObjectOwner {
 public:
  GObjectOwner() = default;
  // Takes over a reference the caller owns.
  explicit GObjectOwner(T* object) : object_(object) {}
  ~GObjectOwner() { reset(); }
  GObjectOwner(const GObjectOwner& other) : object_(other.object_) {
    if (object_) g_object_ref(object_);
  }
  GObjectOwner& operator=(GObjectOwner other) {
    std::swap(object_, other.object_);
    return *this;
  }

  // A new reference to an object someone else owns.
  static GObjectOwner Ref(T* object) {
    if (object) g_object_ref(object);
    return GObjectOwner(object);
  }

  T* get() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  void reset() {
    if (object_) g_object_unref(std::exchange(object_, nullptr));
  }

 private:
  T* object_ = nullptr;
};

// Owns a GError that a call may set.
class ErrorOwner {
 public:
  ErrorOwner() = default;
  ~ErrorOwner() {
    if (error_) g_error_free(error_);
  }
  ErrorOwner(const ErrorOwner&) = delete;
  ErrorOwner& operator=(const ErrorOwner&) = delete;

  GError** out() { return &error_; }
  const GError* get() const { return error_; }
  explicit operator bool() const { return error_ != nullptr; }

 private:
  GError* error_ = nullptr;
};

}  // namespace platform::libfprint
