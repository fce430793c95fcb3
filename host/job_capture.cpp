#include "host/job_capture.h"

#include <winspool.h>

#include "host/printer_install.h"

namespace oemuihost {
namespace {

constexpr wchar_t kSpoolerMapKey[] = L"Software\\Wine\\Printing\\Spooler";

// One capture at a time receives the plug-in's documents.
JobCapture *g_pCapture = nullptr;

using StartDocFn = DWORD(WINAPI *)(HANDLE, DWORD, LPBYTE);
using EndDocFn = BOOL(WINAPI *)(HANDLE);
StartDocFn g_pfnStartDoc = nullptr;
EndDocFn g_pfnEndDoc = nullptr;

}  // namespace

std::wstring UnixPathOf(const std::wstring &windowsPath) {
    using UnixNameFn = char *(CDECL *)(LPCWSTR);
    const auto pfn = reinterpret_cast<UnixNameFn>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (pfn == nullptr) return std::wstring();
    char *pszUnix = pfn(windowsPath.c_str());
    if (pszUnix == nullptr) return std::wstring();
    std::wstring out;
    for (const char *p = pszUnix; *p != '\0'; ++p) out += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    HeapFree(GetProcessHeap(), 0, pszUnix);
    return out;
}

JobCapture::JobCapture(HMODULE hPlugin, std::function<void(const CapturedDocument &)> onEnded)
    : m_onEnded(std::move(onEnded)) {
    if (g_pCapture != nullptr) return;
    m_startPatch.reset(
        new ImportPatch(hPlugin, "winspool.drv", "StartDocPrinterW", reinterpret_cast<void *>(StartDocHook)));
    m_endPatch.reset(new ImportPatch(hPlugin, "winspool.drv", "EndDocPrinter", reinterpret_cast<void *>(EndDocHook)));
    g_pfnStartDoc = m_startPatch->Active() ? m_startPatch->OriginalAs<StartDocFn>() : StartDocPrinterW;
    g_pfnEndDoc = m_endPatch->Active() ? m_endPatch->OriginalAs<EndDocFn>() : EndDocPrinter;
    g_pCapture = this;
}

JobCapture::~JobCapture() {
    Detach();
    if (g_pCapture == this) g_pCapture = nullptr;
}

DWORD WINAPI JobCapture::StartDocHook(HANDLE hPrinter, DWORD dwLevel, LPBYTE pDocInfo) {
    const DWORD jobId = g_pfnStartDoc(hPrinter, dwLevel, pDocInfo);
    const DWORD error = GetLastError();
    if (g_pCapture != nullptr) {
        CapturedDocument doc;
        const auto *pDoc = reinterpret_cast<const DOC_INFO_1W *>(pDocInfo);
        if (dwLevel == 1 && pDoc != nullptr) {
            doc.name = pDoc->pDocName != nullptr ? pDoc->pDocName : L"(none)";
            doc.dataType = pDoc->pDatatype != nullptr ? pDoc->pDatatype : L"(none)";
        }
        doc.jobId = jobId;
        g_pCapture->m_documents.push_back(doc);
    }
    SetLastError(error);
    return jobId;
}

// The spooler hands the job to the port when the document ends.
BOOL WINAPI JobCapture::EndDocHook(HANDLE hPrinter) {
    const BOOL ok = g_pfnEndDoc(hPrinter);
    const DWORD error = GetLastError();
    JobCapture *pCapture = g_pCapture;
    if (pCapture != nullptr && !pCapture->m_documents.empty() && !pCapture->m_documents.back().ended) {
        CapturedDocument &doc = pCapture->m_documents.back();
        doc.ended = true;
        doc.bytes = pCapture->TakeBytes();
        if (pCapture->m_onEnded) pCapture->m_onEnded(doc);
    }
    SetLastError(error);
    return ok;
}

bool JobCapture::Attach(const std::wstring &printerName, std::wstring *pError) {
    Detach();
    std::wstring port;
    if (!GetPrinterPort(printerName, &port) || port.empty()) {
        *pError = L"the port of \"" + printerName + L"\" cannot be read";
        return false;
    }
    // Wine hands FILE: jobs to the document's output file before it looks at
    // the port mappings, so such a port cannot be captured.
    if (lstrcmpiW(port.c_str(), L"FILE:") == 0) {
        *pError = L"\"" + printerName + L"\" prints to FILE:, which Wine does not map to a file (install it on another port)";
        return false;
    }
    wchar_t szDir[MAX_PATH] = {};
    wchar_t szFile[MAX_PATH] = {};
    if (GetTempPathW(MAX_PATH, szDir) == 0 || GetTempFileNameW(szDir, L"job", 0, szFile) == 0) {
        *pError = L"no temporary file for the captured jobs";
        return false;
    }
    const std::wstring unixPath = UnixPathOf(szFile);
    if (unixPath.empty()) {
        DeleteFileW(szFile);
        *pError = L"the capture file has no Unix path (not running under Wine?)";
        return false;
    }
    m_hadMapping = ReadRegString(HKEY_CURRENT_USER, kSpoolerMapKey, port, &m_oldMapping);
    if (!WriteRegString(HKEY_CURRENT_USER, kSpoolerMapKey, port, unixPath)) {
        DeleteFileW(szFile);
        *pError = L"the port " + port + L" cannot be mapped to a file";
        return false;
    }
    m_port = port;
    m_printer = printerName;
    m_file = szFile;
    return true;
}

void JobCapture::Detach() {
    if (m_port.empty()) return;
    if (m_hadMapping) {
        WriteRegString(HKEY_CURRENT_USER, kSpoolerMapKey, m_port, m_oldMapping);
    } else {
        HKEY hKey = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kSpoolerMapKey, 0, KEY_SET_VALUE, &hKey) == ERROR_SUCCESS) {
            RegDeleteValueW(hKey, m_port.c_str());
            RegCloseKey(hKey);
        }
    }
    DeleteFileW(m_file.c_str());
    m_port.clear();
    m_printer.clear();
    m_file.clear();
}

std::vector<CapturedDocument> JobCapture::TakeDocuments() {
    std::vector<CapturedDocument> out;
    out.swap(m_documents);
    return out;
}

std::string JobCapture::TakeBytes() {
    std::string bytes;
    if (m_file.empty()) return bytes;
    HANDLE hFile = CreateFileW(m_file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) return bytes;
    char buffer[4096];
    DWORD cbRead = 0;
    while (ReadFile(hFile, buffer, sizeof(buffer), &cbRead, nullptr) && cbRead > 0) bytes.append(buffer, cbRead);
    // The next take starts from an empty file, whether the spooler appends
    // to it or replaces it.
    SetFilePointer(hFile, 0, nullptr, FILE_BEGIN);
    SetEndOfFile(hFile);
    CloseHandle(hFile);
    return bytes;
}

std::wstring ReadableBytes(const std::string &bytes) {
    static const wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring out;
    for (unsigned char c : bytes) {
        if (c == 0x1B) {
            out += L"<ESC>";
        } else if (c == '\r') {
            out += L"<CR>";
        } else if (c == '\n') {
            out += L"<LF>";
        } else if (c < 0x20 || c >= 0x7F) {
            out += L'<';
            out += kDigits[c >> 4];
            out += kDigits[c & 15];
            out += L'>';
        } else {
            out += static_cast<wchar_t>(c);
        }
    }
    return out;
}

}  // namespace oemuihost
