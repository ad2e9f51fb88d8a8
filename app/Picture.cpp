#include "app/Picture.h"

#include <cstring>

namespace vornix {
namespace {
using CreateStreamOnHGlobalFn = HRESULT WINAPI(HGLOBAL, BOOL, LPSTREAM*);
using OleLoadPictureFn = HRESULT WINAPI(LPSTREAM, LONG, BOOL, REFIID, LPVOID*);
}  // namespace

bool Picture::Load(HINSTANCE instance, int id) {
    HRSRC info = FindResourceW(instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (!info) return false;
    HGLOBAL resource = LoadResource(instance, info);
    const DWORD size = SizeofResource(instance, info);
    const void* bytes = resource ? LockResource(resource) : nullptr;
    if (!bytes || size == 0) return false;
    UniqueGlobal copy(GlobalAlloc(GMEM_MOVEABLE, size));
    void* target = copy ? GlobalLock(copy.get()) : nullptr;
    if (!target) return false;
    std::memcpy(target, bytes, size);
    GlobalUnlock(copy.get());
    const DynamicLibrary ole32("ole32.dll");
    auto oleaut32 = std::make_unique<DynamicLibrary>("oleaut32.dll");
    auto* createStream = ole32.Get<CreateStreamOnHGlobalFn>("CreateStreamOnHGlobal");
    auto* loadPicture = oleaut32->Get<OleLoadPictureFn>("OleLoadPicture");
    UniqueInterface<IStream> stream;
    if (!createStream || !loadPicture || FAILED(createStream(copy.get(), TRUE, stream.put()))) {
        return false;
    }
    copy.release();  // the stream frees the copy when released
    UniqueInterface<IPicture> picture;
    const HRESULT hr = loadPicture(stream.get(), static_cast<LONG>(size), FALSE, IID_IPicture,
                                   reinterpret_cast<void**>(picture.put()));
    if (FAILED(hr) || !picture) return false;
    picture_ = std::move(picture);
    oleaut32_ = std::move(oleaut32);
    return true;
}

void Picture::Draw(HDC dc, int x, int y, int width, int height) const {
    IPicture* picture = picture_.get();
    if (!picture) return;
    OLE_XSIZE_HIMETRIC w = 0;
    OLE_YSIZE_HIMETRIC h = 0;
    picture->get_Width(&w);
    picture->get_Height(&h);
    // Source rectangles are in HIMETRIC with the origin at the bottom.
    picture->Render(dc, x, y, width, height, 0, h, w, -h, nullptr);
}

}  // namespace vornix
