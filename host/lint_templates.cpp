// The plug-in's dialog templates, read from OEMUI.DLL as a resource module:
// the controls, their classes and their template texts are the keys the
// caption pass looks up, so the checker derives its key list from them.
#include "host/lint_context.h"

#include "common/handles.h"
#include "ui/captions.h"

namespace oemuihost {
namespace {

// Reads a template front to back without passing its end.
class TemplateCursor {
public:
    TemplateCursor(const BYTE *pData, size_t cbData) : m_p(pData), m_cb(cbData) {}

    bool Ok() const { return m_ok; }
    WORD Word() { return static_cast<WORD>(Take(2)); }
    DWORD Dword() { return static_cast<DWORD>(Take(4)); }
    void Skip(size_t cb) {
        if (m_at + cb > m_cb) m_ok = false;
        else m_at += cb;
    }
    void AlignTo(size_t n) { Skip((n - m_at % n) % n); }
    // A sz_Or_Ord field: a string, an ordinal (returned in *pOrdinal), or nothing.
    std::wstring Text(WORD *pOrdinal = nullptr) {
        if (pOrdinal != nullptr) *pOrdinal = 0;
        const WORD first = Word();
        if (first == 0xFFFF) {
            const WORD ordinal = Word();
            if (pOrdinal != nullptr) *pOrdinal = ordinal;
            return std::wstring();
        }
        std::wstring text;
        for (WORD ch = first; m_ok && ch != 0; ch = Word()) text += static_cast<wchar_t>(ch);
        return text;
    }

private:
    unsigned long Take(size_t cb) {
        if (m_at + cb > m_cb) {
            m_ok = false;
            return 0;
        }
        unsigned long v = 0;
        for (size_t i = 0; i < cb; ++i) v |= static_cast<unsigned long>(m_p[m_at + i]) << (8 * i);
        m_at += cb;
        return v;
    }
    const BYTE *m_p;
    size_t m_cb;
    size_t m_at = 0;
    bool m_ok = true;
};

// The names the window classes report at run time (GetClassNameW).
constexpr const wchar_t *kPredefinedClasses[] = {L"Button", L"Edit", L"Static", L"ListBox", L"ScrollBar",
                                                 L"ComboBox"};

std::wstring RuntimeClassName(const std::wstring &name, WORD ordinal) {
    if (name.empty()) return ordinal >= 0x80 && ordinal <= 0x85 ? kPredefinedClasses[ordinal - 0x80] : L"";
    for (const wchar_t *psz : kPredefinedClasses)
        if (EqualsNoCase(name, psz)) return psz;
    for (const wchar_t *psz : oemui::kInputClasses)
        if (EqualsNoCase(name, psz)) return psz;
    return name;
}

struct EnumState {
    std::vector<DialogTemplate> *pTemplates;
    bool ok = true;
};

bool ReadDialogResource(HMODULE hModule, LPWSTR pszName, EnumState &state) {
    HRSRC hInfo = FindResourceW(hModule, pszName, RT_DIALOG);
    HGLOBAL hData = hInfo != nullptr ? LoadResource(hModule, hInfo) : nullptr;
    const void *pData = hData != nullptr ? LockResource(hData) : nullptr;
    DialogTemplate dialog;
    if (pData == nullptr ||
        !ParseDialogTemplate(static_cast<const BYTE *>(pData), SizeofResource(hModule, hInfo),
                             static_cast<WORD>(reinterpret_cast<ULONG_PTR>(pszName)), &dialog)) {
        return false;
    }
    state.pTemplates->push_back(std::move(dialog));
    return true;
}

// No exception may leave the system's enumeration callback.
BOOL CALLBACK OnDialogResource(HMODULE hModule, LPCWSTR, LPWSTR pszName, LONG_PTR lParam) {
    auto &state = *reinterpret_cast<EnumState *>(lParam);
    if (!IS_INTRESOURCE(pszName)) return TRUE;
    try {
        state.ok = ReadDialogResource(hModule, pszName, state);
    } catch (...) {
        state.ok = false;
    }
    return state.ok ? TRUE : FALSE;
}

}  // namespace

const TemplateControl *DialogTemplate::Control(int controlId) const {
    for (const TemplateControl &c : controls)
        if (c.id == controlId) return &c;
    return nullptr;
}

bool ParseDialogTemplate(const BYTE *pData, size_t cbData, WORD id, DialogTemplate *pTemplate) {
    TemplateCursor in(pData, cbData);
    pTemplate->id = id;
    pTemplate->controls.clear();
    const bool bExtended = cbData >= 4 && pData[0] == 1 && pData[1] == 0 && pData[2] == 0xFF && pData[3] == 0xFF;
    DWORD style = 0;
    WORD cItems = 0;
    if (bExtended) {
        in.Skip(4 + 4 + 4);  // version and signature, help id, extended style
        style = in.Dword();
    } else {
        style = in.Dword();
        in.Skip(4);
    }
    cItems = in.Word();
    in.Skip(8);  // x, y, cx, cy
    in.Text();   // menu
    in.Text();   // class
    pTemplate->caption = in.Text();
    if (style & (DS_SETFONT | DS_SHELLFONT)) {
        in.Skip(bExtended ? 6 : 2);  // point size (weight, italic, charset)
        in.Text();                   // typeface
    }
    for (WORD i = 0; i < cItems && in.Ok(); ++i) {
        TemplateControl control;
        in.AlignTo(4);
        if (bExtended) {
            in.Skip(4 + 4);  // help id, extended style
            control.style = in.Dword();
        } else {
            control.style = in.Dword();
            in.Skip(4);
        }
        control.x = static_cast<short>(in.Word());
        control.y = static_cast<short>(in.Word());
        control.cx = static_cast<short>(in.Word());
        control.cy = static_cast<short>(in.Word());
        control.id = bExtended ? static_cast<int>(in.Dword()) : static_cast<int>(static_cast<short>(in.Word()));
        WORD classOrdinal = 0;
        const std::wstring className = in.Text(&classOrdinal);
        control.className = RuntimeClassName(className, classOrdinal);
        control.text = in.Text();
        const WORD cbExtra = in.Word();
        in.Skip(cbExtra);
        pTemplate->controls.push_back(control);
    }
    return in.Ok();
}

bool LoadDialogTemplates(const std::wstring &dllPath, std::vector<DialogTemplate> *pTemplates, std::wstring *pError) {
    pTemplates->clear();
    oemui::ModuleHandle module(
        LoadLibraryExW(dllPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!module) {
        *pError = dllPath + L" (error " + std::to_wstring(GetLastError()) + L")";
        return false;
    }
    EnumState state{pTemplates};
    EnumResourceNamesW(module.get(), RT_DIALOG, OnDialogResource, reinterpret_cast<LONG_PTR>(&state));
    if (!state.ok || pTemplates->empty()) {
        *pError = dllPath + L": no readable dialog templates";
        return false;
    }
    return true;
}

}  // namespace oemuihost
