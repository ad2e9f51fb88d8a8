#pragma once
// The stubs that stand in for the functions Windows 95/98/ME export but do
// not implement, shaped as those systems' own: each has the signature of the
// function it replaces, taken from its declaration, so that on i686 it pops
// the caller's arguments as the real stdcall function would.
//
//   Fails<"Name", decltype(&::Name)>     SetLastError(ERROR_CALL_NOT_IMPLEMENTED)
//                                        and a zero result (FALSE, 0, NULL)
//   Refuses<"Name", decltype(&::Name)>   the registry's W functions: returns
//                                        ERROR_CALL_NOT_IMPLEMENTED itself
//
// A function of any other calling convention than WINAPI matches no
// specialisation and does not compile.
#include <cstddef>
#include <type_traits>

#include "system/win32/WindowsHeaders.h"

namespace vornix::test::win9x {

// A string as a template argument: each stub knows the name it stands for.
template <std::size_t N>
struct Name {
    char text[N];
    constexpr Name(const char (&s)[N]) {
        for (std::size_t i = 0; i < N; ++i) text[i] = s[i];
    }
};

// Writes "win9x layer: NAME is a stub on Windows 95/98/ME" to standard error
// when the process was started with VORNIX_WIN9X_TRACE set.
void TraceStubCall(const char* name);

template <Name name, class Function>
struct Fails;

template <Name name, class Result, class... Args>
struct Fails<name, Result(WINAPI*)(Args...)> {
    static Result WINAPI Call(Args...) {
        TraceStubCall(name.text);
        ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        if constexpr (!std::is_void_v<Result>) return Result{};
    }
};

template <Name name, class Function>
struct Refuses;

template <Name name, class... Args>
struct Refuses<name, LONG(WINAPI*)(Args...)> {
    static LONG WINAPI Call(Args...) {
        TraceStubCall(name.text);
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
};

}  // namespace vornix::test::win9x
