// The module's lock count: every live object and every server lock holds it
// up, and DllCanUnloadNow lets the DLL go only at zero.
#pragma once

namespace Corvane {

void ModuleLock();
void ModuleUnlock();
long ModuleLockCount();

}  // namespace Corvane
