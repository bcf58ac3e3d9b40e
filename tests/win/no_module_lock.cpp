// Tests that compile in parts of the DLL without its module: nothing to lock.
namespace Corvane {
void ModuleLock() {}
void ModuleUnlock() {}
long ModuleLockCount() { return 0; }
}  // namespace Corvane
