#include "host/fault_injection.h"

#include <memory>
#include <set>

#include "host/fault_table.h"

namespace oemuihost {
namespace {

FaultInjection *g_pActive = nullptr;
std::unique_ptr<FaultRowState[]> g_states;

// The GDI books: handles created through the replacements and not deleted.
struct GdiBooks {
    CRITICAL_SECTION lock;
    std::set<void *> live;
    long created = 0;
    GdiBooks() { InitializeCriticalSection(&lock); }
} g_gdi;

// The injections must not change while threads of the plug-in call through
// the replacements; attaching a library happens under this lock.
CRITICAL_SECTION *AttachLock() {
    static CRITICAL_SECTION cs;
    static const bool init = (InitializeCriticalSection(&cs), true);
    (void)init;
    return &cs;
}

void WriteSlot(void **slot, void *value) {
    DWORD oldProtect = 0;
    if (VirtualProtect(slot, sizeof(void *), PAGE_READWRITE, &oldProtect)) {
        *slot = value;
        VirtualProtect(slot, sizeof(void *), oldProtect, &oldProtect);
    }
}

bool ImportsSockets(HMODULE hModule) {
    for (const ModuleImport &imp : ReadModuleImports(hModule))
        if (lstrcmpiA(imp.dll.c_str(), "ws2_32.dll") == 0) return true;
    return false;
}

// The module an address lies in (without taking a reference), or null.
HMODULE ModuleAt(const void *p) {
    HMODULE h = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCWSTR>(p), &h))
        return nullptr;
    return h;
}

}  // namespace

void NoteGdiCreated(void *handle, bool) {
    EnterCriticalSection(&g_gdi.lock);
    g_gdi.live.insert(handle);
    ++g_gdi.created;
    LeaveCriticalSection(&g_gdi.lock);
}

void NoteGdiDeleted(void *handle, bool) {
    EnterCriticalSection(&g_gdi.lock);
    g_gdi.live.erase(handle);
    LeaveCriticalSection(&g_gdi.lock);
}

// The SNMP library talks to the network; the stand-in the scenarios use
// answers from a file and is part of the test rig, not of the product.
void NoteLibraryLoaded(HMODULE hModule) {
    FaultInjection *p = g_pActive;
    if (p == nullptr || !ImportsSockets(hModule)) return;
    p->Attach(hModule);
}

FaultInjection *ActiveFaultInjection() { return g_pActive; }

bool ParseFaultTarget(const std::wstring &text, FaultTarget *pTarget) {
    const size_t colon = text.rfind(L':');
    if (colon == std::wstring::npos || colon == 0) return false;
    wchar_t *end = nullptr;
    const long k = wcstol(text.c_str() + colon + 1, &end, 10);
    if (end == nullptr || *end != L'\0' || k <= 0) return false;
    std::string label;
    for (size_t i = 0; i < colon; ++i) {
        if (text[i] > 0x7E) return false;
        label += static_cast<char>(text[i]);
    }
    bool known = false;
    for (const FaultLabel &l : FaultLabels()) known = known || l.label == label;
    if (!known) return false;
    pTarget->import = label;
    pTarget->call = k;
    return true;
}

std::wstring FaultTargetText(const FaultTarget &target) {
    return std::wstring(target.import.begin(), target.import.end()) + L":" + std::to_wstring(target.call);
}

std::vector<FaultLabel> FaultLabels() {
    std::vector<FaultLabel> labels;
    for (const FaultRow &row : FaultRows()) {
        if (!row.inject) continue;
        labels.push_back({row.name, row.name, row.failure});
        if (row.failure2 != nullptr) labels.push_back({std::string(row.name) + "/2", row.name, row.failure2});
    }
    return labels;
}

FaultInjection::FaultInjection(const FaultTarget &target) {
    const std::vector<FaultRow> &rows = FaultRows();
    g_states.reset(new FaultRowState[rows.size()]);
    const size_t slash = target.import.find('/');
    const std::string import = target.import.substr(0, slash);
    for (size_t i = 0; i < rows.size(); ++i) {
        *rows[i].ppState = &g_states[i];
        if (!import.empty() && import == rows[i].name) {
            g_states[i].failAt = target.call;
            g_states[i].variant = slash == std::string::npos ? 1 : 2;
        }
    }
    EnterCriticalSection(&g_gdi.lock);
    g_gdi.live.clear();
    g_gdi.created = 0;
    LeaveCriticalSection(&g_gdi.lock);
    g_pActive = this;
}

FaultInjection::~FaultInjection() {
    Detach();
    if (g_pActive == this) g_pActive = nullptr;
}

bool FaultInjection::Attach(HMODULE hModule) {
    EnterCriticalSection(AttachLock());
    const std::vector<FaultRow> &rows = FaultRows();
    for (const ModuleImport &imp : ReadModuleImports(hModule)) {
        const FaultRow *row = FindFaultRow(imp.name.c_str());
        if (row == nullptr || imp.slot == nullptr) continue;
        void *current = *imp.slot;
        if (current == row->thunk) continue;  // a library loaded again keeps its replacements
        FaultRowState &state = g_states[static_cast<size_t>(row - rows.data())];
        // The first module's slot decides where calls go on: it may hold a
        // replacement of the emulator's own (message boxes, shell, jobs).
        if (state.pNext == nullptr) state.pNext = current;
        m_slots.push_back(Slot{imp.slot, current, row->thunk});
        WriteSlot(imp.slot, row->thunk);
    }
    m_attached = true;
    LeaveCriticalSection(AttachLock());
    return true;
}

void FaultInjection::Detach() {
    EnterCriticalSection(AttachLock());
    const HMODULE hFirst = m_slots.empty() ? nullptr : ModuleAt(m_slots.front().slot);
    for (const Slot &s : m_slots) {
        // A network library unloaded since took its slots with it.
        const HMODULE h = ModuleAt(s.slot);
        if (h == nullptr || (h != hFirst && !ImportsSockets(h))) continue;
        if (*s.slot == s.replacement) WriteSlot(s.slot, s.original);
    }
    m_slots.clear();
    // Attached again, the slots decide anew where calls go on.
    for (size_t i = 0; i < FaultRows().size(); ++i) g_states[i].pNext = nullptr;
    m_attached = false;
    LeaveCriticalSection(AttachLock());
}

std::vector<std::pair<std::string, long>> FaultInjection::Counts() const {
    std::vector<std::pair<std::string, long>> counts;
    const std::vector<FaultRow> &rows = FaultRows();
    for (size_t i = 0; i < rows.size(); ++i) {
        const long n = g_states[i].calls.load();
        if (n > 0) counts.emplace_back(rows[i].name, n);
    }
    return counts;
}

bool FaultInjection::Injected() const {
    const std::vector<FaultRow> &rows = FaultRows();
    for (size_t i = 0; i < rows.size(); ++i)
        if (g_states[i].injected.load() > 0) return true;
    return false;
}

long FaultInjection::LiveGdiObjects() const {
    EnterCriticalSection(&g_gdi.lock);
    const long n = static_cast<long>(g_gdi.live.size());
    LeaveCriticalSection(&g_gdi.lock);
    return n;
}

long FaultInjection::GdiCreated() const {
    EnterCriticalSection(&g_gdi.lock);
    const long n = g_gdi.created;
    LeaveCriticalSection(&g_gdi.lock);
    return n;
}

}  // namespace oemuihost
