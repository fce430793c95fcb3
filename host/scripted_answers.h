// Answers to the plug-in's message boxes and modal dialogs in a scripted
// session. Message boxes: the plug-in module's import of MessageBoxW is
// replaced for the lifetime of this object and answered from a queue; with
// nothing queued, a live session shows the real box (the scenario's next
// steps drive it), otherwise the box is answered the safe way (No/Cancel)
// and counted as unanswered. Dialogs: a queued "answer dialog" presses its
// button in the next dialog that opens (the runner asks for it).
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
    // Message boxes met since the last call that had no fitting answer.
    int TakeUnanswered();
    // The next queued dialog answer, if any.
    bool TakeDialogAnswer(int *pId);
    // Unanswered boxes are shown for real (someone drives them).
    void SetLive(bool live) { m_live = live; }

private:
    static int WINAPI MessageBoxHook(HWND hWnd, LPCWSTR pszText, LPCWSTR pszCaption, UINT uType);
    int AnswerBox(HWND hWnd, const std::wstring &text, const std::wstring &caption, UINT uType);
    void Record(const std::wstring &caption, const std::wstring &text, UINT uType, int answer, const std::wstring &note);

    Report *m_pReport;
    std::unique_ptr<ImportPatch> m_patch;
    std::deque<int> m_boxes;
    std::deque<int> m_dialogs;
    int m_unanswered = 0;
    bool m_live = false;
};

// "yes", "no", "ok", "cancel", "retry", "ignore", "abort" → IDYES ...; 0 when unknown.
int AnswerId(const std::wstring &word);
const wchar_t *AnswerName(int id);

}  // namespace oemuihost
