// Steps inside modal dialogs: each dialog that opens is driven from inside
// its modal loop by the scenario's next steps (or answered when an answer
// was queued), a "dialog" step waits for one that has not opened yet, and
// control steps act on the dialog or the sheet's current page.
#include "host/scenario_runner_impl.h"

namespace oemuihost {
namespace {

// How long a "dialog" step waits for a dialog that has not opened yet.
constexpr DWORD kDialogWaitMs = 3000;

}  // namespace

void ScenarioRunner::OnDialog(void *pContext, HWND hDlg) { static_cast<ScenarioRunner *>(pContext)->DriveDialog(hDlg); }

// Runs inside the dialog's modal loop: the scenario's next steps drive it.
void ScenarioRunner::DriveDialog(HWND hDlg) {
    const int line = m_report.Line();
    const std::wstring title = WindowText(hDlg);
    if (m_failed) {
        m_report.Add(L"dialog", L"\"" + title + L"\" opened after the failure; closed with " +
                                    AnswerName(CloseSafely(hDlg)));
        return;
    }
    int id = 0;
    if (m_answers && m_answers->TakeDialogAnswer(&id)) {
        m_report.Add(L"dialog", L"\"" + title + L"\" -> " + AnswerName(id));
        SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(hDlg, id)));
        if (DialogAlive(hDlg)) EndDialog(hDlg, id);
        return;
    }
    m_report.Add(L"dialog", L"\"" + title + L"\" opened");
    if (m_waitStep != SIZE_MAX) {
        // The "dialog" step that waited for it checks it from inside.
        m_next = m_waitStep;
        m_waitStep = SIZE_MAX;
        m_waitMet = true;
    }
    RunSteps();
    if (!DialogAlive(hDlg)) {
        m_report.Add(L"dialog", L"\"" + title + L"\" ended");
        m_report.SetLine(line);
        return;
    }
    const int answer = CloseSafely(hDlg);
    if (m_failed) {
        m_report.Add(L"dialog", L"\"" + title + L"\" closed with " + std::wstring(AnswerName(answer)) + L" after the failure");
    } else {
        const std::vector<ScenarioStep> &steps = *m_pSteps;
        const std::wstring where = m_next < steps.size()
                                       ? L"when line " + std::to_wstring(steps[m_next].line) + L" (\"" + steps[m_next].text +
                                             L"\") needs the sheet"
                                       : std::wstring(L"at the end of the scenario");
        Fail(line, L"the dialog \"" + title + L"\" opened here was left open " + where + L"; closed with " +
                       AnswerName(answer));
    }
    m_report.SetLine(line);
}

bool ScenarioRunner::WaitForDialog(const ScenarioStep &step, std::wstring *pError) {
    HWND hDlg = m_watcher.Current();
    if (hDlg == nullptr) {
        // Nothing opened by the step before: one may still come (posted).
        m_waitStep = m_next - 1;
        m_waitMet = false;
        const DWORD start = GetTickCount();
        while (!m_waitMet && !m_failed && GetTickCount() - start < kDialogWaitMs) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            PumpPending(OpenSheetWindow());
            m_watcher.CheckNow();
        }
        m_waitStep = SIZE_MAX;
        if (m_waitMet || m_failed) return true;
        *pError = L"no dialog opened (waited " + std::to_wstring(kDialogWaitMs / 1000) + L" s)";
        return false;
    }
    const std::wstring title = WindowText(hDlg);
    if (!step.args.empty() && title != step.args[0]) {
        *pError = L"the open dialog is \"" + title + L"\", not \"" + step.args[0] + L"\"";
        return false;
    }
    return true;
}

bool ScenarioRunner::DialogStep(const ScenarioStep &step, std::wstring *pError) {
    const std::vector<std::wstring> &a = step.args;
    const StepContext ctx = Context();
    if (step.kind == StepKind::Action) {
        HWND hTarget = TargetWindow(ctx, pError);
        if (hTarget == nullptr) return false;
        if (!DialogAction(hTarget, ctx.hSheet, step.word, pError)) return false;
        PumpPending(ctx.hDialog);
        return true;
    }
    HWND hTarget = TargetWindow(ctx, pError);
    if (hTarget == nullptr) return false;
    HWND hCtrl = FindControl(hTarget, a[0], pError);
    if (hCtrl == nullptr) return false;
    bool ok = false;
    switch (step.kind) {
    case StepKind::Set: ok = SetControlText(hCtrl, a[1], pError); break;
    case StepKind::Type:
        ok = TypeText(hCtrl, a[1],
                      a.size() < 3 ? ControlKey::None : lstrcmpiW(a[2].c_str(), L"lctrl") == 0 ? ControlKey::Left : ControlKey::Right,
                      pError);
        break;
    case StepKind::Key: ok = PressKey(hCtrl, a[1], std::vector<std::wstring>(a.begin() + 2, a.end()), pError); break;
    case StepKind::Paste: ok = PasteText(hCtrl, a[1], a[2], pError); break;
    case StepKind::Click: ok = ClickControl(hCtrl, pError); break;
    case StepKind::Choose: ok = ChooseEntry(hCtrl, a[1], pError); break;
    case StepKind::DateTime: ok = SetDateTime(hCtrl, a[1], a.size() > 2 ? a[2] : std::wstring(), pError); break;
    default: break;
    }
    if (ok) PumpPending(ctx.hDialog);
    return ok;
}

}  // namespace oemuihost
