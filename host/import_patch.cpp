#include "host/import_patch.h"

#include <cstring>

namespace oemuihost {
namespace {

void WriteSlot(void **slot, void *value) {
    DWORD oldProtect = 0;
    if (VirtualProtect(slot, sizeof(void *), PAGE_READWRITE, &oldProtect)) {
        *slot = value;
        VirtualProtect(slot, sizeof(void *), oldProtect, &oldProtect);
    }
}

}  // namespace

ImportPatch::ImportPatch(HMODULE hModule, const char *pszDll, const char *pszFunction,
                         void *pReplacement) {
    if (hModule == nullptr || pszFunction == nullptr) return;
    auto *base = reinterpret_cast<BYTE *>(hModule);
    auto *dos = reinterpret_cast<IMAGE_DOS_HEADER *>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return;
    auto *nt = reinterpret_cast<IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY &dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.VirtualAddress == 0) return;
    for (auto *desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + dir.VirtualAddress);
         desc->Name != 0; ++desc) {
        const char *dllName = reinterpret_cast<const char *>(base + desc->Name);
        if (pszDll != nullptr && lstrcmpiA(dllName, pszDll) != 0) continue;
        if (desc->OriginalFirstThunk == 0) continue;
        auto *names = reinterpret_cast<IMAGE_THUNK_DATA *>(base + desc->OriginalFirstThunk);
        auto *slots = reinterpret_cast<IMAGE_THUNK_DATA *>(base + desc->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto *byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME *>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char *>(byName->Name), pszFunction) != 0) continue;
            if (m_count == kMaxSlots) return;
            auto **slot = reinterpret_cast<void **>(&slots->u1.Function);
            if (m_pOriginal == nullptr) m_pOriginal = *slot;
            m_slots[m_count++] = slot;
            WriteSlot(slot, pReplacement);
        }
    }
}

ImportPatch::~ImportPatch() {
    for (int i = 0; i < m_count; ++i) WriteSlot(m_slots[i], m_pOriginal);
}

}  // namespace oemuihost
