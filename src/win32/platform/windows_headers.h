#pragma once
// The one way the Windows code includes the system headers. The core's FileSystem has a
// method named CreateDirectory, which windows.h would turn into a macro; the code here calls the
// wide API by its full name instead.
#include <windows.h>

#undef CreateDirectory
