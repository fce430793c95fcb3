// The module's own activation context, made from its manifest (resource 2,
// which asks for version 6 of the common controls). Pages, dialogs and the
// network library run inside it.
#pragma once

#include <windows.h>

namespace oemui {

// A new context from hModule's manifest (resource 2), or
// INVALID_HANDLE_VALUE; the caller releases it.
HANDLE CreateModuleActivationContext(HMODULE hModule);

// The context, created on first use and kept for the life of the process;
// INVALID_HANDLE_VALUE when creation failed (tried again on the next call).
HANDLE PluginActivationContext();

// Called when the process detaches the module.
void ReleasePluginActivationContext();

// Activates the module's context for the lifetime of the object (does
// nothing when the context could not be created).
class ActivationScope {
public:
    ActivationScope();
    ~ActivationScope();
    ActivationScope(const ActivationScope &) = delete;
    ActivationScope &operator=(const ActivationScope &) = delete;

private:
    ULONG_PTR m_cookie = 0;
    bool m_active = false;
};

}  // namespace oemui
