// The module handle's storage. DllMain (entry_point.cpp) sets it in the DLL;
// a program that links the shell directly leaves it null, which Windows
// reads as the program's own module.
#include "module_handle.h"

#ifdef _WIN32
namespace t815 {
HINSTANCE__* moduleHandle = nullptr;
}
#endif
