// What a scenario run tells someone watching it from outside the steps: the
// fault-injection sweep installs its replacements once the plug-in is ready
// and takes the stored state at the moments a session may commit it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace oemuihost {

class RunObserver {
public:
    virtual ~RunObserver() = default;
    // The core has made the plug-in's object (class factory, instance); the
    // emulator's own import replacements come next.
    virtual void PluginLoaded(HMODULE hPlugin) { (void)hPlugin; }
    // The plug-in is loaded and the emulator's own import replacements are
    // in place; the first step comes next.
    virtual void PluginReady(HMODULE hPlugin) = 0;
    // Open: a sheet is about to open on the printer; Close: it has just
    // closed; End: the steps are done (a sheet left open is closed) and
    // nothing has been torn down yet.
    enum class Moment { Open, Close, End };
    virtual void Checkpoint(Moment moment, const std::wstring &printer) = 0;
    // The sheet opened with this device mode (empty for printer properties).
    virtual void SheetOpened(const std::vector<unsigned char> &devmode) = 0;
    // A seed step is about to change (bDone false) or has changed (true) the
    // stored state or the open sheet's device mode (empty when none): what
    // it changed is part of the state the session started from.
    // A step has been played (inside a dialog's modal loop too); the open
    // sheet's device mode as for Seeding.
    virtual void StepDone(const std::wstring &printer, const std::vector<unsigned char> &sheetDevmode) {
        (void)printer, (void)sheetDevmode;
    }
    virtual void Seeding(bool bDone, const std::wstring &printer, const std::vector<unsigned char> &sheetDevmode) {
        (void)bDone, (void)printer, (void)sheetDevmode;
    }
};

}  // namespace oemuihost
