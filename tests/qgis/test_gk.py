"""The kilometre grid of a sheet and a georeferenced scan, run by qgis_process on real files and
read back with OGR and GDAL, against kavu-sheet's grid and control points."""

import math
import random
import subprocess

import numpy as np
import pytest
from osgeo import gdal, ogr, osr

import kavu
from conftest import KAVU_SHEET, kavu_sheet

gdal.UseExceptions()
ogr.UseExceptions()
osr.UseExceptions()


@pytest.mark.parametrize("name,options,tool_name,zone", [
    ("n37-004-3", [], ["N-37-4-В"], 7),                         # any spelling
    ("O-37-144-Г", ["ZONE=8"], ["O-37-144-Г", "--zone", "8"], 8),  # a neighbour's grid
    ("K-31-IV", ["STEP=5000"], ["K-31-IV", "--step", "5000"], 1),  # no EPSG code for zone 1
])
def test_kilometre_grid_as_the_tool(qgis_process, tmp_path, name, options, tool_name, zone):
    out = tmp_path / "grid.gpkg"
    qgis_process("run", "kavu:kmgrid", "--", f"SHEET={name}", *options, f"OUTPUT={out}")
    want = kavu_sheet("grid", *tool_name)
    dataset = ogr.Open(str(out))  # held while its layer is read
    layer = dataset.GetLayer(0)
    found = [f for f in layer]
    assert len(found) == len(want) > 4
    for f, row in zip(found, want):
        assert [f.GetField(k) for k in ("sheet", "zone", "axis", "full", "label")] == [
            row["sheet"], int(row["zone"]), row["axis"], row["full"], row["label"]]
        assert f.GetField("value") == pytest.approx(float(row["value"]), abs=6e-4)
        line = f.GetGeometryRef()
        ends = [line.GetPoint_2D(0), line.GetPoint_2D(line.GetPointCount() - 1)]
        assert ends == [
            pytest.approx((float(row["from_y"]), float(row["from_x"])), abs=6e-4),
            pytest.approx((float(row["to_y"]), float(row["to_x"])), abs=6e-4)]
    srs = layer.GetSpatialRef()
    if zone == 1:  # no EPSG code: the zone's own projection
        assert {"+lon_0=3", "+x_0=1500000", "+ellps=krass"} <= set(srs.ExportToProj4().split())
    else:
        assert srs.GetAuthorityCode(None) == str(28400 + zone)


def test_kilometre_grid_refuses_ambiguous_names(qgis_process, tmp_path):
    said = qgis_process("run", "kavu:kmgrid", "--", "SHEET=n-37-4",
                        f"OUTPUT={tmp_path / 'grid.gpkg'}", fails=True)
    assert "readings" in said and "N-37-4 (1:100,000)" in said


def tool_control_points(name, width, height):
    """kavu-sheet frame --gcp --size: (pixel, line) and (easting, northing) of each point."""
    words = subprocess.run([KAVU_SHEET, "frame", name, "--gcp", "--size", f"{width},{height}"],
                           capture_output=True, text=True, check=True).stdout.split()
    points = [[float(v) for v in words[i + 1:i + 5]] for i, w in enumerate(words) if w == "-gcp"]
    return np.array(points)


def write_scan(path, width, height):
    """A scan whose two bands hold each pixel's own column and row at its centre, so that the
    georeferenced raster tells, at any place, where in the scan it was taken from."""
    driver = gdal.GetDriverByName("GTiff")
    scan = driver.Create(str(path), width, height, 2, gdal.GDT_Float64)
    rows, columns = np.mgrid[0:height, 0:width] + 0.5
    scan.GetRasterBand(1).WriteArray(columns)
    scan.GetRasterBand(2).WriteArray(rows)
    scan = None


