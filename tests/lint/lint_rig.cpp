#include "lint/lint_rig.h"

#include <windows.h>

#include <fstream>
#include <sstream>

#include "host/console.h"
#include "host/plugin_host.h"
#include "host/printer_install.h"

namespace linttest {

ModelCopy::ModelCopy(const wchar_t *pszModel) {
    wchar_t szTemp[MAX_PATH];
    GetTempPathW(MAX_PATH, szTemp);
    static int s_serial = 0;
    m_folder = std::wstring(szTemp) + L"oemui-lint-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(++s_serial) + L"\\";
    CreateDirectoryW(m_folder.c_str(), nullptr);
    const std::wstring source = oemuihost::SampleModelsDirectory() + pszModel + L"\\";
    WIN32_FIND_DATAW data;
    HANDLE hFind = FindFirstFileW((source + L"*").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE) return;
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            CopyFileW((source + data.cFileName).c_str(), (m_folder + data.cFileName).c_str(), FALSE);
    } while (FindNextFileW(hFind, &data));
    FindClose(hFind);
}

ModelCopy::~ModelCopy() {
    WIN32_FIND_DATAW data;
    HANDLE hFind = FindFirstFileW((m_folder + L"*").c_str(), &data);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) DeleteFileW((m_folder + data.cFileName).c_str());
        } while (FindNextFileW(hFind, &data));
        FindClose(hFind);
    }
    RemoveDirectoryW(m_folder.c_str());
}

std::string ModelCopy::ReadBytes(const wchar_t *pszFile) const {
    std::ifstream in((m_folder + pszFile).c_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool ModelCopy::WriteBytes(const wchar_t *pszFile, const std::string &bytes) {
    std::ofstream out((m_folder + pszFile).c_str(), std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out);
}

bool ModelCopy::Apply(const FileEdit &edit) {
    if (edit.pszNew == nullptr) return DeleteFileW((m_folder + edit.pszFile).c_str()) != FALSE;
    if (edit.pszOld == nullptr) {
        const std::string name = edit.pszNew;
        return MoveFileW((m_folder + edit.pszFile).c_str(), (m_folder + std::wstring(name.begin(), name.end())).c_str()) != FALSE;
    }
    std::string bytes = ReadBytes(edit.pszFile);
    const std::string oldText = edit.pszOld;
    if (oldText.empty()) {
        bytes += edit.pszNew;
    } else {
        const size_t at = bytes.find(oldText);
        if (at == std::string::npos) return false;
        bytes.replace(at, oldText.size(), edit.pszNew);
    }
    return WriteBytes(edit.pszFile, bytes);
}

int ModelCopy::LineOf(const wchar_t *pszFile, const char *pszText) const {
    const std::string bytes = ReadBytes(pszFile);
    const size_t at = bytes.find(pszText);
    if (at == std::string::npos) return 0;
    int line = 1;
    for (size_t i = 0; i < at; ++i) line += bytes[i] == '\n';
    return line;
}

std::wstring PluginPath() { return oemuihost::ExecutableDirectory() + L"OEMUI.DLL"; }

oemuihost::LintReport Lint(const std::wstring &folder) { return oemuihost::LintModelFolder(folder, PluginPath()); }

std::string Describe(const oemuihost::LintReport &report) {
    return oemuihost::ToUtf8(report.RenderText(L"model"));
}

std::string BitmapBytes(int width, int height) {
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = static_cast<DWORD>(stride * height);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::string bytes(reinterpret_cast<const char *>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char *>(&info), sizeof(info));
    bytes.append(info.biSizeImage, '\x7f');
    return bytes;
}

}  // namespace linttest
