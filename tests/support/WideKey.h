#pragma once
// An open registry key of the wide functions, closed with its owner; get()
// is null when it could not be opened or created.
#include <string>

#include "system/win32/WindowsHeaders.h"

namespace vornix::test {

class WideKey {
public:
    WideKey(HKEY root, const std::wstring& path, REGSAM access, bool create = false) {
        const LONG result = create ? RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, access,
                                                     nullptr, &key_, nullptr)
                                   : RegOpenKeyExW(root, path.c_str(), 0, access, &key_);
        if (result != ERROR_SUCCESS) key_ = nullptr;
    }
    WideKey(const WideKey&) = delete;
    WideKey& operator=(const WideKey&) = delete;
    ~WideKey() {
        if (key_) RegCloseKey(key_);
    }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

}  // namespace vornix::test
