#pragma once
// Why an adapter could not be listed or opened, as far as the driver can tell,
// and what the technician can do about it, in their words.

#include "FtStatus.h"

#include <string>

enum class LinkTrouble {
    None,         // nothing known beyond the status
    NoPermission, // the adapter's device file may not be opened by this user
    Busy,         // another program (or this one) holds the adapter
    Gone,         // the adapter was pulled out or no longer answers the system
};

// The driver's finding, or what the status alone says when it has none.
LinkTrouble troubleOf(FtStatus status, LinkTrouble driverSays);

// A few Russian sentences for the error box, under the operation's error
// text; empty for LinkTrouble::None.
std::string adviceFor(LinkTrouble trouble);
