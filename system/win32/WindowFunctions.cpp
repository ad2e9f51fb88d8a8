#include "system/win32/WindowFunctions.h"

#include "system/win32/WideText.h"

namespace vornix::win32 {
namespace {

bool Wide() { return RunningCharForm() == CharForm::Wide; }

}  // namespace

bool RegisterWindowClass(const WindowClass& c) {
    bool registered;
    if (Wide()) {
        const std::wstring name = Widen(c.name);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = c.procedure;
        wc.hInstance = c.instance;
        wc.hIcon = c.icon;
        wc.hCursor = c.cursor;
        wc.hbrBackground = c.background;
        wc.lpszClassName = name.c_str();
        wc.hIconSm = c.smallIcon;
        registered = ::RegisterClassExW(&wc) != 0;
    } else {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = c.procedure;
        wc.hInstance = c.instance;
        wc.hIcon = c.icon;
        wc.hCursor = c.cursor;
        wc.hbrBackground = c.background;
        wc.lpszClassName = c.name;
        wc.hIconSm = c.smallIcon;
        registered = ::RegisterClassExA(&wc) != 0;
    }
    return registered || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND MakeWindow(DWORD exStyle, const char* className, const std::string& caption, DWORD style,
                int x, int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                void* createParam) {
    if (Wide()) {
        return ::CreateWindowExW(exStyle, Widen(className).c_str(), Widen(caption).c_str(), style,
                                 x, y, width, height, parent, menu, instance, createParam);
    }
    return ::CreateWindowExA(exStyle, className, ToAnsi(caption).c_str(), style, x, y, width,
                             height, parent, menu, instance, createParam);
}

LRESULT DefaultWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return Wide() ? ::DefWindowProcW(hwnd, message, wParam, lParam)
                  : ::DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT SendWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return Wide() ? ::SendMessageW(hwnd, message, wParam, lParam)
                  : ::SendMessageA(hwnd, message, wParam, lParam);
}

void SetUserData(HWND hwnd, LONG_PTR value) {
    if (Wide()) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, value);
    } else {
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, value);
    }
}

LONG_PTR UserData(HWND hwnd) {
    return Wide() ? ::GetWindowLongPtrW(hwnd, GWLP_USERDATA)
                  : ::GetWindowLongPtrA(hwnd, GWLP_USERDATA);
}

void* CreateParam(LPARAM ncCreate) {
    return Wide() ? reinterpret_cast<CREATESTRUCTW*>(ncCreate)->lpCreateParams
                  : reinterpret_cast<CREATESTRUCTA*>(ncCreate)->lpCreateParams;
}

void SetCaption(HWND hwnd, const std::string& text) {
    if (Wide()) {
        ::SetWindowTextW(hwnd, Widen(text).c_str());
    } else {
        ::SetWindowTextA(hwnd, ToAnsi(text).c_str());
    }
}

std::string Caption(HWND hwnd) {
    if (Wide()) {
        return Narrow(ReadGrowing<wchar_t>([hwnd](wchar_t* buffer, DWORD size) {
            return static_cast<DWORD>(::GetWindowTextW(hwnd, buffer, static_cast<int>(size)));
        }));
    }
    return FromAnsi(ReadGrowing<char>([hwnd](char* buffer, DWORD size) {
        return static_cast<DWORD>(::GetWindowTextA(hwnd, buffer, static_cast<int>(size)));
    }));
}

int ShowMessageBox(HWND owner, const std::string& text, const std::string& title, UINT style) {
    if (Wide()) return ::MessageBoxW(owner, Widen(text).c_str(), Widen(title).c_str(), style);
    return ::MessageBoxA(owner, ToAnsi(text).c_str(), ToAnsi(title).c_str(), style);
}

BOOL NextMessage(MSG& msg) {
    return Wide() ? ::GetMessageW(&msg, nullptr, 0, 0) : ::GetMessageA(&msg, nullptr, 0, 0);
}

bool PeekNextMessage(MSG& msg) {
    return (Wide() ? ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)
                   : ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) != FALSE;
}

bool IsDialogKey(HWND dialog, MSG& msg) {
    return (Wide() ? ::IsDialogMessageW(dialog, &msg) : ::IsDialogMessageA(dialog, &msg)) != FALSE;
}

void DispatchNext(const MSG& msg) {
    if (Wide()) {
        ::DispatchMessageW(&msg);
    } else {
        ::DispatchMessageA(&msg);
    }
}

HCURSOR LoadStockCursor(int id) {
    return Wide() ? ::LoadCursorW(nullptr, MAKEINTRESOURCEW(id))
                  : ::LoadCursorA(nullptr, MAKEINTRESOURCEA(id));
}

HICON LoadIconResource(HINSTANCE instance, int id) {
    return Wide() ? ::LoadIconW(instance, MAKEINTRESOURCEW(id))
                  : ::LoadIconA(instance, MAKEINTRESOURCEA(id));
}

HICON LoadIconResource(HINSTANCE instance, int id, int width, int height) {
    return static_cast<HICON>(
        Wide() ? ::LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, width, height, 0)
               : ::LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, width, height, 0));
}

HFONT MakeFont(int height, int weight, DWORD charSet, const std::string& face) {
    if (Wide()) {
        return ::CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, charSet,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, Widen(face).c_str());
    }
    return ::CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, charSet, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                         ToAnsi(face).c_str());
}

int LineHeight(HDC dc) {
    if (Wide()) {
        TEXTMETRICW tm{};
        ::GetTextMetricsW(dc, &tm);
        return tm.tmHeight;
    }
    TEXTMETRICA tm{};
    ::GetTextMetricsA(dc, &tm);
    return tm.tmHeight;
}

SIZE TextExtent(HDC dc, const std::string& text) {
    SIZE size{};
    if (Wide()) {
        const std::wstring wide = Widen(text);
        ::GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    } else {
        const std::string ansi = ToAnsi(text);
        ::GetTextExtentPoint32A(dc, ansi.c_str(), static_cast<int>(ansi.size()), &size);
    }
    return size;
}

void DrawTextAt(HDC dc, int x, int y, const std::string& text) {
    if (Wide()) {
        const std::wstring wide = Widen(text);
        ::TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
    } else {
        const std::string ansi = ToAnsi(text);
        ::TextOutA(dc, x, y, ansi.c_str(), static_cast<int>(ansi.size()));
    }
}

}  // namespace vornix::win32
