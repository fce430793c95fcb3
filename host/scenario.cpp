#include "host/scenario.h"

#include <windows.h>

#include "common/handles.h"
#include "host/console.h"
#include "host/dialog_driver.h"
#include "host/scripted_answers.h"
#include "host/side_effects.h"

namespace oemuihost {
namespace {

struct StepSyntax {
    const wchar_t *word;
    StepKind kind;
    size_t minArgs;
    size_t maxArgs;
    const wchar_t *usage;
};

constexpr StepSyntax kSteps[] = {
    {L"model", StepKind::Model, 1, 5, L"model DIR [name PRINTER] [port PORT]"},
    {L"printer", StepKind::Printer, 1, 1, L"printer NAME"},
    {L"open", StepKind::Open, 1, 2, L"open preferences|properties [nopermission]"},
    {L"select", StepKind::Select, 2, 2, L"select ITEM OPTION"},
    {L"press", StepKind::Press, 1, 1, L"press CAPTION"},
    {L"answer", StepKind::Answer, 1, 2, L"answer yes|no|ok|cancel|retry|ignore|abort, or answer dialog ok|cancel"},
    {L"page", StepKind::Page, 1, 1, L"page NAME|N"},
    {L"apply", StepKind::Apply, 0, 0, L"apply"},
    {L"close", StepKind::Close, 0, 1, L"close [ok|cancel]"},
    {L"dump", StepKind::Dump, 1, 1, L"dump devmode|printerdata|registry|calls|items|all|dialog|job"},
    {L"network", StepKind::Network, 2, 2, L"network KEY VALUE"},
    {L"dialog", StepKind::Dialog, 0, 1, L"dialog [TITLE]"},
    {L"set", StepKind::Set, 2, 2, L"set CONTROL TEXT"},
    {L"type", StepKind::Type, 2, 3, L"type CONTROL TEXT [lctrl|rctrl]"},
    {L"key", StepKind::Key, 2, 4, L"key CONTROL KEY [lctrl|rctrl|shift]..."},
    {L"paste", StepKind::Paste, 3, 3, L"paste CONTROL TEXT lctrl-v|rctrl-v|shift-insert|wm-paste"},
    {L"click", StepKind::Click, 1, 1, L"click CONTROL"},
    {L"choose", StepKind::Choose, 2, 2, L"choose CONTROL ENTRY|#N"},
    {L"datetime", StepKind::DateTime, 2, 3, L"datetime CONTROL YYYY-MM-DD|none [HH:MM[:SS]]"},
    {L"ok", StepKind::Action, 0, 0, L"ok"},
    {L"cancel", StepKind::Action, 0, 0, L"cancel"},
    {L"enter", StepKind::Action, 0, 0, L"enter"},
    {L"escape", StepKind::Action, 0, 0, L"escape"},
    {L"closebox", StepKind::Action, 0, 0, L"closebox"},
    {L"f1", StepKind::Action, 0, 0, L"f1"},
    {L"help", StepKind::Action, 0, 0, L"help"},
    {L"expect", StepKind::Expect, 1, 8, L"expect WHAT ..."},
    {L"screenshot", StepKind::Screenshot, 1, 1, L"screenshot FILE.png"},
    {L"seed", StepKind::Seed, 3, 5, L"seed printerdata|registry|block ..."},
    {L"language", StepKind::Language, 2, 2, L"language system|user LANGID"},
    {L"tcpport", StepKind::TcpPort, 3, 3, L"tcpport PORT ipaddress|hostname VALUE"},
    {L"netlib", StepKind::NetLib, 1, 1, L"netlib present|missing|noentry"},
};

constexpr const wchar_t *kDumpWhat[] = {L"devmode", L"printerdata", L"registry", L"calls", L"items", L"all", L"dialog", L"job"};
constexpr const wchar_t *kNetLibStates[] = {L"present", L"missing", L"noentry"};

bool Is(const std::wstring &a, const wchar_t *b) { return lstrcmpiW(a.c_str(), b) == 0; }

// Arguments whose values are known before the run.
bool CheckArgs(const StepSyntax &syntax, const std::vector<std::wstring> &args, std::wstring *pWhy) {
    switch (syntax.kind) {
    case StepKind::Open:
        if (args.size() == 2 && !Is(args[1], L"nopermission")) {
            *pWhy = L"open takes preferences or properties, then nothing or nopermission";
            return false;
        }
        if (Is(args[0], L"preferences") || Is(args[0], L"properties")) return true;
        *pWhy = L"open takes preferences or properties, not \"" + args[0] + L"\"";
        return false;
    case StepKind::Answer:
        if (args.size() == 2) {
            if (Is(args[0], L"dialog") && (Is(args[1], L"ok") || Is(args[1], L"cancel"))) return true;
            if (Is(args[0], L"shell") && args[1].find_first_not_of(L"0123456789") == std::wstring::npos &&
                !args[1].empty() && args[1].size() < 6)
                return true;
            *pWhy = L"a dialog is answered with: answer dialog ok|cancel; the shell with: answer shell NUMBER";
            return false;
        }
        if (AnswerId(args[0]) != 0) return true;
        *pWhy = L"\"" + args[0] + L"\" is not a message-box answer";
        return false;
    case StepKind::Close:
        if (args.empty() || Is(args[0], L"ok") || Is(args[0], L"cancel")) return true;
        *pWhy = L"close takes ok or cancel";
        return false;
    case StepKind::Model:
        if (args.size() % 2 == 1) {
            for (size_t i = 1; i < args.size(); i += 2)
                if (!Is(args[i], L"name") && !Is(args[i], L"port")) {
                    *pWhy = L"model takes DIR [name PRINTER] [port PORT]";
                    return false;
                }
            return true;
        }
        *pWhy = L"model takes DIR [name PRINTER] [port PORT]";
        return false;
    case StepKind::Paste:
        if (IsPasteMethod(args[2])) return true;
        *pWhy = L"paste with lctrl-v, rctrl-v, shift-insert or wm-paste, not \"" + args[2] + L"\"";
        return false;
    case StepKind::Type:
        if (args.size() == 2 || Is(args[2], L"lctrl") || Is(args[2], L"rctrl")) return true;
        *pWhy = L"type holds lctrl or rctrl, not \"" + args[2] + L"\"";
        return false;
    case StepKind::Language:
        if ((Is(args[0], L"system") || Is(args[0], L"user")) && ParseLangId(args[1]) != 0) return true;
        *pWhy = L"language system|user LANGID (a number such as 0x0401, or a name such as arabic)";
        return false;
    case StepKind::TcpPort:
        if (Is(args[1], L"ipaddress") || Is(args[1], L"hostname")) return true;
        *pWhy = L"tcpport PORT ipaddress|hostname VALUE";
        return false;
    case StepKind::NetLib:
        for (const wchar_t *state : kNetLibStates)
            if (Is(args[0], state)) return true;
        *pWhy = L"netlib present, missing or noentry";
        return false;
    case StepKind::Dump:
        for (const wchar_t *what : kDumpWhat)
            if (Is(args[0], what)) return true;
        *pWhy = L"nothing called \"" + args[0] + L"\" can be dumped";
        return false;
    default:
        return true;
    }
}

}  // namespace

bool IsSheetStep(StepKind kind) {
    switch (kind) {
    case StepKind::Model: case StepKind::Printer: case StepKind::Open: case StepKind::Select: case StepKind::Press:
    case StepKind::Page: case StepKind::Apply: case StepKind::Close:
        return true;
    default:
        return false;
    }
}

bool SplitWords(const std::wstring &line, std::vector<std::wstring> *pWords) {
    pWords->clear();
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == L' ' || line[i] == L'\t' || line[i] == L'\r')) ++i;
        if (i >= line.size() || line[i] == L'#') break;
        std::wstring word;
        if (line[i] == L'"') {
            const size_t end = line.find(L'"', i + 1);
            if (end == std::wstring::npos) return false;
            word = line.substr(i + 1, end - i - 1);
            i = end + 1;
        } else {
            while (i < line.size() && line[i] != L' ' && line[i] != L'\t' && line[i] != L'\r') word += line[i++];
        }
        pWords->push_back(word);
    }
    return true;
}

