// The module's own type library, loaded once from the DLL's embedded
// resource (not from the registry, so unregistered use works too), and the
// type infos that IDispatch implementations hand to ITypeInfo::Invoke.
#pragma once

#include <oaidl.h>

namespace Corvane {

// This DLL's module handle, found from an address inside it.
HMODULE ThisModule();

// The type info of an interface or coclass of the module's library: one
// reference for the caller.
HRESULT GetModuleTypeInfo(REFGUID guid, ITypeInfo** out);
HRESULT GetModuleTypeLib(ITypeLib** out);
// Drops the cached library (module teardown).
void ReleaseModuleTypeLib();

}  // namespace Corvane
