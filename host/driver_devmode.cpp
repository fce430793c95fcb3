#include "host/driver_devmode.h"

#include <cstring>

#include "common/bounded_format.h"
#include "common/handles.h"
#include "host/public_items.h"

namespace oemuihost {
namespace {

constexpr wchar_t kStoreKey[] = L"Software\\OEMUI Host\\DevModes";

const wchar_t *DevModeModeName(DWORD dwMode) {
    switch (dwMode) {
    case OEMDM_SIZE: return L"OEMDM_SIZE";
    case OEMDM_DEFAULT: return L"OEMDM_DEFAULT";
    case OEMDM_CONVERT: return L"OEMDM_CONVERT";
    case OEMDM_MERGE: return L"OEMDM_MERGE";
    default: return L"?";
    }
}

HRESULT CallDevMode(IPrintOemUI *pPlugin, DWORD dwMode, OEMDMPARAM *pParam, Report &report,
                    const std::wstring &detail) {
    SetLastError(0);
    const HRESULT hr = pPlugin->DevMode(dwMode, pParam);
    const DWORD err = GetLastError();
    std::wstring more = detail;
    if (dwMode == OEMDM_SIZE) more = L"cbBufSize " + std::to_wstring(pParam->cbBufSize);
    report.AddCall(std::wstring(L"DevMode(") + DevModeModeName(dwMode) + L")", hr, err, more);
    return hr;
}

}  // namespace

void DriverDevMode::Allocate(DWORD cbPlugin) {
    m_cbPlugin = cbPlugin;
    m_buf.assign(sizeof(DEVMODEW) + sizeof(HostPrivate) + cbPlugin, 0);
}

void FillPublicDefaults(const ModelData &model, const std::wstring &printerName, DEVMODEW *pdm) {
    oemui::CopyCchW(pdm->dmDeviceName, CCHDEVICENAME, printerName.c_str());
    pdm->dmSpecVersion = DM_SPECVERSION;
    pdm->dmDriverVersion = 0x0100;
    pdm->dmSize = sizeof(DEVMODEW);
    pdm->dmFields = DM_ORIENTATION | DM_COPIES | DM_COLLATE | DM_DEFAULTSOURCE | DM_MEDIATYPE;
    pdm->dmOrientation = DMORIENT_PORTRAIT;
    pdm->dmCopies = 1;
    pdm->dmCollate = DMCOLLATE_TRUE;
    pdm->dmColor = DMCOLOR_MONOCHROME;
    pdm->dmDuplex = DMDUP_SIMPLEX;
    pdm->dmDefaultSource = DMBIN_AUTO;
    pdm->dmMediaType = DMMEDIA_STANDARD;
    if (model.colorDevice) {
        pdm->dmFields |= DM_COLOR;
        pdm->dmColor = DMCOLOR_COLOR;
        const int colorMode = model.FindFeature("ColorMode");
        if (colorMode >= 0) {
            const ModelFeature &f = model.features[static_cast<size_t>(colorMode)];
            if (f.options[static_cast<size_t>(f.defaultIndex)].keyword.find("Color") == std::string::npos)
                pdm->dmColor = DMCOLOR_MONOCHROME;
        }
    }
    HostPrivate unused = {};
    for (const PublicItem &item : PublicItemsFor(model)) {
        if (item.featureIndex < 0) continue;
        if (item.def->dmPubId == DMPUB_DUPLEX) pdm->dmFields |= DM_DUPLEX;
        SetPublicSel(item, model.features[static_cast<size_t>(item.featureIndex)].defaultIndex, pdm, &unused);
    }
}

void FillCoreDefaults(const ModelData &model, HostPrivate *pCore) {
    std::memset(pCore, 0, sizeof(*pCore));
    pCore->dwSignature = kHostPrivateSignature;
    pCore->dwSize = sizeof(HostPrivate);
    pCore->cFeatures = static_cast<DWORD>(model.features.size());
    for (size_t i = 0; i < model.features.size() && i < kMaxFeatures; ++i)
        pCore->abFeatureSel[i] = static_cast<BYTE>(model.features[i].defaultIndex);
}

bool CheckStoredDevMode(const std::vector<BYTE> &stored, std::wstring *pReason) {
    if (stored.size() < sizeof(DEVMODEW) + sizeof(HostPrivate)) {
        *pReason = L"shorter than a device mode";
        return false;
    }
    const auto *pdm = reinterpret_cast<const DEVMODEW *>(stored.data());
    if (pdm->dmSize != sizeof(DEVMODEW) || static_cast<size_t>(pdm->dmSize) + pdm->dmDriverExtra != stored.size()) {
        *pReason = L"dmSize/dmDriverExtra do not match its length";
        return false;
    }
    const auto *pCore = reinterpret_cast<const HostPrivate *>(stored.data() + sizeof(DEVMODEW));
    if (pCore->dwSignature != kHostPrivateSignature || pCore->dwSize != sizeof(HostPrivate)) {
        *pReason = L"not written by this emulator";
        return false;
    }
    return true;
}

bool OpenDevMode(IPrintOemUI *pPlugin, HANDLE hPrinter, const std::wstring &printerName, const ModelData &model,
                 const std::vector<BYTE> *pStored, DriverDevMode *pOut, Report &report) {
    OEMDMPARAM param = {};
    param.cbSize = sizeof(param);
    param.hPrinter = hPrinter;
    // Without a UI plug-in the device mode has no plug-in block.
    HRESULT hr = pPlugin != nullptr ? CallDevMode(pPlugin, OEMDM_SIZE, &param, report, std::wstring()) : S_OK;
    DWORD cbPlugin = param.cbBufSize;
    if (pPlugin != nullptr && (FAILED(hr) || cbPlugin < sizeof(OEM_DMEXTRAHEADER) || cbPlugin > kMaxPluginBlock)) {
        report.Add(L"error", L"the plug-in gave no usable private block size (" + std::to_wstring(cbPlugin) +
                                 L" bytes); the session has no plug-in block");
        cbPlugin = 0;
    }
    pOut->Allocate(cbPlugin);
    DEVMODEW *pdm = pOut->Public();
    FillPublicDefaults(model, printerName, pdm);
    pdm->dmDriverExtra = static_cast<WORD>(sizeof(HostPrivate) + cbPlugin);
    FillCoreDefaults(model, pOut->Core());

    if (cbPlugin != 0) {
        param.pPublicDMOut = pdm;
        param.pOEMDMOut = pOut->PluginBlock();
        param.cbBufSize = cbPlugin;
        CallDevMode(pPlugin, OEMDM_DEFAULT, &param, report, std::wstring());
    }

    if (pStored == nullptr) return true;
    std::wstring reason;
    if (!CheckStoredDevMode(*pStored, &reason)) {
        report.Add(L"warning", L"the stored device mode is ignored: " + reason);
        return true;
    }
    // Public and core parts: the fields the items are bound to.
    const auto *pOld = reinterpret_cast<const DEVMODEW *>(pStored->data());
    pdm->dmCopies = pOld->dmCopies;
    pdm->dmCollate = pOld->dmCollate;
    pdm->dmColor = model.colorDevice ? pOld->dmColor : static_cast<short>(DMCOLOR_MONOCHROME);
    pdm->dmDuplex = pOld->dmDuplex;
    pdm->dmDefaultSource = pOld->dmDefaultSource;
    pdm->dmMediaType = pOld->dmMediaType;
    const auto *pOldCore = reinterpret_cast<const HostPrivate *>(pStored->data() + sizeof(DEVMODEW));
    HostPrivate *pCore = pOut->Core();
    pCore->dwNupSel = pOldCore->dwNupSel;
    // Feature selections only when the model still has the same features.
    if (pOldCore->cFeatures == model.features.size()) {
        for (size_t i = 0; i < model.features.size() && i < kMaxFeatures; ++i)
            if (pOldCore->abFeatureSel[i] < model.features[i].options.size())
                pCore->abFeatureSel[i] = pOldCore->abFeatureSel[i];
    }
    if (cbPlugin == 0) return true;

    // The old plug-in block, copied into a buffer at least as large as the
    // current one, so a short block cannot be read past its end.
    const size_t cbOld = pStored->size() - sizeof(DEVMODEW) - sizeof(HostPrivate);
    std::vector<BYTE> oldBlock(cbOld > cbPlugin ? cbOld : cbPlugin, 0);
    if (cbOld) std::memcpy(oldBlock.data(), pStored->data() + sizeof(DEVMODEW) + sizeof(HostPrivate), cbOld);
    param.pPublicDMIn = const_cast<DEVMODEW *>(pOld);
    param.pOEMDMIn = oldBlock.data();
    const DWORD dwMode = cbOld == cbPlugin ? OEMDM_MERGE : OEMDM_CONVERT;
    CallDevMode(pPlugin, dwMode, &param, report,
                L"stored block of " + std::to_wstring(cbOld) + L" bytes");
    return true;
}

bool LoadStoredDevMode(const std::wstring &printerName, std::vector<BYTE> *pBytes) {
    oemui::RegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kStoreKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return false;
    DWORD type = 0, cb = 0;
    if (RegQueryValueExW(key.get(), printerName.c_str(), nullptr, &type, nullptr, &cb) != ERROR_SUCCESS ||
        type != REG_BINARY || cb == 0 || cb > 0x20000)
        return false;
    pBytes->assign(cb, 0);
    if (RegQueryValueExW(key.get(), printerName.c_str(), nullptr, &type, pBytes->data(), &cb) != ERROR_SUCCESS)
        return false;
    pBytes->resize(cb);
    return true;
}

bool SaveStoredDevMode(const std::wstring &printerName, const std::vector<BYTE> &bytes) {
    oemui::RegKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kStoreKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr) !=
        ERROR_SUCCESS)
        return false;
    return RegSetValueExW(key.get(), printerName.c_str(), 0, REG_BINARY, bytes.data(),
                          static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
}

