// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "WorldMap.h"

namespace worldmap {

bool TraceMap(const ephemeris::Transit& transit, double stepDegrees, const std::vector<ephemeris::WgsSite>& sites,
              MapPicture& out) {
    MapPicture picture;
    picture.transit = transit;
    SunUpModel model;
    if (!SunUpModelOf(transit, model) || !ClassifyGrid(model, stepDegrees, picture.grid)) return false;
    for (const ephemeris::WgsSite& site : sites) {
        MapSite seen;
        seen.site = site;
        if (!ephemeris::LocalContacts(transit, site.latitudeDegrees, site.longitudeEastDegrees, site.heightMetres,
                                      seen.local)) {
            return false;
        }
        seen.seen = SeenFrom(seen.local);
        picture.sites.push_back(seen);
    }
    const double innerMinutes = 24.0 * 60.0;
    const bool inner = transit.contactHappens[1] && transit.contactHappens[2] &&
                       (transit.contactJdUt[1] - transit.contactJdUt[0]) * innerMinutes >= InnerCurvesMinutes &&
                       (transit.contactJdUt[3] - transit.contactJdUt[2]) * innerMinutes >= InnerCurvesMinutes;
    for (const int contact : {1, 4, 2, 3}) {
        if (contact == 1 || contact == 4) picture.regions.push_back(RegionOf(picture.grid, contact));
        if (contact == 1 || contact == 4 || inner) {
            for (Curve& curve : CurvesOf(picture.grid, model, contact)) picture.curves.push_back(std::move(curve));
        }
    }
    out = std::move(picture);
    return true;
}

}  // namespace worldmap
