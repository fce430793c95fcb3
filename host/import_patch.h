// Replaces one named import of a loaded module with a function of the host
// for the lifetime of the object, then puts the original back. The emulator
// answers the plug-in's message boxes this way: the plug-in itself carries
// no hooks for scripted sessions.
#pragma once

#include <windows.h>

namespace oemuihost {

class ImportPatch {
public:
    // pszDll: the imported DLL's name (case-insensitive), or null for any.
    ImportPatch(HMODULE hModule, const char *pszDll, const char *pszFunction, void *pReplacement);
    ~ImportPatch();
    ImportPatch(const ImportPatch &) = delete;
    ImportPatch &operator=(const ImportPatch &) = delete;

    // True when at least one import slot was replaced.
    bool Active() const { return m_count > 0; }
    // The function the module imported before the patch.
    void *Original() const { return m_pOriginal; }
    template <typename Fn>
    Fn OriginalAs() const { return reinterpret_cast<Fn>(m_pOriginal); }

private:
    static constexpr int kMaxSlots = 8;
    void **m_slots[kMaxSlots] = {};
    int m_count = 0;
    void *m_pOriginal = nullptr;
};

}  // namespace oemuihost
