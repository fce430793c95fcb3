// Fault injection in a running plug-in: every import of the fault table is
// replaced in the loaded module (and in the SNMP network library when the
// plug-in loads it), its calls are counted, and the one chosen call fails the
// way the platform documents. GDI objects the plug-in creates and deletes are
// booked through the same replacements (Wine's GetGuiResources answers 0).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace oemuihost {

// "HeapAlloc", or "WritePrinter/short" for a row's second failure mode.
struct FaultTarget {
    std::string import;  // empty: count only
    long call = 0;       // from 1
};

// Parses "IMPORT:K" or "IMPORT/MODE:K".
bool ParseFaultTarget(const std::wstring &text, FaultTarget *pTarget);
std::wstring FaultTargetText(const FaultTarget &target);

// The labels the sweep injects: each row's import, and "NAME/MODE" for a
// second failure mode. failure: what the failing call answers.
struct FaultLabel {
    std::string label;
    std::string import;
    std::wstring failure;
};
std::vector<FaultLabel> FaultLabels();

class FaultInjection {
public:
    explicit FaultInjection(const FaultTarget &target);
    ~FaultInjection();
    FaultInjection(const FaultInjection &) = delete;
    FaultInjection &operator=(const FaultInjection &) = delete;

    // Replaces the module's table imports. False when the target names no row.
    bool Attach(HMODULE hModule);
    // Puts back every slot that still holds a replacement.
    void Detach();

    // Calls of each row's import so far (rows never called are left out).
    std::vector<std::pair<std::string, long>> Counts() const;
    // Whether the chosen call happened and was failed.
    bool Injected() const;
    // GDI objects and DCs created and not deleted, with what they were.
    long LiveGdiObjects() const;
    long GdiCreated() const;

private:
    struct Slot {
        void **slot;
        void *original;
        void *replacement;
    };
    std::vector<Slot> m_slots;
    bool m_attached = false;
};

// The injection of this process, for the replacement of LoadLibraryW: a
// network library the plug-in loads gets the same replacements.
FaultInjection *ActiveFaultInjection();

}  // namespace oemuihost