bool ParseScenario(const std::wstring &text, Scenario *pScenario, std::wstring *pError) {
    pScenario->steps.clear();
    size_t start = 0;
    int lineNo = 0;
    while (start <= text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring line = text.substr(start, end - start);
        start = end + 1;
        ++lineNo;
        std::vector<std::wstring> words;
        const std::wstring where = L"line " + std::to_wstring(lineNo) + L": ";
        if (!SplitWords(line, &words)) {
            *pError = where + L"a quote is not closed";
            return false;
        }
        if (words.empty()) continue;
        const StepSyntax *pSyntax = nullptr;
        for (const StepSyntax &s : kSteps)
            if (Is(words[0], s.word)) pSyntax = &s;
        if (pSyntax == nullptr) {
            *pError = where + L"unknown step \"" + words[0] + L"\"";
            return false;
        }
        ScenarioStep step;
        step.line = lineNo;
        step.kind = pSyntax->kind;
        step.word = pSyntax->word;
        step.args.assign(words.begin() + 1, words.end());
        std::wstring trimmed = line;
        while (!trimmed.empty() && (trimmed.back() == L'\r' || trimmed.back() == L' ')) trimmed.pop_back();
        step.text = trimmed.substr(trimmed.find_first_not_of(L" \t"));
        if (step.args.size() < pSyntax->minArgs || step.args.size() > pSyntax->maxArgs) {
            *pError = where + L"expected \"" + pSyntax->usage + L"\"";
            return false;
        }
        std::wstring why;
        if (!CheckArgs(*pSyntax, step.args, &why)) {
            *pError = where + why;
            return false;
        }
        pScenario->steps.push_back(step);
    }
    return true;
}

bool LoadScenarioFile(const std::wstring &path, Scenario *pScenario, std::wstring *pError) {
    oemui::KernelHandle file(
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        *pError = L"cannot open the scenario " + path + L" (error " + std::to_wstring(GetLastError()) + L")";
        return false;
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > (1 << 20)) {
        *pError = L"the scenario " + path + L" is too large";
        return false;
    }
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD cbRead = 0;
    if (!bytes.empty() && !ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &cbRead, nullptr)) {
        *pError = L"cannot read the scenario " + path;
        return false;
    }
    bytes.resize(cbRead);
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    return ParseScenario(FromUtf8(bytes), pScenario, pError);
}

}  // namespace oemuihost
