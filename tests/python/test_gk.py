"""Rectangular (Gauss-Krüger) coordinates: PROJ's numbers, the tool's answers, the errors."""
import csv
import io
import json
import math

import geopandas
import numpy as np
import pytest
from shapely.geometry import shape

import kavu
from conftest import SCALES

# cs2cs -f %.4f, PROJ 9.1.1: EPSG:4284 to EPSG:284xx, or to the same tmerc for zones without a
# code. Zone, latitude, longitude, X, Y; either side of 0, 24, 42 and 180 degrees, the south.
CS2CS = [
    (1, 51.5, 2.9, 5707817.2622, 1493055.8336),
    (1, -33, 0.5, -3655590.4231, 1266332.6483),
    (60, 50, -0.001, 5545256.7040, 60715002.1659),
    (60, -40, -5, -4431523.9209, 60329203.3301),
    (4, -25, 23.9999, -2769457.0774, 4802934.8632),
    (5, -25, 24.0001, -2769457.0774, 5197065.1368),
    (7, 55.7558, 37.6173, 6182348.1663, 7413187.9720),
    (7, 55, 41.999, 6101452.5658, 7691891.6362),
    (8, 55, 42.001, 6101452.5658, 8308108.3638),
    (30, 65, 179.999, 7214820.6167, 30641440.2287),
    (31, 65, -179.999, 7214820.6167, 31358559.7713),
    (32, -20, -169.5, -2213108.6733, 32656987.1103),
]


def test_agrees_with_cs2cs_both_ways_scalar_and_vectorised():
    zone, lat, lon, x, y = (np.array(c) for c in zip(*CS2CS))
    assert kavu.gk_zone(lon).tolist() == zone.tolist()
    gx, gy = kavu.to_gk(lat, lon)
    np.testing.assert_allclose(gx, x, atol=1e-3, rtol=0)
    np.testing.assert_allclose(gy, y, atol=1e-3, rtol=0)
    back_lat, back_lon = kavu.from_gk(x, y)
    np.testing.assert_allclose(back_lat, lat, atol=1e-8, rtol=0)
    np.testing.assert_allclose(back_lon, lon, atol=1e-8, rtol=0)
    for row in CS2CS:
        assert kavu.to_gk(row[1], row[2]) == pytest.approx(row[3:], abs=1e-3)
        assert kavu.from_gk(*row[3:]) == pytest.approx(row[1:3], abs=1e-8)
    # A point given in the neighbouring zone, as a sheet at a zone's edge shows its grid.
    x8, y8 = kavu.to_gk(55, 41.999, zone=8)
    assert y8 // 1e6 == 8 and kavu.from_gk(x8, y8) == pytest.approx((55, 41.999), abs=1e-8)
    # WGS 84 goes through the module's datum shift.
    wlat, wlon = kavu.to_wgs84(55.7558, 37.6173)
    assert kavu.to_gk(wlat, wlon, datum="wgs84") == pytest.approx(CS2CS[6][3:], abs=1e-3)
    assert kavu.from_gk(*CS2CS[6][3:], datum="wgs84") == pytest.approx((wlat, wlon), abs=1e-9)


def test_zones_and_their_crs():
    assert kavu.gk_crs(7) == "EPSG:28407" and kavu.gk_crs(32) == "EPSG:28432"
    for zone in (1, 3, 33, 60):
        crs = kavu.gk_crs(zone)
        assert f"+lon_0={(6 * zone - 3 + 180) % 360 - 180}" in crs
        assert f"+x_0={zone}500000" in crs and "+ellps=krass" in crs
    for bad in (0, 61, -7):
        with pytest.raises(ValueError, match="1 to 60"):
            kavu.gk_crs(bad)
    # Column c is zone c - 30 east of Greenwich, c + 30 west of it; a sheet is in one zone.
    for text, zone in (("N-37-4-В", 7), ("A-1", 31), ("S-60-06", 30), ("K-31", 1)):
        assert kavu.gk_zone(text) == kavu.Sheet(text).zone == zone
    assert kavu.gk_zone(kavu.read("P-37,38")[0]) == 8  # a joined sheet: its middle's zone
    assert kavu.gk_zone(180.0) == 31 and kavu.gk_zone(-180.0) == 31 and kavu.gk_zone(-0.5) == 60
    with pytest.raises(ValueError):
        kavu.gk_zone(float("nan"))