@pytest.mark.parametrize("file_name,sheet,cut", [
    ("n37-004-3 1985.tif", None, False),  # 1:50 000 at 55° N, named by the file
    ("scan.tif", "R-37-100-А", True),     # 1:50 000 at 70° N, named by the parameter, cut
])
def test_georeferenced_scan_lands_on_the_projection(qgis_process, tmp_path, file_name, sheet,
                                                    cut):
    # The sheet printed 600 pixels wide, cropped to its corners: an affine map of its
    # Gauss-Krüger coordinates (kavu-sheet's control points make it exact) ...
    name = sheet or "N-37-4-В"
    corners = kavu.gcps(name)
    wide = math.dist((corners[0].x, corners[0].y), (corners[1].x, corners[1].y))
    high = math.dist((corners[0].x, corners[0].y), (corners[3].x, corners[3].y))
    size = (600, round(600 * high / wide))  # square pixels, as a scanner makes them
    printed = tool_control_points(name, *size)
    design = np.column_stack([printed[:, 2], printed[:, 3], np.ones(len(printed))])
    to_printed, *_ = np.linalg.lstsq(design, printed[:, :2], rcond=None)
    assert np.abs(design @ to_printed - printed[:, :2]).max() < 2e-3
    # ... scanned turned by 1.5°, stretched 2 % and off the scan's corner.
    turn = math.radians(1.5)
    tilt = 1.02 * np.array([[math.cos(turn), -math.sin(turn)], [math.sin(turn), math.cos(turn)]])
    shift = np.array([47.0, 31.0])

    def scan_pixel(easting, northing):
        return (np.column_stack([easting, northing, np.ones(len(easting))]) @ to_printed) @ \
            tilt.T + shift

    scan = tmp_path / file_name
    write_scan(scan, size[0] + 80, size[1] + 80)
    corners = scan_pixel(printed[:4, 2], printed[:4, 3])
    out = tmp_path / "georeferenced.tif"
    qgis_process("run", "kavu:georeference", "--", f"INPUT={scan}",
                 "CORNERS=" + (" ".join(f"{c!r},{r!r}" for c, r in corners) if sheet is None
                               else ",".join(repr(v) for v in corners.ravel())),  # the tool's
                 *([f"SHEET={sheet}"] if sheet else []), f"CUT={cut}", f"OUTPUT={out}")

    result = gdal.Open(str(out))
    zone = kavu.gk_zone(name)
    assert result.GetSpatialRef().GetAuthorityCode(None) == str(28400 + zone)
    gt = result.GetGeoTransform()
    bands = [result.GetRasterBand(i).ReadAsArray() for i in (1, 2)]

    def taken_from(easting, northing):
        """Where in the scan the georeferenced raster took a place from (bilinear)."""
        det = gt[1] * gt[5] - gt[2] * gt[4]
        dx, dy = easting - gt[0], northing - gt[3]
        column = (gt[5] * dx - gt[2] * dy) / det - 0.5
        row = (-gt[4] * dx + gt[1] * dy) / det - 0.5
        c0, r0 = np.floor(column).astype(int), np.floor(row).astype(int)
        fc, fr = column - c0, row - r0
        out = []
        for band in bands:
            top = band[r0, c0] * (1 - fc) + band[r0, c0 + 1] * fc
            bottom = band[r0 + 1, c0] * (1 - fc) + band[r0 + 1, c0 + 1] * fc
            out.append(top * (1 - fr) + bottom * fr)
        return np.column_stack(out)

    # The frame's corners as kavu-sheet gives them, the grid's ends, and places all over the
    # sheet: each within 0.1 m of where the projection puts it.
    frame = kavu_sheet("frame", name, "--crs", "gk")[0]
    box = [(float(frame[f"{c}_easting"]), float(frame[f"{c}_northing"]))
           for c in ("nw", "ne", "se", "sw")]
    places = [] if cut else box + [(float(frame["centre_easting"]),
                                    float(frame["centre_northing"]))]
    for row in [] if cut else kavu_sheet("grid", name):
        places += [(float(row["from_y"]), float(row["from_x"])),
                   (float(row["to_y"]), float(row["to_x"]))]
    s = kavu.Sheet(name)
    rng = random.Random(20)
    edge = 0.02 if cut else 0  # cut: a pixel or more inside the frame, where nothing is blank
    height, width = s.north - s.south, s.east - s.west
    inside = [(rng.uniform(s.south + edge * height, s.north - edge * height),
               rng.uniform(s.west + edge * width, s.east - edge * width)) for _ in range(500)]
    x, y = kavu.to_gk([p[0] for p in inside], [p[1] for p in inside], zone=zone)
    places += list(zip(y, x))
    easting, northing = np.array(places).T
    metres_per_pixel = wide / 600 / 1.02
    miss = np.hypot(*(taken_from(easting, northing) - scan_pixel(easting, northing)).T)
    assert miss.max() * metres_per_pixel < 0.1, miss.max() * metres_per_pixel
    if cut:
        # The raster spans the frame's box and is blank outside the frame.
        eastings, northings = zip(*box)
        size = gt[1]
        assert gt[0] == pytest.approx(min(eastings), abs=size)
        assert gt[3] == pytest.approx(max(northings), abs=size)
        assert gt[0] + result.RasterXSize * size == pytest.approx(max(eastings), abs=size)
        assert bands[0][0, 0] == 0 and bands[0][-1, 0] == 0 and bands[0][-1, -1] == 0
        pairs = zip(box, box[1:] + box[:1])
        quad = 0.5 * abs(sum(x0 * y1 - x1 * y0 for (x0, y0), (x1, y1) in pairs))
        outside = 1 - quad / ((max(eastings) - min(eastings)) * (max(northings) - min(northings)))
        assert (bands[0] == 0).mean() == pytest.approx(outside, abs=0.01)


def test_georeference_says_what_is_missing(qgis_process, tmp_path):
    scan = tmp_path / "scan.tif"
    write_scan(scan, 40, 40)
    said = qgis_process("run", "kavu:georeference", "--", f"INPUT={scan}",
                        "CORNERS=1,1 39,1 39,39 1,39", f"OUTPUT={tmp_path / 'out.tif'}",
                        fails=True)
    assert "scan.tif" in said and "names no sheet" in said
    said = qgis_process("run", "kavu:georeference", "--", f"INPUT={scan}", "SHEET=N-37-4-В",
                        "CORNERS=1,1 39,1 39,39", f"OUTPUT={tmp_path / 'out.tif'}", fails=True)
    assert "four corners are needed" in said
    said = qgis_process("run", "kavu:georeference", "--", f"INPUT={scan}", "SHEET=N-37-4-В",
                        "CORNERS=1,1 39,1 41,39 1,39", f"OUTPUT={tmp_path / 'out.tif'}",
                        fails=True)
    assert "south-east corner 41,39 lies outside the scan's 40 x 40 pixels" in said
    assert not (tmp_path / "out.tif").exists()
