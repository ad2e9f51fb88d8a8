#pragma once
// An open registry key of the wide functions, closed with its owner; get()
// is null when it could not be opened or created.
#include <string>

#include "system/win32/UniqueHandles.h"

namespace vornix::test {

struct WideKey : UniqueHkey {
    WideKey(HKEY root, const std::wstring& path, REGSAM access, bool create = false) {
        const LONG result = create ? RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, access,
                                                     nullptr, put(), nullptr)
                                   : RegOpenKeyExW(root, path.c_str(), 0, access, put());
        if (result != ERROR_SUCCESS) release();  // what a failed call left is no key
    }
};

}  // namespace vornix::test
