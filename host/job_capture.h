// What the plug-in sends to the printer: every document it starts (through
// its StartDocPrinterW import) and the bytes the printer's port receives.
// Wine's spooler writes a port's jobs to a Unix file when the port is named
// under HKCU\Software\Wine\Printing\Spooler (value = port name, data = the
// file's Unix path); the capture maps the printer's port there for its own
// lifetime.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "host/import_patch.h"

namespace oemuihost {

struct CapturedDocument {
    std::wstring name;
    std::wstring dataType;
    DWORD jobId = 0;  // 0 when the spooler refused the document
};

class JobCapture {
public:
    explicit JobCapture(HMODULE hPlugin);
    ~JobCapture();
    JobCapture(const JobCapture &) = delete;
    JobCapture &operator=(const JobCapture &) = delete;

    // Maps the printer's port to this capture's file (replacing a mapping
    // another run left behind). False with a message when it cannot.
    bool Attach(const std::wstring &printerName, std::wstring *pError);
    bool Attached() const { return !m_port.empty(); }
    const std::wstring &Port() const { return m_port; }

    // Documents started and bytes the port received since the last call.
    std::vector<CapturedDocument> TakeDocuments();
    std::string TakeBytes();

private:
    static DWORD WINAPI StartDocHook(HANDLE hPrinter, DWORD dwLevel, LPBYTE pDocInfo);
    void Detach();

    std::unique_ptr<ImportPatch> m_patch;
    std::vector<CapturedDocument> m_documents;
    std::wstring m_port;
    std::wstring m_file;      // Windows path of the capture file
    bool m_hadMapping = false;
    std::wstring m_oldMapping;
};

// "1B 25 2D ..." and the same bytes as text (CR LF ESC and other control
// bytes shown as <CR> <LF> <ESC> <xx>).
std::wstring HexBytes(const std::string &bytes);
std::wstring ReadableBytes(const std::string &bytes);

// The Unix path Wine uses for a Windows path; empty when unknown.
std::wstring UnixPathOf(const std::wstring &windowsPath);

}  // namespace oemuihost
