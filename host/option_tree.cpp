#include "host/option_tree.h"

#include <cstring>

namespace oemuihost {
namespace {

std::wstring Widen(const std::string &s) { return std::wstring(s.begin(), s.end()); }

bool SameText(const std::wstring &a, const std::wstring &b) { return lstrcmpiW(a.c_str(), b.c_str()) == 0; }

}  // namespace

POPTPARAM OptionTree::NewParams(size_t n) {
    m_params.emplace_back(new OPTPARAM[n]());
    POPTPARAM p = m_params.back().get();
    for (size_t i = 0; i < n; ++i) p[i].cbSize = sizeof(OPTPARAM);
    return p;
}

const wchar_t *OptionTree::KeepText(const std::wstring &text) {
    m_texts.emplace_back(new std::wstring(text));
    return m_texts.back()->c_str();
}

void OptionTree::Build(const ModelData &model, SheetKind kind, const DEVMODEW &dm, const HostPrivate &core,
                       const std::vector<int> &installedSel) {
    m_pModel = &model;
    m_items.clear();
    m_info.clear();
    m_publics.clear();
    auto addItem = [&](const std::wstring &caption, int featureIndex, int publicIndex, BYTE dmPubId,
                       const char *pszKeyword, OPTTYPE *pType, LONG sel) {
        OPTITEM item = {};
        item.cbSize = sizeof(OPTITEM);
        item.Level = 1;
        item.pName = const_cast<LPWSTR>(KeepText(caption));
        item.Sel = sel;
        item.pOptType = pType;
        item.DMPubID = dmPubId;
        m_userData.emplace_back(new USERDATA());
        USERDATA *pUser = m_userData.back().get();
        pUser->dwSize = sizeof(USERDATA);
        pUser->dwItemID = m_items.size();
        pUser->pKeyWordName = const_cast<PSTR>(pszKeyword);
        item.UserData = reinterpret_cast<ULONG_PTR>(pUser);
        m_items.push_back(item);
        m_info.push_back(Info{featureIndex, publicIndex});
    };
    auto listType = [&](const std::vector<ModelOption> &options, BYTE type) {
        m_types.emplace_back(new OPTTYPE());
        OPTTYPE *pType = m_types.back().get();
        pType->cbSize = sizeof(OPTTYPE);
        pType->Type = type;
        pType->Count = static_cast<WORD>(options.size());
        pType->pOptParam = NewParams(options.size());
        for (size_t i = 0; i < options.size(); ++i)
            pType->pOptParam[i].pData = const_cast<LPWSTR>(KeepText(options[i].displayName));
        return pType;
    };

    if (kind == SheetKind::Document) {
        m_publics = PublicItemsFor(model);
        for (size_t p = 0; p < m_publics.size(); ++p) {
            const PublicItem &pub = m_publics[p];
            const char *pszKeyword =
                pub.featureIndex >= 0 ? model.features[static_cast<size_t>(pub.featureIndex)].keyword.c_str() : nullptr;
            OPTTYPE *pType = nullptr;
            if (pub.def->dmPubId == DMPUB_COPIES_COLLATE) {
                m_types.emplace_back(new OPTTYPE());
                pType = m_types.back().get();
                pType->cbSize = sizeof(OPTTYPE);
                pType->Type = TVOT_UDARROW;
                pType->Count = 2;
                pType->pOptParam = NewParams(2);
                pType->pOptParam[0].pData = const_cast<LPWSTR>(KeepText(L""));
                pType->pOptParam[1].IconID = 1;
                pType->pOptParam[1].lParam = kMaxCopies;
            } else {
                pType = listType(pub.options, pub.options.size() == 2 ? TVOT_2STATES : TVOT_LISTBOX);
            }
            addItem(pub.def->caption, pub.featureIndex, static_cast<int>(p), pub.def->dmPubId, pszKeyword, pType,
                    PublicSel(pub, dm, core));
            if (pub.def->dmPubId == DMPUB_COPIES_COLLATE) {
                m_collateBox.reset(new EXTCHKBOX());
                m_collateBox->cbSize = sizeof(EXTCHKBOX);
                m_collateBox->pTitle = const_cast<LPWSTR>(KeepText(L"Collate"));
                m_items.back().pExtChkBox = m_collateBox.get();
                if (dm.dmCollate == DMCOLLATE_TRUE) m_items.back().Flags |= OPTIF_ECB_CHECKED;
            }
        }
    }
    for (size_t f = 0; f < model.features.size(); ++f) {
        const ModelFeature &feature = model.features[f];
        if (feature.installable != (kind == SheetKind::Device)) continue;
        if (kind == SheetKind::Document && IsPublicFeature(feature.keyword)) continue;
        LONG sel = feature.defaultIndex;
        if (kind == SheetKind::Document && f < kMaxFeatures && core.abFeatureSel[f] < feature.options.size())
            sel = core.abFeatureSel[f];
        if (kind == SheetKind::Device && f < installedSel.size() && installedSel[f] >= 0) sel = installedSel[f];
        addItem(feature.displayName, static_cast<int>(f), -1, DMPUB_NONE, feature.keyword.c_str(),
                listType(feature.options, TVOT_LISTBOX), sel);
    }
    m_cDriver = static_cast<DWORD>(m_items.size());
}

void OptionTree::AddPluginItems(DWORD count) {
    m_items.resize(m_cDriver + count);
    for (DWORD i = m_cDriver; i < m_items.size(); ++i) std::memset(&m_items[i], 0, sizeof(OPTITEM));
}

int OptionTree::IndexOf(const void *pItem) const {
    if (m_items.empty() || pItem == nullptr) return -1;
    const auto *p = static_cast<const BYTE *>(pItem);
    const auto *base = reinterpret_cast<const BYTE *>(m_items.data());
    if (p < base || p >= base + m_items.size() * sizeof(OPTITEM)) return -1;
    const size_t offset = static_cast<size_t>(p - base);
    if (offset % sizeof(OPTITEM) != 0) return -1;
    return static_cast<int>(offset / sizeof(OPTITEM));
}

int OptionTree::FindDriverItem(const std::wstring &name) const {
    for (DWORD i = 0; i < m_cDriver; ++i) {
        const Info &info = m_info[i];
        if (info.featureIndex >= 0 &&
            Widen(m_pModel->features[static_cast<size_t>(info.featureIndex)].keyword) == name)
            return static_cast<int>(i);
        if (info.publicIndex >= 0 && SameText(m_publics[static_cast<size_t>(info.publicIndex)].def->word, name))
            return static_cast<int>(i);
    }
    for (DWORD i = 0; i < m_cDriver; ++i)
        if (SameText(m_items[i].pName, name)) return static_cast<int>(i);
    return -1;
}

int OptionTree::FindPluginItem(const std::wstring &caption) const {
    for (DWORD i = m_cDriver; i < m_items.size(); ++i)
        if (m_items[i].pName != nullptr && caption == m_items[i].pName) return static_cast<int>(i);
    // "#N": the N-th of the plug-in's items, whatever its caption's language.
    if (caption.size() > 1 && caption[0] == L'#' && caption.find_first_not_of(L"0123456789", 1) == std::wstring::npos) {
        const int n = _wtoi(caption.c_str() + 1);
        if (n >= 0 && static_cast<DWORD>(n) < PluginCount()) return static_cast<int>(m_cDriver) + n;
    }
    return -1;
}

const PublicItem *OptionTree::PublicOf(DWORD index) const {
    const int p = index < m_cDriver ? m_info[index].publicIndex : -1;
    return p >= 0 ? &m_publics[static_cast<size_t>(p)] : nullptr;
}

bool OptionTree::IsCopies(DWORD index) const {
    const PublicItem *pub = PublicOf(index);
    return pub != nullptr && pub->def->dmPubId == DMPUB_COPIES_COLLATE;
}

LONG OptionTree::OptionCount(DWORD index) const {
    if (IsCopies(index)) return 0;
    const PublicItem *pub = PublicOf(index);
    if (pub != nullptr) return static_cast<LONG>(pub->options.size());
    return static_cast<LONG>(m_pModel->features[static_cast<size_t>(m_info[index].featureIndex)].options.size());
}

bool OptionTree::SelInRange(DWORD index, LONG sel) const {
    if (IsCopies(index)) return sel >= 1 && sel <= kMaxCopies;
    return sel >= 0 && sel < OptionCount(index);
}

std::wstring OptionTree::OptionName(DWORD index, LONG sel) const {
    if (IsCopies(index)) return std::to_wstring(sel);
    if (!SelInRange(index, sel)) return L"(selection " + std::to_wstring(sel) + L" out of range)";
    const PublicItem *pub = PublicOf(index);
    if (pub != nullptr) return pub->options[static_cast<size_t>(sel)].displayName;
    return m_pModel->features[static_cast<size_t>(m_info[index].featureIndex)].options[static_cast<size_t>(sel)].displayName;
}

std::string OptionTree::OptionKeyword(DWORD index, LONG sel) const {
    if (IsCopies(index)) return std::to_string(sel);
    if (!SelInRange(index, sel)) return std::string();
    const PublicItem *pub = PublicOf(index);
    if (pub != nullptr) return pub->options[static_cast<size_t>(sel)].keyword;
    return m_pModel->features[static_cast<size_t>(m_info[index].featureIndex)].options[static_cast<size_t>(sel)].keyword;
}

LONG OptionTree::ParseOption(DWORD index, const std::wstring &text) const {
    if (IsCopies(index)) {
        if (text.empty() || text.size() > 4) return -1;
        LONG v = 0;
        for (wchar_t c : text) {
            if (c < L'0' || c > L'9') return -1;
            v = v * 10 + (c - L'0');
        }
        return SelInRange(index, v) ? v : -1;
    }
    const LONG n = OptionCount(index);
    for (LONG i = 0; i < n; ++i)
        if (Widen(OptionKeyword(index, i)) == text) return i;
    for (LONG i = 0; i < n; ++i)
        if (SameText(OptionName(index, i), text)) return i;
    return -1;
}

void OptionTree::StoreItem(DWORD index, DEVMODEW *pdm, HostPrivate *pCore, std::vector<int> *pInstalled) const {
    if (index >= m_cDriver) return;
    const LONG sel = m_items[index].Sel;
    if (!SelInRange(index, sel)) return;
    const PublicItem *pub = PublicOf(index);
    if (pub != nullptr) {
        SetPublicSel(*pub, sel, pdm, pCore);
        if (pub->def->dmPubId == DMPUB_COPIES_COLLATE)
            pdm->dmCollate = (m_items[index].Flags & OPTIF_ECB_CHECKED) ? DMCOLLATE_TRUE : DMCOLLATE_FALSE;
    }
    const int f = m_info[index].featureIndex;
    if (f < 0) return;
    if (m_pModel->features[static_cast<size_t>(f)].installable) {
        if (pInstalled != nullptr && static_cast<size_t>(f) < pInstalled->size()) (*pInstalled)[static_cast<size_t>(f)] = sel;
    } else if (static_cast<size_t>(f) < kMaxFeatures) {
        pCore->abFeatureSel[f] = static_cast<BYTE>(sel);
    }
}

bool OptionTree::Collate() const {
    for (DWORD i = 0; i < m_cDriver; ++i)
        if (IsCopies(i)) return (m_items[i].Flags & OPTIF_ECB_CHECKED) != 0;
    return false;
}

void OptionTree::SetCollate(bool on) {
    for (DWORD i = 0; i < m_cDriver; ++i) {
        if (!IsCopies(i)) continue;
        if (on)
            m_items[i].Flags |= OPTIF_ECB_CHECKED;
        else
            m_items[i].Flags &= ~static_cast<DWORD>(OPTIF_ECB_CHECKED);
    }
}

std::wstring OptionTree::Caption(DWORD index) const {
    if (index >= m_items.size()) return std::wstring();
    const OPTITEM &item = m_items[index];
    if (item.pName == nullptr) return L"(no caption)";
    // The plug-in's captions live in its heap; read them with a bound.
    size_t n = 0;
    while (n < 256 && item.pName[n] != L'\0') ++n;
    return std::wstring(item.pName, n);
}

}  // namespace oemuihost
