#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright the limbtimer and chordspan authors
"""What a user writes instead of transitfit: one weighted least-squares fit of the linear site model.

A timing of contact c at a site reads t = T_c + q (A_c . v): T_c the contact's time at the Earth's centre
(UT seconds after midnight), v the site's unit vector on the sphere (geodetic latitude taken as it is, no
flattening, longitude east positive, as `transits coefficients` counts it), A_c the contact's coefficients in
seconds per unit vector, and AU = 149597870.7 km / q. Every timing weighs 1 / (sigma^2 + (5 s)^2), an empty
sigma counting as 0; nothing is rejected and no clock offset is fitted. The formal sigma is scaled by the
scatter: sqrt(rss / (n - rank)) times the square root of q's diagonal entry of the inverse normal matrix.

Reads a campaign CSV with a header row and the columns latitude, longitude (decimal degrees, north and east
positive), contact (1..4), time (hh:mm:ss[.s], UT) and optionally sigma (s) and date (YYYY-MM-DD); durations
and N/S/E/W suffixes are transitfit's, not this script's. The coefficients come from a file written by
`transits coefficients DATE --format json`, or, without --coefficients, from running that program for the
campaign's date (its date column, else 8 June 2004).

Usage: linear_fit.py [--coefficients JSON] [--transits PROGRAM] [--read-only] FILE
"""
import argparse
import json
import os
import shutil
import subprocess
import sys

import numpy as np
import pandas as pd

REFERENCE_AU_KM = 149597870.7
FLOOR_SIGMA_S = 5.0
SECONDS_PER_DAY = 86400.0


def transits_program(given):
    """The transits program: as given, on PATH, or the one built beside this script (release, then dev)."""
    if given:
        return given
    found = shutil.which("transits")
    if found:
        return found
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    for preset in ("release", "dev"):
        built = os.path.join(root, "build", preset, "programs", "transits", "transits")
        if os.access(built, os.X_OK):
            return built
    sys.exit("linear_fit.py: no transits program found: give --coefficients or --transits")


def coefficients(path, program, date):
    """A_c per contact 1..4 (seconds per unit site vector, longitude east positive), from transits' JSON."""
    if path:
        with open(path, encoding="utf-8") as f:
            document = json.load(f)
    else:
        run = subprocess.run([program, "coefficients", date, "--format", "json"], capture_output=True, text=True)
        if run.returncode != 0:
            sys.exit(f"linear_fit.py: {program} coefficients {date}: {run.stderr.strip()}")
        document = json.loads(run.stdout)
    a = np.full((5, 3), np.nan)
    for entry in document["coefficients"]:
        a[entry["contact"]] = (entry["x_s"], entry["y_s"], entry["z_s"])
    return a


def read_campaign(path):
    """Latitude and longitude (rad), contact, time (s after midnight), weight and first date of a campaign."""
    header = pd.read_csv(path, nrows=0).columns
    wanted = [c for c in ("latitude", "longitude", "date", "contact", "time", "sigma") if c in header]
    # Only the columns the fit needs: the observer names and notes would be a million Python strings.
    frame = pd.read_csv(path, usecols=wanted, dtype={"latitude": np.float64, "longitude": np.float64,
                                                     "contact": np.int64, "sigma": np.float64, "time": str})
    seconds = pd.to_timedelta(frame["time"]).dt.total_seconds().to_numpy()
    sigma = frame["sigma"].fillna(0.0).to_numpy() if "sigma" in frame else np.zeros(len(frame))
    date = str(frame["date"].iloc[0]) if "date" in frame and len(frame) > 0 else "2004-06-08"
    return (np.radians(frame["latitude"].to_numpy()), np.radians(frame["longitude"].to_numpy()),
            frame["contact"].to_numpy(), seconds, 1.0 / (sigma * sigma + FLOOR_SIGMA_S ** 2), date)


def fit(latitude, longitude, contact, seconds, weight, a):
    """q, its formal sigma, and the degrees of freedom of the weighted fit."""
    if np.any((contact < 1) | (contact > 4)) or np.any(np.isnan(a[contact, 0])):
        sys.exit("linear_fit.py: a contact outside 1..4, or one the transit does not have")
    cos_lat = np.cos(latitude)
    lever = a[contact, 0] * (cos_lat * np.cos(longitude)) + a[contact, 1] * (cos_lat * np.sin(longitude)) \
        + a[contact, 2] * np.sin(latitude)
    # A contact's clock times all lie within minutes of each other: fold any that crossed midnight back to them.
    present = np.unique(contact)
    for c in present:
        at = contact == c
        middle = np.median(seconds[at])
        seconds[at] += SECONDS_PER_DAY * np.round((middle - seconds[at]) / SECONDS_PER_DAY)
    root = np.sqrt(weight)
    design = np.zeros((len(seconds), len(present) + 1))
    for column, c in enumerate(present):
        design[contact == c, column] = 1.0
    design[:, -1] = lever
    design *= root[:, None]
    solution, rss, rank, _ = np.linalg.lstsq(design, seconds * root, rcond=None)
    dof = len(seconds) - rank
    if rank < design.shape[1] or dof <= 0:
        sys.exit("linear_fit.py: the sites do not determine q (too few timings, or sites alike)")
    scatter2 = rss[0] / dof
    q_variance = np.linalg.inv(design.T @ design)[-1, -1] * scatter2
    return solution[-1], np.sqrt(q_variance), dof


def main():
    parser = argparse.ArgumentParser(description="Weighted least-squares AU of the linear site model.")
    parser.add_argument("file", help="campaign CSV")
    parser.add_argument("--coefficients", help="JSON of `transits coefficients DATE --format json`")
    parser.add_argument("--transits", help="the transits program (default: on PATH, else the one built here)")
    parser.add_argument("--read-only", action="store_true", help="read the file into the fit's arrays, and stop")
    args = parser.parse_args()
    latitude, longitude, contact, seconds, weight, date = read_campaign(args.file)
    if args.read_only:
        print(f"timings {len(seconds)}")
        return
    a = coefficients(args.coefficients, None if args.coefficients else transits_program(args.transits), date)
    q, q_sigma, dof = fit(latitude, longitude, contact, seconds, weight, a)
    au = REFERENCE_AU_KM / q
    print(f"timings {len(seconds)}")
    print(f"degrees_of_freedom {dof}")
    print(f"au_km {au!r}")
    print(f"au_sigma_km {abs(au * q_sigma / q)!r}")


if __name__ == "__main__":
    main()
