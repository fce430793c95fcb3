// A sample model copied into a temporary folder, changed in one place and
// checked with the model checker.
#pragma once

#include <string>

#include "host/lint.h"

namespace linttest {

// One change to a copied model file: the first occurrence of pszOld (bytes)
// becomes pszNew; an empty pszOld appends pszNew; a null pszNew deletes the
// file; a null pszOld renames the file to pszNew.
struct FileEdit {
    const wchar_t *pszFile;
    const char *pszOld;
    const char *pszNew;
};

class ModelCopy {
public:
    explicit ModelCopy(const wchar_t *pszModel);
    ~ModelCopy();
    ModelCopy(const ModelCopy &) = delete;
    ModelCopy &operator=(const ModelCopy &) = delete;

    const std::wstring &Folder() const { return m_folder; }
    bool Apply(const FileEdit &edit);
    bool WriteBytes(const wchar_t *pszFile, const std::string &bytes);
    std::string ReadBytes(const wchar_t *pszFile) const;
    // 1-based line of the first line holding pszText; 0 when none.
    int LineOf(const wchar_t *pszFile, const char *pszText) const;

private:
    std::wstring m_folder;
};

std::wstring PluginPath();
oemuihost::LintReport Lint(const std::wstring &folder);
// The findings in the compiler-style text, for failure messages.
std::string Describe(const oemuihost::LintReport &report);
// A bottom-up 24-bit Windows bitmap of the given size.
std::string BitmapBytes(int width, int height);

}  // namespace linttest
