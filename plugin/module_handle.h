// The library's module handle on Windows, recorded when the DLL is attached
// and used by the panel to register its window class and create its window.
#pragma once

#ifdef _WIN32
struct HINSTANCE__;

namespace t815 {
extern HINSTANCE__* moduleHandle;
}
#endif
