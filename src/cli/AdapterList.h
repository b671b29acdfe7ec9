#pragma once
// The adapters the driver lists, as the window's device list reads them.

#include "link/FtDriver.h"

#include <optional>
#include <string>
#include <vector>

struct AdapterEntry {
    std::string serialNumber;
    std::string description;
};

// Nothing when the list cannot be read, with the error box's text in `error`.
std::optional<std::vector<AdapterEntry>> listAdapters(FtDriver &driver, std::string &error);
