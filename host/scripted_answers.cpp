#include "host/scripted_answers.h"

#include "host/session.h"

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

std::wstring WindowText(HWND hWnd) {
    wchar_t sz[256] = {};
    GetWindowTextW(hWnd, sz, 256);
    return sz;
}

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
    EndStep();
    m_patch.reset();
    if (g_pActive == this) g_pActive = nullptr;
}

int ScriptedAnswers::TakeUnanswered() {
    const int n = m_unanswered;
    m_unanswered = 0;
    return n;
}

int WINAPI ScriptedAnswers::MessageBoxHook(HWND, LPCWSTR pszText, LPCWSTR pszCaption, UINT uType) {
    if (g_pActive == nullptr) return IDCANCEL;
    auto bounded = [](LPCWSTR psz) {
        if (psz == nullptr) return std::wstring(L"(null)");
        size_t n = 0;
        while (n < 1024 && psz[n] != L'\0') ++n;
        return std::wstring(psz, n);
    };
    return g_pActive->AnswerBox(bounded(pszText), bounded(pszCaption), uType);
}

int ScriptedAnswers::AnswerBox(const std::wstring &text, const std::wstring &caption, UINT uType) {
    const UINT type = uType & MB_TYPEMASK;
    const BoxButtons *pButtons = &kBoxTypes[0];
    for (const BoxButtons &b : kBoxTypes)
        if (b.type == type) pButtons = &b;
    const std::wstring shown = L"\"" + caption + L"\": \"" + text + L"\" (type " + Hex32(uType) + L")";
    if (m_boxes.empty()) {
        ++m_unanswered;
        m_pReport->Add(L"messagebox", shown + L" -> " + AnswerName(pButtons->safeAnswer) +
                                          L" (the scenario gave no answer)");
        return pButtons->safeAnswer;
    }
    const int answer = m_boxes.front();
    m_boxes.pop_front();
    bool fits = false;
    for (int id : pButtons->buttons) fits = fits || (id != 0 && id == answer);
    if (!fits) {
        ++m_unanswered;
        m_pReport->Add(L"messagebox", shown + L" has no \"" + AnswerName(answer) + L"\" button -> " +
                                          AnswerName(pButtons->safeAnswer));
        return pButtons->safeAnswer;
    }
    m_pReport->Add(L"messagebox", shown + L" -> " + AnswerName(answer));
    return answer;
}

void ScriptedAnswers::BeginStep() {
    m_hAnswered = nullptr;
    if (m_timer == 0) m_timer = SetTimer(nullptr, 0, 300, &TimerProc);
}

void ScriptedAnswers::EndStep() {
    if (m_timer != 0) KillTimer(nullptr, m_timer);
    m_timer = 0;
}

void CALLBACK ScriptedAnswers::TimerProc(HWND, UINT, UINT_PTR, DWORD) {
    if (g_pActive != nullptr) g_pActive->CheckDialogs();
}

void ScriptedAnswers::CheckDialogs() {
    struct Search {
        HWND hIgnore;
        HWND hFound;
    } search = {OpenSheetWindow(), nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            auto *s = reinterpret_cast<Search *>(lParam);
            wchar_t cls[16] = {};
            GetClassNameW(hWnd, cls, 16);
            if (hWnd == s->hIgnore || lstrcmpW(cls, L"#32770") != 0 || !IsWindowVisible(hWnd) || !IsWindowEnabled(hWnd))
                return TRUE;
            s->hFound = hWnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.hFound == nullptr || search.hFound == m_hAnswered) return;
    m_hAnswered = search.hFound;
    int id = IDCANCEL;
    std::wstring how;
    if (m_dialogs.empty()) {
        ++m_unanswered;
        how = L" (the scenario gave no answer)";
    } else {
        id = m_dialogs.front();
        m_dialogs.pop_front();
    }
    m_pReport->Add(L"dialog", L"\"" + WindowText(search.hFound) + L"\" -> " + AnswerName(id) + how);
    PostMessageW(search.hFound, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(search.hFound, id)));
}

}  // namespace oemuihost
