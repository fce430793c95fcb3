#include "host/expectations.h"

#include <prsht.h>

#include <cstring>
#include <cwchar>

#include "common/bounded_format.h"
#include "common/handles.h"
#include "host/devmode_fields.h"
#include "host/dialog_driver.h"
#include "host/scripted_answers.h"
#include "host/seeding.h"
#include "host/session.h"

namespace oemuihost {
namespace {

bool Is(const std::wstring &a, const wchar_t *b) { return lstrcmpiW(a.c_str(), b) == 0; }

bool Mismatch(const std::wstring &what, const std::wstring &expected, const std::wstring &actual,
              std::wstring *pError) {
    *pError = what + L": expected " + expected + L", found " + actual;
    return false;
}

bool ParseYesNo(const std::wstring &word, bool *pValue, std::wstring *pError) {
    if (Is(word, L"yes") || Is(word, L"true") || Is(word, L"on")) {
        *pValue = true;
        return true;
    }
    if (Is(word, L"no") || Is(word, L"false") || Is(word, L"off")) {
        *pValue = false;
        return true;
    }
    *pError = L"\"" + word + L"\" is not yes or no";
    return false;
}

bool ParseNumber(const std::wstring &text, long long *pValue) {
    wchar_t *end = nullptr;
    *pValue = std::wcstoll(text.c_str(), &end, 0);
    return !text.empty() && end != nullptr && *end == L'\0';
}

bool CheckFlags(bool extended, DWORD actual, const std::vector<std::wstring> &flags, const std::wstring &what,
                std::wstring *pError) {
    for (const std::wstring &flag : flags) {
        const bool clear = !flag.empty() && (flag[0] == L'-' || flag[0] == L'!');
        const std::wstring name = clear ? flag.substr(1) : flag;
        DWORD bits = 0;
        long long number = 0;
        if (ParseNumber(name, &number)) bits = static_cast<DWORD>(number);
        StyleFlagBits(name, extended, &bits);
        if (bits == 0) {
            *pError = L"no style flag called \"" + name + L"\"";
            return false;
        }
        const bool ok = clear ? (actual & bits) == 0 : (actual & bits) == bits;
        if (!ok) return Mismatch(what + L" " + flag, clear ? L"clear" : L"set", Hex32(actual), pError);
    }
    return true;
}

std::wstring Quote(const std::wstring &s) { return L"\"" + s + L"\""; }

// ---- Controls and dialogs --------------------------------------------------

bool CheckControl(const std::vector<std::wstring> &a, const StepContext &ctx, std::wstring *pError) {
    const std::wstring &what = a[0];
    if (a.size() < 3) {
        *pError = L"expect " + what + L" CONTROL VALUE";
        return false;
    }
    HWND hTarget = TargetWindow(ctx, pError);
    if (hTarget == nullptr) return false;
    HWND hCtrl = FindControl(hTarget, a[1], pError);
    if (hCtrl == nullptr) return false;
    const std::wstring label = what + L" of control " + a[1];
    if (Is(what, L"text")) {
        const std::wstring actual = WindowText(hCtrl);
        return actual == a[2] || Mismatch(label, Quote(a[2]), Quote(actual), pError);
    }
    if (Is(what, L"hint")) {
        std::wstring actual;
        if (!HintText(hTarget, hCtrl, &actual)) return Mismatch(label, Quote(a[2]), L"no hint", pError);
        return actual == a[2] || Mismatch(label, Quote(a[2]), Quote(actual), pError);
    }
    if (Is(what, L"visible") || Is(what, L"enabled")) {
        bool want = false;
        if (!ParseYesNo(a[2], &want, pError)) return false;
        const bool actual = Is(what, L"visible") ? IsWindowVisible(hCtrl) != FALSE : IsWindowEnabled(hCtrl) != FALSE;
        return actual == want || Mismatch(label, want ? L"yes" : L"no", actual ? L"yes" : L"no", pError);
    }
    if (Is(what, L"checked")) {
        const int state = CheckState(hCtrl);
        if (state < 0) {
            *pError = L"control " + a[1] + L" is a " + WindowClass(hCtrl) + L" without a check";
            return false;
        }
        const std::wstring actual = state == BST_CHECKED ? L"yes" : state == BST_INDETERMINATE ? L"indeterminate" : L"no";
        bool want = false;
        if (Is(a[2], L"indeterminate")) return state == BST_INDETERMINATE || Mismatch(label, a[2], actual, pError);
        if (!ParseYesNo(a[2], &want, pError)) return false;
        return (state == BST_CHECKED) == want && state != BST_INDETERMINATE ? true
                                                                              : Mismatch(label, a[2], actual, pError);
    }
    if (Is(what, L"style")) {
        return CheckFlags(false, static_cast<DWORD>(GetWindowLongW(hCtrl, GWL_STYLE)),
                          std::vector<std::wstring>(a.begin() + 2, a.end()), label, pError);
    }
    // rect / dlu: X Y W H
    if (a.size() != 6) {
        *pError = L"expect " + what + L" CONTROL X Y W H";
        return false;
    }
    const RECT rc = Is(what, L"rect") ? ControlRect(hCtrl) : ControlRectDlu(hCtrl);
    const long long actual[4] = {rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top};
    std::wstring want, got;
    bool same = true;
    for (int i = 0; i < 4; ++i) {
        long long v = 0;
        if (!ParseNumber(a[2 + i], &v)) {
            *pError = L"\"" + a[2 + i] + L"\" is not a number";
            return false;
        }
        same = same && v == actual[i];
        want += (i ? L" " : L"") + a[2 + i];
        got += (i ? L" " : L"") + std::to_wstring(actual[i]);
    }
    return same || Mismatch(label, want, got, pError);
}

// The title is the dialog's, else the sheet's; the extended style the
// dialog's, else the current page's (where a mirrored layout shows).
bool CheckWindow(const std::vector<std::wstring> &a, const StepContext &ctx, std::wstring *pError) {
    std::wstring ignored;
    HWND hWnd = ctx.hDialog != nullptr ? ctx.hDialog : Is(a[0], L"title") ? ctx.hSheet : TargetWindow(ctx, &ignored);
    if (hWnd == nullptr) {
        *pError = L"no dialog or sheet is open";
        return false;
    }
    if (Is(a[0], L"title")) {
        if (a.size() != 2) {
            *pError = L"expect title TEXT";
            return false;
        }
        const std::wstring actual = WindowText(hWnd);
        return actual == a[1] || Mismatch(L"title", Quote(a[1]), Quote(actual), pError);
    }
    return CheckFlags(true, static_cast<DWORD>(GetWindowLongW(hWnd, GWL_EXSTYLE)),
                      std::vector<std::wstring>(a.begin() + 1, a.end()), L"extended style of " + Quote(WindowText(hWnd)),
                      pError);
}

// ---- Option items and the device mode -----------------------------------------

bool CheckItem(const std::vector<std::wstring> &a, const StepContext &ctx, std::wstring *pError) {
    if (a.size() != 4) {
        *pError = L"expect item ITEM sel|hidden|disabled VALUE";
        return false;
    }
    if (ctx.pSession == nullptr) {
        *pError = L"no sheet is open";
        return false;
    }
    OptionTree &tree = ctx.pSession->Tree();
    int index = tree.FindDriverItem(a[1]);
    if (index < 0) index = tree.FindPluginItem(a[1]);
    if (index < 0) {
        *pError = L"the sheet has no item \"" + a[1] + L"\"";
        return false;
    }
    const DWORD i = static_cast<DWORD>(index);
    const OPTITEM &item = tree.Items()[i];
    const std::wstring label = a[2] + L" of item \"" + a[1] + L"\"";
    if (Is(a[2], L"sel")) {
        LONG want = -1;
        if (i < tree.DriverCount()) want = tree.ParseOption(i, a[3]);
        long long n = 0;
        if (want < 0 && ParseNumber(a[3], &n)) want = static_cast<LONG>(n);
        std::wstring actual = std::to_wstring(item.Sel);
        if (i < tree.DriverCount()) actual += L" (" + tree.OptionName(i, item.Sel) + L")";
        return (want >= 0 && item.Sel == want) || Mismatch(label, a[3], actual, pError);
    }
    const DWORD flag = Is(a[2], L"hidden") ? OPTIF_HIDE : Is(a[2], L"disabled") ? OPTIF_DISABLED : 0;
    if (flag == 0) {
        *pError = L"an item has sel, hidden and disabled, not \"" + a[2] + L"\"";
        return false;
    }
    bool want = false;
    if (!ParseYesNo(a[3], &want, pError)) return false;
    const bool actual = (item.Flags & flag) != 0;
    return actual == want || Mismatch(label, a[3], (actual ? L"yes (Flags " : L"no (Flags ") + Hex32(item.Flags) + L")",
                                      pError);
}

struct PublicField {
    const wchar_t *name;
    short DEVMODEW::*member;
};
constexpr PublicField kPublicFields[] = {
    {L"dmCopies", &DEVMODEW::dmCopies},   {L"dmColor", &DEVMODEW::dmColor},       {L"dmDuplex", &DEVMODEW::dmDuplex},
    {L"dmCollate", &DEVMODEW::dmCollate}, {L"dmPrintQuality", &DEVMODEW::dmPrintQuality},
};

bool CheckDevMode(const std::vector<std::wstring> &a, const StepContext &ctx, std::wstring *pError) {
    if (a.size() != 3) {
        *pError = L"expect devmode FIELD VALUE";
        return false;
    }
    const DriverDevMode *pdm = CurrentDevMode(ctx);
    if (pdm == nullptr || pdm->Empty()) {
        *pError = L"no device mode yet (open a printing-preferences sheet first)";
        return false;
    }
    for (const PublicField &f : kPublicFields) {
        if (!Is(a[1], f.name)) continue;
        const std::wstring actual = std::to_wstring(pdm->Public()->*f.member);
        return actual == a[2] || Mismatch(a[1], a[2], actual, pError);
    }
    const DevModeField *pField = FindDevModeField(a[1]);
    if (pField == nullptr) {
        *pError = L"the device mode has no field \"" + a[1] + L"\"";
        return false;
    }
    if (pdm->PluginSize() < pField->offset + (pField->type == FieldType::Text ? pField->cch * 2 : 1)) {
        *pError = L"the plug-in's block (" + std::to_wstring(pdm->PluginSize()) + L" bytes) does not reach " + a[1];
        return false;
    }
    const auto &block = *reinterpret_cast<const oemui::PrivateDevMode *>(pdm->PluginBlock());
    const std::wstring actual = ReadDevModeField(block, *pField);
    // Numbers compare by value (0x10 and 16 alike), texts by their characters.
    long long want = 0, got = 0;
    if (pField->type != FieldType::Text && ParseNumber(a[2], &want)) {
        std::wstring digits = actual;
        ParseNumber(digits, &got);
        return want == got || Mismatch(a[1], a[2], actual, pError);
    }
    return actual == Quote(a[2]) || Mismatch(a[1], Quote(a[2]), actual, pError);
}

// ---- Stored values ------------------------------------------------------------

std::wstring HexText(const std::vector<BYTE> &data) { return L"hex:" + HexBytes(data.data(), data.size()); }

// How a value reads in a failure message: its text, number or bytes.
std::wstring ValueText(DWORD type, const std::vector<BYTE> &data) {
    if ((type == REG_SZ || type == REG_EXPAND_SZ) && data.size() % 2 == 0) {
        std::wstring text(reinterpret_cast<const wchar_t *>(data.data()), data.size() / 2);
        const size_t nul = text.find(L'\0');
        if (nul != std::wstring::npos) text.resize(nul);
        return Quote(text);
    }
    if (type == REG_DWORD && data.size() == 4) {
        DWORD v = 0;
        memcpy(&v, data.data(), 4);
        return std::to_wstring(v);
    }
    return HexText(data);
}

// args: TYPE [SIZE [VALUE]] after the value's name.
bool CompareValue(const std::wstring &label, DWORD type, const std::vector<BYTE> &data,
                  const std::vector<std::wstring> &want, std::wstring *pError) {
    const std::wstring found = RegTypeName(type) + L" " + std::to_wstring(data.size()) + L" " + ValueText(type, data);
    DWORD wantType = 0;
    if (!ParseRegType(want[0], &wantType, pError)) return false;
    long long n = 0;
    std::wstring expected;
    for (const std::wstring &w : want) expected += (expected.empty() ? L"" : L" ") + w;
    if (type != wantType) return Mismatch(label, expected, found, pError);
    if (want.size() >= 2 && want[1] != L"*") {
        if (!ParseNumber(want[1], &n)) {
            *pError = L"\"" + want[1] + L"\" is not a size in bytes";
            return false;
        }
        if (static_cast<size_t>(n) != data.size()) return Mismatch(label, expected, found, pError);
    }
    if (want.size() < 3) return true;
    const std::wstring &v = want[2];
    if (v.compare(0, 4, L"hex:") == 0) return _wcsicmp(HexText(data).c_str(), v.c_str()) == 0 || Mismatch(label, expected, found, pError);
    if (type == REG_DWORD && ParseNumber(v, &n)) {
        DWORD d = 0;
        if (data.size() == 4) memcpy(&d, data.data(), 4);
        return (data.size() == 4 && d == static_cast<DWORD>(n)) || Mismatch(label, expected, found, pError);
    }
    return ValueText(type, data) == Quote(v) || Mismatch(label, expected, found, pError);
}

bool CheckPrinterData(const std::vector<std::wstring> &a, const StepContext &ctx, std::wstring *pError) {
    if (a.size() < 3 || a.size() > 5) {
        *pError = L"expect printerdata NAME TYPE [SIZE [VALUE]] or expect printerdata NAME absent";
        return false;
    }
    if (ctx.printer.empty()) {
        *pError = L"no printer yet (use model or printer first)";
        return false;
    }
    oemui::PrinterHandle printer;
    if (!OpenPrinterW(const_cast<LPWSTR>(ctx.printer.c_str()), printer.put(), nullptr)) {
        *pError = L"cannot open printer \"" + ctx.printer + L"\"";
        return false;
    }
    DWORD type = 0, cbNeeded = 0;
    DWORD err = GetPrinterDataW(printer.get(), const_cast<LPWSTR>(a[1].c_str()), &type, nullptr, 0, &cbNeeded);
    std::vector<BYTE> data(cbNeeded);
    if (err == ERROR_MORE_DATA || err == ERROR_SUCCESS)
        err = GetPrinterDataW(printer.get(), const_cast<LPWSTR>(a[1].c_str()), &type, data.data(), cbNeeded, &cbNeeded);
    const std::wstring label = L"printer data " + a[1];
    if (Is(a[2], L"absent")) return err != ERROR_SUCCESS || Mismatch(label, L"absent", RegTypeName(type) + L" " + ValueText(type, data), pError);
    if (err != ERROR_SUCCESS) return Mismatch(label, a[2], L"no such value (error " + std::to_wstring(err) + L")", pError);
    data.resize(cbNeeded);
    return CompareValue(label, type, data, std::vector<std::wstring>(a.begin() + 2, a.end()), pError);
}

bool CheckRegistry(const std::vector<std::wstring> &a, std::wstring *pError) {
    if (a.size() < 4 || a.size() > 6) {
        *pError = L"expect registry KEY VALUE TYPE [SIZE [DATA]] or expect registry KEY VALUE absent";
        return false;
    }
    HKEY root = nullptr;
    std::wstring key;
    if (!SplitRegistryPath(a[1], &root, &key)) {
        *pError = L"a registry key starts with HKCU\\ or HKLM\\";
        return false;
    }
    const std::wstring label = L"registry " + a[1] + L" " + a[2];
    oemui::RegKey hKey;
    DWORD type = 0, cb = 0;
    LSTATUS err = RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, hKey.put());
    if (err == ERROR_SUCCESS) err = RegQueryValueExW(hKey.get(), a[2].c_str(), nullptr, &type, nullptr, &cb);
    std::vector<BYTE> data(cb);
    if (err == ERROR_SUCCESS && cb != 0) err = RegQueryValueExW(hKey.get(), a[2].c_str(), nullptr, &type, data.data(), &cb);
    if (Is(a[3], L"absent")) return err != ERROR_SUCCESS || Mismatch(label, L"absent", RegTypeName(type) + L" " + ValueText(type, data), pError);
    if (err != ERROR_SUCCESS) return Mismatch(label, a[3], L"no such value (error " + std::to_wstring(err) + L")", pError);
    data.resize(cb);
    return CompareValue(label, type, data, std::vector<std::wstring>(a.begin() + 3, a.end()), pError);
}

// ---- Recorded calls -------------------------------------------------------------

bool FieldsMatch(const RecordedCall &call, const std::vector<std::wstring> &want) {
    for (size_t i = 0; i < want.size(); ++i) {
        if (want[i] == L"*") continue;
        if (i >= call.fields.size() || lstrcmpiW(call.fields[i].c_str(), want[i].c_str()) != 0) return false;
    }
    return true;
}

std::wstring CallText(const RecordedCall &call) {
    std::wstring text;
    for (const std::wstring &f : call.fields) text += (text.empty() ? L"" : L", ") + Quote(f);
    return text;
}

bool CheckCalls(const std::vector<std::wstring> &a, const StepContext &ctx, std::wstring *pError) {
    if (a.size() < 2 || ctx.pLog == nullptr) {
        *pError = L"expect call KIND [FIELD...] or expect calls KIND N";
        return false;
    }
    const std::vector<RecordedCall> &calls = ctx.pLog->Calls();
    if (Is(a[0], L"calls")) {
        long long want = 0;
        if (a.size() != 3 || !ParseNumber(a[2], &want)) {
            *pError = L"expect calls KIND N";
            return false;
        }
        long long count = 0;
        for (const RecordedCall &c : calls) count += Is(c.kind, a[1].c_str()) ? 1 : 0;
        return count == want || Mismatch(L"number of " + a[1] + L" calls", a[2], std::to_wstring(count), pError);
    }
    const std::vector<std::wstring> want(a.begin() + 2, a.end());
    std::wstring seen;
    for (const RecordedCall &c : calls) {
        if (!Is(c.kind, a[1].c_str())) continue;
        if (FieldsMatch(c, want)) return true;
        seen = CallText(c);
    }
    std::wstring expected;
    for (const std::wstring &w : want) expected += (expected.empty() ? L"" : L", ") + Quote(w);
    return Mismatch(L"a " + a[1] + L" call", expected.empty() ? L"one" : expected,
                    seen.empty() ? L"none" : L"last " + seen, pError);
}

bool CheckEnded(const std::vector<std::wstring> &a, const StepContext &ctx, std::wstring *pError) {
    if (a.size() != 3 || ctx.pLog == nullptr) {
        *pError = L"expect ended TITLE ok|cancel|yes|no|NUMBER";
        return false;
    }
    long long want = AnswerId(a[2]);
    if (want == 0 && !ParseNumber(a[2], &want)) {
        *pError = L"\"" + a[2] + L"\" is not a dialog result";
        return false;
    }
    const std::vector<RecordedCall> &calls = ctx.pLog->Calls();
    for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
        // Dialogs end through EndDialog; message boxes with their answer.
        const bool dialog = Is(it->kind, L"enddialog") && it->fields.size() == 2 && it->fields[0] == a[1];
        const bool box = Is(it->kind, L"messagebox") && it->fields.size() == 4 && it->fields[0] == a[1];
        if (!dialog && !box) continue;
        const std::wstring &got = dialog ? it->fields[1] : it->fields[3];
        long long n = AnswerId(got);
        if (n == 0) ParseNumber(got, &n);
        return n == want || Mismatch(L"end of " + Quote(a[1]), a[2], got, pError);
    }
    *pError = L"no dialog or message box " + Quote(a[1]) + L" has ended";
    return false;
}

}  // namespace

