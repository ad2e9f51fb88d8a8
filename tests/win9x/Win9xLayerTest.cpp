// The Windows 98 layer is in this executable: a function Windows 98 only
// exports fails as there, through the import table and through
// GetProcAddress, and one it implements is the system's own.
#include <gtest/gtest.h>

#include "system/win32/WindowsHeaders.h"

namespace {

void* Address(HMODULE module, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(module, name));
}

TEST(Win9xLayer, WhatWindows98LacksFailsAndWhatItHasWorks) {
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(nullptr, CreateEventW(nullptr, TRUE, FALSE, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED), GetLastError());
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_CALL_NOT_IMPLEMENTED,
              RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_READ, &key));
    EXPECT_EQ(nullptr, key);

    const HMODULE user32 = GetModuleHandleA("user32.dll");
    ASSERT_NE(nullptr, user32);
    EXPECT_EQ(Address(user32, "CreateWindowExW"), reinterpret_cast<void*>(&CreateWindowExW))
        << "a lookup meets the same stub as the import";
    EXPECT_EQ(nullptr, CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr,
                                       nullptr, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED), GetLastError());
    // Windows 98 implements MessageBoxW: the import is user32's own export.
    EXPECT_EQ(Address(user32, "MessageBoxW"), reinterpret_cast<void*>(&MessageBoxW));

    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(nullptr, Address(GetModuleHandleA("ntdll.dll"), "RtlGetVersion"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), GetLastError());
}

}  // namespace
