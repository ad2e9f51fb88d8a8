#pragma once
// The one owner of an OS handle: closed when its owner goes, on every path.
// Move-only, in the shape of wil's unique_any: the handle's type, the function
// that closes it, and a one-line alias for each kind of handle, such as
//
//   using UniqueHkey = UniqueAny<HKEY, &::RegCloseKey>;
//
// A handle equal to T{} is none and is never closed; a kind whose "none" is
// another value (INVALID_HANDLE_VALUE) is turned into T{} where it is made.
#include <utility>

namespace vornix {

template <class T, auto Close>
class UniqueAny {
public:
    UniqueAny() = default;
    explicit UniqueAny(T handle) : handle_(handle) {}
    UniqueAny(UniqueAny&& other) noexcept : handle_(std::exchange(other.handle_, T{})) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;
    ~UniqueAny() { reset(); }

    T get() const { return handle_; }
    explicit operator bool() const { return !(handle_ == T{}); }
    // Gives the handle up without closing it.
    T release() { return std::exchange(handle_, T{}); }
    // Takes `handle` and closes the one held before, once the new one is in.
    void reset(T handle = T{}) {
        const T old = std::exchange(handle_, handle);
        if (!(old == T{})) Close(old);
    }
    // For a function that hands a new handle out through a pointer: the one
    // held is closed first.
    T* put() {
        reset();
        return &handle_;
    }

private:
    T handle_{};
};

// A handle that an api object of the system layer handed out, closed again
// through that object:
//
//   using UniqueRegKey = UniqueApiHandle<RegistryApi, RegKeyHandle, &RegistryApi::CloseKey>;
template <class Api, class Handle, auto Close>
struct ApiHandle {
    Api* api = nullptr;
    Handle handle{};
    bool operator==(const ApiHandle&) const = default;
    static void Release(ApiHandle owned) { (owned.api->*Close)(owned.handle); }
};
template <class Api, class Handle, auto Close>
using UniqueApiHandle =
    UniqueAny<ApiHandle<Api, Handle, Close>, &ApiHandle<Api, Handle, Close>::Release>;

}  // namespace vornix
