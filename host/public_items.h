// The driver items a core shows from the public device mode (copies and
// collate, colour, duplex, paper source, media type, pages per sheet) and how
// each one's selection is bound to DEVMODEW.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "host/model_data.h"

namespace oemuihost {

struct HostPrivate;

struct PublicItemDef {
    BYTE dmPubId;
    const wchar_t *word;     // the scenario's name of the item
    const wchar_t *caption;
    const char *feature;     // data-file feature the item stands for, if any
    const char *altFeature;  // the same feature's keyword in the other kind of data file
};

struct PublicItem {
    const PublicItemDef *def = nullptr;
    int featureIndex = -1;            // the bound feature, -1 for the core's own item
    std::vector<ModelOption> options; // empty for the copies count
};

// The public items a model shows, in tree order.
std::vector<PublicItem> PublicItemsFor(const ModelData &model);
// True when the feature is shown through a public item instead of its own.
bool IsPublicFeature(const std::string &keyword);

constexpr LONG kMaxCopies = 999;

LONG PublicSel(const PublicItem &item, const DEVMODEW &dm, const HostPrivate &core);
void SetPublicSel(const PublicItem &item, LONG sel, DEVMODEW *pdm, HostPrivate *pCore);

}  // namespace oemuihost
