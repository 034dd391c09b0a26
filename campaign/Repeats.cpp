// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "Campaign.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <tuple>
#include <utility>
#include <vector>

#include "Pieces.h"

namespace campaign {

void MarkDuplicates(Campaign& campaign) {
    // Sorted copies of the keys, the index breaking ties so that the first of equal timings comes first: a
    // million timings take a third of the time a tree of them did, and a tenth of the memory blocks.
    struct Key {
        int observer, start, end;
        double seconds;
        std::size_t index;
    };
    auto keyOf = [](const Timing& t) { return std::tie(t.observer, t.start, t.end, t.seconds); };
    // Rows grouped as they were written (an observer's timings together, contacts in order) are in order
    // already: then a repeat follows what it repeats, and one pass marks it without sorted copies.
    // A timing its row leaves out repeats nothing and is repeated by nothing: the fit never sees it.
    // Out of order, the sorted copies below mark every timing again.
    const Timing* previous = nullptr;
    bool ordered = true;
    for (Timing& t : campaign.timings) {
        if (!t.use) continue;
        if (previous != nullptr && keyOf(t) < keyOf(*previous)) {
            ordered = false;
            break;
        }
        t.duplicate = previous != nullptr && keyOf(t) == keyOf(*previous);
        previous = &t;
    }
    std::vector<Key> keys;
    if (!ordered) keys.reserve(campaign.timings.size());
    for (std::size_t i = 0; !ordered && i < campaign.timings.size(); ++i) {
        const Timing& t = campaign.timings[i];
        if (t.use) keys.push_back({t.observer, t.start, t.end, t.seconds, i});
    }
    auto tied = [](const Key& k) { return std::tie(k.observer, k.start, k.end, k.seconds, k.index); };
    SortInPieces(keys, [&](const Key& a, const Key& b) { return tied(a) < tied(b); });
    for (std::size_t k = 0; k < keys.size(); ++k) {
        const Key& key = keys[k];
        const bool repeat = k > 0 && std::tie(key.observer, key.start, key.end, key.seconds) ==
                                         std::tie(keys[k - 1].observer, keys[k - 1].start, keys[k - 1].end, keys[k - 1].seconds);
        campaign.timings[key.index].duplicate = repeat;
    }
    // The same transit, site, contact and time under another name is a copy, not a second observation: counted once,
    // it cannot outvote the rest or shrink the scatter the robust fit measures. Places are sorted by a hash of
    // them and then by index, which is cheaper than by the place itself: equal places meet in one run of equal
    // hashes, and there the first of each place is the one read first.
    struct Place {
        std::uint64_t hash;
        std::size_t index;
    };
    auto bits = [](double value) { return std::bit_cast<std::uint64_t>(value + 0.0); };  // -0 as +0, as == has it
    auto mix = [](std::uint64_t h, std::uint64_t value) {
        h ^= value + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
        h = (h ^ (h >> 30)) * 0xBF58476D1CE4E5B9ull;
        return h ^ (h >> 27);
    };
    std::vector<Place> places;
    places.reserve(campaign.timings.size());
    for (std::size_t i = 0; i < campaign.timings.size(); ++i) {
        const Timing& t = campaign.timings[i];
        if (t.duplicate || !t.use) continue;
        std::uint64_t h = mix(0, static_cast<std::uint64_t>(t.transit) << 16 | static_cast<std::uint64_t>(t.start) << 8 |
                                     static_cast<std::uint64_t>(t.end));
        h = mix(mix(mix(h, bits(t.latitudeDegrees)), bits(t.longitudeDegrees)), bits(t.seconds));
        places.push_back({h, i});
        campaign.timings[i].copiedFrom = -1;  // until it is found a copy below
    }
    // By hash: by its top 16 bits in two passes of a byte, each keeping the order of the one before, then
    // each run of equal top bits (a few dozen at most) sorted by the whole hash, stably, so that equal hashes
    // stay in the order read. The order is the hashes' own, in four passes over the places where a byte at a
    // time took sixteen.
    constexpr int TopBits = 16;
    auto top = [](const Place& p) { return static_cast<std::size_t>(p.hash >> (64 - TopBits)); };
    {
        std::vector<Place> passed(places.size());
        for (const int shift : {64 - TopBits, 64 - TopBits / 2}) {
            std::size_t at[256] = {};
            for (const Place& p : places) ++at[(p.hash >> shift) & 0xFF];
            std::size_t sum = 0;
            for (std::size_t& a : at) sum += std::exchange(a, sum);
            for (const Place& p : places) passed[at[(p.hash >> shift) & 0xFF]++] = p;
            places.swap(passed);
        }
    }
    std::vector<std::size_t> at{0};
    for (std::size_t k = 1; k <= places.size(); ++k) {
        if (k == places.size() || top(places[k]) != top(places[k - 1])) at.push_back(k);
    }
    for (std::size_t b = 0; b + 1 < at.size(); ++b) {
        const auto first = places.begin() + static_cast<std::ptrdiff_t>(at[b]), last = places.begin() + static_cast<std::ptrdiff_t>(at[b + 1]);
        // Insertion, as buckets are short; a long one (places made to share their top bits) by merging.
        if (last - first > 32) {
            std::stable_sort(first, last, [](const Place& x, const Place& y) { return x.hash < y.hash; });
            continue;
        }
        for (auto i = first; i != last; ++i) {
            const Place p = *i;
            auto j = i;
            for (; j != first && (j - 1)->hash > p.hash; --j) *j = *(j - 1);
            *j = p;
        }
    }
    auto samePlace = [&](std::size_t a, std::size_t b) {
        const Timing& x = campaign.timings[a];
        const Timing& y = campaign.timings[b];
        return x.transit == y.transit && x.latitudeDegrees == y.latitudeDegrees && x.longitudeDegrees == y.longitudeDegrees &&
               x.start == y.start && x.end == y.end && x.seconds == y.seconds;
    };
    // The first timing of each place in a run of equal hashes: more than one only where two places share a
    // hash. A hash of its own, nearly every one, needs no look at its timing.
    std::vector<std::size_t> firsts;
    for (std::size_t run = 0, next = 0; run < places.size(); run = next) {
        for (next = run + 1; next < places.size() && places[next].hash == places[run].hash;) ++next;
        if (next - run < 2) continue;
        firsts.clear();
        for (std::size_t k = run; k < next; ++k) {
            const std::size_t index = places[k].index;
            const auto first = std::find_if(firsts.begin(), firsts.end(), [&](std::size_t f) { return samePlace(f, index); });
            if (first == firsts.end()) {
                firsts.push_back(index);
                continue;
            }
            Timing& t = campaign.timings[index];
            const int original = campaign.timings[*first].observer;
            t.copiedFrom = t.observer != original ? original : -1;
        }
    }
}

}  // namespace campaign
