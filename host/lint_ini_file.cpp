#include "host/lint_ini_file.h"

#include <windows.h>

#include <algorithm>

#include "common/handles.h"

namespace oemuihost {
namespace {

// Model files are small; anything past this is not a model file.
constexpr DWORD kMaxIniBytes = 4u << 20;

bool ReadWholeFile(const std::wstring &path, std::string *pBytes) {
    oemui::KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 || size.QuadPart > kMaxIniBytes) return false;
    pBytes->assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD cbRead = 0;
    if (!pBytes->empty() && !ReadFile(file.get(), &(*pBytes)[0], static_cast<DWORD>(pBytes->size()), &cbRead, nullptr))
        return false;
    pBytes->resize(cbRead);
    return true;
}

bool IsValidUtf8(const std::string &bytes) {
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), nullptr,
                               0) > 0 || bytes.empty();
}

std::wstring Decode(const std::string &bytes, UINT codePage) {
    if (bytes.empty()) return std::wstring();
    const int n = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), &out[0], n);
    return out;
}

// The text as the profile API sees it, and the encoding it was found in.
std::wstring DecodeAsProfileApi(const std::string &bytes, TextEncoding *pEncoding) {
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    if (bytes.size() >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
        *pEncoding = TextEncoding::Utf16Le;
        std::wstring out((bytes.size() - 2) / 2, L'\0');
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = static_cast<wchar_t>(p[2 + 2 * i] | (p[3 + 2 * i] << 8));
        return out;
    }
    if (bytes.size() >= 2 && p[0] == 0xFE && p[1] == 0xFF) {
        *pEncoding = TextEncoding::Utf16Be;
        std::wstring out((bytes.size() - 2) / 2, L'\0');
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = static_cast<wchar_t>((p[2 + 2 * i] << 8) | p[3 + 2 * i]);
        return out;
    }
    if (bytes.find('\0') != std::string::npos) {
        *pEncoding = TextEncoding::Utf16NoBom;
        return Decode(bytes, CP_ACP);
    }
    if (bytes.size() >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) {
        *pEncoding = TextEncoding::Utf8Bom;
        return Decode(bytes.substr(3), CP_UTF8);
    }
    bool bAscii = true;
    for (unsigned char c : bytes) bAscii = bAscii && c < 0x80;
    if (bAscii) {
        *pEncoding = TextEncoding::Ascii;
    } else if (IsValidUtf8(bytes)) {
        // What the author meant; the plug-in will see it in the ANSI code page.
        *pEncoding = TextEncoding::Utf8;
        return Decode(bytes, CP_UTF8);
    } else {
        *pEncoding = TextEncoding::Ansi;
    }
    return Decode(bytes, CP_ACP);
}

std::wstring Unquoted(const std::wstring &value) {
    if (value.size() >= 2 && ((value.front() == L'"' && value.back() == L'"') ||
                              (value.front() == L'\'' && value.back() == L'\'')))
        return value.substr(1, value.size() - 2);
    return value;
}

}  // namespace

std::vector<std::wstring> FilesInFolder(const std::wstring &folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE hFind = FindFirstFileW((folder + L"*").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE) return names;
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.emplace_back(data.cFileName);
    } while (FindNextFileW(hFind, &data));
    FindClose(hFind);
    std::sort(names.begin(), names.end());
    return names;
}

bool EqualsNoCase(const std::wstring &a, const std::wstring &b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

std::wstring Trimmed(const std::wstring &s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == L' ' || s[b] == L'\t' || s[b] == L'\r')) ++b;
    while (e > b && (s[e - 1] == L' ' || s[e - 1] == L'\t' || s[e - 1] == L'\r')) --e;
    return s.substr(b, e - b);
}

const IniSection *IniFile::Find(const std::wstring &section) const {
    for (const IniSection &s : sections)
        if (EqualsNoCase(s.name, section)) return &s;
    return nullptr;
}

const IniEntry *IniFile::Find(const std::wstring &section, const std::wstring &key) const {
    const IniSection *pSection = Find(section);
    if (pSection == nullptr) return nullptr;
    for (const IniEntry &e : pSection->entries)
        if (EqualsNoCase(e.key, key)) return &e;
    return nullptr;
}

int IniFile::LineOf(const std::wstring &section, const std::wstring &key) const {
    if (const IniEntry *pEntry = Find(section, key)) return pEntry->line;
    if (const IniSection *pSection = Find(section)) return pSection->line;
    return 0;
}

IniFile ScanIniFile(const std::wstring &folder, const std::wstring &name) {
    IniFile file;
    file.name = name;
    file.path = folder + name;
    std::string bytes;
    if (!ReadWholeFile(file.path, &bytes)) return file;
    file.present = true;
    const std::wstring text = DecodeAsProfileApi(bytes, &file.encoding);
    size_t start = 0;
    int line = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring raw = Trimmed(text.substr(start, end - start));
        start = end + 1;
        ++line;
        if (file.firstNonAsciiLine == 0)
            for (wchar_t ch : raw)
                if (ch > 0x7F) file.firstNonAsciiLine = line;
        if (raw.empty() || raw[0] == L';') continue;
        if (raw[0] == L'[') {
            const size_t close = raw.find(L']');
            IniSection section;
            section.name = Trimmed(raw.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1));
            section.line = line;
            section.repeated = file.Find(section.name) != nullptr;
            file.sections.push_back(section);
            continue;
        }
        if (file.sections.empty()) continue;
        const size_t equals = raw.find(L'=');
        IniEntry entry;
        entry.key = Trimmed(raw.substr(0, equals));
        entry.value = equals == std::wstring::npos ? std::wstring() : Unquoted(Trimmed(raw.substr(equals + 1)));
        entry.line = line;
        file.sections.back().entries.push_back(entry);
    }
    return file;
}

}  // namespace oemuihost