HWND TargetWindow(const StepContext &ctx, std::wstring *pError) {
    if (ctx.hDialog != nullptr) return ctx.hDialog;
    HWND hPage = ctx.hSheet != nullptr ? PropSheet_GetCurrentPageHwnd(ctx.hSheet) : nullptr;
    if (hPage == nullptr) *pError = L"no dialog or page is open";
    return hPage;
}

const DriverDevMode *CurrentDevMode(const StepContext &ctx) {
    if (ctx.pSession != nullptr && ctx.pSession->IsOpen()) return &ctx.pSession->DevMode();
    return ctx.pLastDevMode;
}

bool CheckExpectation(const std::vector<std::wstring> &a, const StepContext &ctx, std::wstring *pError) {
    const std::wstring &what = a[0];
    for (const wchar_t *control : {L"text", L"visible", L"enabled", L"checked", L"hint", L"style", L"rect", L"dlu"})
        if (Is(what, control)) return CheckControl(a, ctx, pError);
    if (Is(what, L"title") || Is(what, L"exstyle")) return CheckWindow(a, ctx, pError);
    if (Is(what, L"item")) return CheckItem(a, ctx, pError);
    if (Is(what, L"devmode")) return CheckDevMode(a, ctx, pError);
    if (Is(what, L"printerdata")) return CheckPrinterData(a, ctx, pError);
    if (Is(what, L"registry")) return CheckRegistry(a, pError);
    if (Is(what, L"call") || Is(what, L"calls")) return CheckCalls(a, ctx, pError);
    if (Is(what, L"ended")) return CheckEnded(a, ctx, pError);
    *pError = L"nothing called \"" + what + L"\" can be expected";
    return false;
}

}  // namespace oemuihost
