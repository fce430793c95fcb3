// Files and encodings: every file the plug-in names for this data file, what
// a user gets when one is missing, and whether the profile API will read
// each INI-format file as its author wrote it.
#include "host/lint_context.h"

#include "settings/model_config.h"

namespace oemuihost {
namespace {

bool FileExists(const std::wstring &path) {
    const DWORD attrs = GetFileAttributesW(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void CheckEncoding(LintContext &ctx, const IniFile &file) {
    if (!file.present) return;
    const int line = file.firstNonAsciiLine;
    switch (file.encoding) {
    case TextEncoding::Utf8:
        ctx.report.Error(file.name, line, "file-encoding",
                         L"UTF-8 text with non-ASCII characters: the profile API reads 8-bit files in the ANSI "
                         L"code page, so users see garbled text; save it as UTF-16 LE with a byte-order mark");
        break;
    case TextEncoding::Utf8Bom:
        ctx.report.Error(file.name, 1, "file-encoding",
                         L"UTF-8 byte-order mark: the profile API reads it as part of the first line, so the first "
                         L"section is not found; save it as UTF-16 LE with a byte-order mark, or as ANSI");
        break;
    case TextEncoding::Utf16Be:
        ctx.report.Error(file.name, 1, "file-encoding",
                         L"UTF-16 big-endian: the profile API reads only little-endian UTF-16 (bytes FF FE first)");
        break;
    case TextEncoding::Utf16NoBom:
        ctx.report.Error(file.name, 1, "file-encoding",
                         L"UTF-16 without a byte-order mark: the profile API reads it as 8-bit text and finds "
                         L"nothing; start the file with the bytes FF FE");
        break;
    default:
        break;
    }
}

void CheckStringTables(LintContext &ctx) {
    if (ctx.brand == oemui::kBrandMero) return;  // the model INI is the table
    std::wstring missing;
    for (const StringTable &table : ctx.tables) {
        if (table.file.present) continue;
        if (!ctx.bLanguageDependent) {
            ctx.report.Warning(table.file.name, 0, "file-missing",
                               L"string table missing: every page and dialog shows its English template texts and "
                               L"the title \"Caption\"");
            return;
        }
        missing += (missing.empty() ? L"" : L", ") + table.code;
    }
    if (missing.empty()) return;
    ctx.report.Warning(ctx.ver.name, ctx.ver.LineOf(L"Version", L"LanguageDependent"), "file-language",
                       L"no string table " + ctx.prefix + L"<code>.DAT for the language codes " + missing +
                           L": users whose language gives one of these codes see English template texts and the "
                           L"title \"Caption\"");
}

}  // namespace

void LintFiles(LintContext &ctx) {
    if (ctx.dataFile.find(L'.') != ctx.dataFile.rfind(L'.')) {
        ctx.report.Error(ctx.dataFile, 0, "file-stem",
                         L"the data file's name holds more than one dot: the plug-in cuts it at the first, so it "
                         L"looks for " + ctx.stem + L"u.INI and " + ctx.stem + L".VER");
    }
    if (!ctx.ini.present) {
        ctx.report.Error(ctx.ini.name, 0, "file-missing",
                         L"model INI missing: every feature switch reads 0, the brand is Korvant, and the string "
                         L"table is looked for as OEMPrefix.DAT");
    }
    if (!ctx.ver.present) {
        ctx.report.Warning(ctx.ver.name, 0, "file-missing",
                           L"version file missing: a single string table <prefix>.DAT is used and the About box "
                           L"shows empty lines");
    }
    CheckStringTables(ctx);
    if (ctx.brand == oemui::kBrandTalix) {
        const IniFile hin = ScanIniFile(ctx.folder, ctx.stem + L".hin");
        if (!hin.present)
            ctx.report.Note(hin.name, 0, "file-missing", L"hint file missing: brand-1 models open it (no key is read yet)");
        CheckEncoding(ctx, hin);
    }
    if (!FileExists(ctx.folder + ctx.prefix + L".chm")) {
        ctx.report.Note(ctx.prefix + L".chm", 0, "file-missing",
                        L"no help file: the Help buttons and F1 open nothing");
    }
    CheckEncoding(ctx, ctx.ini);
    CheckEncoding(ctx, ctx.ver);
    for (const StringTable &table : ctx.tables)
        if (&table.file != &ctx.ini && table.file.path != ctx.ini.path) CheckEncoding(ctx, table.file);
}

}  // namespace oemuihost
