// Answers the spooler calls of code linked into this test program
// (GetPrinterW, GetPrinterDriverW, SetPrinterDataW) from test-set values, so
// the port and model-INI lookups run without an installed printer.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "support/import_patch.h"

namespace fakespooler {

struct State {
    bool bPrinterFails = false;
    bool bDriverFails = false;
    bool bNullDriverName = false;
    std::wstring portName = L"AcTest_Port";
    std::wstring dataFile;                       // DRIVER_INFO_2 pDataFile
    std::map<std::wstring, DWORD> printerData;   // REG_DWORD values written
    int nSetPrinterDataCalls = 0;
};

// Patches the three imports for its lifetime; State() is reset on creation.
class Scope {
public:
    Scope();
    ~Scope();
    static State &Get();
    static inline const HANDLE kPrinter = reinterpret_cast<HANDLE>(0x5150);

private:
    std::unique_ptr<testsupport::ImportPatch> m_printer, m_driver, m_data;
};

}  // namespace fakespooler
