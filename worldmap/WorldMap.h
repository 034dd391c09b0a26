// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "Ephemeris.h"

// The world map of a transit: where on the Earth its contacts happen with the Sun up, as a grid of classes, the
// curves where a contact happens at sunrise or sunset, and a picture in the Equal Earth projection.
namespace worldmap {

struct GeoPoint {
    double latitudeDegrees = 0.0, longitudeEastDegrees = 0.0;
};

// What a place sees of a transit: the whole (the Sun up at contact 1 and at contact 4), only its start (up at
// contact 1 only), only its end (up at contact 4 only), or none of it. A contact that does not happen at the
// place is not seen there.
enum class Seen { Whole, Start, End, None };
inline constexpr int SeenCount = 4;

// The class of what a site sees from what LocalContacts found there, by ephemeris::SunIsUp.
Seen SeenFrom(const ephemeris::LocalCircumstances& local);

// The fast model of the Sun's altitude at each contact: the contact at a site from the Besselian elements, the
// Sun's altitude then from the subsolar point. Within a few hundredths of a degree of what LocalContacts finds.
struct SunUpModel {
    ephemeris::Transit transit;
    ephemeris::BesselianElements elements;
    ephemeris::SubsolarPoint sun;  // at the geocentric greatest transit
};

// The model of transit; false for a transit without contacts 1 and 4 (a default-made one).
bool SunUpModelOf(const ephemeris::Transit& transit, SunUpModel& out);

// The Sun's altitude at contact 1..4 at a site at height 0, less ephemeris::SunUpAltitudeDegrees (so >= 0 where
// the Sun is up), degrees, from the fast model; NaN where the model finds no contact.
double FastUpMargin(const SunUpModel& model, int contact, const GeoPoint& site);

// The same at a site already made by ephemeris::ElementsSiteOf (at height 0): contacts at one site share it.
double FastUpMargin(const SunUpModel& model, int contact, const ephemeris::ElementsSite& elementsSite,
                    const GeoPoint& site);

// Where the fast model's margin is at least this far from 0, its sign is that of LocalContacts (checked in the
// tests with room to spare); closer to 0, the close model decides.
inline constexpr double ExactWithinDegrees = 0.1;

// The close model: the contact from the elements (within 0.01 s of LocalContacts), the Sun's altitude then from
// ephemeris::SunAltitudeDegrees (as LocalContacts computes it, from libnova's Sun). Where its margin is at least
// this far from 0 its sign is that of LocalContacts; closer, the site is settled by LocalContacts itself.
inline constexpr double CloseWithinDegrees = 0.005;

// The close model's margin of contact 1..4 at a site at height 0; NaN where the model finds no contact.
double CloseUpMargin(const SunUpModel& model, int contact, const ephemeris::ElementsSite& elementsSite,
                     const GeoPoint& site);

// What a site at height 0 sees, as transits contacts --site LAT,LON finds it: the fast model where it is
// certain, LocalContacts where it is not.
Seen SeenAt(const SunUpModel& model, const GeoPoint& site);

// What a site at height 0 sees from the fast margins of contacts 1 and 4 there: their signs where both are
// certain, else the close model's, else LocalContacts at the site, and then exact is set.
Seen SeenFromMargins(const SunUpModel& model, const GeoPoint& site, double startMargin, double endMargin, bool& exact);

// A grid of cells stepDegrees square over the whole Earth, rows from north to south and columns from west to
// east; cell (row, column) has its centre at latitude 90 - step (row + 1/2), longitude -180 + step (column + 1/2).
struct SeenGrid {
    double stepDegrees = 1.0;
    int rows = 0, columns = 0;
    std::vector<Seen> cells;  // row by row
    // FastUpMargin of contact 1..4 at each cell's centre (index contact - 1), row by row: the curves' source.
    std::vector<double> upMargin[ephemeris::ContactCount];
    int exactCells = 0;  // cells settled by LocalContacts
};

// The smallest and largest grid steps, degrees: a step must divide 180 into whole cells.
inline constexpr double FinestStepDegrees = 0.25, CoarsestStepDegrees = 10.0;

// Whether stepDegrees lies in FinestStepDegrees..CoarsestStepDegrees and divides 180 (to 1e-9 of a cell).
bool GridStepFits(double stepDegrees);

GeoPoint CellCentre(const SeenGrid& grid, int row, int column);

// The grid of what each cell's centre sees (SeenAt). False (out untouched) for a step that does not fit.
bool ClassifyGrid(const SunUpModel& model, double stepDegrees, SeenGrid& out);

// The share of the Earth's surface (a sphere) in each class, indexed by Seen; the shares add up to 1.
void SeenShares(const SeenGrid& grid, double shares[SeenCount]);

// The Equal Earth projection (Savric, Patterson and Jenny 2018) of the unit sphere: x east, y north.
struct MapPoint {
    double x = 0.0, y = 0.0;
};
MapPoint EqualEarth(const GeoPoint& point);

// The projection's half width (at the equator, longitude 180) and half height (at the poles).
double EqualEarthHalfWidth();
double EqualEarthHalfHeight();

// A curve on the map, in order: a stretch of a boundary where one contact happens with the Sun at
// SunUpAltitudeDegrees, rising (sunrise) or setting (sunset).
struct Curve {
    int contact = 1;
    bool sunrise = true;
    std::vector<GeoPoint> points;
};

// A region's outline: closed rings on the map whose inside (by the even-odd rule) is where a contact happens with
// the Sun up. A ring follows the map's edge where the region reaches it.
struct Region {
    int contact = 1;
    std::vector<std::vector<GeoPoint>> rings;
};

// The region of contact 1..4 from the grid's margins (linear between cell centres).
Region RegionOf(const SeenGrid& grid, int contact);

// The curves of contact 1..4: the region's outline less the map's edge, cut where sunrise turns to sunset.
std::vector<Curve> CurvesOf(const SeenGrid& grid, const SunUpModel& model, int contact);

// A site given, and what it sees there (LocalContacts at the site).
struct MapSite {
    ephemeris::WgsSite site;
    ephemeris::LocalCircumstances local;
    Seen seen = Seen::None;
};

// Everything the map shows.
struct MapPicture {
    ephemeris::Transit transit;
    SeenGrid grid;
    std::vector<Region> regions;  // contacts 1 and 4
    std::vector<Curve> curves;    // contacts 1 and 4, and 2 and 3 when they lie far enough apart to read
    std::vector<MapSite> sites;
};

// Contacts 2 and 3 are drawn when they come at least this long after contact 1 and before contact 4 (at the
// Earth's centre): the Sun moves a quarter of a degree a minute, and curves closer than 2.5 degrees run together.
inline constexpr double InnerCurvesMinutes = 10.0;

// The map of transit on a grid of stepDegrees with the sites given. False (out untouched) for a step that does
// not fit or a site out of range.
bool TraceMap(const ephemeris::Transit& transit, double stepDegrees, const std::vector<ephemeris::WgsSite>& sites,
              MapPicture& out);

// The words of the picture, in UTF-8, as the program words them; a %s takes a value.
struct MapWords {
    std::string title;         // "Transit of Venus, 2004-06-08"
    std::string subtitle;      // what the colours say
    std::string seen[SeenCount];  // the classes, indexed by Seen
    std::string contact;       // "contact %s": a contact's number
    std::string sunrise;       // "%s at sunrise": a contact
    std::string sunset;        // "%s at sunset": a contact
    std::string north, south, east, west;  // the letters of the hemispheres
    std::string caption;       // the projection, the coastlines, the rule of the Sun up
    std::string times;         // the contacts' times at the Earth's centre, filled
};

// Writes the picture as SVG in UTF-8, numbers with a decimal comma when comma is true: the same bytes on every
// platform.
void WriteMapSvg(const MapPicture& picture, const MapWords& words, bool comma, std::ostream& out);

// A site's name on the map: "51.43° N, 7.19° E", with a decimal comma when comma is true.
std::string SiteName(const ephemeris::WgsSite& site, const MapWords& words, bool comma);

}  // namespace worldmap
