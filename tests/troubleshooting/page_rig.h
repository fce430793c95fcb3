// The Troubleshooting page through the emulator: a real Talix C500 printer
// whose port lands in a file, a real sheet with the plug-in's page, and
// recorders put into the plug-in's imports (shell, help, language, GDI).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "host/driver_helper.h"
#include "host/job_capture.h"
#include "host/plugin_host.h"
#include "host/report.h"
#include "host/session.h"
#include "settings/model_config.h"

namespace troublerig {

constexpr wchar_t kPrinter[] = L"Trouble Talix C500";
constexpr wchar_t kPort[] = L"OEMUITROUBLE:";

struct ShellCall {
    std::wstring verb, file, parameters;
    int show = 0;
};

// What the plug-in did through its imports since the last Reset.
struct Recorded {
    std::vector<ShellCall> shell;
    std::vector<std::wstring> help;        // addresses given to the HTML Help entry
    std::vector<std::wstring> images;      // files loaded with LoadImageW
    std::set<HGDIOBJ> liveGdi;            // created by the plug-in, not deleted yet
    int gdiCreated = 0;
    LANGID systemLanguage = 0x0409;
    std::vector<int> shellResults;  // what the next ShellExecuteW calls answer; beyond: 42
    void Reset() {
        shellResults.clear();
        shell.clear();
        help.clear();
        images.clear();
    }
};
Recorded &Record();

// Installs the printer and the recorders once per program; false with a message.
bool SetUpRig(std::wstring *pError);
void TearDownRig();
HMODULE Plugin();
oemuihost::JobCapture &Capture();

// The installed copy of a model file ("TLXC500u.INI", "TLXEN.DAT", ...).
std::wstring InstalledFile(const wchar_t *pszName);
// Writes a value into an installed INI-format file; null value deletes the key.
void SetModelValue(const wchar_t *pszFile, const wchar_t *pszSection, const wchar_t *pszKey, const wchar_t *pszValue);
// Copies the sample's files over the installed ones again.
void RestoreModelFiles();

// The port's TCP/IP address as the standard port monitor keeps it; null removes it.
void SetPortAddress(const wchar_t *pszAddress);

// Printer data of the test printer.
void SetPrinterValue(const wchar_t *pszName, DWORD dwType, const void *pData, DWORD cb);
void DeletePrinterValue(const wchar_t *pszName);
bool GetPrinterValue(const wchar_t *pszName, DWORD *pdwType, std::vector<BYTE> *pData);

// An open sheet of the test printer with the Troubleshooting page current.
// Without settle no message runs after the page was made current: the page
// is as WM_INITDIALOG left it.
class OpenPage {
public:
    explicit OpenPage(bool preferences = true, bool settle = true);
    ~OpenPage();
    bool ok() const { return m_hPage != nullptr; }
    HWND page() const { return m_hPage; }
    HWND item(int id) const { return GetDlgItem(m_hPage, id); }
    oemui::ModelConfig *config() const;
    oemuihost::Session &session() { return *m_session; }
    // A control's rectangle in page coordinates.
    RECT Rect(int id) const;
    // Sends WM_COMMAND from a control, as a click on it does.
    void Command(int id, WORD code = BN_CLICKED);
    const std::wstring &error() const { return m_error; }

private:
    oemuihost::Report m_report;
    std::unique_ptr<oemuihost::Session> m_session;
    HWND m_hPage = nullptr;
    std::wstring m_error;
};

// Runs trigger; while the modal dialog it opens runs, calls inside once with
// the dialog (from a timer in the dialog's own loop). inside must end the
// dialog; if it does not, the dialog is cancelled. False when no dialog came.
bool DriveModal(const std::function<void()> &trigger, const std::function<void(HWND)> &inside);

// A window's client size and a child's rectangle in its parent's client area.
SIZE ClientSize(HWND hWnd);
RECT ChildRect(HWND hParent, int id);

std::string Narrow(const std::wstring &s);

}  // namespace troublerig
