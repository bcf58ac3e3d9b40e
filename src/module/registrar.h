// Registration from registrar scripts: the Windows side that writes the tree
// the portable parser builds into the registry.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "registrar_script.h"

namespace Corvane {

// Registers (registerMode) or unregisters what `script` describes. The script
// is parsed completely first: a syntax error or unknown variable writes
// nothing and answers DISP_E_EXCEPTION (the platform registrar's code for a
// bad script), with the positioned message in *error when given. Otherwise the
// first failing registry call stops the work and its error is answered as
// HRESULT_FROM_WIN32; what was written before it stays.
//   register:   keys are created (ForceRemove ones emptied first by deleting
//               them with their subtrees), values set, Delete keys deleted.
//   unregister: keys are deleted with their subtrees, except NoRemove keys,
//               which stay while their contents are unregistered (their named
//               values deleted). A missing key or value is not an error.
HRESULT ApplyRegistrarScript(std::u16string_view script, const ReplacementMap& replacements, bool registerMode,
                             std::string* error = nullptr);

// The same for resource `resourceId` of type "REGISTRY" in `module` (UTF-8 or
// ASCII, or UTF-16LE with a byte-order mark).
HRESULT RunRegistryResource(HMODULE module, int resourceId, const ReplacementMap& replacements, bool registerMode,
                            std::string* error = nullptr);

}  // namespace Corvane
