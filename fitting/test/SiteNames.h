// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "Campaign.h"

namespace campaign {

// The names of the sites of the test's timings: a timing holds an index into them, as into a campaign's table.
inline std::vector<std::string>& Names() {
    static std::vector<std::string> names;
    return names;
}

inline int NameIndex(const std::string& name) {
    std::vector<std::string>& names = Names();
    const auto found = std::find(names.begin(), names.end(), name);
    if (found != names.end()) return static_cast<int>(found - names.begin());
    names.push_back(name);
    return static_cast<int>(names.size()) - 1;
}

inline const std::string& NameOf(const Timing& t) { return Names()[static_cast<std::size_t>(t.site)]; }

}  // namespace campaign
