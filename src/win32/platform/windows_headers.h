#pragma once
// The one way the Windows code includes the system headers, in the order they need (Winsock 2
// before windows.h, the shell and control headers after it). The core's FileSystem has a method
// named CreateDirectory, which windows.h would turn into a macro; the code here calls the wide
// API by its full name instead.
// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <wininet.h>
// clang-format on

#undef CreateDirectory
