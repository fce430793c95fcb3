#include "scale_models.h"

#include <windows.h>

#include <string>
#include <vector>

namespace bench {
namespace {

// Sections of the string table the dialogs and the page read.
constexpr const char *kReadSections[] = {"[Hold Dialog]",           "[Copies Dialog]",   "[Job Accounting Dialog]",
                                         "[Troubleshooting Dialog]", "[Outrider Dialog]", "[About Dialog]"};
constexpr int kKeysPerExtraSection = 25;
constexpr int kOptionsPerFeature = 30;
constexpr int kKeysPerIniSection = 10;

bool ReadAll(const std::wstring &path, std::string *pText) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const DWORD cb = GetFileSize(h, nullptr);
    pText->resize(cb);
    DWORD cbRead = 0;
    const bool ok = cb == 0 || (ReadFile(h, &(*pText)[0], cb, &cbRead, nullptr) && cbRead == cb);
    CloseHandle(h);
    return ok;
}

bool WriteAll(const std::wstring &path, const std::string &text) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD cbWritten = 0;
    const bool ok = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &cbWritten, nullptr) &&
                    cbWritten == text.size();
    CloseHandle(h);
    return ok;
}

std::string Num(int n) { return std::to_string(n); }

// cKeys lines "Unused<tag>_<n>=Text <n> that no dialog shows".
std::string Filler(const std::string &tag, int cKeys) {
    std::string out;
    for (int i = 0; i < cKeys; ++i)
        out += "Unused" + tag + "_" + Num(i) + "=Text " + Num(i) + " that no dialog of this model shows\r\n";
    return out;
}

std::string GrowStringTable(std::string text, int cKeys) {
    const int cInRead = cKeys / 4;
    const int cPerSection = cInRead / int(sizeof(kReadSections) / sizeof(kReadSections[0]));
    int n = 0;
    for (const char *pszSection : kReadSections) {
        const size_t at = text.find(pszSection);
        if (at == std::string::npos) continue;
        const size_t lineEnd = text.find('\n', at) + 1;
        text.insert(lineEnd, Filler("S" + Num(n++), cPerSection));
    }
    std::string extra;
    for (int s = 0; s < (cKeys - cInRead) / kKeysPerExtraSection; ++s)
        extra += "[Unused Section " + Num(s) + "]\r\n" + Filler("X" + Num(s), kKeysPerExtraSection);
    // Ahead of the first section, after the opening comment.
    const size_t first = text.find('[');
    text.insert(first == std::string::npos ? text.size() : first, extra);
    return text;
}

std::string GrowIni(std::string text, int cSections) {
    std::string extra;
    for (int s = 0; s < cSections; ++s) extra += "[Unused Section " + Num(s) + "]\r\n" + Filler("I" + Num(s), kKeysPerIniSection);
    const size_t first = text.find('[');
    text.insert(first == std::string::npos ? text.size() : first, extra);
    const std::string on = "AutoConfiguration=1";
    const size_t at = text.find(on);
    if (at != std::string::npos) text.replace(at, on.size(), "AutoConfiguration=0");
    return text;
}

std::string OpenUi(const std::string &keyword, const std::vector<std::string> &options, const std::string &def) {
    std::string out = "*OpenUI *" + keyword + "/" + keyword + ": PickOne\r\n*Default" + keyword + ": " + def + "\r\n";
    for (const std::string &o : options) out += "*" + keyword + " " + o + "/" + o + ": \"\"\r\n";
    return out + "*CloseUI: *" + keyword + "\r\n\r\n";
}

std::string MakePpd(int cOptions) {
    std::string out =
        "*PPD-Adobe: \"4.3\"\r\n*FormatVersion: \"4.3\"\r\n*PCFileName: \"TLXC500.PPD\"\r\n"
        "*ModelName: \"Talix C500 Colour\"\r\n*NickName: \"Talix C500 Colour\"\r\n*ColorDevice: True\r\n\r\n"
        "*OpenGroup: InstallableOptions/Installable Options\r\n";
    out += OpenUi("OptTray2", {"False", "True", "LCT"}, "False");
    out += OpenUi("DuplexUnit", {"False", "True"}, "True");
    out += OpenUi("PrinterHardDisk", {"False", "True"}, "True");
    out += "*CloseGroup: InstallableOptions\r\n\r\n";
    out += OpenUi("ColorMode", {"Color", "Mono"}, "Color");
    out += OpenUi("Quality", {"Fine", "Normal", "Draft"}, "Normal");
    out += OpenUi("Duplex", {"None", "DuplexNoTumble", "DuplexTumble"}, "None");
    out += OpenUi("JCLMediaType", {"Plain", "Thick", "Transparency"}, "Plain");
    out += OpenUi("StapleLocation", {"None", "TopLeft"}, "None");
    for (int f = 0; f * kOptionsPerFeature < cOptions; ++f) {
        std::vector<std::string> options;
        for (int o = 0; o < kOptionsPerFeature; ++o) options.push_back("Choice" + Num(o));
        out += OpenUi("UnusedFeature" + Num(f), options, "Choice0");
    }
    return out;
}

}  // namespace

bool BuildVariant(const std::wstring &sampleDir, int nFactor, ModelVariant *pVariant, std::wstring *pError) {
    wchar_t szTemp[MAX_PATH];
    GetTempPathW(MAX_PATH, szTemp);
    ModelVariant v;
    v.dir = std::wstring(szTemp) + L"oemui_scale_x" + std::to_wstring(nFactor) + L"\\";
    v.nFactor = nFactor;
    v.nStringKeys = 100 * nFactor;
    v.nPpdOptions = 30 * nFactor;
    v.nIniSections = 10 * nFactor;
    CreateDirectoryW(v.dir.c_str(), nullptr);
    const std::wstring src = sampleDir.back() == L'\\' ? sampleDir : sampleDir + L"\\";
    WIN32_FIND_DATAW fd;
    HANDLE hFind = FindFirstFileW((src + L"*").c_str(), &fd);
    if (hFind == INVALID_HANDLE_VALUE) {
        *pError = L"no sample in " + src;
        return false;
    }
    bool ok = true;
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::wstring name = fd.cFileName;
        std::string text;
        if (name == L"TLXC500.GPD") continue;
        if (name == L"TLXEN.DAT" || name == L"TLXC500u.INI") {
            ok = ok && ReadAll(src + name, &text) &&
                 WriteAll(v.dir + name, name == L"TLXEN.DAT" ? GrowStringTable(text, v.nStringKeys)
                                                             : GrowIni(text, v.nIniSections));
        } else {
            ok = ok && CopyFileW((src + name).c_str(), (v.dir + name).c_str(), FALSE);
        }
    } while (FindNextFileW(hFind, &fd));
    FindClose(hFind);
    ok = ok && WriteAll(v.dir + L"TLXC500.PPD", MakePpd(v.nPpdOptions));
    if (!ok) *pError = L"cannot write the variant in " + v.dir;
    *pVariant = v;
    return ok;
}

void RemoveVariant(const ModelVariant &variant) {
    WIN32_FIND_DATAW fd;
    HANDLE hFind = FindFirstFileW((variant.dir + L"*").c_str(), &fd);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((variant.dir + fd.cFileName).c_str());
        } while (FindNextFileW(hFind, &fd));
        FindClose(hFind);
    }
    RemoveDirectoryW(variant.dir.c_str());
}

}  // namespace bench
