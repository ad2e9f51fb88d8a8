#include "app/Win32ManifestFiles.h"

#include "system/win32/UniqueHandles.h"
#include "system/win32/WideText.h"

namespace vornix {
namespace {

void RemoveFile(const std::wstring& path) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
}

}  // namespace

bool Win32ManifestFiles::FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32ManifestFiles::WriteComplete(const std::string& path, const std::string& bytes,
                                       std::uint32_t attributes) {
    const std::wstring target = Widen(path);
    const std::wstring temporary = target + L".tmp";
    RemoveFile(temporary);  // the remains of an earlier attempt
    UniqueKernelHandle file = UniqueFile(CreateFileW(
        temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    const bool complete =
        WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size() && FlushFileBuffers(file.get());
    // A file whose close fails may not hold what was written.
    if (!::CloseHandle(file.release()) || !complete) {
        RemoveFile(temporary);
        return false;
    }
    // Only a complete file ever appears under the manifest's name.
    if (!SetFileAttributesW(temporary.c_str(), attributes) ||
        !MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
        RemoveFile(temporary);
        return false;
    }
    return true;
}

}  // namespace vornix
