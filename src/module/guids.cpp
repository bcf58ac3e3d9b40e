// The one place the library's GUIDs are defined.
#include <initguid.h>

#include "corvane_h.h"
