// Windows and string tables for the kit's tests: a plain dialog-like window
// with child controls, and a string-table file in a temporary folder.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "support/import_patch.h"

namespace kittest {

// A top-level popup (or a child of hParent when bChild) with its own window
// procedure; destroyed with the object.
class TestDialog {
public:
    explicit TestDialog(DWORD dwExStyle = 0, HWND hParent = nullptr, bool bChild = false,
                        RECT rc = RECT{100, 100, 500, 400});
    ~TestDialog();
    TestDialog(const TestDialog &) = delete;
    TestDialog &operator=(const TestDialog &) = delete;

    HWND Add(const wchar_t *pszClass, const wchar_t *pszText, int id, int x, int y, int cx, int cy,
             DWORD dwStyle = 0);
    HWND hwnd() const { return m_hwnd; }

private:
    HWND m_hwnd = nullptr;
};

// The control's own visibility (its dialog is never shown).
bool Shown(HWND hControl);

// A control's window rectangle in its parent's client coordinates.
RECT RectInParent(HWND hControl);

// The hint a tool (owner window and id) was registered with in the hint
// window; "<none>" when there is no such tool.
std::wstring HintText(HWND hTooltip, HWND hOwner, UINT_PTR uId);

// Writes an INI-format string table (one [section] and its lines) to a
// fresh file and returns its path.
std::wstring WriteStringTable(const std::wstring &section, const std::wstring &lines);

// Works a modal dialog from inside its modal loop: open() opens it, and once
// *phDlg names a live window the script runs in it, once. A dialog the script
// left open is cancelled, so a failing test cannot hang the run. False when
// the script did not run (no dialog opened).
bool WorkModalDialog(HWND const *phDlg, const std::function<void(HWND)> &script, const std::function<void()> &open);

// Answers the system's default language for the plug-in code linked into
// this program while the object lives.
class SystemLanguage {
public:
    explicit SystemLanguage(LANGID langId);
    void Set(LANGID langId);
    bool Active() const { return m_patch.Active(); }

private:
    testsupport::ImportPatch m_patch;
};

}  // namespace kittest
