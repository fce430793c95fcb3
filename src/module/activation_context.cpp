#include "module/activation_context.h"

#include "module/module_state.h"

namespace oemui {
namespace {

HANDLE g_hActCtx = INVALID_HANDLE_VALUE;

}  // namespace

HANDLE CreateModuleActivationContext(HMODULE hModule) {
    wchar_t szModule[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(hModule, szModule, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return INVALID_HANDLE_VALUE;
    ACTCTXW actCtx = {};
    actCtx.cbSize = sizeof(actCtx);
    actCtx.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    actCtx.lpSource = szModule;
    actCtx.lpResourceName = MAKEINTRESOURCEW(2);
    return CreateActCtxW(&actCtx);
}

HANDLE PluginActivationContext() {
    if (g_hActCtx == INVALID_HANDLE_VALUE) g_hActCtx = CreateModuleActivationContext(ModuleInstance());
    return g_hActCtx;
}

void ReleasePluginActivationContext() {
    if (g_hActCtx != INVALID_HANDLE_VALUE) ReleaseActCtx(g_hActCtx);
    g_hActCtx = INVALID_HANDLE_VALUE;
}

ActivationScope::ActivationScope() {
    HANDLE hActCtx = PluginActivationContext();
    if (hActCtx != INVALID_HANDLE_VALUE) m_active = ActivateActCtx(hActCtx, &m_cookie) != FALSE;
}

ActivationScope::~ActivationScope() {
    if (m_active) DeactivateActCtx(0, m_cookie);
}

}  // namespace oemui
