// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace campaign {

// The place of each name in a list of names, found by hashing: open addressing in one flat table, each slot
// a part of the name's hash and its place, so that a look-up touches one slot and a name only when their
// hashes agree. A quarter of a million observers cost one allocation, not one each.
struct NameIndex {
    struct Slot {
        std::uint32_t hash = 0;   // the high half of the name's hash
        std::uint32_t place = 0;  // its place in the list, plus one; 0 for an empty slot
    };
    std::vector<Slot> slots;      // a power of two long, at most half full
    std::size_t count = 0;
};

// The index of a list of distinct names.
NameIndex IndexOf(const std::vector<std::string>& names);

// The place of name in names, which index holds all of (names change only through here); a name not there
// yet is appended and indexed.
int PlaceOf(NameIndex& index, std::vector<std::string>& names, const std::string& name);

// Room in index for room names in all, made at once: growing by doubling places every name again each time.
void Reserve(NameIndex& index, const std::vector<std::string>& names, std::size_t room);

}  // namespace campaign
