// Loads a UI plug-in DLL and creates its object the way a driver's UI core
// does: DllGetClassObject for the plug-in class, CreateInstance for
// IPrintOemUI, and DllCanUnloadNow when everything is released again.
#pragma once

#include <string>

#include "kit/oemkit.h"

namespace oemuihost {

class PluginHost {
public:
    PluginHost() = default;
    ~PluginHost();
    PluginHost(const PluginHost &) = delete;
    PluginHost &operator=(const PluginHost &) = delete;

    // Loads the DLL and creates the plug-in object. On failure, Error() says
    // which step failed with its HRESULT or last-error code.
    bool Load(const std::wstring &dllPath);

    // Hands the plug-in the driver's helper interface (may be null).
    HRESULT Publish(IUnknown *pDriverHelper);

    IPrintOemUI *Plugin() const { return m_pPlugin; }
    HMODULE Module() const { return m_hModule; }
    const std::wstring &Error() const { return m_error; }

    // Releases the plug-in object and asks the module whether it may be
    // unloaded (the answer is returned), then frees the module.
    HRESULT Unload();

private:
    HMODULE m_hModule = nullptr;
    IPrintOemUI *m_pPlugin = nullptr;
    std::wstring m_error;
};

// The folder of the running executable, with a trailing backslash.
std::wstring ExecutableDirectory();

// "0x%08lX" of an HRESULT or error code.
std::wstring HexCode(unsigned long value);

}  // namespace oemuihost
