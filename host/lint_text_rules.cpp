// Rules on the texts themselves: placeholders of formatted texts, web-link
// targets, access keys that collide within a dialog, and ranges a label
// states.
#include "host/lint_context.h"

#include <cwchar>
#include <cwctype>
#include <map>

#include "dialogs/passcode_dialog.h"
#include "settings/model_config.h"
#include "troubleshooting/web_links.h"
#include "ui/captions.h"
#include "ui/dialog_texts.h"

namespace oemuihost {
namespace {

// Integers the texts of the passcode features are formatted with: the
// shortest and the longest length.
constexpr int kPasscodeNumbers = 2;

std::wstring Section(const wchar_t *pszDialogName) { return std::wstring(pszDialogName) + L" Dialog"; }

// The safe formatter's reading of a model text: "%%" is one "%", "%d" takes
// the next number while any are left, and anything else after a "%" is
// printed as it stands.
void CheckPlaceholders(LintContext &ctx, const StringTable &table, const wchar_t *pszDialog, const std::wstring &key,
                       int nNumbers) {
    std::wstring text;
    int line = 0;
    if (!ctx.Lookup(table, pszDialog, key, &text, &line)) return;
    int cNumbers = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'%') continue;
        const wchar_t next = i + 1 < text.size() ? text[i + 1] : L'\0';
        if (next == L'%') {
            ++i;
        } else if (next == L'd' && ++cNumbers <= nNumbers) {
            ++i;
        } else {
            const std::wstring sequence = next == L'\0' ? L"%" : text.substr(i, 2);
            ctx.report.Error(table.file.name, line, "text-placeholder",
                             L"\"" + key + L"\" holds \"" + sequence + L"\": the text may hold only " +
                                 std::to_wstring(nNumbers) + L" %d and %%, so it is printed as it stands");
            if (next == L'd') return;
        }
    }
}

void CheckFormattedTexts(LintContext &ctx, const StringTable &table) {
    const std::wstring messages[] = {oemui::kInvalidPasscodeRangeKey, oemui::kInvalidPasscodeEqualKey};
    if (ctx.Reaches(oemui::kHoldDialogName)) {
        if (const DialogTemplate *pTemplate = ctx.Template(IDD_PRINT_AND_HOLD)) {
            for (int id : oemui::kPassLengthFormatted) {
                const TemplateControl *pControl = pTemplate->Control(id);
                if (pControl == nullptr) continue;
                CheckPlaceholders(ctx, table, oemui::kHoldDialogName, pControl->text, kPasscodeNumbers);
                CheckPlaceholders(ctx, table, oemui::kHoldDialogName, pControl->text + oemui::kHintKeySuffix,
                                  kPasscodeNumbers);
            }
        }
        for (const std::wstring &key : messages) CheckPlaceholders(ctx, table, oemui::kHoldDialogName, key, kPasscodeNumbers);
    }
    if (ctx.Reaches(oemui::kJobAccountingDialogName))
        for (const std::wstring &key : messages)
            CheckPlaceholders(ctx, table, oemui::kJobAccountingDialogName, key, kPasscodeNumbers);
}

size_t CountOf(const std::wstring &text, const wchar_t *pszPart) {
    size_t n = 0;
    for (size_t at = text.find(pszPart); at != std::wstring::npos; at = text.find(pszPart, at + 1)) ++n;
    return n;
}

void CheckLinkTargets(LintContext &ctx, const StringTable &table) {
    if (!ctx.bTroubleshooting) return;
    for (int n = 1; n <= IDC_TS_LINK_6 - IDC_TS_LINK_1 + 1; ++n) {
        const std::wstring key = L"Ref_URL_" + std::to_wstring(n);
        std::wstring target;
        int line = 0;
        if (!ctx.Lookup(table, oemui::kTroubleshootingDialogName, key, &target, &line)) continue;
        if (!oemui::IsWebTarget(target.c_str())) {
            ctx.report.Error(table.file.name, line, "text-link",
                             key + L" = \"" + target +
                                 L"\" is not an http:// or https:// address: the plug-in refuses to open it");
            continue;
        }
        const size_t cPlaceholders = CountOf(target, L"%s");
        const bool bEmbedded = target.compare(0, wcslen(oemui::kEmbeddedPageMarker), oemui::kEmbeddedPageMarker) == 0;
        if (cPlaceholders > 1 || (cPlaceholders == 1 && !bEmbedded)) {
            ctx.report.Error(table.file.name, line, "text-link",
                             key + L" = \"" + target + L"\": the printer's address goes only into one %s right "
                             L"after http:// (\"" + oemui::kEmbeddedPageMarker + L"/...\"); this one opens a wrong address");
        }
    }
}

// The access key of a caption ("&Help" gives H); 0 when it has none.
wchar_t AccessKey(const std::wstring &text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != L'&') continue;
        if (text[i + 1] == L'&') {
            ++i;
            continue;
        }
        return static_cast<wchar_t>(towupper(text[i + 1]));
    }
    return 0;
}

