#include "host/lint.h"

#include <algorithm>
#include <cwctype>
#include <set>

#include "host/console.h"
#include "host/lint_context.h"
#include "host/scenario_runner.h"
#include "settings/driver_info.h"
#include "settings/model_config.h"
#include "settings/user_store.h"

namespace oemuihost {
namespace {

const wchar_t *SeverityName(LintSeverity severity) {
    switch (severity) {
    case LintSeverity::Error: return L"error";
    case LintSeverity::Warning: return L"warning";
    default: return L"note";
    }
}

std::string JsonText(const std::wstring &text) {
    std::string out = "\"";
    for (unsigned char c : ToUtf8(text)) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            static const char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::wstring Plural(size_t n, const wchar_t *word) {
    return std::to_wstring(n) + L" " + word + (n == 1 ? L"" : L"s");
}

bool HasExtension(const std::wstring &name, const wchar_t *ext) {
    const size_t dot = name.find_last_of(L'.');
    return dot != std::wstring::npos && EqualsNoCase(name.substr(dot), ext);
}

std::wstring WithBackslash(std::wstring path) {
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
    return path;
}

// Every code the plug-in's language rule can derive, from its own table.
std::set<std::wstring> DerivableLanguageCodes() {
    std::set<std::wstring> codes;
    for (unsigned primary = 0; primary < 0x400; ++primary)
        for (unsigned sub = 0; sub < 0x40; ++sub)
            if (const wchar_t *psz = oemui::LanguageCodeForLangId(MAKELANGID(primary, sub))) codes.insert(psz);
    return codes;
}

void OpenStringTable(LintContext &ctx, const std::wstring &code, const std::wstring &name) {
    StringTable table;
    table.code = code;
    table.file = ScanIniFile(ctx.folder, name);
    table.reader.SetPath(table.file.path.c_str());
    ctx.tables.push_back(std::move(table));
}

// The tables the plug-in can open, as it names them; those absent are the
// file checks' to report.
void FindStringTables(LintContext &ctx, const std::vector<std::wstring> &names) {
    if (ctx.brand == oemui::kBrandMero) {
        OpenStringTable(ctx, L"", ctx.ini.name);
        return;
    }
    if (!ctx.bLanguageDependent) {
        OpenStringTable(ctx, L"", ctx.prefix + L".DAT");
        return;
    }
    std::set<std::wstring> codes = DerivableLanguageCodes();
    // Tables for codes an installer stores itself (for example AR) count too.
    for (const std::wstring &name : names) {
        if (name.size() == ctx.prefix.size() + 6 && HasExtension(name, L".DAT") &&
            EqualsNoCase(name.substr(0, ctx.prefix.size()), ctx.prefix))
            codes.insert(name.substr(ctx.prefix.size(), 2));
    }
    for (const std::wstring &code : codes) OpenStringTable(ctx, code, ctx.prefix + code + L".DAT");
}

void FindReachableDialogs(LintContext &ctx) {
    const int nHdd = ctx.IniInt(L"Common", L"PrinterHDD", 0);
    const int nInstalled = ctx.IniInt(L"Common", L"PrinterInstalledHDD", 0);
    ctx.bSecure = static_cast<SHORT>(ctx.IniInt(L"Common", L"ExtrasSecurePrint", 0)) == 1;
    ctx.bHold = ctx.bSecure || nHdd == 1 || (nInstalled == 1 && nHdd == 0);
    ctx.bCopies = ctx.IniInt(L"Common", L"GraphicsCopiesSetting", 0) != 0;
    ctx.bJobAccounting = ctx.IniInt(L"Common", L"PrinterJobAccounting", 0) != 0;
    bool bPage = false;
    const int nTabs = ctx.IniInt(L"TABNUMBER", L"TabNumber", 0);
    for (int i = 0; i < nTabs && i < 64; ++i)
        bPage = bPage || ctx.IniInt(L"TABNUMBER", (L"Tab" + std::to_wstring(i)).c_str(), 100) == 12;
    ctx.bTroubleshooting = bPage && ctx.brand == oemui::kBrandTalix;
    ctx.bOutrider = ctx.bTroubleshooting && ctx.IniInt(L"Common", L"TroubleOutrider", 0) != 0;
}

}  // namespace

void LintReport::Add(const std::wstring &file, int line, LintSeverity severity, const char *rule,
                     const std::wstring &message) {
    // Two controls sharing one key (a label and its twin) give one finding.
    for (const LintFinding &f : m_findings)
        if (f.line == line && f.rule == rule && f.file == file && f.message == message) return;
    m_findings.push_back(LintFinding{file, line, severity, rule, message});
}

size_t LintReport::Count(LintSeverity severity) const {
    return static_cast<size_t>(std::count_if(m_findings.begin(), m_findings.end(),
                                             [&](const LintFinding &f) { return f.severity == severity; }));
}

int LintReport::ExitCode(bool bWerror) const {
    if (!m_fatal.empty()) return 2;
    if (Count(LintSeverity::Error) > 0 || (bWerror && Count(LintSeverity::Warning) > 0)) return 1;
    return 0;
}

void LintReport::Sort() {
    std::stable_sort(m_findings.begin(), m_findings.end(), [](const LintFinding &a, const LintFinding &b) {
        if (a.file != b.file) return a.file < b.file;
        return a.line < b.line;
    });
}

std::wstring LintReport::RenderText(const std::wstring &folderShown) const {
    const wchar_t separator = folderShown.find(L'/') != std::wstring::npos ? L'/' : L'\\';
    std::wstring prefix = folderShown;
    if (!prefix.empty() && prefix.back() != L'/' && prefix.back() != L'\\') prefix += separator;
    std::wstring out;
    if (!m_fatal.empty()) return folderShown + L": error: " + m_fatal + L"\n";
    for (const LintFinding &f : m_findings) {
        out += prefix + f.file;
        if (f.line > 0) out += L":" + std::to_wstring(f.line);
        out += L": " + std::wstring(SeverityName(f.severity)) + L": " + f.message + L" [" +
               std::wstring(f.rule.begin(), f.rule.end()) + L"]\n";
    }
    out += folderShown + L": " + Plural(Count(LintSeverity::Error), L"error") + L", " +
           Plural(Count(LintSeverity::Warning), L"warning") + L", " + Plural(Count(LintSeverity::Note), L"note") +
           L"\n";
    return out;
}

std::string LintReport::RenderJson(const std::wstring &folderShown, bool bWerror) const {
    std::string out = "{\n  \"folder\": " + JsonText(folderShown) + ",\n";
    if (!m_fatal.empty()) out += "  \"fatal\": " + JsonText(m_fatal) + ",\n";
    out += "  \"findings\": [";
    for (size_t i = 0; i < m_findings.size(); ++i) {
        const LintFinding &f = m_findings[i];
        out += i == 0 ? "\n" : ",\n";
        out += "    {\"file\": " + JsonText(f.file) + ", \"line\": " + std::to_string(f.line) +
               ", \"severity\": " + JsonText(SeverityName(f.severity)) + ", \"rule\": \"" + f.rule +
               "\", \"message\": " + JsonText(f.message) + "}";
    }
    out += m_findings.empty() ? "],\n" : "\n  ],\n";
    out += "  \"summary\": {\"errors\": " + std::to_string(Count(LintSeverity::Error)) +
           ", \"warnings\": " + std::to_string(Count(LintSeverity::Warning)) +
           ", \"notes\": " + std::to_string(Count(LintSeverity::Note)) +
           ", \"exitCode\": " + std::to_string(ExitCode(bWerror)) + "}\n}\n";
    return out;
}

const DialogTemplate *LintContext::Template(WORD id) const {
    for (const DialogTemplate &t : templates)
        if (t.id == id) return &t;
    return nullptr;
}

int LintContext::IniInt(const wchar_t *pszSection, const wchar_t *pszKey, int nDefault) const {
    oemui::ProfileReader reader = iniReader;
    reader.SetSection(pszSection);
    return reader.ReadInt(pszKey, nDefault);
}

size_t EditDistance(const std::wstring &a, const std::wstring &b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            const bool same = towlower(a[i - 1]) == towlower(b[j - 1]);
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

LintTargetKind ClassifyLintTarget(const std::wstring &path) {
    const DWORD attrs = GetFileAttributesW(path.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) return LintTargetKind::Missing;
    if ((attrs & FILE_ATTRIBUTE_DIRECTORY) == 0) return HasExtension(path, L".INF") ? LintTargetKind::Package
                                                                                     : LintTargetKind::Missing;
    for (const std::wstring &name : FilesInFolder(WithBackslash(path)))
        if (HasExtension(name, L".INF")) return LintTargetKind::Package;
    return LintTargetKind::ModelFolder;
}

LintReport LintModelFolder(const std::wstring &folderPath, const std::wstring &dllPath) {
    LintReport report;
    LintContext ctx(report);
    ctx.folder = WithBackslash(folderPath);
    const std::vector<std::wstring> names = FilesInFolder(ctx.folder);
    for (const std::wstring &name : names) {
        if (!HasExtension(name, L".GPD") && !HasExtension(name, L".PPD")) continue;
        if (!ctx.dataFile.empty()) {
            report.Fatal(L"more than one driver data file (" + ctx.dataFile + L", " + name + L")");
            return report;
        }
        ctx.dataFile = name;
    }
    if (ctx.dataFile.empty()) {
        report.Fatal(L"no driver data file (.GPD or .PPD) in the folder");
        return report;
    }
    wchar_t szStem[MAX_PATH];
    oemui::DataFileStem(ctx.dataFile.c_str(), szStem, MAX_PATH);
    ctx.stem = szStem;
    ctx.bIsPpd = ctx.dataFile.find(L".PPD") != std::wstring::npos;
    std::wstring templateError;
    if (!LoadDialogTemplates(dllPath, &ctx.templates, &templateError)) {
        report.Fatal(L"cannot read the plug-in's dialog templates: " + templateError);
        return report;
    }

    ctx.ini = ScanIniFile(ctx.folder, ctx.stem + L"u.INI");
    ctx.ver = ScanIniFile(ctx.folder, ctx.stem + L".VER");
    if (ctx.ini.present) ctx.iniReader.SetPath(ctx.ini.path.c_str());
    if (ctx.ver.present) ctx.verReader.SetPath(ctx.ver.path.c_str());

    wchar_t szText[oemui::kProfileTextCch];
    ctx.iniReader.SetSection(L"OEMFiles");
    ctx.iniReader.ReadText(L"OEMPrefix", szText);
    ctx.prefix = szText;
    ctx.iniReader.SetSection(L"Common");
    ctx.brand = oemui::BrandFromCaption(ctx.iniReader);
    ctx.verReader.SetSection(L"Version");
    ctx.bLanguageDependent = ctx.verReader.ReadInt(L"LanguageDependent", 0) == 1;
    FindStringTables(ctx, names);
    FindReachableDialogs(ctx);

    LintFiles(ctx);
    LintModelIni(ctx);
    LintStringTables(ctx);
    LintStringKeys(ctx);
    LintTextRules(ctx);
    LintAboutAndHints(ctx);
    LintDriverData(ctx);
    report.Sort();
    return report;
}

int RunLint(const LintOptions &options) {
    const std::wstring folder = ResolveModelDirectory(options.target);
    LintReport report;
    switch (ClassifyLintTarget(folder)) {
    case LintTargetKind::Missing:
        report.Fatal(L"no such model folder");
        break;
    case LintTargetKind::Package:
        report = LintPackage(folder, options.dllPath);
        break;
    case LintTargetKind::ModelFolder:
        report = LintModelFolder(folder, options.dllPath);
        break;
    }
    if (options.json)
        Print(FromUtf8(report.RenderJson(options.target, options.werror)));
    else if (!report.FatalMessage().empty())
        PrintError(L"oemuihost lint: " + report.RenderText(options.target));
    else
        Print(report.RenderText(options.target));
    return report.ExitCode(options.werror);
}

}  // namespace oemuihost
