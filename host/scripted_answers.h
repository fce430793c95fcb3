// Answers to the plug-in's message boxes and modal dialogs in a scripted
// session. Message boxes: the plug-in module's import of MessageBoxW is
// replaced for the lifetime of this object and answered from a queue.
// Dialogs: while a step runs, a thread timer looks for a modal dialog of
// this thread and presses the queued button in it. Anything the scenario did
// not answer is closed the safe way (No/Cancel) and counted as unanswered.
#pragma once

#include <windows.h>

#include <deque>
#include <memory>
#include <string>

#include "host/import_patch.h"
#include "host/report.h"

namespace oemuihost {

class ScriptedAnswers {
public:
    ScriptedAnswers(HMODULE hPlugin, Report *pReport);
    ~ScriptedAnswers();
    ScriptedAnswers(const ScriptedAnswers &) = delete;
    ScriptedAnswers &operator=(const ScriptedAnswers &) = delete;

    bool Patched() const { return m_patch && m_patch->Active(); }
    void QueueMessageBox(int id) { m_boxes.push_back(id); }
    void QueueDialog(int id) { m_dialogs.push_back(id); }
    size_t PendingBoxes() const { return m_boxes.size(); }
    size_t PendingDialogs() const { return m_dialogs.size(); }
    // Message boxes and dialogs met since the last call that had no fitting answer.
    int TakeUnanswered();

    // Watch for modal dialogs while a step runs (the open sheet is not one).
    void BeginStep();
    void EndStep();

private:
    static int WINAPI MessageBoxHook(HWND hWnd, LPCWSTR pszText, LPCWSTR pszCaption, UINT uType);
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD);
    int AnswerBox(const std::wstring &text, const std::wstring &caption, UINT uType);
    void CheckDialogs();

    Report *m_pReport;
    std::unique_ptr<ImportPatch> m_patch;
    std::deque<int> m_boxes;
    std::deque<int> m_dialogs;
    int m_unanswered = 0;
    UINT_PTR m_timer = 0;
    HWND m_hAnswered = nullptr;
};

// "yes", "no", "ok", "cancel", "retry", "ignore", "abort" → IDYES ...; 0 when unknown.
int AnswerId(const std::wstring &word);
const wchar_t *AnswerName(int id);

}  // namespace oemuihost
