// Whole runs of the driver package's SNMP library as the plug-in makes them:
// load the DLL, call its entry for a printer port, unload. The library is a
// private copy with its settings file beside it, asking about the port
// BENCH_NETLIB, which points at 127.0.0.1.
#pragma once

#include <string>

namespace bench {

class LibraryCopy {
public:
    LibraryCopy() = default;
    ~LibraryCopy();
    LibraryCopy(const LibraryCopy &) = delete;
    LibraryCopy &operator=(const LibraryCopy &) = delete;

    // Copies the library into %TEMP%\<folder>\, writes the port's address and
    // loads the package's plug-in (which brings the spooler DLL the library
    // imports; without it each run would load and unload that too).
    bool Prepare(const std::wstring &folder, std::wstring *pError);
    // The UDP port of the agent the next runs ask.
    void SetAgentPort(int port) const;
    // One run in ms; *pResult gets the entry's answer (-1 without it).
    double RunMs(bool bCall = true, int *pResult = nullptr) const;

private:
    std::wstring m_dir, m_dll, m_ini;
};

}  // namespace bench
