// What Windows 95/98/ME make of every function the test copies of our
// executables import or look up, as Windows 98 has it. A function missing
// here stops the test copy at its start (Win9xLayer.cpp), so a new import is
// classified before a test can pass with it.
//
// Sources:
// - Wide-character (W) functions: nearly all are exported stubs that fail
//   with ERROR_CALL_NOT_IMPLEMENTED. Microsoft KB Q210341 ("Unicode support
//   in Windows 95 and Windows 98") lists those Windows 95 implements:
//   EnumResourceLanguagesW, EnumResourceNamesW, EnumResourceTypesW,
//   ExtTextOutW, FindResourceW, FindResourceExW, GetCharWidthW,
//   GetCommandLineW, GetTextExtentPoint32W, GetTextExtentPointW, lstrlenW,
//   MessageBoxExW, MessageBoxW, MultiByteToWideChar, TextOutW and
//   WideCharToMultiByte. The two more of Windows 98 are lstrcatW and
//   lstrcpyW: "Windows 9x Unicode Functions", Figure 1 of F. Avery Bishop,
//   "Design a Single Unicode App that Runs on Both Windows 98 and
//   Windows 2000", Microsoft Systems Journal, April 1999 (No for Windows 95,
//   Yes for Windows 98). The Win32 SDK's "Windows 95 limitations" page adds
//   GetTextExtentExPointW to Windows 95's list.
// - The registry's W functions return ERROR_CALL_NOT_IMPLEMENTED as their
//   result (they return an error code, not a BOOL).
// - The NT security functions (OpenProcessToken, LookupPrivilegeValueA,
//   AdjustTokenPrivileges, the ACL and security descriptor calls,
//   RegSetKeySecurity) are exported stubs: the Win32 SDK's "Windows 95
//   limitations" page ("security and event logging ... Windows 95 provides
//   stub routines for these unsupported functions"), and each function's
//   page of the time ("Windows 95/98/Me: Unsupported").
// - MoveFileEx: not implemented on Windows 95/98 (KB Q129532, which gives
//   WININIT.INI as the way to replace a file at the next start instead).
// - Functions that came later than Windows 98 (CreateWellKnownSid: XP;
//   RtlGetVersion: 2000; GetSystemTimePreciseAsFileTime: 8) are stubs here
//   when imported, since Wine loads what Windows 98 would not, and absent
//   when looked up. Only the test harness imports them; tests/imports/ holds
//   the product's imports against each release's exports. OpenThread (ME
//   and 2000) is GoogleTest's alone: see Verdict::Harness.
// - msvcrt.dll, the C run time, is left whole: Windows 98 ships it (6.x)
//   and what it does inside is its own.
#include "win9x/Win9xFunctions.h"

#include "win9x/Win9xStubs.h"

#include <shellapi.h>

