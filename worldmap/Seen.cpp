// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright the limbtimer and chordspan authors
#include "WorldMap.h"

#include <cmath>
#include <limits>

namespace worldmap {

Seen SeenFrom(const ephemeris::LocalCircumstances& local) {
    const bool start = local.contactHappens[0] && ephemeris::SunIsUp(local.contactSunAltitudeDegrees[0]);
    const bool end = local.contactHappens[3] && ephemeris::SunIsUp(local.contactSunAltitudeDegrees[3]);
    return start && end ? Seen::Whole : start ? Seen::Start : end ? Seen::End : Seen::None;
}

bool SunUpModelOf(const ephemeris::Transit& transit, SunUpModel& out) {
    SunUpModel model;
    model.transit = transit;
    if (!ephemeris::ElementsOf(transit, model.elements)) return false;
    model.sun = ephemeris::SubsolarPointAt(transit.greatestJdUt);
    out = model;
    return true;
}

double FastUpMargin(const SunUpModel& model, int contact, const ephemeris::ElementsSite& elementsSite,
                    const GeoPoint& site) {
    double jdUt = 0.0, jdUtPerQ = 0.0;
    if (!ephemeris::PredictContact(model.elements, contact, elementsSite, 1.0, jdUt, jdUtPerQ)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return ephemeris::SunAltitudeFrom(model.sun, jdUt, site.latitudeDegrees, site.longitudeEastDegrees) -
           ephemeris::SunUpAltitudeDegrees;
}

double FastUpMargin(const SunUpModel& model, int contact, const GeoPoint& site) {
    return FastUpMargin(model, contact, ephemeris::ElementsSiteOf(site.latitudeDegrees, site.longitudeEastDegrees, 0.0),
                        site);
}

double CloseUpMargin(const SunUpModel& model, int contact, const ephemeris::ElementsSite& elementsSite,
                     const GeoPoint& site) {
    double jdUt = 0.0, jdUtPerQ = 0.0;
    if (!ephemeris::PredictContact(model.elements, contact, elementsSite, 1.0, jdUt, jdUtPerQ)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return ephemeris::SunAltitudeDegrees(jdUt, site.latitudeDegrees, site.longitudeEastDegrees, 0.0) -
           ephemeris::SunUpAltitudeDegrees;
}

Seen SeenFromMargins(const SunUpModel& model, const GeoPoint& site, double startMargin, double endMargin, bool& exact) {
    // NaN fails every comparison: a contact the models cannot find is settled by LocalContacts.
    exact = false;
    double margins[2] = {startMargin, endMargin};
    const int contacts[2] = {1, 4};
    bool certain = true;
    for (int k = 0; k < 2; ++k) {
        if (std::fabs(margins[k]) >= ExactWithinDegrees) continue;
        const ephemeris::ElementsSite elementsSite =
            ephemeris::ElementsSiteOf(site.latitudeDegrees, site.longitudeEastDegrees, 0.0);
        margins[k] = CloseUpMargin(model, contacts[k], elementsSite, site);
        certain = certain && std::fabs(margins[k]) >= CloseWithinDegrees;
    }
    if (certain) {
        const bool start = margins[0] > 0.0, end = margins[1] > 0.0;
        return start && end ? Seen::Whole : start ? Seen::Start : end ? Seen::End : Seen::None;
    }
    exact = true;
    ephemeris::LocalCircumstances local;
    // A site of the grid or of a test lies in range, so LocalContacts cannot refuse it; if it did, the site
    // would see nothing.
    if (!ephemeris::LocalContacts(model.transit, site.latitudeDegrees, site.longitudeEastDegrees, 0.0, local)) {
        return Seen::None;
    }
    return SeenFrom(local);
}

Seen SeenAt(const SunUpModel& model, const GeoPoint& site) {
    const ephemeris::ElementsSite elementsSite =
        ephemeris::ElementsSiteOf(site.latitudeDegrees, site.longitudeEastDegrees, 0.0);
    bool exact = false;
    return SeenFromMargins(model, site, FastUpMargin(model, 1, elementsSite, site),
                           FastUpMargin(model, 4, elementsSite, site), exact);
}

}  // namespace worldmap
