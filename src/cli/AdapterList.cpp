#include "AdapterList.h"

#include "link/D2xxLayer.h"

#include <memory>

std::optional<std::vector<AdapterEntry>> listAdapters(FtDriver &driver, std::string &error) {
    auto ft = std::make_unique<D2xxLayer>(driver);
    ft->setErrorBox([&error](const std::string &message) {
        if (error.empty())
            error = message;
    });
    if (ft->GetFTDeviceCount() != FT_OK)
        return std::nullopt;
    std::vector<AdapterEntry> adapters;
    for (std::uint32_t i = 0; i < ft->DeviceCount; ++i) {
        AdapterEntry entry;
        if (ft->GetFTDeviceSerialNo(i) != FT_OK)
            return std::nullopt;
        entry.serialNumber = ft->ListText;
        if (ft->GetFTDeviceDescription(i) != FT_OK)
            return std::nullopt;
        entry.description = ft->ListText;
        adapters.push_back(std::move(entry));
    }
    return adapters;
}
