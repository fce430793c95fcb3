// Module-wide state: the module's own instance handle and the counters that
// DllCanUnloadNow consults.
#pragma once

#include <windows.h>

namespace oemui {

HINSTANCE ModuleInstance();
void SetModuleInstance(HINSTANCE hInstance);

// Server locks taken through IClassFactory::LockServer (may go below zero on
// unmatched unlocks; the host then keeps the module loaded).
void LockModule(bool bLock);

// Live plug-in objects. A host that unloads the module while one of its
// objects is alive would call into freed code, so they hold the module.
void ObjectCreated();
void ObjectDestroyed();

// S_OK when nothing holds the module, else S_FALSE.
HRESULT CanUnloadModule();

}  // namespace oemui
