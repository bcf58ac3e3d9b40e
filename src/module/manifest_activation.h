// Registration-free activation: an activation context built from the
// manifest embedded in a DLL, pushed on the calling thread's stack so COM
// finds the classes and the type library through it instead of the registry.
#pragma once

#include <windows.h>

namespace Corvane {

// The same activation for this DLL's own file; Win32 failures as HRESULTs.
HRESULT ActivateOwnManifest();

}  // namespace Corvane

extern "C" {
HRESULT WINAPI Corvane_ActivateManifest(LPCWSTR path);
void WINAPI Corvane_DeactivateManifest();
void WINAPI Corvane_ResetManifest();
BOOL WINAPI Corvane_IsManifestActive();
}
