// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "NameIndex.h"

#include <functional>
#include <string_view>

namespace campaign {
namespace {

std::uint64_t HashOf(const std::string& name) { return std::hash<std::string_view>{}(name); }

// The slot where a name of this hash is, or would go: linear probing from the hash's low bits.
std::size_t SlotOf(const NameIndex& index, const std::vector<std::string>& names, const std::string& name, std::uint64_t hash) {
    const std::size_t mask = index.slots.size() - 1;
    const auto high = static_cast<std::uint32_t>(hash >> 32);
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        const NameIndex::Slot& slot = index.slots[at];
        if (slot.place == 0 || (slot.hash == high && names[slot.place - 1] == name)) return at;
    }
}

// Room for names in all: slots doubled until at most half of them would be taken, every name placed again.
void Grow(NameIndex& index, const std::vector<std::string>& names, std::size_t room) {
    std::size_t size = index.slots.empty() ? 64 : index.slots.size() * 2;
    while (size < 2 * room) size *= 2;
    index.slots.assign(size, NameIndex::Slot{});
    const std::size_t mask = index.slots.size() - 1;
    for (std::size_t k = 0; k < index.count; ++k) {
        const std::uint64_t hash = HashOf(names[k]);
        std::size_t at = hash & mask;
        while (index.slots[at].place != 0) at = (at + 1) & mask;
        index.slots[at] = {static_cast<std::uint32_t>(hash >> 32), static_cast<std::uint32_t>(k + 1)};
    }
}

}  // namespace

NameIndex IndexOf(const std::vector<std::string>& names) {
    NameIndex index;
    index.count = names.size();
    Grow(index, names, index.count + 1);
    return index;
}

int PlaceOf(NameIndex& index, std::vector<std::string>& names, const std::string& name) {
    if (2 * (index.count + 1) > index.slots.size()) Grow(index, names, index.count + 1);
    const std::uint64_t hash = HashOf(name);
    NameIndex::Slot& slot = index.slots[SlotOf(index, names, name, hash)];
    if (slot.place != 0) return static_cast<int>(slot.place - 1);
    names.push_back(name);
    slot = {static_cast<std::uint32_t>(hash >> 32), static_cast<std::uint32_t>(names.size())};
    ++index.count;
    return static_cast<int>(names.size() - 1);
}

void Reserve(NameIndex& index, const std::vector<std::string>& names, std::size_t room) {
    if (2 * room > index.slots.size()) Grow(index, names, room);
}

}  // namespace campaign
