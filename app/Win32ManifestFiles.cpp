#include "app/Win32ManifestFiles.h"

#include "system/win32/FileFunctions.h"
#include "system/win32/UniqueHandles.h"

namespace vornix {
namespace {

void RemoveFile(const std::string& path) {
    win32::SetAttributes(path, FILE_ATTRIBUTE_NORMAL);
    win32::RemoveFile(path);
}

}  // namespace

bool Win32ManifestFiles::FileExists(const std::string& path) {
    const DWORD attributes = win32::FileAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32ManifestFiles::WriteComplete(const std::string& path, const std::string& bytes,
                                       std::uint32_t attributes) {
    const std::string temporary = path + ".tmp";
    RemoveFile(temporary);  // the remains of an earlier attempt
    UniqueKernelHandle file(win32::OpenNewFile(temporary));
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
    if (!win32::SetAttributes(temporary, attributes) || !win32::MoveFileTo(temporary, path)) {
        RemoveFile(temporary);
        return false;
    }
    return true;
}

}  // namespace vornix
