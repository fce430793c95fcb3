// Driver data: the GPD or PPD must offer the features the plug-in sets and
// reads by option position, in the order it relies on, and it must be
// readable at all (the emulator's reader is the judge).
#include "host/lint_context.h"

#include <fstream>
#include <iterator>

#include "host/model_data.h"
#include "optiontree/auto_config.h"
#include "optiontree/option_callback.h"
#include "settings/model_config.h"

namespace oemuihost {
namespace {

// A region code is written as the option position: codes 1 to 4.
constexpr size_t kRegionColorOptions = 5;

std::wstring Wide(const std::string &s) { return std::wstring(s.begin(), s.end()); }

struct DriverView {
    ModelData data;
    std::vector<std::string> lines;

    const ModelFeature *Feature(const char *pszKeyword) const {
        const int i = data.FindFeature(pszKeyword);
        return i >= 0 ? &data.features[static_cast<size_t>(i)] : nullptr;
    }
    // The line that opens the feature ("*Feature: K", "*OpenUI *K..."), or 0.
    int LineOf(const std::string &keyword) const {
        for (size_t i = 0; i < lines.size(); ++i) {
            const std::string &l = lines[i];
            const size_t at = l.find(keyword);
            if (at == std::string::npos) continue;
            const bool bGpd = l.find("*Feature:") != std::string::npos;
            const bool bPpd = l.find("OpenUI") != std::string::npos && at > 0 && l[at - 1] == '*';
            const size_t end = at + keyword.size();
            const bool bWhole = end == l.size() || l[end] == '/' || l[end] == ':' || l[end] == ' ' ||
                                l[end] == '\t' || l[end] == '\r';
            if ((bGpd || bPpd) && bWhole) return static_cast<int>(i + 1);
        }
        return 0;
    }
};

std::vector<std::string> ReadLines(const std::wstring &path) {
    std::vector<std::string> lines;
    std::ifstream in(path.c_str(), std::ios::binary);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

void ReportReaderWarnings(LintContext &ctx, const DriverView &view) {
    for (const std::wstring &warning : view.data.warnings) {
        int line = 0;
        std::wstring text = warning;
        if (warning.compare(0, 5, L"line ") == 0) {
            line = _wtoi(warning.c_str() + 5);
            const size_t colon = warning.find(L": ");
            if (colon != std::wstring::npos) text = warning.substr(colon + 2);
        }
        ctx.report.Error(ctx.dataFile, line, "driver-parse", L"the driver data cannot be read here: " + text);
    }
}

// The feature must exist (when bNeeded) and list the named options first, in order.
void CheckFeature(LintContext &ctx, const DriverView &view, const char *pszKeyword, bool bNeeded,
                  const std::wstring &why, const std::vector<const char *> &leading, size_t minOptions) {
    const ModelFeature *pFeature = view.Feature(pszKeyword);
    if (pFeature == nullptr) {
        if (bNeeded)
            ctx.report.Warning(ctx.dataFile, 0, "driver-feature",
                               L"no feature " + Wide(pszKeyword) + L": " + why);
        return;
    }
    const int line = view.LineOf(pszKeyword);
    for (size_t i = 0; i < leading.size(); ++i) {
        if (i < pFeature->options.size() && pFeature->options[i].keyword == leading[i]) continue;
        ctx.report.Warning(ctx.dataFile, line, "driver-option",
                           L"feature " + Wide(pszKeyword) + L": option " + std::to_wstring(i) + L" must be " +
                               Wide(leading[i]) + L" (the plug-in sets it by position), found " +
                               (i < pFeature->options.size() ? Wide(pFeature->options[i].keyword) : L"none"));
        return;
    }
    if (pFeature->options.size() < minOptions)
        ctx.report.Warning(ctx.dataFile, line, "driver-option",
                           L"feature " + Wide(pszKeyword) + L" has " + std::to_wstring(pFeature->options.size()) +
                               L" options; the plug-in selects positions up to " + std::to_wstring(minOptions - 1));
}

void CheckResolutions(LintContext &ctx, const DriverView &view) {
    const int nDefault = ctx.IniInt(L"DEFAULTDEVMODE", L"iResolution", 0);
    if (nDefault == 0) return;
    HANDLE hHeap = GetProcessHeap();
    oemui::ModelConfig *pConfig = oemui::CreateModelConfig(hHeap);
    if (pConfig == nullptr) return;
    *pConfig->pIni = ctx.iniReader;
    oemui::LoadResolutionTable(pConfig);
    std::vector<long> table(pConfig->alResolution, pConfig->alResolution + pConfig->lResolutionCount);
    oemui::FreeModelConfig(hHeap, pConfig);
    const int iniLine = ctx.ini.LineOf(L"DEFAULTDEVMODE", L"iResolution");
    const ModelFeature *pQuality = view.Feature(oemui::kQualityKeyword);
    if (pQuality == nullptr) {
        ctx.report.Warning(ctx.dataFile, 0, "driver-feature",
                           L"no feature Quality, but iResolution is set: the job's resolution never follows the "
                           L"quality the user picks");
        return;
    }
    if (table.size() != pQuality->options.size())
        ctx.report.Warning(ctx.ini.name, iniLine, "driver-resolution",
                           L"Graphics1200Res/600Res/300Res give " + std::to_wstring(table.size()) +
                               L" resolutions but Quality has " + std::to_wstring(pQuality->options.size()) +
                               L" options: some qualities print at a wrong or no resolution");
    bool bListed = false;
    for (long r : table) bListed = bListed || r == nDefault;
    if (!bListed)
        ctx.report.Warning(ctx.ini.name, iniLine, "driver-resolution",
                           L"iResolution = " + std::to_wstring(nDefault) + L" is not in the resolution list");
}

void CheckInstallableOptions(LintContext &ctx, const DriverView &view) {
    const bool bAuto = ctx.IniInt(L"FUNCTION", L"AutoConfiguration", 0) == 1;
    if (ctx.IniInt(L"Common", L"PrinterHDD", 0) == 1 && view.Feature("Option4") == nullptr &&
        view.Feature("PrinterHardDisk") == nullptr)
        ctx.report.Warning(ctx.dataFile, 0, "driver-feature",
                           L"PrinterHDD=1 but no feature Option4 or PrinterHardDisk: Print and Hold never shows");
    bool bAny = false;
    for (const oemui::InstallableOption &option : oemui::kInstallableOptions)
        bAny = bAny || view.Feature(option.pszKeyword) != nullptr;
    if (bAuto && !bAny)
        ctx.report.Warning(ctx.dataFile, 0, "driver-feature",
                           L"AutoConfiguration=1 but none of the installable-option keywords is a feature: "
                           L"auto-configuration has nothing to set");
    std::vector<const char *> trayNames(std::begin(oemui::kTrayOptionNames), std::end(oemui::kTrayOptionNames) - 1);
    for (const oemui::TrayItem &tray : oemui::kTrayItems)
        CheckFeature(ctx, view, tray.pszKeyword, false, L"", trayNames, trayNames.size());
    for (const oemui::SwitchedOption &option : oemui::kSwitchedOptions) {
        CheckFeature(ctx, view, option.pszKeyword, false, L"", {option.pszOffName, option.pszOnName}, 2);
        if (option.pszOtherKeyword != nullptr)
            CheckFeature(ctx, view, option.pszOtherKeyword, false, L"", {option.pszOffName, option.pszOnName}, 2);
    }
}

}  // namespace

void LintDriverData(LintContext &ctx) {
    DriverView view;
    view.data = LoadModelData(ctx.folder + ctx.dataFile);
    view.lines = ReadLines(ctx.folder + ctx.dataFile);
    ReportReaderWarnings(ctx, view);
    const bool bEnhance = ctx.IniInt(L"Common", L"GraphicsGrayscaleEnh", 0) == 1;
    CheckFeature(ctx, view, oemui::kColorModeKeyword, ctx.bCopies || bEnhance,
                 L"the colour copies and greyscale enhancement follow the colour setting through it", {}, 2);
    CheckFeature(ctx, view, oemui::kEnhanceGrayKeyword, bEnhance,
                 L"GraphicsGrayscaleEnh=1 has nothing to switch off for colour jobs", {}, 1);
    CheckFeature(ctx, view, oemui::kRegionColorKeyword, false, L"", {}, kRegionColorOptions);
    CheckFeature(ctx, view, oemui::kStapleKeyword, false, L"", {}, 2);
    CheckResolutions(ctx, view);
    CheckInstallableOptions(ctx, view);
}

}  // namespace oemuihost
