// Model INI and version file: every section and key the plug-in reads, with
// its type and range, likely typos, repeats, and the keys the driver core
// needs to find the plug-in at all.
#include "host/lint_context.h"

#include <climits>
#include <cstdint>
#include <cwctype>
#include <set>

#include "dialogs/passcode_dialog.h"
#include "settings/model_config.h"
#include "settings/private_devmode.h"
#include "troubleshooting/diagnostic_pages.h"

namespace oemuihost {
namespace {

enum class KeyKind { Text, Integer, Switch };

struct KeySpec {
    const wchar_t *pszSection;
    const wchar_t *pszKey;
    KeyKind kind;
    int nMin;
    int nMax;
};

constexpr int kAny = INT_MAX;

// The keys the plug-in (and, for OEMConfigFile1, the driver core) reads.
constexpr KeySpec kModelIniKeys[] = {
    {L"OEMFiles", L"OEMPrefix", KeyKind::Text, 0, 0},
    {L"OEMFiles", L"OEMConfigFile1", KeyKind::Text, 0, 0},
    {L"OEMFiles", L"JobMointor", KeyKind::Integer, -kAny, kAny},
    {L"OEMFiles", L"JobMointorPath", KeyKind::Text, 0, 0},
    {L"Common", L"Caption", KeyKind::Text, 0, 0},
    {L"Common", L"PrinterHDD", KeyKind::Switch, 0, 1},
    {L"Common", L"PrinterInstalledHDD", KeyKind::Switch, 0, 1},
    {L"Common", L"ExtrasSecurePrint", KeyKind::Switch, 0, 1},
    {L"Common", L"ExtrasMinPassLen", KeyKind::Integer, -kAny, kAny},
    {L"Common", L"ExtrasMaxPassLen", KeyKind::Integer, -kAny, kAny},
    {L"Common", L"GraphicsCopiesSetting", KeyKind::Switch, 0, 1},
    {L"Common", L"GraphicsGrayscaleEnh", KeyKind::Switch, 0, 1},
    {L"Common", L"Graphics1200Res", KeyKind::Integer, 0, 15},
    {L"Common", L"Graphics600Res", KeyKind::Integer, 0, 15},
    {L"Common", L"Graphics300Res", KeyKind::Integer, 0, 15},
    {L"Common", L"PrinterJobAccounting", KeyKind::Switch, 0, 1},
    {L"Common", L"PrinterMinPassLen", KeyKind::Integer, -kAny, kAny},
    {L"Common", L"PrinterMaxPassLen", KeyKind::Integer, -kAny, kAny},
    {L"Common", L"TestPages", KeyKind::Text, 0, 0},
    {L"Common", L"TroubleOutrider", KeyKind::Integer, -kAny, kAny},
    {L"DEFAULTDEVMODE", L"iResolution", KeyKind::Integer, 0, kAny},
    {L"FUNCTION", L"AutoConfiguration", KeyKind::Switch, 0, 1},
    {L"FUNCTION", L"SupportMpTray", KeyKind::Integer, 0, 255},
    {L"FUNCTION", L"AutoCfgNetworkMDL", KeyKind::Integer, 0, 255},
    {L"FUNCTION", L"EncryptionKey", KeyKind::Text, 0, 0},
    {L"TABNUMBER", L"TabNumber", KeyKind::Integer, 0, 64},
};

constexpr KeySpec kVersionKeys[] = {
    {L"Version", L"LanguageDependent", KeyKind::Switch, 0, 1},
    {L"Version", L"Description", KeyKind::Text, 0, 0},
    {L"Version", L"MainVersion", KeyKind::Text, 0, 0},
    {L"Version", L"DriverName", KeyKind::Text, 0, 0},
    {L"Version", L"CompanyName", KeyKind::Text, 0, 0},
    {L"Version", L"DRIVERCOPYRIGHT", KeyKind::Text, 0, 0},
    {L"Version", L"Comments", KeyKind::Text, 0, 0},
};

// The module the driver core must load as its plug-in.
constexpr wchar_t kPluginModule[] = L"OEMUI.DLL";
// The printer-driver directory of a 64-bit system, the shortest the string
// tables can be opened from.
constexpr size_t kDriverDirCch = 41;  // "C:\Windows\System32\spool\drivers\x64\3\"
constexpr size_t kEncryptionKeyCch = 19;
// Longest field a passcode is stored in: ordinary and secure-print models,
// and job-accounting passwords.
constexpr int kPasscodeCeiling = sizeof(oemui::PrivateDevMode::szPasscode) / sizeof(WCHAR);
constexpr int kSecurePasscodeCeiling = sizeof(oemui::PrivateDevMode::szSecurePasscode) / sizeof(WCHAR);
constexpr int kAccountPasswordCeiling = static_cast<int>(oemui::kJobAccountCch) - 1;
// What the Print and Hold dialog takes when the model gives no limits.
constexpr int kDefaultPasscodeLength = 4;

bool IsTabKey(const std::wstring &key) {
    if (key.size() < 4 || !EqualsNoCase(key.substr(0, 3), L"Tab")) return false;
    for (size_t i = 3; i < key.size(); ++i)
        if (!iswdigit(key[i])) return false;
    return true;
}

bool IsDialogSection(const std::wstring &name) {
    return name.size() > 7 && EqualsNoCase(name.substr(name.size() - 7), L" Dialog");
}

template <size_t N>
const KeySpec *FindSpec(const KeySpec (&table)[N], const std::wstring &section, const std::wstring &key) {
    for (const KeySpec &known : table)
        if (EqualsNoCase(section, known.pszSection) && EqualsNoCase(key, known.pszKey)) return &known;
    return nullptr;
}

template <size_t N>
std::wstring NearestKey(const KeySpec (&table)[N], const std::wstring &section, const std::wstring &key) {
    std::wstring best;
    size_t bestDistance = SIZE_MAX;
    for (const KeySpec &known : table) {
        if (!EqualsNoCase(section, known.pszSection)) continue;
        const size_t d = EditDistance(key, known.pszKey);
        if (d < bestDistance) {
            bestDistance = d;
            best = known.pszKey;
        }
    }
    return bestDistance <= 3 || bestDistance * 3 <= key.size() ? best : std::wstring();
}

// A value the profile API reads as an integer: the number it gives and
// whether the whole text was that number.
struct IntReading {
    bool bDigits;
    bool bWhole;
    long long value;
};

IntReading ReadAsProfileInt(const std::wstring &text) {
    IntReading r{false, false, 0};
    size_t i = 0;
    const bool bNegative = !text.empty() && text[0] == L'-';
    if (bNegative || (!text.empty() && text[0] == L'+')) ++i;
    for (; i < text.size() && iswdigit(text[i]); ++i) {
        r.bDigits = true;
        if (r.value < 10000000000LL) r.value = r.value * 10 + (text[i] - L'0');
    }
    if (bNegative) r.value = -r.value;
    r.bWhole = r.bDigits && i == text.size();
    return r;
}

void CheckValue(LintContext &ctx, const IniFile &file, const KeySpec &known, const IniEntry &entry) {
    if (known.kind == KeyKind::Text) return;
    const IntReading r = ReadAsProfileInt(entry.value);
    const std::wstring where = L"[" + std::wstring(known.pszSection) + L"] " + known.pszKey;
    if (!r.bDigits) {
        ctx.report.Error(file.name, entry.line, "ini-type",
                         where + L" is read as a number, but \"" + entry.value + L"\" is text: it reads as 0");
        return;
    }
    if (!r.bWhole) {
        ctx.report.Warning(file.name, entry.line, "ini-type",
                           where + L" reads as " + std::to_wstring(r.value) + L"; the rest of \"" + entry.value +
                               L"\" is ignored");
    }
    if (r.value == oemui::kAbsentMarker) {
        ctx.report.Error(file.name, entry.line, "ini-range",
                         where + L" = 305419896 is the value the plug-in reads as \"key absent\"");
        return;
    }
    if (r.value < known.nMin || r.value > known.nMax) {
        const wchar_t *what = known.kind == KeyKind::Switch ? L"a switch, 0 or 1" : L"read within ";
        std::wstring range = known.kind == KeyKind::Switch
                                 ? std::wstring(what)
                                 : what + std::to_wstring(known.nMin) + L".." + std::to_wstring(known.nMax);
        ctx.report.Warning(file.name, entry.line, "ini-range",
                           where + L" = " + std::to_wstring(r.value) + L" is out of range (" + range + L")");
    }
}

template <size_t N>
void CheckKeys(LintContext &ctx, const IniFile &file, const KeySpec (&table)[N]) {
    for (const IniSection &section : file.sections) {
        if (section.repeated) continue;
        bool bKnownSection = false;
        for (const KeySpec &known : table) bKnownSection = bKnownSection || EqualsNoCase(section.name, known.pszSection);
        if (!bKnownSection) continue;
        for (const IniEntry &entry : section.entries) {
            if (const KeySpec *pSpec = FindSpec(table, section.name, entry.key)) {
                if (file.Find(section.name, entry.key) == &entry) CheckValue(ctx, file, *pSpec, entry);
                continue;
            }
            if (EqualsNoCase(section.name, L"TABNUMBER") && IsTabKey(entry.key)) {
                CheckValue(ctx, file, KeySpec{L"TABNUMBER", entry.key.c_str(), KeyKind::Integer, -kAny, kAny}, entry);
                continue;
            }
            const std::wstring nearest = NearestKey(table, section.name, entry.key);
            ctx.report.Warning(file.name, entry.line, "ini-unknown-key",
                               L"[" + section.name + L"] " + entry.key + L" is not read by the plug-in" +
                                   (nearest.empty() ? std::wstring() : L"; did you mean " + nearest + L"?"));
        }
    }
}

void CheckPrefixAndPlugin(LintContext &ctx) {
    const IniFile &ini = ctx.ini;
    const IniEntry *pPrefix = ini.Find(L"OEMFiles", L"OEMPrefix");
    if (pPrefix == nullptr || pPrefix->value.empty()) {
        ctx.report.Error(ini.name, ini.LineOf(L"OEMFiles", L"OEMPrefix"), "ini-prefix",
                         L"[OEMFiles] OEMPrefix missing: string tables, bitmaps and help are looked for as "
                         L"OEMPrefix.DAT, OEMPrefixl.bmp, ...");
    } else if (pPrefix->value.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos) {
        ctx.report.Error(ini.name, pPrefix->line, "ini-prefix",
                         L"[OEMFiles] OEMPrefix \"" + pPrefix->value +
                             L"\" holds a character that cannot be part of a file name in the driver directory");
    } else if (kDriverDirCch + pPrefix->value.size() + 6 >= MAX_PATH) {
        ctx.report.Error(ini.name, pPrefix->line, "ini-prefix",
                         L"[OEMFiles] OEMPrefix is too long: the string-table path passes 259 characters and names "
                         L"no file");
    }
    if (ini.Find(L"Common", L"Caption") == nullptr) {
        ctx.report.Warning(ini.name, ini.LineOf(L"Common", L"Caption"), "ini-missing-key",
                           L"[Common] Caption missing: the model counts as brand 0 (Korvant), whatever it is");
    }
    const IniEntry *pPlugin = ini.Find(L"OEMFiles", L"OEMConfigFile1");
    if (pPlugin == nullptr) {
        ctx.report.Error(ini.name, ini.LineOf(L"OEMFiles", L"OEMConfigFile1"), "ini-plugin",
                         L"[OEMFiles] OEMConfigFile1 missing: the driver core does not load the plug-in; add "
                         L"OEMConfigFile1=OEMUI.DLL");
    } else if (!EqualsNoCase(pPlugin->value, kPluginModule)) {
        ctx.report.Error(ini.name, pPlugin->line, "ini-plugin",
                         L"[OEMFiles] OEMConfigFile1 = \"" + pPlugin->value + L"\" does not name the plug-in " +
                             kPluginModule);
    }
    if (ctx.IniInt(L"OEMFiles", L"JobMointor", 0) != 0 && ini.Find(L"OEMFiles", L"JobMointorPath") == nullptr) {
        ctx.report.Warning(ini.name, ini.LineOf(L"OEMFiles", L"JobMointor"), "ini-missing-key",
                           L"JobMointor is on but JobMointorPath is missing: the user ID goes to the key "
                           L"HKCU\\JobMointorPath");
    }
}

// One pair of length limits, as the dialog clamps them.
void CheckLimits(LintContext &ctx, const wchar_t *pszMin, const wchar_t *pszMax, int nDefault, int nCeiling,
                 const wchar_t *pszUnit) {
    const IniEntry *pMin = ctx.ini.Find(L"Common", pszMin);
    const IniEntry *pMax = ctx.ini.Find(L"Common", pszMax);
    if (pMin == nullptr && pMax == nullptr) return;
    const int nMax = ctx.IniInt(L"Common", pszMax, nDefault);
    const int nMin = ctx.IniInt(L"Common", pszMin, nDefault);
    // The dialogs' own clamping says what the limits count as.
    const oemui::PassLimits counted = oemui::ClampPassLimits(nMin, nMax, nCeiling);
    const int nCountedMax = counted.sMax;
    if (nMax != nCountedMax) {
        ctx.report.Warning(ctx.ini.name, ctx.ini.LineOf(L"Common", pszMax), "ini-passlen",
                           std::wstring(pszMax) + L" = " + std::to_wstring(nMax) + L" is outside 1.." +
                               std::to_wstring(nCeiling) + L" (the stored field holds " + std::to_wstring(nCeiling) +
                               L" " + pszUnit + L"): it counts as " + std::to_wstring(nCountedMax));
    }
    if (nMin != counted.sMin) {
        ctx.report.Warning(ctx.ini.name, ctx.ini.LineOf(L"Common", pszMin), "ini-passlen",
                           std::wstring(pszMin) + L" = " + std::to_wstring(nMin) + L" is not within 0.." + pszMax +
                               L" (" + std::to_wstring(nCountedMax) + L"): it counts as " +
                               std::to_wstring(counted.sMin));
    }
}

void CheckFeatureValues(LintContext &ctx) {
    CheckLimits(ctx, L"ExtrasMinPassLen", L"ExtrasMaxPassLen", kDefaultPasscodeLength,
                ctx.bSecure ? kSecurePasscodeCeiling : kPasscodeCeiling,
                L"digits");
    CheckLimits(ctx, L"PrinterMinPassLen", L"PrinterMaxPassLen", kAccountPasswordCeiling, kAccountPasswordCeiling,
                L"characters");
    if (const IniEntry *pKey = ctx.ini.Find(L"FUNCTION", L"EncryptionKey")) {
        if (pKey->value.size() > kEncryptionKeyCch)
            ctx.report.Warning(ctx.ini.name, pKey->line, "text-length",
                               L"EncryptionKey has " + std::to_wstring(pKey->value.size()) +
                                   L" characters; the job keeps 19 and the printer gets the cut key");
    }
    if (const IniEntry *pAlert = ctx.ini.Find(L"Common", L"TroubleOutrider")) {
        const int n = ctx.IniInt(L"Common", L"TroubleOutrider", 0);
        if (n != 0 && n != 1)
            ctx.report.Note(ctx.ini.name, pAlert->line, "ini-range",
                            L"TroubleOutrider = " + std::to_wstring(n) +
                                L" shows the alert group without checking for a last help topic (1 checks)");
    }
}

void CheckTestPages(LintContext &ctx) {
    const IniEntry *pPages = ctx.ini.Find(L"Common", L"TestPages");
    if (pPages == nullptr) {
        if (ctx.bTroubleshooting)
            ctx.report.Warning(ctx.ini.name, ctx.ini.LineOf(L"Common", L"Caption"), "ini-testpages",
                               L"[Common] TestPages missing: the diagnostic list of the Troubleshooting page is empty");
        return;
    }
    std::set<int> seen;
    size_t start = 0;
    const std::wstring &text = pPages->value;
    while (start <= text.size()) {
        size_t comma = text.find(L',', start);
        if (comma == std::wstring::npos) comma = text.size();
        const std::wstring token = text.substr(start, comma - start);
        start = comma + 1;
        const int n = oemui::ParseTestPageToken(token.c_str());
        if (n == 0) {
            ctx.report.Error(ctx.ini.name, pPages->line, "ini-testpages",
                             L"TestPages entry \"" + Trimmed(token) + L"\" is not a page number 1.." +
                                 std::to_wstring(oemui::kDiagnosticEntryCount) + L": it is left out of the list");
        } else if (!seen.insert(n).second) {
            ctx.report.Warning(ctx.ini.name, pPages->line, "ini-testpages",
                               L"TestPages lists " + std::to_wstring(n) + L" (" +
                                   oemui::DiagnosticEntryAt(n)->pszDisplayKey +
                                   L") twice: the list shows it twice");
        }
    }
}

}  // namespace

// Repeated sections and keys of any INI-format file: the profile API reads
// the first of each and never the rest.
void CheckRepeats(LintContext &ctx, const IniFile &file) {
    for (const IniSection &section : file.sections) {
        if (section.repeated) {
            const IniSection *pFirst = file.Find(section.name);
            ctx.report.Warning(file.name, section.line, "ini-repeat",
                               L"section [" + section.name + L"] appears again (first at line " +
                                   std::to_wstring(pFirst->line) + L"): only the first is read");
            continue;
        }
        for (const IniEntry &entry : section.entries) {
            const IniEntry *pFirst = file.Find(section.name, entry.key);
            if (pFirst != &entry)
                ctx.report.Warning(file.name, entry.line, "ini-repeat",
                                   L"[" + section.name + L"] " + entry.key + L" appears again (first at line " +
                                       std::to_wstring(pFirst->line) + L"): only the first is read");
        }
    }
}

void LintModelIni(LintContext &ctx) {
    if (ctx.ini.present) {
        CheckRepeats(ctx, ctx.ini);
        CheckKeys(ctx, ctx.ini, kModelIniKeys);
        CheckPrefixAndPlugin(ctx);
        CheckFeatureValues(ctx);
        CheckTestPages(ctx);
        for (const IniSection &section : ctx.ini.sections) {
            if (section.repeated || IsDialogSection(section.name)) continue;
            bool bKnown = false;
            for (const KeySpec &known : kModelIniKeys) bKnown = bKnown || EqualsNoCase(section.name, known.pszSection);
            if (!bKnown)
                ctx.report.Note(ctx.ini.name, section.line, "ini-unknown-section",
                                L"section [" + section.name + L"] is not read by the plug-in");
        }
    }
    if (ctx.ver.present) {
        CheckRepeats(ctx, ctx.ver);
        CheckKeys(ctx, ctx.ver, kVersionKeys);
    }
}

}  // namespace oemuihost