void CheckAccessKeys(LintContext &ctx, const StringTable &table) {
    for (const oemui::DialogTexts &dialog : oemui::kDialogTexts) {
        const DialogTemplate *pTemplate = ctx.Template(dialog.wTemplate);
        if (pTemplate == nullptr || !ctx.Reaches(dialog.pszName)) continue;
        struct Holder {
            std::wstring key;
            int line;
        };
        std::map<wchar_t, Holder> seen;
        for (const TemplateControl &control : pTemplate->controls) {
            if (control.text.empty()) continue;
            if (control.className == L"Static" && (control.style & SS_NOPREFIX) != 0) continue;
            std::wstring text;
            int line = 0;
            if (!ctx.Lookup(table, dialog.pszName, control.text, &text, &line)) text = control.text;
            const wchar_t ch = AccessKey(text);
            if (ch == 0) continue;
            auto found = seen.find(ch);
            if (found == seen.end()) {
                seen[ch] = Holder{control.text, line};
                continue;
            }
            if (found->second.key == control.text) continue;  // one key, two controls (both layouts' twins)
            ctx.report.Warning(table.file.name, line, "text-access-key",
                               L"[" + Section(dialog.pszName) + L"] Alt+" + std::wstring(1, ch) + L" belongs to both \"" +
                                   found->second.key + L"\" and \"" + control.text + L"\": the second cannot be reached with it");
        }
    }
}

std::vector<long> NumbersIn(const std::wstring &text) {
    std::vector<long> numbers;
    for (size_t i = 0; i < text.size();) {
        if (!iswdigit(text[i]) || text[i] > 0x7F) {
            ++i;
            continue;
        }
        long n = 0;
        for (; i < text.size() && text[i] <= 0x7F && iswdigit(text[i]); ++i) n = n * 10 + (text[i] - L'0');
        numbers.push_back(n);
    }
    return numbers;
}

// The alert settings state the interval the arrows allow; a translation must
// state the same range.
void CheckStatedRanges(LintContext &ctx, const StringTable &table) {
    if (!ctx.bOutrider) return;
    const DialogTemplate *pTemplate = ctx.Template(IDD_OUTRIDER_SETTINGS);
    if (pTemplate == nullptr) return;
    for (const TemplateControl &control : pTemplate->controls) {
        const std::vector<long> expected = NumbersIn(control.text);
        if (expected.empty()) continue;
        std::wstring text;
        int line = 0;
        if (!ctx.Lookup(table, oemui::kOutriderDialogName, control.text, &text, &line)) continue;
        const std::vector<long> stated = NumbersIn(text);
        if (!stated.empty() && stated != expected)
            ctx.report.Warning(table.file.name, line, "text-range",
                               L"\"" + text + L"\" states another range than \"" + control.text +
                                   L"\", which is what the field accepts");
    }
}

// The password hints of Job Accounting are shown as written: they must state
// the model's own limits.
void CheckStatedPasswordLimits(LintContext &ctx, const StringTable &table) {
    if (!ctx.bJobAccounting) return;
    const DialogTemplate *pTemplate = ctx.Template(IDD_JOB_ACCOUNTING);
    if (pTemplate == nullptr) return;
    const int nCeiling = static_cast<int>(oemui::kJobAccountCch) - 1;
    const oemui::PassLimits limits =
        oemui::ClampPassLimits(ctx.IniInt(L"Common", L"PrinterMinPassLen", nCeiling),
                               ctx.IniInt(L"Common", L"PrinterMaxPassLen", nCeiling), nCeiling);
    std::vector<long> expected{limits.sMin, limits.sMax};
    if (limits.sMin == limits.sMax) expected.pop_back();
    for (int id : {IDC_JA_PASSWORD_HINT, IDC_JA_CONFIRM_HINT}) {
        const TemplateControl *pControl = pTemplate->Control(id);
        std::wstring text;
        int line = 0;
        if (pControl == nullptr || !ctx.Lookup(table, oemui::kJobAccountingDialogName, pControl->text, &text, &line))
            continue;
        const std::vector<long> stated = NumbersIn(text);
        if (!stated.empty() && stated != expected)
            ctx.report.Warning(table.file.name, line, "text-range",
                               L"\"" + text + L"\" states other password lengths than the model's " +
                                   std::to_wstring(limits.sMin) + L" to " + std::to_wstring(limits.sMax));
    }
}

}  // namespace

void LintTextRules(LintContext &ctx) {
    for (const StringTable &table : ctx.tables) {
        if (!table.file.present) continue;
        CheckFormattedTexts(ctx, table);
        CheckLinkTargets(ctx, table);
        CheckAccessKeys(ctx, table);
        CheckStatedRanges(ctx, table);
        CheckStatedPasswordLimits(ctx, table);
    }
}

}  // namespace oemuihost
