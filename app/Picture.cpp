#include "app/Picture.h"

#include <cstring>

namespace vornix {

Picture::~Picture() {
    if (picture_) picture_->Release();
}

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
    // The stream takes the copy and frees it when released.
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!copy) return false;
    void* target = GlobalLock(copy);
    if (!target) {
        GlobalFree(copy);
        return false;
    }
    std::memcpy(target, bytes, size);
    GlobalUnlock(copy);
    const DynamicLibrary ole32(L"ole32.dll");
    auto oleaut32 = std::make_unique<DynamicLibrary>(L"oleaut32.dll");
    auto* createStream = ole32.Get<CreateStreamOnHGlobalFn>("CreateStreamOnHGlobal");
    auto* loadPicture = oleaut32->Get<OleLoadPictureFn>("OleLoadPicture");
    IStream* stream = nullptr;
    if (!createStream || !loadPicture || FAILED(createStream(copy, TRUE, &stream))) {
        GlobalFree(copy);
        return false;
    }
    IPicture* picture = nullptr;
    const HRESULT hr = loadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                                   reinterpret_cast<void**>(&picture));
    stream->Release();
    if (FAILED(hr) || !picture) return false;
    if (picture_) picture_->Release();
    picture_ = picture;
    oleaut32_ = std::move(oleaut32);
    return true;
}

void Picture::Draw(HDC dc, int x, int y, int width, int height) const {
    if (!picture_) return;
    OLE_XSIZE_HIMETRIC w = 0;
    OLE_YSIZE_HIMETRIC h = 0;
    picture_->get_Width(&w);
    picture_->get_Height(&h);
    // Source rectangles are in HIMETRIC with the origin at the bottom.
    picture_->Render(dc, x, y, width, height, 0, h, w, -h, nullptr);
}

}  // namespace vornix
