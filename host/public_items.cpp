#include "host/public_items.h"

#include "host/driver_devmode.h"

namespace oemuihost {
namespace {

constexpr PublicItemDef kPublicItems[] = {
    {DMPUB_COPIES_COLLATE, L"copies", L"Copies", nullptr, nullptr},
    {DMPUB_COLOR, L"color", L"Color", nullptr, nullptr},
    {DMPUB_DUPLEX, L"duplex", L"Duplex", "Duplex", nullptr},
    {DMPUB_DEFSOURCE, L"source", L"Paper Source", "InputBin", "InputSlot"},
    {DMPUB_MEDIATYPE, L"mediatype", L"Media Type", "MediaType", nullptr},
    {DMPUB_NUP, L"nup", L"Pages per Sheet", nullptr, nullptr},
};

struct BuiltInOption {
    BYTE dmPubId;
    const char *keyword;
    const wchar_t *displayName;
};

// Options of the items the core offers on its own when the data file has no
// feature for them.
constexpr BuiltInOption kBuiltInOptions[] = {
    {DMPUB_COLOR, "Monochrome", L"Monochrome"},
    {DMPUB_COLOR, "Color", L"Color"},
    {DMPUB_MEDIATYPE, "Plain", L"Plain Paper"},
    {DMPUB_MEDIATYPE, "Transparency", L"Transparency"},
    {DMPUB_MEDIATYPE, "Glossy", L"Glossy"},
    {DMPUB_NUP, "1", L"1"},
    {DMPUB_NUP, "2", L"2"},
    {DMPUB_NUP, "4", L"4"},
    {DMPUB_NUP, "6", L"6"},
    {DMPUB_NUP, "9", L"9"},
    {DMPUB_NUP, "16", L"16"},
    {DMPUB_NUP, "Booklet", L"Booklet"},
};

LONG Clamp(LONG v, LONG lo, LONG hi) { return v < lo ? lo : (v > hi ? hi : v); }

bool IsAutoOption(const ModelOption &option) { return lstrcmpiA(option.keyword.c_str(), "AUTO") == 0; }

}  // namespace

bool IsPublicFeature(const std::string &keyword) {
    for (const PublicItemDef &def : kPublicItems) {
        if (def.feature != nullptr && keyword == def.feature) return true;
        if (def.altFeature != nullptr && keyword == def.altFeature) return true;
    }
    return false;
}

std::vector<PublicItem> PublicItemsFor(const ModelData &model) {
    std::vector<PublicItem> items;
    for (const PublicItemDef &def : kPublicItems) {
        PublicItem item;
        item.def = &def;
        if (def.feature != nullptr) {
            item.featureIndex = model.FindFeature(def.feature);
            if (item.featureIndex < 0 && def.altFeature != nullptr) item.featureIndex = model.FindFeature(def.altFeature);
        }
        if (item.featureIndex >= 0) {
            item.options = model.features[static_cast<size_t>(item.featureIndex)].options;
        } else {
            for (const BuiltInOption &o : kBuiltInOptions)
                if (o.dmPubId == def.dmPubId) item.options.push_back(ModelOption{o.keyword, o.displayName});
        }
        // Items bound to a feature the model lacks are not shown, nor colour
        // on a monochrome model.
        const bool needsFeature = def.feature != nullptr && def.dmPubId != DMPUB_MEDIATYPE;
        if (needsFeature && item.featureIndex < 0) continue;
        if (def.dmPubId == DMPUB_COLOR && !model.colorDevice) continue;
        items.push_back(item);
    }
    return items;
}

LONG PublicSel(const PublicItem &item, const DEVMODEW &dm, const HostPrivate &core) {
    const LONG count = static_cast<LONG>(item.options.size());
    switch (item.def->dmPubId) {
    case DMPUB_COPIES_COLLATE:
        return Clamp(dm.dmCopies, 1, kMaxCopies);
    case DMPUB_COLOR:
        return dm.dmColor == DMCOLOR_COLOR ? 1 : 0;
    case DMPUB_DUPLEX:
        return Clamp(dm.dmDuplex - 1, 0, count - 1);
    case DMPUB_DEFSOURCE:
        if (dm.dmDefaultSource == DMBIN_AUTO) {
            for (LONG i = 0; i < count; ++i)
                if (IsAutoOption(item.options[static_cast<size_t>(i)])) return i;
            return 0;
        }
        return Clamp(dm.dmDefaultSource - DMBIN_USER, 0, count - 1);
    case DMPUB_MEDIATYPE:
        if (item.featureIndex >= 0) return Clamp(static_cast<LONG>(dm.dmMediaType) - DMMEDIA_USER, 0, count - 1);
        return Clamp(static_cast<LONG>(dm.dmMediaType) - DMMEDIA_STANDARD, 0, count - 1);
    case DMPUB_NUP:
        return Clamp(static_cast<LONG>(core.dwNupSel), 0, count - 1);
    default:
        return 0;
    }
}

void SetPublicSel(const PublicItem &item, LONG sel, DEVMODEW *pdm, HostPrivate *pCore) {
    switch (item.def->dmPubId) {
    case DMPUB_COPIES_COLLATE:
        pdm->dmCopies = static_cast<short>(Clamp(sel, 1, kMaxCopies));
        break;
    case DMPUB_COLOR:
        pdm->dmColor = sel ? DMCOLOR_COLOR : DMCOLOR_MONOCHROME;
        break;
    case DMPUB_DUPLEX:
        pdm->dmDuplex = static_cast<short>(sel + 1);
        break;
    case DMPUB_DEFSOURCE:
        if (sel >= 0 && static_cast<size_t>(sel) < item.options.size() && IsAutoOption(item.options[static_cast<size_t>(sel)]))
            pdm->dmDefaultSource = DMBIN_AUTO;
        else
            pdm->dmDefaultSource = static_cast<short>(DMBIN_USER + sel);
        break;
    case DMPUB_MEDIATYPE:
        pdm->dmMediaType = static_cast<DWORD>(item.featureIndex >= 0 ? DMMEDIA_USER + sel : DMMEDIA_STANDARD + sel);
        break;
    case DMPUB_NUP:
        pCore->dwNupSel = static_cast<DWORD>(sel);
        break;
    default:
        break;
    }
}

}  // namespace oemuihost
