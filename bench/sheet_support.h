// What the window and growth benchmarks share around the emulator: the
// plug-in loaded as a driver core loads it, sheets, push buttons and pages.
#pragma once

#include <windows.h>

#include <string>

#include "bench_support.h"
#include "host/driver_helper.h"
#include "host/plugin_host.h"
#include "host/report.h"
#include "host/session.h"

namespace bench {

// The plug-in beside the program, its object and the core's helper.
class PluginEnv {
public:
    PluginEnv() = default;
    ~PluginEnv();
    PluginEnv(const PluginEnv &) = delete;
    PluginEnv &operator=(const PluginEnv &) = delete;

    bool Load();  // prints why not
    oemuihost::SessionEnv Sessions();
    HMODULE Module() const { return m_host.Module(); }
    IPrintOemUI *Plugin() const { return m_host.Plugin(); }

private:
    oemuihost::PluginHost m_host;
    oemuihost::Report m_report;
    oemuihost::DriverHelper *m_pHelper = nullptr;
};

// Installs a model folder (a path, or a folder of models/) as a printer on
// FILE: under its own driver name; prints why not.
bool InstallPrinter(const std::wstring &model, const wchar_t *pszPrinter);
void UninstallPrinter(const wchar_t *pszPrinter);

// Opens a modeless sheet; prints why not.
bool OpenSheet(oemuihost::Session &session, const wchar_t *pszPrinter, oemuihost::SheetKind kind);

// Opens the plug-in's push-button item with this caption the way the core
// does (its OPTPARAM callback, the options page as owner) and times it to
// the dialog's first paint; {-1, -1} when there is no such item or nothing
// painted. The options page must be current.
Opening PressButton(oemuihost::Session &session, const wchar_t *pszCaption);

// The index of the sheet's page with this title, -1 if none.
int PageIndex(oemuihost::Session &session, const wchar_t *pszTitle);

}  // namespace bench