def test_bad_positions_and_zones():
    with pytest.raises(kavu.OutsideSeries, match="zone 61, outside 1–60"):
        kavu.from_gk(6182348, 61413188)
    with pytest.raises(kavu.OutsideSeries, match="zone 0"):
        kavu.from_gk(6182348, 413188)
    # Far into a neighbouring zone, as to_gk gives it, and back.
    x6, y6 = kavu.to_gk(55.5, 42.5, zone=7)
    assert kavu.from_gk(x6, y6) == pytest.approx((55.5, 42.5), abs=1e-8)
    with pytest.raises(kavu.OutsideSeries):
        kavu.to_gk(91, 37)
    with pytest.raises(ValueError, match="1 to 60"):
        kavu.to_gk(55, 37, zone=61)
    # Arrays never stop half-way: NaN where a pair is not a position.
    lat, lon = kavu.from_gk([6182348, 6182348, float("nan")], [7413188, 413188, 7413188])
    assert not math.isnan(lat[0]) and np.isnan(lat[1:]).all() and np.isnan(lon[1:]).all()
    x, _ = kavu.to_gk([55, 95, "no"], [37, 37, 37])
    assert not math.isnan(x[0]) and np.isnan(x[1:]).all()


def sweep_names(count=60):
    """Sheets at every scale and both hemispheres, from random points."""
    rng = np.random.default_rng(20)
    names = []
    for denominator, _, _ in SCALES:
        lats = rng.uniform(-83.9, 83.9, count)
        lons = rng.uniform(-180, 180, count)
        names += [str(n) for n in kavu.sheets(lats, lons, denominator, notation="new")]
    return names


def test_frames_as_the_tool_writes_them(tool):
    names = sweep_names()
    rows = list(csv.DictReader(io.StringIO(
        tool("frame", "--crs", "gk", "--format", "csv", input="\n".join(names) + "\n"))))
    assert len(rows) == len(names)
    for name, row in zip(names, rows):
        corners = {p.name: p for p in kavu.gcps(name)}
        assert kavu.gk_zone(name) == int(row["zone"]) == corners["NW"].zone
        for corner in ("NW", "NE", "SE", "SW"):
            p = corners[corner]
            c = corner.lower()
            got = (float(row[f"{c}_northing"]), float(row[f"{c}_easting"]))
            assert (p.x, p.y) == pytest.approx(got, abs=6e-4), (name, corner)
            assert kavu.to_gk(p.lat, p.lon, zone=p.zone) == pytest.approx(got, abs=6e-4)
            lat, lon = kavu.from_gk(*got)
            assert lat == pytest.approx(p.lat, abs=1e-7)
            assert (lon - p.lon + 180) % 360 - 180 == pytest.approx(0, abs=1e-7)  # 180 is -180


@pytest.mark.parametrize("name,args", [
    ("N-37-4-В", ()), ("N-37-4", ()), ("s I-34-61-Г-в", ()), ("U-60-144-Г-г-4", ()),
    ("N-37-IV", ("--step", "5000")), ("O-37-144-Г", ("--zone", "8")),
    ("A-1-1-А", ("--step", "1500")),
])
def test_grid_as_the_tool_writes_it(tool, name, args):
    step = float(args[1]) if args and args[0] == "--step" else None
    zone = int(args[1]) if args and args[0] == "--zone" else None
    tool_name = ["--scale", "100k"] if name == "N-37-4" else []
    records = [json.loads(line) for line in
               tool("grid", name, *tool_name, *args, "--format", "json").splitlines()]
    lines = kavu.km_grid(name, step=step, zone=zone)
    assert len(lines) == len(records) > 4
    for line, r in zip(lines, records):
        assert (line.axis, line.full, line.label, line.zone) == (
            r["axis"], r["full"], r["label"], r["zone"])
        assert line.value == pytest.approx(r["value"], abs=6e-4)
        assert line.start == pytest.approx((r["from"]["x"], r["from"]["y"]), abs=6e-4)
        assert line.end == pytest.approx((r["to"]["x"], r["to"]["y"]), abs=6e-4)
        assert line.end_degrees == pytest.approx(
            (r["to"]["latitude"], r["to"]["longitude"]), abs=1e-9)
    # The lines through GeoPandas and PROJ: their ends lie on the frame.
    frame = geopandas.GeoDataFrame.from_features(
        [line.feature for line in lines], crs=kavu.gk_crs(lines[0].zone)).to_crs("EPSG:4284")
    sheet = kavu.Sheet(name) if name != "N-37-4" else kavu.Sheet("N-37-4")
    border = shape(sheet).exterior
    for geometry in frame.geometry:
        for lon, lat in (geometry.coords[0], geometry.coords[-1]):
            assert border.distance(shape({"type": "Point", "coordinates": (lon, lat)})) < 1e-8


