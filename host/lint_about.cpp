// About box, bitmaps and hint file (brand 1): the version-file values the
// About lines show, the sizes of the page logo and the About background, and
// hint-file entries that name dialogs and controls which exist.
#include "host/lint_context.h"

#include <cstdlib>
#include <cwctype>

#include "about/about_dialog.h"
#include "settings/model_config.h"
#include "ui/dialog_texts.h"

namespace oemuihost {
namespace {

constexpr int kAboutLines = 10;
// The logo's place on the page at 96 dpi; a larger logo enlarges it.
constexpr SIZE kLogoPlace = {108, 28};
// Ten detail lines need about 130 pixels in the top right quarter.
constexpr SIZE kAboutMinimum = {360, 264};
constexpr wchar_t kHintSection[] = L"TROUBLE_PAGE";

// The About lines as the plug-in builds them, from the same code.
std::vector<std::wstring> BuiltAboutLines(LintContext &ctx, const StringTable &table, size_t *pcchTotal) {
    std::vector<std::wstring> lines;
    HANDLE hHeap = GetProcessHeap();
    oemui::ModelConfig *pConfig = oemui::CreateModelConfig(hHeap);
    if (pConfig == nullptr) return lines;
    *pConfig->pDat = table.reader;
    pConfig->pDat->SetDialogSection(oemui::kAboutDialogName);
    *pConfig->pVer = ctx.verReader;
    pConfig->pVer->SetSection(L"Version");
    wchar_t szDetails[oemui::kAboutDetailsCch];
    oemui::BuildAboutDetails(pConfig, szDetails);
    oemui::FreeModelConfig(hHeap, pConfig);
    const std::wstring details = szDetails;
    *pcchTotal = details.size();
    for (size_t start = 0; start < details.size();) {
        size_t end = details.find(L"\r\n", start);
        if (end == std::wstring::npos) end = details.size();
        lines.push_back(details.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

void CheckAboutLines(LintContext &ctx, const StringTable &table) {
    size_t cchTotal = 0;
    const std::vector<std::wstring> built = BuiltAboutLines(ctx, table, &cchTotal);
    for (int n = 1; n <= kAboutLines; ++n) {
        const std::wstring key = L"M_Info" + std::to_wstring(n);
        std::wstring text;
        int line = 0;
        if (!ctx.Lookup(table, oemui::kAboutDialogName, key, &text, &line)) continue;
        if (static_cast<size_t>(n) <= built.size() && built[static_cast<size_t>(n) - 1].empty())
            ctx.report.Warning(table.file.name, line, "about-line",
                               key + L" = \"" + text + L"\" shows as an empty line: it holds no placeholder, or "
                               L"the version file " + ctx.ver.name + L" has no value for it");
    }
    if (cchTotal + 1 >= oemui::kAboutDetailsCch)
        ctx.report.Warning(table.file.name, table.file.LineOf(L"About Dialog", L"M_Info1"), "text-length",
                           L"the About details pass 259 characters and are cut");
}

void CheckBitmap(LintContext &ctx, const std::wstring &name, const wchar_t *pszWhat, bool bAtMost, SIZE expected) {
    const std::wstring path = ctx.folder + name;
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        ctx.report.Warning(name, 0, "bitmap-missing", std::wstring(pszWhat) + L" missing: nothing is drawn there");
        return;
    }
    HBITMAP hBitmap = static_cast<HBITMAP>(LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    BITMAP info = {};
    if (hBitmap == nullptr || GetObjectW(hBitmap, sizeof(info), &info) == 0) {
        if (hBitmap != nullptr) DeleteObject(hBitmap);
        ctx.report.Error(name, 0, "bitmap-load", std::wstring(pszWhat) + L" does not load as a Windows bitmap");
        return;
    }
    DeleteObject(hBitmap);
    const std::wstring found = std::to_wstring(info.bmWidth) + L" x " + std::to_wstring(info.bmHeight);
    const std::wstring wanted = std::to_wstring(expected.cx) + L" x " + std::to_wstring(expected.cy);
    if (bAtMost && (info.bmWidth > expected.cx || info.bmHeight > expected.cy))
        ctx.report.Warning(name, 0, "bitmap-size",
                           std::wstring(pszWhat) + L" is " + found + L" pixels; its place holds " + wanted +
                               L", so it pushes the page's controls aside");
    if (!bAtMost && (info.bmWidth < expected.cx || info.bmHeight < expected.cy))
        ctx.report.Warning(name, 0, "bitmap-size",
                           std::wstring(pszWhat) + L" is " + found + L" pixels; the ten detail lines need at least " +
                               wanted + L", so some are cut");
}

bool IsNumber(const std::wstring &text) {
    if (text.empty()) return false;
    for (wchar_t ch : text)
        if (!iswdigit(ch)) return false;
    return true;
}

// Whether a hint-file key names a control of the template: "<class>:<id>",
// "<id>", or a template text (each optionally followed by " tooltip").
bool KeyNamesControl(const DialogTemplate &tmpl, std::wstring key) {
    const std::wstring suffix = L" tooltip";
    if (key.size() > suffix.size() && EqualsNoCase(key.substr(key.size() - suffix.size()), suffix))
        key = key.substr(0, key.size() - suffix.size());
    const size_t colon = key.find(L':');
    if (colon != std::wstring::npos && IsNumber(key.substr(colon + 1))) {
        const TemplateControl *pControl = tmpl.Control(_wtoi(key.substr(colon + 1).c_str()));
        return pControl != nullptr && EqualsNoCase(pControl->className, key.substr(0, colon));
    }
    if (IsNumber(key)) return tmpl.Control(_wtoi(key.c_str())) != nullptr;
    if (EqualsNoCase(key, oemui::kCaptionKey)) return true;
    for (const TemplateControl &control : tmpl.controls)
        if (!control.text.empty() && EqualsNoCase(control.text, key)) return true;
    return false;
}

const DialogTemplate *TemplateForHintSection(const LintContext &ctx, const std::wstring &section) {
    if (EqualsNoCase(section, kHintSection)) return ctx.Template(IDD_TROUBLESHOOTING);
    for (const oemui::DialogTexts &dialog : oemui::kDialogTexts)
        if (EqualsNoCase(section, std::wstring(dialog.pszName) + L" Dialog")) return ctx.Template(dialog.wTemplate);
    return nullptr;
}

void CheckHintFile(LintContext &ctx) {
    const IniFile hin = ScanIniFile(ctx.folder, ctx.stem + L".hin");
    if (!hin.present) return;
    CheckRepeats(ctx, hin);
    if (hin.Find(kHintSection) == nullptr)
        ctx.report.Warning(hin.name, 0, "hint-section", L"no [TROUBLE_PAGE] section: the plug-in opens the file there");
    for (const IniSection &section : hin.sections) {
        if (section.repeated) continue;
        const DialogTemplate *pTemplate = TemplateForHintSection(ctx, section.name);
        if (pTemplate == nullptr) {
            ctx.report.Warning(hin.name, section.line, "hint-dialog",
                               L"section [" + section.name + L"] names no page or dialog of the plug-in");
            continue;
        }
        for (const IniEntry &entry : section.entries)
            if (!KeyNamesControl(*pTemplate, entry.key))
                ctx.report.Warning(hin.name, entry.line, "hint-control",
                                   L"\"" + entry.key + L"\" names no control of [" + section.name + L"]");
    }
}

}  // namespace

void LintAboutAndHints(LintContext &ctx) {
    if (ctx.brand == oemui::kBrandTalix) CheckHintFile(ctx);
    if (!ctx.bTroubleshooting) return;
    for (const StringTable &table : ctx.tables)
        if (table.file.present) CheckAboutLines(ctx, table);
    CheckBitmap(ctx, ctx.prefix + L"l.bmp", L"page logo", true, kLogoPlace);
    CheckBitmap(ctx, ctx.prefix + L"Y.bmp", L"About background", false, kAboutMinimum);
}

}  // namespace oemuihost
