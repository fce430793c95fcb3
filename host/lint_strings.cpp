// String tables: every "<name> Dialog" section and key that the pages, the
// dialogs, the caption-and-hint pass and the messages look up. The list comes
// from the plug-in's own templates and tables, never from a copy kept here.
#include "host/lint_context.h"

#include "dialogs/print_and_hold.h"
#include "settings/model_config.h"
#include "troubleshooting/diagnostic_pages.h"
#include "troubleshooting/trouble_page.h"
#include "ui/captions.h"
#include "ui/dialog_texts.h"

namespace oemuihost {
namespace {

template <typename T, size_t N>
bool IsOneOf(const T &value, const T (&table)[N]) {
    for (const T &entry : table)
        if (entry == value) return true;
    return false;
}

bool IsUntranslatedClass(const std::wstring &className) {
    for (const wchar_t *psz : oemui::kUntranslatedClasses)
        if (className == psz) return true;
    return false;
}

bool InAlertGroup(int id) {
    for (const int *p = oemui::kAlertGroup; *p != 0; ++p)
        if (*p == id) return true;
    return false;
}

std::wstring Section(const wchar_t *pszDialogName) { return std::wstring(pszDialogName) + L" Dialog"; }

void ReportMissingKey(LintContext &ctx, const StringTable &table, const wchar_t *pszDialog, const std::wstring &key,
                      int line, const std::wstring &instead) {
    ctx.report.Warning(table.file.name, line, "strings-missing",
                       L"[" + Section(pszDialog) + L"] has no \"" + key + L"\": " + instead);
}

bool InTimeGroup(int id) {
    for (const int *p = oemui::kTimeGroup; *p != 0; ++p)
        if (*p == id) return true;
    return false;
}

// Whether some Print and Hold mode of this model shows the control.
bool HoldModeShows(const LintContext &ctx, int id) {
    bool bStoreJob = false, bStorePublic = false, bTime = false;
    const oemui::ModeControls *pRows = ctx.bSecure ? oemui::kSecureControls : oemui::kNormalControls;
    const size_t cRows = ctx.bSecure ? ARRAYSIZE(oemui::kSecureControls) : ARRAYSIZE(oemui::kNormalControls);
    for (size_t i = 0; i < cRows; ++i) {
        bStoreJob = bStoreJob || pRows[i].bStoreJob;
        bStorePublic = bStorePublic || pRows[i].bStorePublic;
        bTime = bTime || pRows[i].bTime;
    }
    if (id == IDC_PH_STORE_JOB) return bStoreJob;
    if (id == IDC_PH_STORE_PUBLIC) return bStorePublic;
    return !InTimeGroup(id) || bTime;
}

// Whether the control is shown on this model at all.
bool ControlShown(const LintContext &ctx, const oemui::DialogTexts &dialog, const TemplateControl &control) {
    if (dialog.wTemplate == IDD_TROUBLESHOOTING && !ctx.bOutrider && InAlertGroup(control.id)) return false;
    if (dialog.wTemplate == IDD_PRINT_AND_HOLD && !HoldModeShows(ctx, control.id)) return false;
    if (dialog.wTemplate == IDD_PRINT_AND_HOLD && IsOneOf(control.id, oemui::kPassLengthLabels)) {
        // The "(0)" labels are read only when the shortest and longest passcode are equal.
        return ctx.IniInt(L"Common", L"ExtrasMinPassLen", 4) == ctx.IniInt(L"Common", L"ExtrasMaxPassLen", 4);
    }
    return true;
}

// Link n is shown only when it has a target.
bool LinkShown(const LintContext &ctx, const StringTable &table, int id) {
    if (id < IDC_TS_LINK_1 || id > IDC_TS_LINK_6) return true;
    std::wstring text;
    int line = 0;
    return ctx.Lookup(table, oemui::kTroubleshootingDialogName, L"Ref_URL_" + std::to_wstring(id - IDC_TS_LINK_1 + 1),
                      &text, &line);
}

void CheckControls(LintContext &ctx, const StringTable &table, const oemui::DialogTexts &dialog,
                   const DialogTemplate &tmpl) {
    std::wstring text;
    int line = 0;
    for (const TemplateControl &control : tmpl.controls) {
        if (control.text.empty() || IsUntranslatedClass(control.className)) continue;
        if (!ControlShown(ctx, dialog, control) || !LinkShown(ctx, table, control.id)) continue;
        const wchar_t *pszDialog = dialog.pszName;
        if (ctx.brand == oemui::kBrandTalix && dialog.wTemplate == IDD_TROUBLESHOOTING &&
            control.id == oemui::kBrandedPaperControl)
            pszDialog = oemui::kCustomPaperDialogName;
        if (ctx.Lookup(table, pszDialog, control.text, &text, &line)) continue;
        ReportMissingKey(ctx, table, pszDialog, control.text, line,
                         L"control " + std::to_wstring(control.id) + L" (" + control.className +
                             L") shows its English template text");
    }
}

void CheckKeys(LintContext &ctx, const StringTable &table, const wchar_t *pszDialog,
               const wchar_t *const *ppKeys, size_t cKeys, const wchar_t *pszInstead) {
    std::wstring text;
    int line = 0;
    for (size_t i = 0; i < cKeys; ++i)
        if (!ctx.Lookup(table, pszDialog, ppKeys[i], &text, &line))
            ReportMissingKey(ctx, table, pszDialog, ppKeys[i], line, pszInstead);
}

void CheckFeatureKeys(LintContext &ctx, const StringTable &table) {
    const wchar_t *const messageKeys[] = {oemui::kInvalidPasscodeTitleKey, oemui::kInvalidPasscodeRangeKey};
    if (ctx.Reaches(oemui::kHoldDialogName)) {
        if (ctx.bSecure)
            CheckKeys(ctx, table, oemui::kHoldDialogName, oemui::kSecureModes, ARRAYSIZE(oemui::kSecureModes),
                      L"the mode list shows the key itself");
        else
            CheckKeys(ctx, table, oemui::kHoldDialogName, oemui::kNormalModes, ARRAYSIZE(oemui::kNormalModes),
                      L"the mode list shows the key itself");
        CheckKeys(ctx, table, oemui::kHoldDialogName, messageKeys, ARRAYSIZE(messageKeys),
                  L"the passcode message shows the key itself");
    }
    if (ctx.Reaches(oemui::kJobAccountingDialogName))
        CheckKeys(ctx, table, oemui::kJobAccountingDialogName, messageKeys, ARRAYSIZE(messageKeys),
                  L"the password message shows the key itself");
    if (ctx.bCopies) {
        const wchar_t *const paperKeys[] = {oemui::kCopiesWarningTitleKey, oemui::kCopiesChangedKey};
        CheckKeys(ctx, table, oemui::kPaperDialogName, paperKeys, ARRAYSIZE(paperKeys),
                  L"the copy-count question shows the key itself");
    }
    if (!ctx.bTroubleshooting) return;
    const IniEntry *pPages = ctx.ini.Find(L"Common", L"TestPages");
    if (pPages == nullptr) return;
    std::wstring text;
    int line = 0;
    size_t start = 0;
    while (start <= pPages->value.size()) {
        size_t comma = pPages->value.find(L',', start);
        if (comma == std::wstring::npos) comma = pPages->value.size();
        const int n = oemui::ParseTestPageToken(pPages->value.substr(start, comma - start).c_str());
        start = comma + 1;
        if (n == 0) continue;
        const wchar_t *pszKey = oemui::DiagnosticEntryAt(n)->pszDisplayKey;
        if (!ctx.Lookup(table, oemui::kTroubleshootingDialogName, pszKey, &text, &line))
            ReportMissingKey(ctx, table, oemui::kTroubleshootingDialogName, pszKey, line,
                             L"TestPages lists it, so the diagnostic list shows the English key");
    }
    for (int n = 1; n <= IDC_TS_LINK_6 - IDC_TS_LINK_1 + 1; ++n) {
        const std::wstring label = L"URL_" + std::to_wstring(n), target = L"Ref_URL_" + std::to_wstring(n);
        const bool bLabel = ctx.Lookup(table, oemui::kTroubleshootingDialogName, label, &text, &line);
        const bool bTarget = ctx.Lookup(table, oemui::kTroubleshootingDialogName, target, &text, &line);
        if (bLabel && !bTarget)
            ctx.report.Warning(table.file.name, table.file.LineOf(Section(oemui::kTroubleshootingDialogName), label),
                               "strings-link", label + L" has a text but no " + target + L": the link is hidden");
    }
}

// Every text is read into a buffer of 256 characters.
void CheckLengths(LintContext &ctx, const StringTable &table) {
    for (const IniSection &section : table.file.sections)
        for (const IniEntry &entry : section.entries)
            if (entry.value.size() >= oemui::kProfileTextCch)
                ctx.report.Warning(table.file.name, entry.line, "text-length",
                                   L"\"" + entry.key + L"\" has " + std::to_wstring(entry.value.size()) +
                                       L" characters; the plug-in reads 255, so the text is cut");
}

}  // namespace

bool LintContext::Reaches(const wchar_t *pszDialogName) const {
    const std::wstring name = pszDialogName;
    if (name == oemui::kHoldDialogName) return bHold;
    if (name == oemui::kCopiesDialogName) return bCopies;
    if (name == oemui::kJobAccountingDialogName) return bJobAccounting;
    if (name == oemui::kTroubleshootingDialogName || name == oemui::kAboutDialogName) return bTroubleshooting;
    if (name == oemui::kOutriderDialogName) return bOutrider;
    return false;
}

bool LintContext::Lookup(const StringTable &table, const wchar_t *pszDialogName, const std::wstring &key,
                         std::wstring *pText, int *pLine) const {
    oemui::ProfileReader reader = table.reader;
    reader.SetDialogSection(pszDialogName);
    *pLine = table.file.LineOf(Section(pszDialogName), key);
    wchar_t sz[oemui::kProfileTextCch];
    // One read per section, as the dialogs do; keys the listing cannot settle
    // go to the file, so the answer is the plug-in's.
    std::unique_ptr<oemui::ProfileSection> &pSection = sections[{&table, Section(pszDialogName)}];
    if (pSection == nullptr) {
        pSection.reset(new oemui::ProfileSection());
        pSection->Load(reader);
    }
    const DWORD cch = pSection->ReadTextOr(key.c_str(), sz, oemui::kProfileTextCch, nullptr);
    *pText = std::wstring(sz, cch);
    return cch != 0;
}

void LintStringTables(LintContext &ctx) {
    for (const StringTable &table : ctx.tables) {
        if (!table.file.present) continue;
        if (table.file.path != ctx.ini.path) CheckRepeats(ctx, table.file);
        CheckLengths(ctx, table);
        for (const oemui::DialogTexts &dialog : oemui::kDialogTexts) {
            if (!ctx.Reaches(dialog.pszName)) continue;
            const std::wstring section = Section(dialog.pszName);
            if (table.file.Find(section) == nullptr) {
                ctx.report.Warning(table.file.name, 0, "strings-missing",
                                   L"no section [" + section + L"]: its title reads \"Caption\" and every control "
                                   L"keeps its English template text");
                continue;
            }
            std::wstring text;
            int line = 0;
            if (!ctx.Lookup(table, dialog.pszName, oemui::kCaptionKey, &text, &line))
                ReportMissingKey(ctx, table, dialog.pszName, oemui::kCaptionKey, line,
                                 L"the title reads \"Caption\"");
            if (const DialogTemplate *pTemplate = ctx.Template(dialog.wTemplate))
                CheckControls(ctx, table, dialog, *pTemplate);
        }
        CheckFeatureKeys(ctx, table);
    }
}

}  // namespace oemuihost
