"""kavu.sheets and kavu.frames agree with kavu.sheet and kavu.Sheet, element by element."""
import math
from fractions import Fraction

import numpy as np
import pytest

import kavu
from conftest import SCALES


def sweep(height, width, seed):
    """Points of both hemispheres on and beside the sheet edges of a scale, at its corners,
    at 84 degrees and 180 degrees, and random ones."""
    rng = np.random.default_rng(seed)
    rows = rng.integers(-84 / height, 84 / height + 1, 300)
    cols = rng.integers(0, 360 / width + 1, 300)
    lat_edges = rows * height
    lon_edges = cols * width - 180
    lats, lons = [], []
    for d in (0.0, 1e-9, -1e-9, height / 2):
        for e in (0.0, 1e-9, -1e-9, width / 2):
            lats.append(lat_edges + d)
            lons.append(lon_edges + e)
    lats.append(rng.uniform(-90, 90, 3000))
    lons.append(rng.uniform(-181, 181, 3000))
    lats.append(np.array([84.0, -84.0, 0.0, -0.0, 83.9999, -83.9999, math.nan, 55.7558]))
    lons.append(np.array([180.0, -180.0, 0.0, -0.0, 179.99999, math.inf, 37.0, 37.6173]))
    return np.concatenate(lats), np.concatenate(lons)


@pytest.mark.parametrize("scale,height,width", SCALES)
def test_sheets_equal_sheet(scale, height, width):
    lats, lons = sweep(height, width, scale)
    for notation in ("old", "new"):
        names, bad = kavu.sheets(lats, lons, scale, notation=notation, return_mask=True)
        assert names.shape == lats.shape and bad.dtype == bool
        for lat, lon, name, off in zip(lats.tolist(), lons.tolist(), names.tolist(), bad):
            try:
                one = kavu.sheet(lat, lon, scale)
            except kavu.OutsideSeries:
                assert off and name == "", (lat, lon)
                continue
            assert not off and name == (one.old if notation == "old" else one.new), (lat, lon)
            assert one.scale == scale
            # The point as typed (its shortest decimal) lies in the frame; on an edge, the
            # sheet's north or west one. Edges are whole arc-seconds.
            y, x = Fraction(repr(lat)), Fraction(repr(lon))
            north, south, west, east = (
                Fraction(round(v * 3600), 3600) for v in (one.north, one.south, one.west, one.east)
            )
            assert south < y <= north, (lat, lon)
            assert west <= x < east or (x == 180 and west == -180), (lat, lon)


@pytest.mark.parametrize("scale,height,width", SCALES)
def test_frames_equal_sheet_frames(scale, height, width):
    lats, lons = sweep(height, width, scale + 10)
    names = kavu.sheets(lats, lons, scale)
    frames, bad = kavu.frames(names, return_mask=True)
    assert frames.shape == (len(names), 4)
    for name, row, off in zip(names.tolist(), frames, bad):
        if not name:
            assert off and np.isnan(row).all()
            continue
        s = kavu.Sheet(name)
        assert tuple(row) == (s.west, s.south, s.east, s.north)
        assert s.north - s.south == pytest.approx(height) and s.east - s.west == pytest.approx(width)
        assert kavu.Sheet(s.new) == s and s.centre == ((s.north + s.south) / 2, (s.west + s.east) / 2)


def test_shapes_and_bad_elements():
    grid = kavu.sheets([[55.7558, 91], [-33.9, "x"]], [37.6173, -33.9], "1M")
    assert grid.shape == (2, 2)
    assert grid.tolist() == [["N-37", ""], ["s I-37", ""]]  # beyond 90; a text
    assert kavu.sheets([], [], "50k").shape == (0,)
    frames, bad = kavu.frames(["N-37", "Z-99", 42, None, "P-37,38"], return_mask=True)
    assert bad.tolist() == [False, True, True, True, False]
    assert frames[4].tolist() == [36.0, 60.0, 48.0, 64.0]


def test_datum_wgs84_round_trip():
    lat, lon = kavu.from_wgs84(55.7558, 37.6173)
    assert (lat, lon) != (55.7558, 37.6173) and abs(lat - 55.7558) < 0.01
    back = kavu.to_wgs84(lat, lon)
    assert back == pytest.approx((55.7558, 37.6173), abs=1e-8)
    lats, lons = kavu.from_wgs84(np.array([55.7558, -33.9]), np.array([37.6173, 18.4]))
    assert lats.shape == (2,)
    names = kavu.sheets([55.7558, -33.9], [37.6173, 18.4], "10k", datum="wgs84")
    assert names.tolist() == [kavu.sheet(a, b, "10k").old for a, b in zip(lats, lons)]
