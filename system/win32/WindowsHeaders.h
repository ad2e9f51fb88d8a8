#pragma once
// <windows.h> without the rarely used parts and without the min/max macros,
// the same way in every Win32 source of the system layer.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
