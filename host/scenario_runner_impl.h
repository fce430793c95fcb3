// The scenario runner's state, shared by its files: the run and the step
// table (scenario_runner.cpp), printer and sheet steps
// (scenario_printer_steps.cpp), steps inside modal dialogs
// (scenario_dialog_steps.cpp), dumps and screenshots
// (scenario_looking_steps.cpp). Private to those files.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "host/dialog_driver.h"
#include "host/driver_helper.h"
#include "host/job_capture.h"
#include "host/plugin_host.h"
#include "host/printer_install.h"
#include "host/scenario_runner.h"
#include "host/scripted_answers.h"
#include "host/seeding.h"
#include "host/session.h"
#include "host/side_effects.h"
#include "host/step_context.h"

namespace oemuihost {

// The plug-in's per-user key of a printer (its string-table language).
constexpr wchar_t kUserKeyPrefix[] = L"Software\\Qvprint\\";

class ScenarioRunner {
public:
    ScenarioRunner(const RunOptions &options, Report &report)
        : m_options(options), m_dllPath(options.dllPath), m_report(report), m_log(&report),
          m_seeding(options.dllPath) {}
    int Run(const Scenario &scenario);

private:
    // Steps from m_next on: all of them at the outermost level; inside a
    // dialog until it ends or a step needs the sheet.
    void RunSteps();
    static void OnDialog(void *pContext, HWND hDlg);
    void DriveDialog(HWND hDlg);
    void Fail(int line, const std::wstring &error);
    bool Step(const ScenarioStep &step, std::wstring *pError);
    bool DialogStep(const ScenarioStep &step, std::wstring *pError);
    bool WaitForDialog(const ScenarioStep &step, std::wstring *pError);
    bool Screenshot(const std::wstring &path, std::wstring *pError);
    StepContext Context() const;
    bool NeedSession(std::wstring *pError) const;
    bool NeedPlugin(std::wstring *pError) const;
    bool Dump(const std::wstring &what, std::wstring *pError);
    bool UsePrinter(const ScenarioStep &step, std::wstring *pError);
    bool ChooseRunPlugin(const Scenario &scenario);
    bool LoadPlugin();
    bool InstallModel(const std::vector<std::wstring> &args, std::wstring *pError);
    // noPermission: the core's parameters say the user may not change the settings.
    bool OpenSheet(const std::wstring &which, bool noPermission, std::wstring *pError);
    bool SetNetworkAnswer(const std::wstring &key, const std::wstring &value, std::wstring *pError);
    void CloseSession(bool ok);
    // Tells the observer that a seed step starts (bDone false) or ended.
    void SeedingSeen(bool bDone);
    // The open printing-preferences sheet's device mode, else empty.
    std::vector<BYTE> SheetDevMode() const;
    void Cleanup();

    const RunOptions &m_options;
    std::wstring m_dllPath;          // the plug-in the run loads; empty: the driver names none
    int m_preinstalledLine = -1;     // the model step installed before the plug-in was chosen
    Report &m_report;
    PluginHost m_host;
    DriverHelper *m_pHelper = nullptr;
    CallLog m_log;
    std::unique_ptr<ScriptedAnswers> m_answers;
    std::unique_ptr<SideEffects> m_effects;
    std::unique_ptr<JobCapture> m_jobs;
    Seeding m_seeding;
    std::unique_ptr<Session> m_session;
    std::wstring m_printer;
    std::vector<InstalledPrinter> m_temporary;
    DriverDevMode m_lastDevMode;
    size_t m_callsShown = 0;
    std::wstring m_networkIni;                 // the stand-in library's configuration
    std::vector<std::wstring> m_networkPorts;  // sections this run wrote

    const std::vector<ScenarioStep> *m_pSteps = nullptr;
    size_t m_next = 0;
    bool m_failed = false;
    DialogWatcher m_watcher;
    size_t m_waitStep = SIZE_MAX;  // a "dialog" step waiting for its dialog
    bool m_waitMet = false;
};

}  // namespace oemuihost
