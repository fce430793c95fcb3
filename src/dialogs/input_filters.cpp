#include "dialogs/input_filters.h"

#include <cstring>
#include <memory>
#include <new>

#include "dialogs/passcode_dialog.h"
#include "settings/model_config.h"

namespace oemui {
namespace {

bool IsNameChar(unsigned c) { return c >= 0x01 && c <= 0x7F && c != '/' && c != '\\'; }
bool IsDigitChar(unsigned c) { return c >= '0' && c <= '9'; }
bool IsAccountIdChar(unsigned c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '@' ||
           c == '_' || c == '-' || c == '.' || c == '\b';
}
bool IsAccountPasswordChar(unsigned c) { return (c >= 0x21 && c <= 0x7E) || c == '\b'; }
bool IsPasscodeTyped(unsigned c) { return IsDigitChar(c) || c == '\b'; }

struct FilterRule {
    bool (*pfnTyped)(unsigned);   // characters let through as typed
    bool (*pfnPasted)(unsigned);  // bytes a pasted text may hold
    bool bOemText;                // CF_OEMTEXT on the clipboard counts as text too
    bool bLengthChecked;          // a pasted text must lie within the record's limits
    bool bKeyboardClipboard;      // drops the Control-V character after its own paste,
                                  // and copies and cuts on left Control+C / Control+X
};

// Indexed by InputFilter.
constexpr FilterRule kRules[] = {
    {IsNameChar, IsNameChar, true, false, true},
    {IsPasscodeTyped, IsDigitChar, false, true, false},
    {IsAccountIdChar, IsAccountIdChar, true, false, true},
    {IsAccountPasswordChar, IsAccountPasswordChar, true, true, false},
};
constexpr size_t kFilterCount = sizeof(kRules) / sizeof(kRules[0]);

// Every filtered field is a standard edit control, so one saved procedure
// per filter serves all of its fields. The dialogs are modal and the flag is
// consumed by the next character message of the same field.
WNDPROC g_apfnSaved[kFilterCount] = {};
SHORT g_asPastePending[kFilterCount] = {};

class ClipboardScope {
public:
    explicit ClipboardScope(HWND hOwner) : m_open(OpenClipboard(hOwner) != FALSE) {}
    ~ClipboardScope() {
        if (m_open) CloseClipboard();
    }
    ClipboardScope(const ClipboardScope &) = delete;
    ClipboardScope &operator=(const ClipboardScope &) = delete;
    explicit operator bool() const { return m_open; }

private:
    bool m_open;
};

class GlobalLockScope {
public:
    explicit GlobalLockScope(HANDLE h) : m_h(h), m_p(h != nullptr ? GlobalLock(h) : nullptr) {}
    ~GlobalLockScope() {
        if (m_p != nullptr) GlobalUnlock(m_h);
    }
    GlobalLockScope(const GlobalLockScope &) = delete;
    GlobalLockScope &operator=(const GlobalLockScope &) = delete;
    const char *Bytes() const { return static_cast<const char *>(m_p); }

private:
    HANDLE m_h;
    void *m_p;
};

// The clipboard's ANSI text as a terminated private copy; null when there is
// none. The data need not hold a NUL inside its GlobalSize.
std::unique_ptr<char[]> CopyClipboardText(HWND hEdit, bool bOemText) {
    ClipboardScope clipboard(hEdit);
    if (!clipboard) return nullptr;
    if (!IsClipboardFormatAvailable(CF_TEXT) && !(bOemText && IsClipboardFormatAvailable(CF_OEMTEXT))) {
        return nullptr;
    }
    HANDLE hData = GetClipboardData(CF_TEXT);
    if (hData == nullptr) return nullptr;
    GlobalLockScope lock(hData);
    if (lock.Bytes() == nullptr) return nullptr;
    const size_t cb = GlobalSize(hData);
    std::unique_ptr<char[]> copy(new (std::nothrow) char[cb + 1]);
    if (!copy) return nullptr;
    memcpy(copy.get(), lock.Bytes(), cb);
    copy[cb] = '\0';
    return copy;
}

bool WithinRecordLimits(HWND hEdit, size_t cch) {
    const auto *pConfig = reinterpret_cast<const ModelConfig *>(GetWindowLongPtrW(GetParent(hEdit), DWLP_USER));
    if (pConfig == nullptr) return false;
    return static_cast<long>(cch) >= pConfig->sMinPassLen && static_cast<long>(cch) <= pConfig->sMaxPassLen;
}

enum class PasteResult { NoText, Refused, Inserted };

PasteResult PasteChecked(HWND hEdit, const FilterRule &rule) {
    std::unique_ptr<char[]> text = CopyClipboardText(hEdit, rule.bOemText);
    if (!text) return PasteResult::NoText;
    const size_t cb = strlen(text.get());
    if (rule.bLengthChecked && !WithinRecordLimits(hEdit, cb)) return PasteResult::Refused;
    for (size_t i = 0; i < cb; ++i) {
        if (!rule.pfnPasted(static_cast<unsigned char>(text[i]))) return PasteResult::Refused;
    }
    // Sized for the whole text: the field's own limit cuts what is inserted.
    const int cch = MultiByteToWideChar(CP_ACP, 0, text.get(), -1, nullptr, 0);
    if (cch <= 0) return PasteResult::NoText;
    std::unique_ptr<wchar_t[]> wide(new (std::nothrow) wchar_t[static_cast<size_t>(cch)]);
    if (!wide) return PasteResult::NoText;
    if (MultiByteToWideChar(CP_ACP, 0, text.get(), -1, wide.get(), cch) <= 0) return PasteResult::NoText;
    wide[static_cast<size_t>(cch) - 1] = L'\0';
    SendMessageW(hEdit, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(wide.get()));
    return PasteResult::Inserted;
}

bool LeftControlDown() { return GetKeyState(VK_LCONTROL) < 0; }

LRESULT FilterMessage(size_t index, HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    const FilterRule &rule = kRules[index];
    WNDPROC pfnSaved = g_apfnSaved[index];
    if (pfnSaved == nullptr) return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    switch (uMsg) {
    case WM_KEYDOWN:
        if (wParam == VK_INSERT && GetKeyState(VK_SHIFT) < 0 && GetKeyState(VK_CONTROL) >= 0) {
            // Shift+Insert: some edit controls paste here without a WM_PASTE.
            PasteChecked(hWnd, rule);
            return 0;
        }
        if (!LeftControlDown()) break;
        if (wParam == 'V') {
            if (rule.bKeyboardClipboard) g_asPastePending[index] = 1;
            if (PasteChecked(hWnd, rule) == PasteResult::Refused) return 0;
        } else if (rule.bKeyboardClipboard && wParam == 'C') {
            SendMessageW(hWnd, WM_COPY, 0, 0);
        } else if (rule.bKeyboardClipboard && wParam == 'X') {
            SendMessageW(hWnd, WM_CUT, 0, 0);
        }
        break;
    case WM_PASTE:
        // The context menu, Shift+Insert and right Control+V paste through
        // here; the edit control's own paste would take any text.
        PasteChecked(hWnd, rule);
        return 0;
    case WM_CHAR:
        if (rule.bKeyboardClipboard && g_asPastePending[index] != 0) {
            g_asPastePending[index] = 0;
            return 0;
        }
        if (!rule.pfnTyped(static_cast<unsigned>(wParam))) {
            MessageBeep(0);
            return 0;
        }
        break;
    default:
        break;
    }
    return CallWindowProcW(pfnSaved, hWnd, uMsg, wParam, lParam);
}

template <InputFilter kFilter>
LRESULT CALLBACK FilterProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return FilterMessage(static_cast<size_t>(kFilter), hWnd, uMsg, wParam, lParam);
}

constexpr WNDPROC kFilterProcs[] = {
    FilterProc<InputFilter::Name>,
    FilterProc<InputFilter::Passcode>,
    FilterProc<InputFilter::AccountId>,
    FilterProc<InputFilter::AccountPassword>,
};
static_assert(sizeof(kFilterProcs) / sizeof(kFilterProcs[0]) == kFilterCount, "one procedure per filter");

}  // namespace

void AttachInputFilter(HWND hDlg, int id, InputFilter filter, int cchLimit) {
    HWND hEdit = GetDlgItem(hDlg, id);
    const auto index = static_cast<size_t>(filter);
    if (hEdit == nullptr || index >= kFilterCount) return;
    LimitFieldText(hDlg, id, cchLimit);
    const auto pfnPrevious = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(kFilterProcs[index])));
    // Attaching twice to one field must not make the filter call itself.
    if (pfnPrevious != nullptr && pfnPrevious != kFilterProcs[index]) g_apfnSaved[index] = pfnPrevious;
}

}  // namespace oemui
