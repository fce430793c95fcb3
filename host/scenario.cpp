#include "host/scenario.h"

#include <windows.h>

#include "common/handles.h"
#include "host/console.h"
#include "host/scripted_answers.h"

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
    {L"model", StepKind::Model, 1, 1, L"model DIR"},
    {L"printer", StepKind::Printer, 1, 1, L"printer NAME"},
    {L"open", StepKind::Open, 1, 1, L"open preferences|properties"},
    {L"select", StepKind::Select, 2, 2, L"select ITEM OPTION"},
    {L"press", StepKind::Press, 1, 1, L"press CAPTION"},
    {L"answer", StepKind::Answer, 1, 2, L"answer yes|no|ok|cancel|retry|ignore|abort, or answer dialog ok|cancel"},
    {L"page", StepKind::Page, 1, 1, L"page NAME|N"},
    {L"apply", StepKind::Apply, 0, 0, L"apply"},
    {L"close", StepKind::Close, 0, 1, L"close [ok|cancel]"},
    {L"dump", StepKind::Dump, 1, 1, L"dump devmode|printerdata|registry|calls|items|all"},
    {L"network", StepKind::Network, 2, 2, L"network KEY VALUE"},
};

constexpr const wchar_t *kDumpWhat[] = {L"devmode", L"printerdata", L"registry", L"calls", L"items", L"all"};

bool Is(const std::wstring &a, const wchar_t *b) { return lstrcmpiW(a.c_str(), b) == 0; }

// Arguments whose values are known before the run.
bool CheckArgs(const StepSyntax &syntax, const std::vector<std::wstring> &args, std::wstring *pWhy) {
    switch (syntax.kind) {
    case StepKind::Open:
        if (Is(args[0], L"preferences") || Is(args[0], L"properties")) return true;
        *pWhy = L"open takes preferences or properties, not \"" + args[0] + L"\"";
        return false;
    case StepKind::Answer:
        if (args.size() == 2) {
            if (Is(args[0], L"dialog") && (Is(args[1], L"ok") || Is(args[1], L"cancel"))) return true;
            *pWhy = L"a dialog is answered with: answer dialog ok|cancel";
            return false;
        }
        if (AnswerId(args[0]) != 0) return true;
        *pWhy = L"\"" + args[0] + L"\" is not a message-box answer";
        return false;
    case StepKind::Close:
        if (args.empty() || Is(args[0], L"ok") || Is(args[0], L"cancel")) return true;
        *pWhy = L"close takes ok or cancel";
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
