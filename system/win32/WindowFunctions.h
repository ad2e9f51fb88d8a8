#pragma once
// The window functions that take or give text (user32, gdi32), in the
// character form of the running Windows (TextFunctions.h): the window
// classes, windows and their procedures' defaults, the message loop,
// captions, message boxes, icons, fonts and text drawing, with UTF-8 text.
#include <string>

#include "system/win32/TextFunctions.h"
#include "system/win32/WindowsHeaders.h"

namespace vornix::win32 {

// Window classes and windows. Class names are ASCII.
struct WindowClass {
    const char* name;
    WNDPROC procedure;
    HINSTANCE instance;
    HCURSOR cursor;
    HBRUSH background;
    HICON icon;       // may be null
    HICON smallIcon;  // may be null
};
// True when the class is registered, also when it was already.
bool RegisterWindowClass(const WindowClass& windowClass);
HWND MakeWindow(DWORD exStyle, const char* className, const std::string& caption, DWORD style,
                int x, int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                void* createParam);
// The default procedure of a window of a class registered here.
LRESULT DefaultWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// For messages that carry no text.
LRESULT SendWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// The window's GWLP_USERDATA.
void SetUserData(HWND hwnd, LONG_PTR value);
LONG_PTR UserData(HWND hwnd);
// WM_NCCREATE's create parameter.
void* CreateParam(LPARAM ncCreate);
void SetCaption(HWND hwnd, const std::string& text);
std::string Caption(HWND hwnd);
int ShowMessageBox(HWND owner, const std::string& text, const std::string& title, UINT style);

// The message loop.
BOOL NextMessage(MSG& msg);  // > 0 a message, 0 WM_QUIT, -1 failure
bool PeekNextMessage(MSG& msg);
bool IsDialogKey(HWND dialog, MSG& msg);
void DispatchNext(const MSG& msg);

// Resources by number.
HCURSOR LoadStockCursor(int id);
HICON LoadIconResource(HINSTANCE instance, int id);
HICON LoadIconResource(HINSTANCE instance, int id, int width, int height);

// Fonts and text drawing.
HFONT MakeFont(int height, int weight, DWORD charSet, const std::string& face);
int LineHeight(HDC dc);  // tmHeight of the selected font
SIZE TextExtent(HDC dc, const std::string& text);
void DrawTextAt(HDC dc, int x, int y, const std::string& text);

}  // namespace vornix::win32
