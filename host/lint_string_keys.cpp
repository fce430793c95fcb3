// Keys of a string table that no page or dialog reads: most are typos of a
// key that is read ("Print Mod"), which leaves the control with its English
// template text. The known keys come from the templates and the plug-in's
// tables, like every other list of the checker.
#include "host/lint_context.h"

#include <cstdint>
#include <iterator>

#include "dialogs/print_and_hold.h"
#include "troubleshooting/diagnostic_pages.h"
#include "ui/captions.h"
#include "ui/dialog_texts.h"

namespace oemuihost {
namespace {

constexpr int kAboutLines = 10;
constexpr int kLinks = IDC_TS_LINK_6 - IDC_TS_LINK_1 + 1;

bool IsInputClass(const std::wstring &className) {
    for (const wchar_t *psz : oemui::kInputClasses)
        if (className == psz) return true;
    return false;
}

void AddTemplateKeys(const DialogTemplate &tmpl, std::vector<std::wstring> *pKeys) {
    for (const TemplateControl &control : tmpl.controls) {
        if (!control.text.empty()) {
            pKeys->push_back(control.text);
            pKeys->push_back(control.text + oemui::kHintKeySuffix);
        }
        if (IsInputClass(control.className))
            pKeys->push_back(control.className + L":" + std::to_wstring(control.id) + oemui::kHintKeySuffix);
    }
}

// Every key the plug-in may read from "<name> Dialog"; empty for a section
// that no page or dialog reads.
std::vector<std::wstring> KnownKeys(const LintContext &ctx, const std::wstring &name) {
    std::vector<std::wstring> keys;
    if (EqualsNoCase(name, oemui::kCustomPaperDialogName)) {
        const DialogTemplate *pPage = ctx.Template(IDD_TROUBLESHOOTING);
        if (pPage != nullptr && pPage->Control(oemui::kBrandedPaperControl) != nullptr)
            keys.push_back(pPage->Control(oemui::kBrandedPaperControl)->text);
        return keys;
    }
    if (EqualsNoCase(name, oemui::kPaperDialogName)) return {oemui::kCopiesWarningTitleKey, oemui::kCopiesChangedKey};
    for (const oemui::DialogTexts &dialog : oemui::kDialogTexts) {
        if (!EqualsNoCase(name, dialog.pszName)) continue;
        keys.push_back(oemui::kCaptionKey);
        if (const DialogTemplate *pTemplate = ctx.Template(dialog.wTemplate)) AddTemplateKeys(*pTemplate, &keys);
    }
    if (EqualsNoCase(name, oemui::kHoldDialogName)) {
        keys.insert(keys.end(), std::begin(oemui::kNormalModes), std::end(oemui::kNormalModes));
        keys.insert(keys.end(), std::begin(oemui::kSecureModes), std::end(oemui::kSecureModes));
    }
    if (EqualsNoCase(name, oemui::kHoldDialogName) || EqualsNoCase(name, oemui::kJobAccountingDialogName)) {
        keys.push_back(oemui::kInvalidPasscodeTitleKey);
        keys.push_back(oemui::kInvalidPasscodeRangeKey);
        keys.push_back(oemui::kInvalidPasscodeEqualKey);
    }
    if (EqualsNoCase(name, oemui::kTroubleshootingDialogName)) {
        for (int n = 1; n <= kLinks; ++n) keys.push_back(L"Ref_URL_" + std::to_wstring(n));
        for (int n = 1; n <= oemui::kDiagnosticEntryCount; ++n)
            keys.push_back(oemui::DiagnosticEntryAt(n)->pszDisplayKey);
    }
    if (EqualsNoCase(name, oemui::kAboutDialogName))
        for (int n = 1; n <= kAboutLines; ++n) keys.push_back(L"M_Info" + std::to_wstring(n));
    return keys;
}

std::wstring Nearest(const std::vector<std::wstring> &keys, const std::wstring &key) {
    std::wstring best;
    size_t bestDistance = SIZE_MAX;
    for (const std::wstring &known : keys) {
        const size_t d = EditDistance(key, known);
        if (d < bestDistance) {
            bestDistance = d;
            best = known;
        }
    }
    return bestDistance <= 3 || bestDistance * 3 <= key.size() ? best : std::wstring();
}

void CheckSection(LintContext &ctx, const StringTable &table, const IniSection &section, const std::wstring &name) {
    const std::vector<std::wstring> keys = KnownKeys(ctx, name);
    if (keys.empty()) {
        ctx.report.Warning(table.file.name, section.line, "strings-unknown-section",
                           L"section [" + section.name + L"] is read by no page or dialog of the plug-in");
        return;
    }
    for (const IniEntry &entry : section.entries) {
        bool bKnown = false;
        for (const std::wstring &key : keys) bKnown = bKnown || EqualsNoCase(key, entry.key);
        if (bKnown) continue;
        const std::wstring nearest = Nearest(keys, entry.key);
        ctx.report.Warning(table.file.name, entry.line, "strings-unknown-key",
                           L"[" + section.name + L"] \"" + entry.key + L"\" is read by nothing" +
                               (nearest.empty() ? std::wstring() : L"; did you mean \"" + nearest + L"\"?"));
    }
}

}  // namespace

void LintStringKeys(LintContext &ctx) {
    const std::wstring suffix = L" Dialog";
    for (const StringTable &table : ctx.tables) {
        if (!table.file.present) continue;
        for (const IniSection &section : table.file.sections) {
            if (section.repeated || section.name.size() <= suffix.size() ||
                !EqualsNoCase(section.name.substr(section.name.size() - suffix.size()), suffix))
                continue;
            CheckSection(ctx, table, section, section.name.substr(0, section.name.size() - suffix.size()));
        }
    }
}

}  // namespace oemuihost
