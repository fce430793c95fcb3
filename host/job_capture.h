// What the plug-in sends to the printer: every document it starts and ends
// (through its StartDocPrinterW and EndDocPrinter imports) with the bytes the
// printer's port received for it.
// Wine's spooler writes a port's jobs to a Unix file when the port is named
// under HKCU\Software\Wine\Printing\Spooler (value = port name, data = the
// file's Unix path); the capture maps the printer's port there for its own
// lifetime.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/import_patch.h"

namespace oemuihost {

struct CapturedDocument {
    std::wstring name;
    std::wstring dataType;
    DWORD jobId = 0;    // 0 when the spooler refused the document
    bool ended = false;  // EndDocPrinter was called for it
    std::string bytes;   // what the port received, once ended
};

class JobCapture {
public:
    // onEnded (may be empty) hears of each document the plug-in ends, with
    // its bytes.
    JobCapture(HMODULE hPlugin, std::function<void(const CapturedDocument &)> onEnded = nullptr);
    ~JobCapture();
    JobCapture(const JobCapture &) = delete;
    JobCapture &operator=(const JobCapture &) = delete;

    // Maps the printer's port to this capture's file (replacing a mapping
    // another run left behind). False with a message when it cannot.
    bool Attach(const std::wstring &printerName, std::wstring *pError);
    bool Attached() const { return !m_port.empty(); }
    const std::wstring &Port() const { return m_port; }
    const std::wstring &Printer() const { return m_printer; }

    // Documents started since the last call.
    std::vector<CapturedDocument> TakeDocuments();

private:
    static DWORD WINAPI StartDocHook(HANDLE hPrinter, DWORD dwLevel, LPBYTE pDocInfo);
    static BOOL WINAPI EndDocHook(HANDLE hPrinter);
    // The bytes the port received since the last call.
    std::string TakeBytes();
    void Detach();

    std::unique_ptr<ImportPatch> m_startPatch;
    std::unique_ptr<ImportPatch> m_endPatch;
    std::function<void(const CapturedDocument &)> m_onEnded;
    std::vector<CapturedDocument> m_documents;
    std::wstring m_port;
    std::wstring m_printer;
    std::wstring m_file;      // Windows path of the capture file
    bool m_hadMapping = false;
    std::wstring m_oldMapping;
};

// The bytes as text, control bytes shown as <ESC>, <CR>, <LF> or <xx>.
std::wstring ReadableBytes(const std::string &bytes);

// The Unix path Wine uses for a Windows path; empty when unknown.
std::wstring UnixPathOf(const std::wstring &windowsPath);

}  // namespace oemuihost
