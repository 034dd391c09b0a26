// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include "Text.h"

// The words of the path picture in UTF-8; a %s takes a value.
namespace discpath {

struct Words {
    const char* title;          // "Transit of %s, %s": the planet (genitive in German), the date
    const char* venus;
    const char* mercury;
    const char* fromCentre;     // the observers: the Earth's centre only
    const char* andOneSite;     // ... and the site %s
    const char* andSites;       // ... and %s sites
    const char* northUp;
    const char* zenithUp;       // %s: the site
    const char* contact;        // before a contact's number: "C", "K"
    const char* greatest;
    const char* ut;             // after a clock time
    const char* localTime;      // after a clock time: local mean time
    const char* sunDown;
    const char* notHere;
    const char* ecliptic;
    const char* zenith;
    const char* north, *south, *east, *west;  // the compass letters
    const char* sunLegend;      // %s: the Sun's radius
    const char* centrePath;     // %s: the nearest approach to the Sun's centre
    const char* sitePath;       // %s: the site, %s: the nearest approach
    const char* farther;        // %s: the displacement
    const char* nearer;         // %s: the displacement
    const char* scaleNote;      // %s: the planet's radius
    const char* angleNote;
    const char* vertexNote;     // after angleNote, with sites
    const char* timeNote;
    const char* localTimeNote;  // after timeNote, with sites
    const char* unseenNote;
};

const Words& WordsIn(kit::Language language);

}  // namespace discpath
