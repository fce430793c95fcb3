#include "module/module_state.h"

namespace oemui {
namespace {

HINSTANCE g_hInstance = nullptr;
volatile LONG g_lServerLocks = 0;
volatile LONG g_lObjects = 0;

}  // namespace

HINSTANCE ModuleInstance() { return g_hInstance; }
void SetModuleInstance(HINSTANCE hInstance) { g_hInstance = hInstance; }

void LockModule(bool bLock) {
    if (bLock)
        InterlockedIncrement(&g_lServerLocks);
    else
        InterlockedDecrement(&g_lServerLocks);
}

void ObjectCreated() { InterlockedIncrement(&g_lObjects); }
void ObjectDestroyed() { InterlockedDecrement(&g_lObjects); }

HRESULT CanUnloadModule() { return (g_lObjects == 0 && g_lServerLocks == 0) ? S_OK : S_FALSE; }

}  // namespace oemui
