// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <string>

#include "Ephemeris.h"
#include "Text.h"

// Every word transits writes, in English and German (Windows-1252 bytes); a %s takes a value.
struct Texts {
    const char* hint;
    const char* help;
    const char* notADateForm;
    const char* noSuchDate;
    const char* yearOutside;
    const char* notAYear;
    const char* fromAfterTo;
    const char* deltaTNotNumber;
    const char* deltaTOutside;
    const char* siteForm;
    const char* latitudeOutside;
    const char* longitudeOutside;
    const char* heightOutside;
    const char* notPlanet;
    const char* notRadii;
    const char* notFormat;
    const char* notLanguage;
    const char* needsDate;
    const char* noCommand;
    const char* commandLine;
    const char* noTransitAny;
    const char* noTransitOf;
    const char* venus;
    const char* mercury;
    const char* venusGenitive;
    const char* mercuryGenitive;
    const char* bothGenitive;
    const char* listTitle;
    const char* listHeader;
    const char* transitOf;
    const char* geocentric;
    const char* seenFrom;
    const char* deltaTLine;
    const char* deltaTGiven;
    const char* deltaTMeasured;
    const char* deltaTReconstructed;
    const char* deltaTExtrapolated;
    const char* deltaTWhereKnown;
    const char* radiiNasa;
    const char* radiiIau;
    const char* greatest;
    const char* minSeparation;
    const char* sunAltitude;
    const char* sunBelow;
    const char* positionAngle;
    const char* vertexAngle;
    const char* doesNotHappen;
    const char* coefficientsTitle;
    const char* coefficientsAxes;
    const char* contactWord;
    const char* elementsTitle;
    const char* elementsUnits;
    const char* plotNeedsFile;
    const char* zenithUpNeedsPlot;
    const char* zenithUpNeedsSite;
    const char* cannotWritePlot;
    const char* gridNotStep;
    const char* mapPlotNeedsFile;
    const char* mapSubtitle;
    const char* seenWhole;  // the classes of the map, as Seen orders them
    const char* seenStart;
    const char* seenEnd;
    const char* seenNone;
    const char* seenLetters;  // one letter for each class, in the same order, for the map in text
    const char* mapContact;
    const char* atSunrise;
    const char* atSunset;
    const char* compass;  // the letters north, south, east, west
    const char* mapCaption;
    const char* mapTimes;
    const char* mapShares;
    const char* mapAscii;
    const char* siteSees;
};

// The words in language.
const Texts& TextsFor(kit::Language language);

// pattern with each %s replaced by the next of up to four strings.
using kit::Fill;

// Where a Delta T came from, in words ("measured", "gemessen").
std::string DeltaTSourceWord(const Texts& texts, ephemeris::DeltaTSource source);

// The planet's name in the nominative ("Venus", "Merkur").
std::string PlanetWord(const Texts& texts, ephemeris::Planet planet);
