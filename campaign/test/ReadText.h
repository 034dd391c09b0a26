// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <sstream>
#include <string>

#include "Campaign.h"

namespace campaign {

// A campaign read from text as from a file, with its status and what the reader said.
struct Read {
    Campaign campaign;
    ReadStatus status;
    std::string messages;
};

inline Read ReadText(const std::string& text, const std::string& name = "c.csv") {
    Read read;
    std::istringstream in(text);
    std::ostringstream err;
    read.status = ReadCampaign(name, in, read.campaign, err);
    read.messages = err.str();
    return read;
}

}  // namespace campaign
