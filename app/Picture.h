#pragma once
// A JPEG or GIF picture from the executable's resources, decoded by the
// system's own picture loader (OleLoadPicture). COM must be initialised on
// the thread before Load.
#include <memory>

#include "system/win32/WindowsHeaders.h"

#include <olectl.h>  // IPicture and OleLoadPicture, which the lean header leaves out

#include "app/DynamicLibrary.h"
#include "system/win32/UniqueHandles.h"

namespace vornix {

class Picture {
public:
    // Loads RCDATA resource `id`; false when it is missing or not a picture.
    bool Load(HINSTANCE instance, int id);
    // Draws the whole picture into the rectangle, scaled to fit it.
    void Draw(HDC dc, int x, int y, int width, int height) const;
    bool loaded() const { return static_cast<bool>(picture_); }

private:
    // The picture's code lives in oleaut32: kept loaded while it exists
    // (members go in reverse order, the picture first).
    std::unique_ptr<DynamicLibrary> oleaut32_;
    UniqueInterface<IPicture> picture_;
};

}  // namespace vornix
