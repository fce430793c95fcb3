// The imports of the plug-in (and of the SNMP network library) that can
// fail, one row each with the way the platform documents the failure, and
// the imports that cannot fail in a way a caller could act on. The sweep
// checks the loaded module's import directory against both lists, so a new
// import that can fail cannot slip past it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "host/fault_hooks.h"

namespace oemuihost {

struct FaultRow {
    const char *dll;             // the library that exports it (lower case)
    const char *name;
    const wchar_t *failure;      // what the failing call answers (null: never failed)
    const wchar_t *failure2;     // a second failure mode, or null
    bool inject;                 // false: only counted and booked (releases)
    void *thunk;                 // the replacement patched into the slot
    FaultRowState **ppState;     // where the replacement finds its row's state
};

const std::vector<FaultRow> &FaultRows();
// The row of an imported function, or null.
const FaultRow *FindFaultRow(const char *name);
// Functions with no failure a caller could act on (release functions,
// length and string helpers, queries that always answer).
bool CannotFail(const char *name);

// Functions whose failure is an answer the plug-in reads and acts on (a
// value not found, a name or an address unknown, a library missing): the
// settings it then stores may rightly differ from an uninjected run.
bool IsInputFault(const char *name);

struct ModuleImport {
    std::string dll;
    std::string name;     // "#N" for an import by ordinal
    void **slot = nullptr;
};
// Every import of a loaded module, read from its import directory.
std::vector<ModuleImport> ReadModuleImports(HMODULE hModule);

// "dll!name" of each import that can fail and has no row.
std::vector<std::string> UnclassifiedImports(HMODULE hModule);

}  // namespace oemuihost
