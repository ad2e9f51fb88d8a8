#include "system/win32/FileFunctions.h"

#include "system/win32/WideText.h"

namespace vornix::win32 {
namespace {

bool Wide() { return RunningCharForm() == CharForm::Wide; }

}  // namespace

DWORD FileAttributes(const std::string& path) {
    return Wide() ? ::GetFileAttributesW(Widen(path).c_str())
                  : ::GetFileAttributesA(ToAnsi(path).c_str());
}

bool SetAttributes(const std::string& path, DWORD attributes) {
    return (Wide() ? ::SetFileAttributesW(Widen(path).c_str(), attributes)
                   : ::SetFileAttributesA(ToAnsi(path).c_str(), attributes)) != FALSE;
}

HANDLE OpenNewFile(const std::string& path) {
    const HANDLE file =
        Wide() ? ::CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr)
               : ::CreateFileA(ToAnsi(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    // Windows 95/98/ME can fail with either.
    return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

bool RemoveFile(const std::string& path) {
    return (Wide() ? ::DeleteFileW(Widen(path).c_str()) : ::DeleteFileA(ToAnsi(path).c_str())) !=
           FALSE;
}

bool MoveFileTo(const std::string& from, const std::string& to) {
    if (Wide()) {
        return ::MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), MOVEFILE_WRITE_THROUGH) !=
               FALSE;
    }
    return ::MoveFileA(ToAnsi(from).c_str(), ToAnsi(to).c_str()) != FALSE;
}

HMODULE LoadSystemLibrary(const char* name) {
    // The folder, then the name: a path too long to hold loads nothing.
    if (Wide()) {
        std::wstring path = ReadGrowing<wchar_t>(
            [](wchar_t* buffer, DWORD size) { return ::GetSystemDirectoryW(buffer, size); },
            MAX_PATH);
        if (path.empty()) return nullptr;
        if (path.back() != L'\\') path += L'\\';
        return ::LoadLibraryW((path + Widen(name)).c_str());
    }
    std::string path = ReadGrowing<char>(
        [](char* buffer, DWORD size) { return ::GetSystemDirectoryA(buffer, size); }, MAX_PATH);
    if (path.empty()) return nullptr;
    // Always a separator: in the ANSI code page a last byte 0x5C may be the
    // trail byte of a character, and a doubled one is harmless.
    path += '\\';
    return ::LoadLibraryA((path + name).c_str());
}

}  // namespace vornix::win32