void DeleteStoredDevMode(const std::wstring &printerName) {
    oemui::RegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kStoreKey, 0, KEY_ALL_ACCESS, key.put()) == ERROR_SUCCESS)
        RegDeleteValueW(key.get(), printerName.c_str());
}

ReportFields DescribePublicDevMode(const DEVMODEW &dm) {
    ReportFields f;
    f.emplace_back(L"dmDeviceName", std::wstring(dm.dmDeviceName, oemui::LengthCchW(dm.dmDeviceName, CCHDEVICENAME)));
    f.emplace_back(L"dmSize", std::to_wstring(dm.dmSize));
    f.emplace_back(L"dmDriverExtra", std::to_wstring(dm.dmDriverExtra));
    f.emplace_back(L"dmFields", Hex32(dm.dmFields));
    f.emplace_back(L"dmCopies", std::to_wstring(dm.dmCopies));
    f.emplace_back(L"dmCollate", std::to_wstring(dm.dmCollate));
    f.emplace_back(L"dmColor", std::to_wstring(dm.dmColor));
    f.emplace_back(L"dmDuplex", std::to_wstring(dm.dmDuplex));
    f.emplace_back(L"dmDefaultSource", std::to_wstring(dm.dmDefaultSource));
    f.emplace_back(L"dmMediaType", std::to_wstring(dm.dmMediaType));
    return f;
}

}  // namespace oemuihost
