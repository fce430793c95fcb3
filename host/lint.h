// The model checker ("oemuihost lint"): reads a model folder the way the
// plug-in will and tells the vendor, with file and line, what a user would
// see before the model ships.
#pragma once

#include <string>
#include <vector>

namespace oemuihost {

enum class LintSeverity { Error, Warning, Note };

struct LintFinding {
    std::wstring file;  // file name inside the model folder
    int line = 0;       // 1-based; 0 for the file as a whole
    LintSeverity severity = LintSeverity::Warning;
    std::string rule;   // stable identifier, e.g. "ini-type"
    std::wstring message;
};

class LintReport {
public:
    void Add(const std::wstring &file, int line, LintSeverity severity, const char *rule,
             const std::wstring &message);
    void Error(const std::wstring &file, int line, const char *rule, const std::wstring &message) {
        Add(file, line, LintSeverity::Error, rule, message);
    }
    void Warning(const std::wstring &file, int line, const char *rule, const std::wstring &message) {
        Add(file, line, LintSeverity::Warning, rule, message);
    }
    void Note(const std::wstring &file, int line, const char *rule, const std::wstring &message) {
        Add(file, line, LintSeverity::Note, rule, message);
    }
    // Set when the check could not run at all (no folder, no data file...).
    void Fatal(const std::wstring &message) { m_fatal = message; }

    const std::vector<LintFinding> &Findings() const { return m_findings; }
    const std::wstring &FatalMessage() const { return m_fatal; }
    size_t Count(LintSeverity severity) const;
    // 0 clean; 1 errors, or warnings under bWerror; 2 could not run.
    int ExitCode(bool bWerror) const;

    // Compiler-style lines "DIR\FILE:LINE: error: message [rule]" and a summary.
    std::wstring RenderText(const std::wstring &folderShown) const;
    std::string RenderJson(const std::wstring &folderShown, bool bWerror) const;

    // Findings sorted by file, then line (stable within a line).
    void Sort();

private:
    std::vector<LintFinding> m_findings;
    std::wstring m_fatal;
};

// What the target names: a driver package is a folder with an .INF, or the
// .INF itself; any other folder is a model folder.
enum class LintTargetKind { Missing, ModelFolder, Package };
LintTargetKind ClassifyLintTarget(const std::wstring &path);

// Checks one model folder; the plug-in's dialog templates come from dllPath.
LintReport LintModelFolder(const std::wstring &folder, const std::wstring &dllPath);

// A driver package (its folder or its INF): the INF as the installer reads it,
// the folder against what the INF copies, the plug-in's version against
// DriverVer, the network library beside the plug-in, then the model files.
LintReport LintPackage(const std::wstring &target, const std::wstring &dllPath);

struct LintOptions {
    std::wstring target;  // model folder (a path, or a folder name under models/)
    std::wstring dllPath;
    bool json = false;
    bool werror = false;
};

// The "lint" command: prints the findings and returns the exit code.
int RunLint(const LintOptions &options);

}  // namespace oemuihost
