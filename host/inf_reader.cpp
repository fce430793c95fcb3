#include "host/inf_reader.h"

#include <windows.h>

#include <setupapi.h>

#include <algorithm>
#include <cwctype>

#include "host/driver_package.h"
#include "host/plugin_host.h"
#include "settings/profile_reader.h"

namespace oemuihost {
namespace {

// The printer-driver folder's directory id.
constexpr wchar_t kDriverDirId[] = L"66000";
// Decorations the installer of 64-bit Windows looks for, best first.
constexpr const wchar_t *kDecorations[] = {L".NTamd64", L".NT", L""};

struct CoreNeeds {
    const wchar_t *extension;
    const wchar_t *dataSection;
    const wchar_t *needs;
};
constexpr CoreNeeds kCores[] = {
    {L".GPD", L"UNIDRV_DATA", L"UNIDRV.OEM"},
    {L".PPD", L"PSCRIPT_DATA", L"PSCRIPT.OEM"},
};

bool Same(const std::wstring &a, const std::wstring &b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::wstring Upper(std::wstring text) {
    for (wchar_t &c : text) c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

class Inf {
public:
    explicit Inf(const std::wstring &path) : m_path(path), m_name(FileNameOf(path)) {}
    ~Inf() {
        if (m_hInf != INVALID_HANDLE_VALUE) SetupCloseInfFile(m_hInf);
    }
    Inf(const Inf &) = delete;
    Inf &operator=(const Inf &) = delete;

    bool Open(std::wstring *pError) {
        UINT errorLine = 0;
        m_hInf = SetupOpenInfFileW(m_path.c_str(), nullptr, INF_STYLE_WIN4, &errorLine);
        if (m_hInf != INVALID_HANDLE_VALUE) return true;
        const DWORD error = GetLastError();
        *pError = m_name + (errorLine != 0 ? L" line " + std::to_wstring(errorLine) : std::wstring()) +
                  L": the setup library refuses it, error " + HexCode(error) +
                  (error == ERROR_WRONG_INF_STYLE ? L" (no [Version] Signature=\"$Windows NT$\")" : L"");
        return false;
    }

    bool HasSection(const std::wstring &section) const { return SetupGetLineCountW(m_hInf, section.c_str()) >= 0; }
    bool First(const std::wstring &section, const wchar_t *pszKey, INFCONTEXT *pContext) const {
        return SetupFindFirstLineW(m_hInf, section.c_str(), pszKey, pContext) != FALSE;
    }

    // Field n of a line (0 is its key), strings substituted.
    static std::wstring Field(INFCONTEXT *pContext, DWORD n) {
        wchar_t sz[MAX_PATH * 2] = {};
        DWORD cch = 0;
        if (!SetupGetStringFieldW(pContext, n, sz, static_cast<DWORD>(std::size(sz)), &cch)) return std::wstring();
        return sz;
    }

    // "NAME.INF line N ([Section] text)": the line as the file has it, found
    // by counting the section's lines the way setup does.
    std::wstring Where(const INFCONTEXT &context) const {
        const std::wstring section = SectionName(context);
        const unsigned line = PhysicalLine(section, context.Line);
        const std::vector<std::wstring> lines = Lines();
        const std::wstring text = line != 0 && line <= lines.size() ? Trimmed(lines[line - 1]) : std::wstring();
        return m_name + (line != 0 ? L" line " + std::to_wstring(line) : std::wstring()) + L" ([" + section + L"] " +
               text + L")";
    }
    std::wstring Name() const { return m_name; }

private:
    std::wstring SectionName(const INFCONTEXT &context) const {
        // Setup keeps no name in the context: look the section up by its lines.
        for (const std::wstring &name : Sections())
            if (SetupGetLineCountW(m_hInf, name.c_str()) >= 0) {
                INFCONTEXT probe = {};
                if (SetupFindFirstLineW(m_hInf, name.c_str(), nullptr, &probe) && probe.Section == context.Section)
                    return name;
            }
        return L"?";
    }

    std::vector<std::wstring> Lines() const {
        std::vector<std::wstring> lines;
        std::string bytes;
        if (!ReadWholeFile(m_path, &bytes)) return lines;
        const std::wstring text = DecodeText(bytes);
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = text.find(L'\n', start);
            if (end == std::wstring::npos) end = text.size();
            std::wstring line = text.substr(start, end - start);
            while (!line.empty() && (line.back() == L'\r' || line.back() == L' ' || line.back() == L'\t')) line.pop_back();
            lines.push_back(line);
            start = end + 1;
        }
        return lines;
    }

    static std::wstring Trimmed(const std::wstring &line) {
        const size_t first = line.find_first_not_of(L" \t");
        return first == std::wstring::npos ? std::wstring() : line.substr(first);
    }

    std::vector<std::wstring> Sections() const {
        std::vector<std::wstring> names;
        for (const std::wstring &raw : Lines()) {
            const std::wstring line = Trimmed(raw);
            if (line.size() > 2 && line[0] == L'[' && line.back() == L']') names.push_back(line.substr(1, line.size() - 2));
        }
        return names;
    }

    // Setup numbers a section's lines from 0, skipping blank and comment
    // lines; a section may appear more than once.
    unsigned PhysicalLine(const std::wstring &section, DWORD index) const {
        const std::vector<std::wstring> lines = Lines();
        bool inside = false;
        DWORD seen = 0;
        for (size_t n = 0; n < lines.size(); ++n) {
            const std::wstring line = Trimmed(lines[n]);
            if (!line.empty() && line[0] == L'[') {
                inside = line.back() == L']' && Same(line.substr(1, line.size() - 2), section);
                continue;
            }
            if (!inside || line.empty() || line[0] == L';') continue;
            if (seen++ == index) return static_cast<unsigned>(n + 1);
        }
        return 0;
    }

    std::wstring m_path;
    std::wstring m_name;
    HINF m_hInf = INVALID_HANDLE_VALUE;
};

bool Fail(std::wstring *pError, const std::wstring &text) {
    *pError = text;
    return false;
}

// Every entry of [Manufacturer] with its models section for 64-bit Windows.
bool ReadModels(const Inf &inf, std::vector<InfModelEntry> *pModels, std::wstring *pError) {
    INFCONTEXT maker = {};
    if (!inf.First(L"Manufacturer", nullptr, &maker)) return Fail(pError, inf.Name() + L": no [Manufacturer] section");
    do {
        const std::wstring base = Inf::Field(&maker, 1);
        std::wstring section;
        for (DWORD n = 2; n <= SetupGetFieldCount(&maker) && section.empty(); ++n) {
            const std::wstring decoration = Inf::Field(&maker, n);
            if (Upper(decoration).rfind(L"NTAMD64", 0) == 0) section = base + L"." + decoration;
        }
        if (section.empty())
            return Fail(pError, inf.Where(maker) + L": no models for 64-bit Windows (decoration NTamd64)");
        INFCONTEXT model = {};
        if (!inf.First(section, nullptr, &model))
            return Fail(pError, inf.Where(maker) + L": the models section [" + section + L"] is missing or empty");
        do {
            pModels->push_back({Inf::Field(&maker, 0), Inf::Field(&model, 0), Inf::Field(&model, 1)});
        } while (SetupFindNextLine(&model, &model));
    } while (SetupFindNextLine(&maker, &maker));
    return true;
}

// A source file's full path: [SourceDisksFiles] gives its disk and subfolder,
// [SourceDisksNames] the disk's folder, both relative to the INF's folder.
bool SourcePath(const Inf &inf, const std::wstring &folder, const std::wstring &name, std::wstring *pPath,
                std::wstring *pError) {
    INFCONTEXT file = {};
    bool found = false;
    for (const wchar_t *pszDeco : {L".amd64", L""})
        found = found || inf.First(std::wstring(L"SourceDisksFiles") + pszDeco, name.c_str(), &file);
    if (!found) return Fail(pError, inf.Name() + L": " + name + L" has no [SourceDisksFiles] entry");
    const std::wstring disk = Inf::Field(&file, 1), subdir = Inf::Field(&file, 2);
    INFCONTEXT names = {};
    found = false;
    for (const wchar_t *pszDeco : {L".amd64", L""})
        found = found || inf.First(std::wstring(L"SourceDisksNames") + pszDeco, disk.c_str(), &names);
    if (!found) return Fail(pError, inf.Where(file) + L": disk " + disk + L" has no [SourceDisksNames] entry");
    const std::wstring diskPath = Inf::Field(&names, 4);
    std::wstring relative = WithBackslash(diskPath);
    if (!subdir.empty()) relative += WithBackslash(subdir);
    relative += name;
    wchar_t szFull[MAX_PATH] = {};
    const bool absolute = relative.find(L':') != std::wstring::npos || relative[0] == L'\\' || relative[0] == L'/';
    if (absolute || GetFullPathNameW((folder + relative).c_str(), MAX_PATH, szFull, nullptr) == 0 ||
        CompareStringOrdinal(szFull, static_cast<int>(folder.size()), folder.c_str(), static_cast<int>(folder.size()),
                             TRUE) != CSTR_EQUAL) {
        return Fail(pError, inf.Where(file) + L": copies " + relative + L" from outside the package folder");
    }
    if (GetFileAttributesW(szFull) == INVALID_FILE_ATTRIBUTES)
        return Fail(pError, inf.Where(file) + L": the file " + std::wstring(szFull) + L" is missing");
    *pPath = szFull;
    return true;
}

// One CopyFiles value: "@file" or a list section whose lines name files.
bool AddCopyList(const Inf &inf, INFCONTEXT *pLine, const std::wstring &list, InfDriver *pDriver,
                 std::wstring *pError) {
    std::vector<std::pair<std::wstring, std::wstring>> entries;  // destination, source
    if (!list.empty() && list[0] == L'@') {
        entries.emplace_back(list.substr(1), list.substr(1));
    } else {
        INFCONTEXT dest = {};
        if (inf.First(L"DestinationDirs", list.c_str(), &dest) || inf.First(L"DestinationDirs", L"DefaultDestDir", &dest)) {
            if (Inf::Field(&dest, 1) != kDriverDirId)
                return Fail(pError, inf.Where(dest) + L": files go to the printer-driver folder (66000) only");
        } else {
            return Fail(pError, inf.Name() + L": [DestinationDirs] names no folder for " + list);
        }
        INFCONTEXT line = {};
        if (!inf.HasSection(list)) return Fail(pError, inf.Where(*pLine) + L": the section [" + list + L"] is missing");
        if (inf.First(list, nullptr, &line)) {
            do {
                const std::wstring target = Inf::Field(&line, 1);
                const std::wstring source = Inf::Field(&line, 2);
                entries.emplace_back(target, source.empty() ? target : source);
            } while (SetupFindNextLine(&line, &line));
        }
    }
    for (const auto &entry : entries) {
        if (entry.first.empty() || entry.first.find_first_of(L"\\/:") != std::wstring::npos)
            return Fail(pError, inf.Where(*pLine) + L": \"" + entry.first + L"\" is not a file name in the driver folder");
        std::wstring path;
        if (!SourcePath(inf, pDriver->folder, entry.second, &path, pError)) return false;
        bool known = false;
        for (const std::wstring &f : pDriver->files) known = known || Same(f, entry.first);
        if (known) continue;
        pDriver->files.push_back(entry.first);
        pDriver->sources.push_back(path);
    }
    return true;
}

// The install section's key, which must be there.
bool RequiredValue(const Inf &inf, const std::wstring &section, const wchar_t *pszKey, INFCONTEXT *pLine,
                   std::wstring *pValue, std::wstring *pError) {
    if (!inf.First(section, pszKey, pLine))
        return Fail(pError, inf.Name() + L": [" + section + L"] has no " + pszKey + L"=");
    *pValue = Inf::Field(pLine, 1);
    return true;
}

bool CheckCore(const Inf &inf, const std::wstring &section, const InfDriver &driver, std::wstring *pError) {
    const std::wstring data = Upper(driver.dataFile);
    const CoreNeeds *pCore = nullptr;
    for (const CoreNeeds &core : kCores)
        if (data.size() > 4 && data.compare(data.size() - 4, 4, core.extension) == 0) pCore = &core;
    if (pCore == nullptr) return Fail(pError, inf.Name() + L": the data file " + driver.dataFile + L" is no .GPD or .PPD");
    INFCONTEXT line = {};
    std::wstring value;
    if (!RequiredValue(inf, section, L"Include", &line, &value, pError)) return false;
    if (!Same(value, L"NTPRINT.INF")) return Fail(pError, inf.Where(line) + L": the core's files come from NTPRINT.INF");
    if (!RequiredValue(inf, section, L"Needs", &line, &value, pError)) return false;
    bool needs = false;
    for (DWORD n = 1; n <= SetupGetFieldCount(&line); ++n) needs = needs || Same(Inf::Field(&line, n), pCore->needs);
    if (!needs)
        return Fail(pError, inf.Where(line) + L": a " + std::wstring(pCore->extension + 1) + L" data file needs " +
                                pCore->needs);
    if (inf.First(section, L"DataSection", &line) && !Same(Inf::Field(&line, 1), pCore->dataSection))
        return Fail(pError, inf.Where(line) + L": a " + std::wstring(pCore->extension + 1) + L" data file takes " +
                                pCore->dataSection);
    return true;
}

}  // namespace

bool FindPackageInf(const std::wstring &folder, std::wstring *pInfPath, std::wstring *pError) {
    const std::wstring dir = WithBackslash(ToWindowsPath(folder));
    std::vector<std::wstring> infs;
    for (const std::wstring &name : FilesOf(dir))
        if (name.size() > 4 && Same(name.substr(name.size() - 4), L".INF")) infs.push_back(name);
    if (infs.empty()) return Fail(pError, L"no INF in " + dir);
    if (infs.size() > 1) return Fail(pError, L"several INFs in " + dir + L": name one of them");
    *pInfPath = dir + infs[0];
    return true;
}

bool FindUiPluginEntry(const std::wstring &directory, const std::vector<std::wstring> &files, std::wstring *pPlugin,
                       std::wstring *pIni) {
    for (const std::wstring &file : files) {
        const std::wstring name = FileNameOf(file);
        if (name.size() < 4 || !Same(name.substr(name.size() - 4), L".INI")) continue;
        oemui::ProfileReader ini;
        ini.SetPath((directory + name).c_str());
        ini.SetSection(L"OEMFiles");
        wchar_t szPlugin[oemui::kProfileTextCch] = {};
        ini.ReadText(L"OEMConfigFile1", szPlugin);
        if (lstrcmpW(szPlugin, L"OEMConfigFile1") == 0) continue;
        *pPlugin = szPlugin;
        *pIni = name;
        return true;
    }
    return false;
}

bool ReadInfDriver(const std::wstring &infPath, const std::wstring &modelChoice, InfDriver *pDriver,
                   std::wstring *pError) {
    InfDriver driver;
    wchar_t szFull[MAX_PATH] = {};
    wchar_t *pszName = nullptr;
    if (GetFullPathNameW(ToWindowsPath(infPath).c_str(), MAX_PATH, szFull, &pszName) == 0 || pszName == nullptr)
        return Fail(pError, L"no such INF: " + infPath);
    driver.infPath = szFull;
    driver.folder = std::wstring(szFull, pszName);
    Inf inf(driver.infPath);
    if (!inf.Open(pError)) return false;

    INFCONTEXT line = {};
    if (!inf.First(L"Version", L"Class", &line) || !Same(Inf::Field(&line, 1), L"Printer"))
        return Fail(pError, inf.Name() + L": [Version] Class=Printer is missing");

    std::vector<InfModelEntry> models;
    if (!ReadModels(inf, &models, pError)) return false;
    const InfModelEntry *pModel = models.size() == 1 && modelChoice.empty() ? &models[0] : nullptr;
    for (const InfModelEntry &m : models)
        if (!modelChoice.empty() && Same(m.name, modelChoice)) pModel = &m;
    if (pModel == nullptr) {
        std::wstring list;
        for (const InfModelEntry &m : models) list += L"\n  \"" + m.name + L"\" (" + m.manufacturer + L")";
        return Fail(pError, inf.Name() + (modelChoice.empty() ? L" offers several models; choose one with --model:"
                                                              : L" has no model \"" + modelChoice + L"\"; it offers:") +
                                list);
    }
    driver.model = *pModel;

    std::wstring section;
    for (const wchar_t *pszDeco : kDecorations)
        if (section.empty() && inf.HasSection(pModel->installSection + pszDeco)) section = pModel->installSection + pszDeco;
    if (section.empty())
        return Fail(pError, inf.Name() + L": the install section [" + pModel->installSection + L"] of \"" +
                                pModel->name + L"\" is missing");

    if (!inf.First(section, L"CopyFiles", &line)) return Fail(pError, inf.Name() + L": [" + section + L"] has no CopyFiles=");
    do {
        for (DWORD n = 1; n <= SetupGetFieldCount(&line); ++n)
            if (!AddCopyList(inf, &line, Inf::Field(&line, n), &driver, pError)) return false;
    } while (SetupFindNextMatchLineW(&line, L"CopyFiles", &line));

    if (!RequiredValue(inf, section, L"DataFile", &line, &driver.dataFile, pError)) return false;
    bool copied = false;
    for (const std::wstring &f : driver.files) copied = copied || Same(f, driver.dataFile);
    if (!copied) return Fail(pError, inf.Where(line) + L": the data file is not among the copied files");
    if (!CheckCore(inf, section, driver, pError)) return false;

    std::vector<std::wstring> sourceNames;
    for (const std::wstring &s : driver.sources) sourceNames.push_back(FileNameOf(s));
    for (size_t i = 0; i < driver.files.size(); ++i) {
        // Read each INI where it is, under the name it will have.
        const std::wstring dir = driver.sources[i].substr(0, driver.sources[i].size() - sourceNames[i].size());
        if (FindUiPluginEntry(dir, {sourceNames[i]}, &driver.uiPlugin, &driver.uiPluginIni)) {
            driver.uiPluginIni = driver.files[i];
            break;
        }
    }
    if (driver.uiPlugin.empty())
        return Fail(pError, inf.Name() + L": no INI among the copied files names a UI plug-in ([OEMFiles] OEMConfigFile1)");
    copied = false;
    for (const std::wstring &f : driver.files) copied = copied || Same(f, driver.uiPlugin);
    if (!copied)
        return Fail(pError, inf.Name() + L": " + driver.uiPluginIni + L" names the UI plug-in " + driver.uiPlugin +
                                L", which the INF does not copy");
    *pDriver = driver;
    return true;
}

}  // namespace oemuihost