namespace vornix::test::win9x {
namespace {

template <class Stub>
void* StubAddress() {
    return reinterpret_cast<void*>(&Stub::Call);
}

consteval bool Same(const char* a, const char* b) {
    while (*a && *a == *b) ++a, ++b;
    return *a == *b;
}

// The W functions Windows 98 implements (the sources above).
constexpr const char* kImplementedWide[] = {
    "EnumResourceLanguagesW", "EnumResourceNamesW", "EnumResourceTypesW", "ExtTextOutW",
    "FindResourceW",          "FindResourceExW",    "GetCharWidthW",      "GetCommandLineW",
    "GetTextExtentExPointW",  "GetTextExtentPoint32W", "GetTextExtentPointW", "lstrlenW",
    "lstrcatW",               "lstrcpyW",           "MessageBoxExW",      "MessageBoxW",
    "TextOutW"};

consteval bool ImplementedWide(const char* name) {
    for (const char* wide : kImplementedWide) {
        if (Same(name, wide)) return true;
    }
    return false;
}

consteval Function Implemented(const char* name) {
    const char* end = name;
    while (*end) ++end;
    // A function named ...W takes wide text: implemented only if listed.
    if (end[-1] == 'W' && !ImplementedWide(name)) {
        throw "Windows 95/98/ME do not implement this W function: make it VORNIX_9X_FAILS";
    }
    return {name, Verdict::Implemented, nullptr};
}

consteval Function Absent(const char* name) { return {name, Verdict::Absent, nullptr}; }

#define VORNIX_9X_FAILS(fn) \
    Function { #fn, Verdict::Fails, &StubAddress<Fails<#fn, decltype(&::fn)>> }
#define VORNIX_9X_REFUSES(fn) \
    Function { #fn, Verdict::Refuses, &StubAddress<Refuses<#fn, decltype(&::fn)>> }

constexpr Function kKernel32[] = {
    // Stubs on Windows 98.
    VORNIX_9X_FAILS(CreateEventW),
    VORNIX_9X_FAILS(CreateFileW),
    VORNIX_9X_FAILS(CreateMutexW),
    VORNIX_9X_FAILS(CreateSemaphoreW),
    VORNIX_9X_FAILS(DeleteFileW),
    VORNIX_9X_FAILS(GetEnvironmentVariableW),
    VORNIX_9X_FAILS(GetFileAttributesW),
    VORNIX_9X_FAILS(GetModuleFileNameW),
    VORNIX_9X_FAILS(GetModuleHandleW),
    VORNIX_9X_FAILS(GetStartupInfoW),
    VORNIX_9X_FAILS(GetSystemDirectoryW),
    VORNIX_9X_FAILS(LoadLibraryW),
    VORNIX_9X_FAILS(LoadLibraryExW),
    VORNIX_9X_FAILS(MoveFileExA),
    VORNIX_9X_FAILS(MoveFileExW),
    VORNIX_9X_FAILS(MoveFileW),
    // GoogleTest watches each thread that holds a thread-local value of its
    // own (a failed assertion's) through OpenThread, which came with ME and
    // 2000, and aborts without it.
    {"OpenThread", Verdict::Harness, nullptr},
    VORNIX_9X_FAILS(SetFileAttributesW),
    VORNIX_9X_FAILS(WriteConsoleW),
    {"GetProcAddress", Verdict::Hooked, &HookedGetProcAddress},
    // Later than Windows 98, looked up by the C++ run time's clock.
    Absent("GetSystemTimePreciseAsFileTime"),
    // Implemented.
    Implemented("CloseHandle"),
    Implemented("CreateEventA"),
    Implemented("CreateFileA"),
    Implemented("CreateMutexA"),
    Implemented("CreatePipe"),
    Implemented("CreateProcessA"),
    Implemented("CreateSemaphoreA"),
    Implemented("CreateThread"),
    Implemented("DebugBreak"),
    Implemented("DeleteCriticalSection"),
    Implemented("DeleteFileA"),
    Implemented("DuplicateHandle"),
    Implemented("EnterCriticalSection"),
    Implemented("ExitProcess"),
    Implemented("FindResourceA"),
    Implemented("FindResourceW"),
    Implemented("FlushFileBuffers"),
    Implemented("FormatMessageA"),
    Implemented("FreeLibrary"),
    Implemented("GetACP"),
    Implemented("GetCommandLineA"),
    Implemented("GetCommandLineW"),
    Implemented("GetConsoleMode"),
    Implemented("GetConsoleOutputCP"),
    Implemented("GetCurrentProcess"),
    Implemented("GetCurrentProcessId"),
    Implemented("GetCurrentThread"),
    Implemented("GetCurrentThreadId"),
    Implemented("GetEnvironmentVariableA"),
    Implemented("GetExitCodeProcess"),
    Implemented("GetFileAttributesA"),
    Implemented("GetFileType"),
    Implemented("GetLastError"),
    Implemented("GetModuleFileNameA"),
    Implemented("GetModuleHandleA"),
    Implemented("GetOEMCP"),
    Implemented("GetStartupInfoA"),
    Implemented("GetStdHandle"),
    Implemented("GetSystemDirectoryA"),
    Implemented("GetSystemTimeAsFileTime"),
    Implemented("GetTempFileNameA"),
    Implemented("GetTempPathA"),
    Implemented("GetThreadPriority"),
    Implemented("GetTickCount"),
    Implemented("GetTimeZoneInformation"),
    Implemented("GetVersion"),
    Implemented("GetVersionExA"),
    Implemented("GlobalAlloc"),
    Implemented("GlobalFree"),
    Implemented("GlobalLock"),
    Implemented("GlobalUnlock"),
    Implemented("InitializeCriticalSection"),
    Implemented("IsDBCSLeadByte"),
    Implemented("IsDBCSLeadByteEx"),
    Implemented("IsDebuggerPresent"),
    Implemented("LeaveCriticalSection"),
    Implemented("LoadLibraryA"),
    Implemented("LoadResource"),
    Implemented("LocalFree"),
    Implemented("LockResource"),
    Implemented("MoveFileA"),
    Implemented("MulDiv"),
    Implemented("MultiByteToWideChar"),
    Implemented("OpenProcess"),
    Implemented("OutputDebugStringA"),
    Implemented("RaiseException"),
    Implemented("ReleaseMutex"),
    Implemented("ReleaseSemaphore"),
    Implemented("ResumeThread"),
    Implemented("SetErrorMode"),
    Implemented("SetEvent"),
    Implemented("SetFileAttributesA"),
    Implemented("SetLastError"),
    Implemented("SetThreadPriority"),
    Implemented("SetUnhandledExceptionFilter"),
    Implemented("SizeofResource"),
    Implemented("Sleep"),
    Implemented("TerminateProcess"),
    Implemented("TlsAlloc"),
    Implemented("TlsFree"),
    Implemented("TlsGetValue"),
    Implemented("TlsSetValue"),
    Implemented("VirtualProtect"),
    Implemented("VirtualQuery"),
    Implemented("WaitForMultipleObjects"),
    Implemented("WaitForSingleObject"),
    Implemented("WideCharToMultiByte"),
    Implemented("WriteConsoleA"),
    Implemented("WriteFile"),
    Implemented("lstrlenW"),
#ifdef _WIN64
    // The x64 unwinder's: every Windows that runs 64-bit code has them. A
    // 64-bit test copy is Windows 98 only in what Wine reports to it.
    Implemented("RtlAddFunctionTable"),
    Implemented("RtlCaptureContext"),
    Implemented("RtlLookupFunctionEntry"),
    Implemented("RtlUnwindEx"),
    Implemented("RtlVirtualUnwind"),
    Implemented("__C_specific_handler"),
#endif
};

constexpr Function kAdvapi32[] = {
    VORNIX_9X_REFUSES(RegCreateKeyExW),
    VORNIX_9X_REFUSES(RegDeleteKeyW),
    VORNIX_9X_REFUSES(RegDeleteValueW),
    VORNIX_9X_REFUSES(RegEnumKeyExW),
    VORNIX_9X_REFUSES(RegEnumValueW),
    VORNIX_9X_REFUSES(RegOpenKeyExW),
    VORNIX_9X_REFUSES(RegQueryValueExW),
    VORNIX_9X_REFUSES(RegSetKeySecurity),
    VORNIX_9X_REFUSES(RegSetValueExW),
    VORNIX_9X_FAILS(AddAccessAllowedAce),
    VORNIX_9X_FAILS(AdjustTokenPrivileges),
    VORNIX_9X_FAILS(CreateWellKnownSid),
    VORNIX_9X_FAILS(InitializeAcl),
    VORNIX_9X_FAILS(InitializeSecurityDescriptor),
    VORNIX_9X_FAILS(LookupPrivilegeValueA),
    VORNIX_9X_FAILS(OpenProcessToken),
    VORNIX_9X_FAILS(SetSecurityDescriptorDacl),
    Implemented("RegCloseKey"),
    Implemented("RegCreateKeyA"),
    Implemented("RegCreateKeyExA"),
    Implemented("RegDeleteKeyA"),
    Implemented("RegDeleteValueA"),
    Implemented("RegEnumKeyA"),
    Implemented("RegEnumKeyExA"),
    Implemented("RegEnumValueA"),
    Implemented("RegOpenKeyA"),
    Implemented("RegOpenKeyExA"),
    Implemented("RegQueryInfoKeyA"),
    Implemented("RegQueryMultipleValuesA"),
    Implemented("RegQueryValueExA"),
    Implemented("RegSetValueExA"),
};

constexpr Function kUser32[] = {
    VORNIX_9X_FAILS(CallWindowProcW),
    VORNIX_9X_FAILS(CreateWindowExW),
    VORNIX_9X_FAILS(DefWindowProcW),
    VORNIX_9X_FAILS(DispatchMessageW),
    VORNIX_9X_FAILS(GetClassNameW),
    VORNIX_9X_FAILS(GetMessageW),
    VORNIX_9X_FAILS(GetWindowLongW),
    VORNIX_9X_FAILS(GetWindowTextW),
    VORNIX_9X_FAILS(IsDialogMessageW),
    VORNIX_9X_FAILS(LoadCursorW),
    VORNIX_9X_FAILS(LoadIconW),
    VORNIX_9X_FAILS(LoadImageW),
    VORNIX_9X_FAILS(PeekMessageW),
    VORNIX_9X_FAILS(PostMessageW),
    VORNIX_9X_FAILS(RegisterClassExW),
    VORNIX_9X_FAILS(RegisterClassW),
    VORNIX_9X_FAILS(SendMessageW),
    VORNIX_9X_FAILS(SetWindowLongW),
    VORNIX_9X_FAILS(SetWindowTextW),
#ifdef _WIN64
    VORNIX_9X_FAILS(GetWindowLongPtrW),
    VORNIX_9X_FAILS(SetWindowLongPtrW),
    Implemented("GetWindowLongPtrA"),
    Implemented("SetWindowLongPtrA"),
#endif
    Implemented("AdjustWindowRectEx"),
    Implemented("BeginPaint"),
    Implemented("CallWindowProcA"),
    Implemented("CreateWindowExA"),
    Implemented("DefWindowProcA"),
    Implemented("DestroyWindow"),
    Implemented("DispatchMessageA"),
    Implemented("DrawEdge"),
    Implemented("EnableWindow"),
    Implemented("EndPaint"),
    Implemented("ExitWindowsEx"),
    Implemented("GetClassNameA"),
    Implemented("GetClientRect"),
    Implemented("GetDC"),
    Implemented("GetDlgCtrlID"),
    Implemented("GetDlgItem"),
    Implemented("GetMessageA"),
    Implemented("GetParent"),
    Implemented("GetSysColor"),
    Implemented("GetSysColorBrush"),
    Implemented("GetSystemMetrics"),
    Implemented("GetWindowLongA"),
    Implemented("GetWindowRect"),
    Implemented("GetWindowTextA"),
    Implemented("InvalidateRect"),
    Implemented("IsDialogMessageA"),
    Implemented("IsWindow"),
    Implemented("IsWindowEnabled"),
    Implemented("KillTimer"),
    Implemented("LoadCursorA"),
    Implemented("LoadIconA"),
    Implemented("LoadImageA"),
    Implemented("MessageBoxA"),
    Implemented("MessageBoxW"),
    Implemented("PeekMessageA"),
    Implemented("PostMessageA"),
    Implemented("PostQuitMessage"),
    Implemented("RegisterClassA"),
    Implemented("RegisterClassExA"),
    Implemented("ReleaseDC"),
    Implemented("SendMessageA"),
    Implemented("SetFocus"),
    Implemented("SetTimer"),
    Implemented("SetWindowLongA"),
    Implemented("SetWindowPos"),
    Implemented("SetWindowTextA"),
    Implemented("ShowWindow"),
    Implemented("TranslateMessage"),
    Implemented("UpdateWindow"),
};

constexpr Function kGdi32[] = {
    VORNIX_9X_FAILS(CreateFontIndirectW),
    VORNIX_9X_FAILS(CreateFontW),
    VORNIX_9X_FAILS(GetTextMetricsW),
    Implemented("CreateFontA"),
    Implemented("CreateFontIndirectA"),
    Implemented("CreateSolidBrush"),
    Implemented("DeleteObject"),
    Implemented("ExtTextOutA"),
    Implemented("ExtTextOutW"),
    Implemented("GetDeviceCaps"),
    Implemented("GetTextExtentPoint32A"),
    Implemented("GetTextExtentPoint32W"),
    Implemented("GetTextMetricsA"),
    Implemented("SelectObject"),
    Implemented("SetBkColor"),
    Implemented("SetBkMode"),
    Implemented("SetBrushOrgEx"),
    Implemented("SetStretchBltMode"),
    Implemented("SetTextColor"),
    Implemented("TextOutA"),
    Implemented("TextOutW"),
};

constexpr Function kComctl32[] = {
    Implemented("InitCommonControls"),
    Implemented("InitCommonControlsEx"),
};

// Looked up at run time only.
constexpr Function kShell32[] = {
    VORNIX_9X_FAILS(ShellExecuteW),
    Implemented("ShellExecuteA"),
};
constexpr Function kOle32[] = {
    Implemented("CoInitialize"),
    Implemented("CoUninitialize"),
    Implemented("CreateStreamOnHGlobal"),
};
constexpr Function kOleaut32[] = {
    Implemented("OleLoadPicture"),
};
constexpr Function kNtdll[] = {
    Absent("RtlGetVersion"),
    Implemented("wine_get_version"),  // Wine's own: how the tests know they run under Wine
};

#undef VORNIX_9X_FAILS
#undef VORNIX_9X_REFUSES

template <std::size_t N>
constexpr Library Of(const char* name, const Function (&functions)[N]) {
    return {name, functions, N, false};
}

}  // namespace

constinit const Library kLibraries[] = {
    Of("kernel32.dll", kKernel32), Of("advapi32.dll", kAdvapi32), Of("user32.dll", kUser32),
    Of("gdi32.dll", kGdi32),       Of("comctl32.dll", kComctl32), Of("shell32.dll", kShell32),
    Of("ole32.dll", kOle32),       Of("oleaut32.dll", kOleaut32), Of("ntdll.dll", kNtdll),
    {"msvcrt.dll", nullptr, 0, true},
};
constinit const std::size_t kLibraryCount = sizeof kLibraries / sizeof kLibraries[0];

}  // namespace vornix::test::win9x
