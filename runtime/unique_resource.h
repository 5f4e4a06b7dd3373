// Ownership of system handles: one template for every handle kind, and a scope guard for
// clean-ups that are not a handle.
#pragma once

#include <utility>

namespace runtime {

// Owns one handle of type T and closes it with `Close` exactly once. `Empty` is the value
// that means "no handle" (nullptr for pointers, -1 for descriptors). A system call that
// reports failure with another value (INVALID_HANDLE_VALUE) is mapped to `Empty` by its
// caller before the handle is wrapped.
template <typename T, auto Close, T Empty = T{}>
class UniqueResource {
public:
    UniqueResource() = default;
    explicit UniqueResource(T value) : value_(value) {}
    ~UniqueResource() { Reset(); }
    UniqueResource(UniqueResource&& other) noexcept : value_(other.Release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;

    T Get() const { return value_; }
    bool Valid() const { return value_ != Empty; }
    explicit operator bool() const { return Valid(); }

    // For calls that hand out a handle through a pointer; any handle held is closed first.
    T* Out() {
        Reset();
        return &value_;
    }
    T Release() { return std::exchange(value_, Empty); }
    void Reset(T value = Empty) {
        const T old = std::exchange(value_, value);
        if (old != Empty) Close(old);
    }

private:
    T value_ = Empty;
};

// Runs a clean-up when the scope ends, unless dismissed.
template <typename F>
class ScopeGuard {
public:
    explicit ScopeGuard(F cleanUp) : cleanUp_(std::move(cleanUp)) {}
    ~ScopeGuard() {
        if (armed_) cleanUp_();
    }
    ScopeGuard(const ScopeGuard&) = delete;
    ScopeGuard& operator=(const ScopeGuard&) = delete;
    void Dismiss() { armed_ = false; }

private:
    F cleanUp_;
    bool armed_ = true;
};

}  // namespace runtime
