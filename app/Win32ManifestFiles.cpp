#include "app/Win32ManifestFiles.h"

#include "system/win32/WindowsHeaders.h"

#include "system/win32/WideText.h"

namespace vornix {
namespace {

// Owns a file handle and closes it on every path.
class FileHandle {
public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { Close(); }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }
    bool Close() {
        if (h_ == INVALID_HANDLE_VALUE) return true;
        const bool closed = CloseHandle(h_) != FALSE;
        h_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE h_;
};

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
    {
        FileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) return false;
        DWORD written = 0;
        const bool complete =
            WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                      nullptr) &&
            written == bytes.size() && FlushFileBuffers(file.get());
        if (!file.Close() || !complete) {
            RemoveFile(temporary);
            return false;
        }
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