def test_grid_refuses_what_the_tool_refuses():
    with pytest.raises(ValueError, match="no kilometre grid at 1:200000"):
        kavu.km_grid("N-37-IV")
    with pytest.raises(ValueError, match="only its neighbours 6 and 8"):
        kavu.km_grid("N-37-4-В", zone=9)
    with pytest.raises(ValueError, match="1 metre or more"):
        kavu.km_grid("N-37-4-В", step=0.5)
    with pytest.raises(kavu.AmbiguousName, match="readings"):
        kavu.km_grid("n-37-4")
    assert kavu.km_grid("A-1-1-А", zone=30)[0].zone == 30  # across 180 degrees


def test_control_points_as_the_tool_writes_them(tool):
    for name in ("N-37-4-В", "R-47-XIX", "P-37,38", "s I-34-61-Г-в", "Q-60-144-Г"):
        words = tool("frame", name, "--gcp", "--size", "4000,4400").split()
        crs = words[1] if words[0] == "-a_srs" else None
        given = [words[i + 1:i + 5] for i, w in enumerate(words) if w == "-gcp"]
        points = kavu.gcps(name, size=(4000, 4400))
        assert crs in (kavu.gk_crs(points[0].zone), None)
        assert len(points) == len(given) >= 4
        assert [p.name for p in points[:4]] == ["NW", "NE", "SE", "SW"]
        for p, g in zip(points, given):
            assert (p.pixel, p.line, p.y, p.x) == pytest.approx(
                [float(v) for v in g], abs=6e-4), (name, p.name)
    # No size: the corners alone, with no pixels.
    corners = kavu.gcps(kavu.Sheet("N-37-4-В"))
    assert [(p.name, p.pixel) for p in corners] == [(c, None) for c in ("NW", "NE", "SE", "SW")]
    with pytest.raises(ValueError, match="pixels"):
        kavu.gcps("N-37-4-В", size=(0, 100))
    with pytest.raises(TypeError):
        kavu.gcps(42)


def test_rectangular_pairs_are_read_as_the_tool_reads_them(tool):
    texts = ["X=6182348 Y=7413188", "x 6182348, y 7413188", "6182348 7413188",
             "X=6 182 348 Y=7 413 188", "Х=6182.348 У=7413.188", "y=7413188 x=6182348",
             "X=-3655590 Y=1266333", "X=7214821 Y=31358560"]
    rows = list(csv.DictReader(io.StringIO(
        tool("point", "--scale", "10k", "--format", "csv", input="\n".join(texts) + "\n"))))
    for text, row in zip(texts, rows):
        lat, lon = kavu.read_point(text)
        assert kavu.sheet(lat, lon, "10k").old == row["old"], text
        x, y = kavu.read_gk(text)
        assert kavu.from_gk(x, y) == pytest.approx((lat, lon), abs=1e-6)
    assert kavu.read_gk("X=6 182 348 Y=7 413 188") == (6182348, 7413188)
    assert kavu.read_gk("x 6182.348 y 7413.188") == pytest.approx((6182348, 7413188))
    for text, reason, position in [
        ("X=6182348 Y=61413188", "zone 61", 12),
        ("X=6182348 Y=7013188", "166 000–834 000", 12),
        ("X=9400000 Y=7413188", "beyond 84", 2),
        ("X=6182348 Q=7413188", "X or Y", 10),
    ]:
        for read in (kavu.read_point, kavu.read_gk):
            with pytest.raises(kavu.ReadError, match=reason) as error:
                read(text)
            assert error.value.position == position
    with pytest.raises(kavu.ReadError, match="degrees"):
        kavu.read_gk("55.7558 37.6173")


def test_sheets_named_by_scan_files():
    assert kavu.read_file_name("/scans/n37-004-3 1985.tif") == [kavu.Sheet("N-37-4-В")]
    assert [s.old for s in kavu.read_file_name("q-39-013_014.png")] == ["Q-39-13,14"]
    with pytest.raises(kavu.ReadError):
        kavu.read_file_name("scan.tif")
