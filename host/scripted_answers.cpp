#include "host/scripted_answers.h"

#include "host/side_effects.h"

namespace oemuihost {
namespace {

struct AnswerWord {
    const wchar_t *word;
    int id;
};
constexpr AnswerWord kAnswers[] = {
    {L"ok", IDOK}, {L"cancel", IDCANCEL}, {L"abort", IDABORT}, {L"retry", IDRETRY},
    {L"ignore", IDIGNORE}, {L"yes", IDYES}, {L"no", IDNO},
};

// The buttons of each message-box type and the answer that changes nothing.
struct BoxButtons {
    UINT type;
    int buttons[3];
    int safeAnswer;
};
constexpr BoxButtons kBoxTypes[] = {
    {MB_OK, {IDOK, 0, 0}, IDOK},
    {MB_OKCANCEL, {IDOK, IDCANCEL, 0}, IDCANCEL},
    {MB_ABORTRETRYIGNORE, {IDABORT, IDRETRY, IDIGNORE}, IDABORT},
    {MB_YESNOCANCEL, {IDYES, IDNO, IDCANCEL}, IDCANCEL},
    {MB_YESNO, {IDYES, IDNO, 0}, IDNO},
    {MB_RETRYCANCEL, {IDRETRY, IDCANCEL, 0}, IDCANCEL},
};

ScriptedAnswers *g_pActive = nullptr;

}  // namespace

int AnswerId(const std::wstring &word) {
    for (const AnswerWord &a : kAnswers)
        if (lstrcmpiW(a.word, word.c_str()) == 0) return a.id;
    return 0;
}

const wchar_t *AnswerName(int id) {
    for (const AnswerWord &a : kAnswers)
        if (a.id == id) return a.word;
    return L"?";
}

ScriptedAnswers::ScriptedAnswers(HMODULE hPlugin, Report *pReport) : m_pReport(pReport) {
    g_pActive = this;
    m_patch.reset(new ImportPatch(hPlugin, nullptr, "MessageBoxW", reinterpret_cast<void *>(&MessageBoxHook)));
}

ScriptedAnswers::~ScriptedAnswers() {
    m_patch.reset();
    if (g_pActive == this) g_pActive = nullptr;
}

int ScriptedAnswers::TakeUnanswered() {
    const int n = m_unanswered;
    m_unanswered = 0;
    return n;
}

bool ScriptedAnswers::TakeDialogAnswer(int *pId) {
    if (m_dialogs.empty()) return false;
    *pId = m_dialogs.front();
    m_dialogs.pop_front();
    return true;
}

int WINAPI ScriptedAnswers::MessageBoxHook(HWND hWnd, LPCWSTR pszText, LPCWSTR pszCaption, UINT uType) {
    if (g_pActive == nullptr) return IDCANCEL;
    auto bounded = [](LPCWSTR psz) {
        if (psz == nullptr) return std::wstring(L"(null)");
        size_t n = 0;
        while (n < 1024 && psz[n] != L'\0') ++n;
        return std::wstring(psz, n);
    };
    return g_pActive->AnswerBox(hWnd, bounded(pszText), bounded(pszCaption), uType);
}

void ScriptedAnswers::Record(const std::wstring &caption, const std::wstring &text, UINT uType, int answer,
                             const std::wstring &note) {
    CallLog *pLog = ActiveCallLog();
    if (pLog != nullptr) {
        pLog->Add(L"messagebox", {caption, text, MessageBoxStyleText(uType), AnswerName(answer)});
        if (!note.empty()) m_pReport->Add(L"warning", L"message box \"" + caption + L"\": " + note);
        return;
    }
    m_pReport->Add(L"messagebox", L"\"" + caption + L"\": \"" + text + L"\" (type " + Hex32(uType) + L") -> " +
                                      AnswerName(answer) + (note.empty() ? L"" : L" (" + note + L")"));
}

int ScriptedAnswers::AnswerBox(HWND hWnd, const std::wstring &text, const std::wstring &caption, UINT uType) {
    const UINT type = uType & MB_TYPEMASK;
    const BoxButtons *pButtons = &kBoxTypes[0];
    for (const BoxButtons &b : kBoxTypes)
        if (b.type == type) pButtons = &b;
    if (m_boxes.empty()) {
        if (m_live && m_patch && m_patch->Original() != nullptr) {
            // Shown for real: the scenario's next steps drive it.
            const int answer = m_patch->OriginalAs<int(WINAPI *)(HWND, LPCWSTR, LPCWSTR, UINT)>()(
                hWnd, text.c_str(), caption.c_str(), uType);
            Record(caption, text, uType, answer, std::wstring());
            return answer;
        }
        ++m_unanswered;
        Record(caption, text, uType, pButtons->safeAnswer, L"the scenario gave no answer");
        return pButtons->safeAnswer;
    }
    const int answer = m_boxes.front();
    m_boxes.pop_front();
    bool fits = false;
    for (int id : pButtons->buttons) fits = fits || (id != 0 && id == answer);
    if (!fits) {
        ++m_unanswered;
        Record(caption, text, uType, pButtons->safeAnswer, std::wstring(L"has no \"") + AnswerName(answer) + L"\" button");
        return pButtons->safeAnswer;
    }
    Record(caption, text, uType, answer, std::wstring());
    return answer;
}

}  // namespace oemuihost
