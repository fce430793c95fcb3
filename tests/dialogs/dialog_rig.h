// A bare dialog with edit fields for exercising the plug-in's dialog helpers
// linked into the test: the record in DWLP_USER as the dialogs keep it, the
// clipboard, the left/right Control key state, and the beeps and message
// boxes the helpers give (imports of the test executable replaced).
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "settings/model_config.h"
#include "support/import_patch.h"

namespace dialogtest {

// Clipboard CF_TEXT: exactly these bytes in a block of exactly their size
// (no NUL is added).
void SetClipboardBytes(HWND hOwner, const std::string &bytes);
inline void SetClipboardText(HWND hOwner, const std::string &text) { SetClipboardBytes(hOwner, text + '\0'); }

enum class ControlKey { None, Left, Right };
void SetControlKey(ControlKey key);

class DialogRig {
public:
    DialogRig();
    ~DialogRig();
    HWND Dialog() const { return m_hDlg; }
    HWND AddEdit(int id);
    std::wstring Text(int id) const;
    void SetText(int id, const std::wstring &text);
    void Type(int id, const std::wstring &chars);
    // WM_KEYDOWN of V then its Control-V character, with the given Control key.
    void ControlV(int id, ControlKey key);
    oemui::ModelConfig config{};

    static int beeps;
    struct Box {
        std::wstring text, caption;
        UINT type;
    };
    static std::vector<Box> boxes;

private:
    HWND m_hDlg = nullptr;
    std::unique_ptr<testsupport::ImportPatch> m_beep, m_box;
};

}  // namespace dialogtest
