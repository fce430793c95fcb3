// Where a session's settings are kept: applying stores the device mode as
// the user's defaults (preferences) or the installable options as printer
// data (properties), and the driver helper reads and changes them.
#include "host/session.h"

#include "host/session_internal.h"

namespace oemuihost {
namespace {

std::string Narrow(const std::wstring &s) {
    std::string out;
    for (wchar_t c : s) out += (c < 0x80) ? static_cast<char>(c) : '?';
    return out;
}

constexpr wchar_t kInstalledPrefix[] = L"InstallableOption.";

}  // namespace

void Session::StoreAllItems() {
    for (DWORD i = 0; i < m_tree.DriverCount(); ++i)
        m_tree.StoreItem(i, m_devmode.Public(), m_devmode.Core(), &m_installed);
}

void Session::OnApply(HWND hPage) {
    // The core's own items go into the device mode first, so that the
    // plug-in sees the settings it is asked to apply.
    StoreAllItems();
    CallItemCallback(CPSUICB_REASON_APPLYNOW, nullptr, 0, hPage);
    m_applied = true;
    if (m_kind == SheetKind::Document) {
        if (SaveStoredDevMode(m_printerName, m_devmode.Bytes()))
            m_env.pReport->Add(L"sheet", L"device mode stored as the user's defaults (" +
                                             std::to_wstring(m_devmode.Bytes().size()) + L" bytes)");
    } else {
        PersistInstalled();
    }
}

void Session::LoadInstalled() {
    m_installed.assign(m_model.features.size(), -1);
    for (size_t f = 0; f < m_model.features.size(); ++f) {
        const ModelFeature &feature = m_model.features[f];
        if (!feature.installable) continue;
        const std::wstring name = kInstalledPrefix + Widen(feature.keyword);
        wchar_t sz[kMaxKeywordLength + 1] = {};
        DWORD type = 0, cb = 0;
        if (GetPrinterDataW(m_printer.get(), const_cast<LPWSTR>(name.c_str()), &type, reinterpret_cast<BYTE *>(sz),
                            sizeof(sz) - sizeof(wchar_t), &cb) != ERROR_SUCCESS ||
            type != REG_SZ)
            continue;
        m_installed[f] = feature.FindOption(Narrow(sz));
    }
}

void Session::PersistInstalled() {
    for (size_t f = 0; f < m_model.features.size(); ++f) {
        const ModelFeature &feature = m_model.features[f];
        if (!feature.installable || m_installed[f] < 0) continue;
        const std::wstring name = kInstalledPrefix + Widen(feature.keyword);
        const std::wstring value = Widen(feature.options[static_cast<size_t>(m_installed[f])].keyword);
        SetPrinterDataW(m_printer.get(), const_cast<LPWSTR>(name.c_str()), REG_SZ,
                        reinterpret_cast<BYTE *>(const_cast<wchar_t *>(value.c_str())),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
}

bool Session::CurrentOption(const std::string &feature, std::string *pOption) const {
    const int f = m_model.FindFeature(feature);
    if (f < 0) return false;
    const ModelFeature &mf = m_model.features[static_cast<size_t>(f)];
    OptionTree &tree = const_cast<OptionTree &>(m_tree);
    for (DWORD i = 0; i < tree.DriverCount(); ++i) {
        if (tree.FeatureOf(i) != f) continue;
        *pOption = tree.OptionKeyword(i, tree.Items()[i].Sel);
        return !pOption->empty();
    }
    LONG sel = mf.defaultIndex;
    if (mf.installable && m_installed[static_cast<size_t>(f)] >= 0) sel = m_installed[static_cast<size_t>(f)];
    if (!mf.installable && !m_devmode.Empty() && static_cast<size_t>(f) < kMaxFeatures &&
        m_devmode.Public() != nullptr) {
        const BYTE stored = const_cast<DriverDevMode &>(m_devmode).Core()->abFeatureSel[f];
        if (stored < mf.options.size()) sel = stored;
    }
    *pOption = mf.options[static_cast<size_t>(sel)].keyword;
    return true;
}

HRESULT Session::UpdateFromItem(const void *pOptItem, DWORD dwMode, std::wstring *pDetail) {
    const int index = m_tree.IndexOf(pOptItem);
    if (index < 0 || static_cast<DWORD>(index) >= m_tree.DriverCount()) {
        *pDetail = L"not one of the driver's items";
        return E_INVALIDARG;
    }
    const DWORD expected = m_kind == SheetKind::Document ? OEMCUIP_DOCPROP : OEMCUIP_PRNPROP;
    if (dwMode != expected) m_env.pReport->Add(L"warning", L"DrvUpdateUISetting with the other sheet's mode");
    const OPTITEM &item = m_tree.Items()[index];
    if (!m_tree.SelInRange(static_cast<DWORD>(index), item.Sel)) {
        *pDetail = L"\"" + m_tree.Caption(static_cast<DWORD>(index)) + L"\" has no selection " + std::to_wstring(item.Sel);
        return E_INVALIDARG;
    }
    m_tree.StoreItem(static_cast<DWORD>(index), m_devmode.Public(), m_devmode.Core(), &m_installed);
    *pDetail = ItemLine(static_cast<DWORD>(index));
    RefreshPage();
    return S_OK;
}

HRESULT Session::UpgradeInstallable(const std::string &feature, const std::string &option, std::wstring *pDetail) {
    const int f = m_model.FindFeature(feature);
    if (f < 0 || !m_model.features[static_cast<size_t>(f)].installable) {
        *pDetail = L"no installable option \"" + Widen(feature) + L"\"";
        return E_INVALIDARG;
    }
    const ModelFeature &mf = m_model.features[static_cast<size_t>(f)];
    const int sel = mf.FindOption(option);
    if (sel < 0) {
        *pDetail = L"\"" + Widen(feature) + L"\" has no option \"" + Widen(option) + L"\"";
        return E_INVALIDARG;
    }
    m_installed[static_cast<size_t>(f)] = sel;
    const std::wstring name = kInstalledPrefix + Widen(feature);
    const std::wstring value = Widen(option);
    const DWORD err = SetPrinterDataW(m_printer.get(), const_cast<LPWSTR>(name.c_str()), REG_SZ,
                                      reinterpret_cast<BYTE *>(const_cast<wchar_t *>(value.c_str())),
                                      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    if (err != ERROR_SUCCESS) {
        *pDetail = L"SetPrinterDataW failed, error " + std::to_wstring(err);
        return HRESULT_FROM_WIN32(err);
    }
    for (DWORD i = 0; i < m_tree.DriverCount(); ++i)
        if (m_tree.FeatureOf(i) == f) m_tree.Items()[i].Sel = sel;
    *pDetail = L"stored " + name + L" = " + value;
    RefreshPage();
    return S_OK;
}

}  // namespace oemuihost
