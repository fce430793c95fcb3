// The option items as the core's options page shows and edits them: which
// plug-in items are well formed, whether an item may be used, choosing an
// option (and the collate box), and each item's line in the report.
#include "host/session.h"

#include "host/session_internal.h"

namespace oemuihost {

void Session::CheckPluginItems() {
    Report &report = *m_env.pReport;
    m_pluginItemOk.assign(m_tree.PluginCount(), true);
    for (DWORD i = 0; i < m_tree.PluginCount(); ++i) {
        const OPTITEM &item = m_tree.PluginItems()[i];
        std::wstring fault;
        if (item.cbSize != sizeof(OPTITEM))
            fault = L"cbSize " + std::to_wstring(item.cbSize);
        else if (item.pName == nullptr)
            fault = L"no caption";
        else if (item.pOptType == nullptr)
            fault = L"no option type";
        if (!fault.empty()) {
            m_pluginItemOk[i] = false;
            report.Add(L"warning", L"plug-in item " + std::to_wstring(i) + L" is not usable: " + fault);
        }
    }
}

bool Session::ItemUsable(DWORD index, std::wstring *pWhyNot) const {
    if (index >= m_tree.Count()) {
        *pWhyNot = L"no such item";
        return false;
    }
    const OPTITEM &item = const_cast<OptionTree &>(m_tree).Items()[index];
    if (index >= m_tree.DriverCount() && !m_pluginItemOk[index - m_tree.DriverCount()]) {
        *pWhyNot = L"the plug-in's item is malformed";
        return false;
    }
    if (item.Flags & OPTIF_HIDE) {
        *pWhyNot = L"the item is hidden";
        return false;
    }
    if (item.Flags & OPTIF_DISABLED) {
        *pWhyNot = L"the item is disabled";
        return false;
    }
    return true;
}

bool Session::Select(const std::wstring &itemName, const std::wstring &option, std::wstring *pError) {
    if (!m_open) {
        *pError = L"no sheet is open";
        return false;
    }
    if (lstrcmpiW(itemName.c_str(), L"collate") == 0) {
        if (m_kind != SheetKind::Document || m_tree.FindDriverItem(L"copies") < 0) {
            *pError = L"this sheet has no collate box";
            return false;
        }
        const bool on = lstrcmpiW(option.c_str(), L"on") == 0;
        if (!on && lstrcmpiW(option.c_str(), L"off") != 0) {
            *pError = L"collate takes on or off";
            return false;
        }
        const DWORD index = static_cast<DWORD>(m_tree.FindDriverItem(L"copies"));
        std::wstring why;
        if (!ItemUsable(index, &why)) {
            *pError = L"\"" + m_tree.Caption(index) + L"\": " + why;
            return false;
        }
        m_tree.SetCollate(on);
        m_tree.StoreItem(index, m_devmode.Public(), m_devmode.Core(), &m_installed);
        m_env.pReport->Add(L"item", L"core changed collate to " + option);
        CallItemCallback(CPSUICB_REASON_ECB_CHANGED, &m_tree.Items()[index], m_tree.Items()[index].Sel,
                         m_hOptionsPage);
        return true;
    }
    const int index = m_tree.FindDriverItem(itemName);
    if (index < 0) {
        *pError = L"this sheet has no driver item \"" + itemName + L"\"";
        return false;
    }
    const LONG sel = m_tree.ParseOption(static_cast<DWORD>(index), option);
    if (sel < 0) {
        std::wstring choices;
        const LONG n = m_tree.OptionCount(static_cast<DWORD>(index));
        for (LONG i = 0; i < n; ++i) choices += (i ? L", " : L"") + Widen(m_tree.OptionKeyword(static_cast<DWORD>(index), i));
        *pError = L"\"" + itemName + L"\" has no option \"" + option + L"\"" +
                  (n > 0 ? L" (options: " + choices + L")" : L" (a number from 1 to 999)");
        return false;
    }
    return SelectIndex(static_cast<DWORD>(index), sel, pError);
}

bool Session::SelectIndex(DWORD index, LONG sel, std::wstring *pError) {
    if (!m_open || index >= m_tree.DriverCount() || !m_tree.SelInRange(index, sel)) {
        *pError = L"no such item or option";
        return false;
    }
    std::wstring why;
    if (!ItemUsable(index, &why)) {
        *pError = L"\"" + m_tree.Caption(index) + L"\": " + why;
        return false;
    }
    OPTITEM &item = m_tree.Items()[index];
    const LONG oldSel = item.Sel;
    item.Sel = sel;
    m_tree.StoreItem(index, m_devmode.Public(), m_devmode.Core(), &m_installed);
    m_env.pReport->Add(L"item", L"core changed " + ItemLine(index));
    CallItemCallback(CPSUICB_REASON_SEL_CHANGED, &m_tree.Items()[index], oldSel, m_hOptionsPage);
    RefreshPage();
    return true;
}

std::wstring Session::ItemLine(DWORD index) const {
    OptionTree &tree = const_cast<OptionTree &>(m_tree);
    const OPTITEM &item = tree.Items()[index];
    std::wstring line = tree.Caption(index);
    if (index < tree.DriverCount()) {
        line += L" = " + tree.OptionName(index, item.Sel);
        if (tree.IsCopies(index)) line += tree.Collate() ? L", collated" : L", not collated";
    } else if (item.pOptType != nullptr && item.pOptType->Type == TVOT_PUSHBUTTON) {
        line += L" [push button]";
    }
    if (item.Flags & OPTIF_HIDE) line += L" [hidden]";
    if (item.Flags & OPTIF_DISABLED) line += L" [disabled]";
    return line;
}

ReportFields Session::DescribeItems() {
    ReportFields fields;
    for (DWORD i = 0; i < m_tree.Count(); ++i) {
        std::wstring name;
        if (i < m_tree.DriverCount()) {
            const int f = m_tree.FeatureOf(i);
            const PublicItem *pub = m_tree.PublicOf(i);
            name = f >= 0 ? Widen(m_model.features[static_cast<size_t>(f)].keyword) : std::wstring(pub->def->word);
        } else {
            name = L"plug-in " + std::to_wstring(i - m_tree.DriverCount());
        }
        const OPTITEM &item = m_tree.Items()[i];
        std::wstring value = ItemLine(i) + L" (Sel " + std::to_wstring(item.Sel);
        if (item.DMPubID != DMPUB_NONE) value += L", DMPubID " + std::to_wstring(item.DMPubID);
        value += L", Flags " + Hex32(item.Flags) + L")";
        fields.emplace_back(name, value);
    }
    return fields;
}

}  // namespace oemuihost
