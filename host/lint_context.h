// What the checks of one model share: the model's files as the plug-in will
// name them, their line views, the plug-in's profile readers on them, the
// plug-in's dialog templates, and the report.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>

#include "host/lint.h"
#include "host/lint_ini_file.h"
#include "settings/profile_reader.h"
#include "settings/profile_section.h"

namespace oemuihost {

struct TemplateControl {
    int id = 0;
    std::wstring className;  // as GetClassNameW gives it ("Button", "Edit", ...)
    std::wstring text;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;  // dialog units
};

struct DialogTemplate {
    WORD id = 0;
    std::wstring caption;
    std::vector<TemplateControl> controls;

    const TemplateControl *Control(int id) const;
};

// Every RT_DIALOG template of the module, loaded as a data file (no code of
// it runs). False with *pError when the module or its templates cannot be read.
bool LoadDialogTemplates(const std::wstring &dllPath, std::vector<DialogTemplate> *pTemplates,
                         std::wstring *pError);
// Parses one DLGTEMPLATEEX (or classic DLGTEMPLATE) resource.
bool ParseDialogTemplate(const BYTE *pData, size_t cbData, WORD id, DialogTemplate *pTemplate);

// One string table the plug-in can open for this model.
struct StringTable {
    std::wstring code;  // language code; empty for a single table or brand 2
    IniFile file;
    oemui::ProfileReader reader;
};

struct LintContext {
    explicit LintContext(LintReport &r) : report(r) {}

    LintReport &report;
    std::wstring folder;    // ends in a backslash; the printer-driver directory's stand-in
    std::wstring dataFile;  // name of the GPD or PPD
    std::wstring stem;      // data-file name cut at its first dot
    bool bIsPpd = false;

    IniFile ini, ver;
    oemui::ProfileReader iniReader, verReader;

    std::wstring prefix;  // [OEMFiles] OEMPrefix as read ("OEMPrefix" when absent)
    int brand = 0;
    bool bLanguageDependent = false;
    std::vector<StringTable> tables;  // the tables present (brand 2: the model INI)

    // Which pages and dialogs a user of this model can reach.
    bool bHold = false, bSecure = false, bCopies = false, bJobAccounting = false;
    bool bTroubleshooting = false, bOutrider = false;

    std::vector<DialogTemplate> templates;

    // Sections read once, as the dialogs read them when they open: asked key
    // by key, the profile API would read the file again for every key.
    mutable std::map<std::pair<const StringTable *, std::wstring>, std::unique_ptr<oemui::ProfileSection>> sections;

    const DialogTemplate *Template(WORD id) const;
    // Whether a user of this model can open the page or dialog of that name.
    bool Reaches(const wchar_t *pszDialogName) const;
    // The entry of a string table, read through the plug-in's reader: true
    // and the text (cut as the plug-in cuts it) when present; *pLine is the
    // entry's line, else the section's, else 0.
    bool Lookup(const StringTable &table, const wchar_t *pszDialogName, const std::wstring &key,
                std::wstring *pText, int *pLine) const;
    // The value the plug-in's reader gives for a model INI integer.
    int IniInt(const wchar_t *pszSection, const wchar_t *pszKey, int nDefault) const;
};

// Edit distance (Levenshtein, case-insensitive) for "did you mean" hints.
size_t EditDistance(const std::wstring &a, const std::wstring &b);

// The rule families, one file each.
void LintFiles(LintContext &ctx);         // lint_files.cpp
void LintModelIni(LintContext &ctx);      // lint_model_ini.cpp
void LintStringTables(LintContext &ctx);  // lint_strings.cpp
void CheckRepeats(LintContext &ctx, const IniFile &file);  // lint_model_ini.cpp
void LintStringKeys(LintContext &ctx);   // lint_string_keys.cpp
void LintTextRules(LintContext &ctx);     // lint_text_rules.cpp
void LintAboutAndHints(LintContext &ctx); // lint_about.cpp
void LintDriverData(LintContext &ctx);    // lint_driver.cpp

}  // namespace oemuihost
