// The driver's OPTITEM array for one sheet: for the printing preferences the
// public items and the document features, for the printer properties the
// installable options; each feature item carries a USERDATA record whose
// pKeyWordName is the feature keyword. The plug-in's items follow the
// driver's in the same array, as the plug-in sees them through OEMCUIPPARAM.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/driver_devmode.h"
#include "host/model_data.h"
#include "host/public_items.h"
#include "kit/oemkit.h"

namespace oemuihost {

enum class SheetKind { Document, Device };

class OptionTree {
public:
    // installedSel: the persisted selection of every feature (-1: default).
    void Build(const ModelData &model, SheetKind kind, const DEVMODEW &dm, const HostPrivate &core,
               const std::vector<int> &installedSel);
    // Zeroed room for the plug-in's items after the driver's. The array moves.
    void AddPluginItems(DWORD count);

    POPTITEM Items() { return m_items.empty() ? nullptr : m_items.data(); }
    DWORD Count() const { return static_cast<DWORD>(m_items.size()); }
    DWORD DriverCount() const { return m_cDriver; }
    POPTITEM PluginItems() { return m_items.size() > m_cDriver ? m_items.data() + m_cDriver : nullptr; }
    DWORD PluginCount() const { return Count() - m_cDriver; }

    // Index of an item of this array, or -1 (also for a pointer not at an item's start).
    int IndexOf(const void *pItem) const;
    // Driver item by feature keyword, public word ("copies", ...) or display name; -1 when none.
    int FindDriverItem(const std::wstring &name) const;
    // Plug-in item by caption, or "#N" for the N-th; -1 when none.
    int FindPluginItem(const std::wstring &caption) const;

    // Feature index behind a driver item (-1 for the core's own public items).
    int FeatureOf(DWORD index) const { return m_info[index].featureIndex; }
    const PublicItem *PublicOf(DWORD index) const;
    bool IsCopies(DWORD index) const;

    // Options of a driver item: count (0 for the copies count), names, lookup.
    LONG OptionCount(DWORD index) const;
    std::wstring OptionName(DWORD index, LONG sel) const;
    std::string OptionKeyword(DWORD index, LONG sel) const;
    // Option by keyword or display name, or the copies count; -1 when it is not one.
    LONG ParseOption(DWORD index, const std::wstring &text) const;
    bool SelInRange(DWORD index, LONG sel) const;

    // A driver item's selection into the device mode / feature selections.
    void StoreItem(DWORD index, DEVMODEW *pdm, HostPrivate *pCore, std::vector<int> *pInstalled) const;
    // Collate lives in the copies item's check box.
    bool Collate() const;
    void SetCollate(bool on);

    std::wstring Caption(DWORD index) const;

private:
    struct Info {
        int featureIndex = -1;
        int publicIndex = -1;
    };
    POPTPARAM NewParams(size_t n);
    const wchar_t *KeepText(const std::wstring &text);
    const ModelData *m_pModel = nullptr;
    std::vector<OPTITEM> m_items;
    std::vector<Info> m_info;
    DWORD m_cDriver = 0;
    std::vector<PublicItem> m_publics;
    std::vector<std::unique_ptr<OPTTYPE>> m_types;
    std::vector<std::unique_ptr<OPTPARAM[]>> m_params;
    std::vector<std::unique_ptr<USERDATA>> m_userData;
    std::vector<std::unique_ptr<std::wstring>> m_texts;
    std::unique_ptr<EXTCHKBOX> m_collateBox;
};

}  // namespace oemuihost
