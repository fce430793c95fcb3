// The emulated core's helper object (IPrintOemDriverUI) that the plug-in
// receives through PublishDriverInterface. Every call is recorded in the
// report; the answers come from the open session.
#pragma once

#include <string>

#include "host/report.h"
#include "kit/oemkit.h"

namespace oemuihost {

// What the helper needs from the open session.
class HelperTarget {
public:
    virtual ~HelperTarget() = default;
    virtual bool OwnsUiObject(const void *pci) const = 0;
    virtual HANDLE PrinterHandle() const = 0;
    // The current option keyword of a feature; false for an unknown feature.
    virtual bool CurrentOption(const std::string &feature, std::string *pOption) const = 0;
    // Applies a changed item of the session's tree to the session's state.
    virtual HRESULT UpdateFromItem(const void *pOptItem, DWORD dwMode, std::wstring *pDetail) = 0;
    // Stores an installable option of the printer.
    virtual HRESULT UpgradeInstallable(const std::string &feature, const std::string &option, std::wstring *pDetail) = 0;
};

class DriverHelper : public IPrintOemDriverUI {
public:
    explicit DriverHelper(Report *pReport) : m_pReport(pReport) {}
    virtual ~DriverHelper() = default;

    void SetTarget(HelperTarget *pTarget) { m_pTarget = pTarget; }
    size_t CallCount() const { return m_calls; }
    LONG RefCount() const { return m_cRef; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DrvGetDriverSetting(PVOID pci, PCSTR Feature, PVOID pOutput, DWORD cbSize,
                                                  PDWORD pcbNeeded, PDWORD pdwOptionsReturned) override;
    HRESULT STDMETHODCALLTYPE DrvUpgradeRegistrySetting(HANDLE hPrinter, PCSTR pFeature, PCSTR pOption) override;
    HRESULT STDMETHODCALLTYPE DrvUpdateUISetting(PVOID pci, PVOID pOptItem, DWORD dwPreviousSelection,
                                                 DWORD dwMode) override;

private:
    HRESULT Finish(const std::wstring &call, HRESULT hr, DWORD lastError, const std::wstring &detail);
    Report *m_pReport;
    HelperTarget *m_pTarget = nullptr;
    LONG m_cRef = 1;
    size_t m_calls = 0;
};

// A string the plug-in passed: small integers are identifiers, not pointers;
// text is read with a bound.
bool ReadPluginString(PCSTR psz, std::string *pText, std::wstring *pShown);

}  // namespace oemuihost
