// The library's GUIDs for the test programs, from the generated header.
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include <initguid.h>

#include "corvane_h.h"
