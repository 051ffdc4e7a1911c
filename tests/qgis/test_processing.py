"""Each algorithm run by qgis_process on real files, its layer read back with OGR and compared
with kavu-sheet's answer on the same input."""

import random

import pytest
from osgeo import ogr, osr

from conftest import kavu_sheet

ogr.UseExceptions()
osr.UseExceptions()

# A walk across 180 degrees in Chukotka, as a GPS receiver writes it (WGS 84).
TRACK = [(65.30, 179.62), (65.36, 179.91), (65.41, -179.93), (65.47, -179.58), (65.60, -179.41)]


def features(path):
    dataset = ogr.Open(str(path))
    layer = dataset.GetLayer(0)
    assert layer.GetSpatialRef().GetAuthorityCode(None) == "4284"
    out = []
    for f in layer:
        out.append({k: f.GetField(k) for k in f.keys()} | {"wkt": f.GetGeometryRef().ExportToWkt()})
    return out


def expected(rows):
    """kavu-sheet's rows as the plugin's attributes."""
    return [
        {
            "new": r["new"],
            "old": r["old"],
            "scale": int(r["scale"].split(":")[1]),
            "published_new": r["published_new"] or None,
            "published_old": r["published_old"] or None,
        }
        for r in rows
    ]


def attributes(found, extra=()):
    keys = ("new", "old", "scale", "published_new", "published_old") + tuple(extra)
    return [{k: f[k] for k in keys} for f in found]


def test_algorithms_are_listed_with_help(qgis_process):
    listed = qgis_process("list")
    for name in ("Sheet grid", "Sheets covering a layer", "Add sheet names to points",
                 "Kilometre grid of a sheet", "Georeference a scanned sheet"):
        assert name in listed
    assert "edges" in qgis_process("help", "kavu:sheetgrid")
    assert "two digits printed along the frame" in qgis_process("help", "kavu:kmgrid")
    # QGIS in Russian explains it in Russian.
    russian = qgis_process("help", "kavu:sheetnames", LANG="ru_RU.UTF-8", LC_ALL="ru_RU.UTF-8")
    assert "номенклатуру листов" in russian
    russian = qgis_process("help", "kavu:georeference", LANG="ru_RU.UTF-8", LC_ALL="ru_RU.UTF-8")
    assert "Опорные точки точные" in russian


@pytest.mark.parametrize("scale,index,printed", [("1M", 0, False), ("100k", 3, True)])
def test_sheet_grid_across_180(qgis_process, tmp_path, scale, index, printed):
    out = tmp_path / "grid.gpkg"
    qgis_process("run", "kavu:sheetgrid", "--", "EXTENT=170,190,66,70.5 [EPSG:4284]",
                 f"SCALE={index}", f"AS_PRINTED={printed}", f"OUTPUT={out}")
    found = features(out)
    args = ["cover", "--bbox", "66,170,70.5,-170", "--scale", scale]
    want = expected(kavu_sheet(*args, *(["--published"] if printed else [])))
    assert sorted(attributes(found), key=str) == sorted(want, key=str)
    assert len(found) == len(want) > 4
    # Frames lie on their sheets' edges, parallels a vertex a minute of longitude.
    for f in found:
        polygon = ogr.CreateGeometryFromWkt(f["wkt"])
        ring = polygon.GetGeometryRef(0)
        lons = [ring.GetX(i) for i in range(ring.GetPointCount())]
        width = max(lons) - min(lons)
        assert width <= 12 and ring.GetPointCount() > 2 * 60 * width
    if printed:
        assert any("," in f["old"] for f in found)


def write_gpx(path, points):
    track = "".join(f'<trkpt lat="{lat}" lon="{lon}"/>' for lat, lon in points)
    path.write_text(
        '<?xml version="1.0"?>\n<gpx version="1.1" creator="kavu tests" '
        'xmlns="http://www.topografix.com/GPX/1/1">'
        f"<trk><name>walk</name><trkseg>{track}</trkseg></trk></gpx>\n"
    )


@pytest.mark.parametrize("buffer,printed", [(0, False), (1500, True)])
def test_cover_of_a_gpx_track_across_180(qgis_process, tmp_path, buffer, printed):
    gpx = tmp_path / "walk.gpx"
    write_gpx(gpx, TRACK)
    out = tmp_path / "sheets.gpkg"
    qgis_process("run", "kavu:coverlayer", "--", f"INPUT={gpx}|layername=tracks", "SCALE=4",
                 f"BUFFER={buffer}", f"AS_PRINTED={printed}", f"OUTPUT={out}")
    found = features(out)
    args = ["cover", str(gpx), "--scale", "50k", "--buffer", str(buffer)]
    want = expected(kavu_sheet(*args, *(["--published"] if printed else [])))
    assert sorted(attributes(found), key=str) == sorted(want, key=str)
    assert {f["count"] for f in found} == {1}
    # Both sides of 180 degrees, joined the short way; north of 60 degrees printed in pairs.
    assert {f["old"].split("-")[1].split(",")[0] for f in found} >= {"60", "1"}
    assert len(found) < 12
    assert any("," in f["old"] for f in found) == printed


def points_in_3857(path, points):
    """A GeoPackage of points in EPSG:3857, and the WGS 84 positions OGR reads back from it."""
    wgs84, mercator = osr.SpatialReference(), osr.SpatialReference()
    wgs84.ImportFromEPSG(4326)
    mercator.ImportFromEPSG(3857)
    for srs in (wgs84, mercator):
        srs.SetAxisMappingStrategy(osr.OAMS_TRADITIONAL_GIS_ORDER)
    there = osr.CoordinateTransformation(wgs84, mercator)
    back = osr.CoordinateTransformation(mercator, wgs84)
    dataset = ogr.GetDriverByName("GPKG").CreateDataSource(str(path))
    layer = dataset.CreateLayer("points", mercator, ogr.wkbPoint)
    layer.CreateField(ogr.FieldDefn("label", ogr.OFTString))
    read_back = []
    for i, (lat, lon) in enumerate(points):
        x, y, _ = there.TransformPoint(lon, lat)
        feature = ogr.Feature(layer.GetLayerDefn())
        feature.SetField("label", f"p{i}")
        feature.SetGeometry(ogr.CreateGeometryFromWkt(f"POINT ({x!r} {y!r})"))
        layer.CreateFeature(feature)
        lon2, lat2, _ = back.TransformPoint(x, y)
        read_back.append((lat2, lon2))
    dataset = None
    return read_back


def sweep_points():
    rng = random.Random(1942)
    points = [(55.7558, 37.6173), (-33.9, 18.4), (64.5, -150.2), (-12.05, -77.04), (61.2, 32.4)]
    points += [(rng.uniform(-83.9, 83.9), rng.uniform(-179.9, 179.9)) for _ in range(150)]
    return points


def test_sheet_names_of_points_in_3857(qgis_process, tmp_path):
    gpkg = tmp_path / "points.gpkg"
    positions = points_in_3857(gpkg, sweep_points() + [(84.5, 10.0)])
    out = tmp_path / "named.gpkg"
    qgis_process("run", "kavu:sheetnames", "--", f"INPUT={gpkg}", "SCALES=0,4,6",
                 f"OUTPUT={out}")
    dataset = ogr.Open(str(out))
    layer = dataset.GetLayer(0)
    assert layer.GetSpatialRef().GetAuthorityCode(None) == "3857"
    got = {f.GetField("label"): f for f in layer}
    assert len(got) == len(positions)
    text = "".join(f"{lat!r} {lon!r}\n" for lat, lon in positions)
    for scale, short in (("1M", "1M"), ("50k", "50k"), ("10k", "10k")):
        rows = kavu_sheet("point", "--datum", "wgs84", "--scale", scale, stdin=text,
                          some_unread=True)
        for i, row in enumerate(rows):
            f = got[f"p{i}"]
            assert (f.GetField(f"new_{short}") or "") == (row.get("new") or ""), (i, positions[i])
            assert (f.GetField(f"old_{short}") or "") == (row.get("old") or ""), (i, positions[i])
    # Beyond 84 degrees: no sheet, empty fields, the point kept.
    assert got[f"p{len(positions) - 1}"].GetField("new_50k") is None


def test_cover_of_points_in_3857(qgis_process, tmp_path):
    gpkg = tmp_path / "points.gpkg"
    points = sweep_points()[:40]
    points_in_3857(gpkg, points + [(55.76, 37.62)])  # a second point on Moscow's sheet
    out = tmp_path / "sheets.gpkg"
    qgis_process("run", "kavu:coverlayer", "--", f"INPUT={gpkg}", "SCALE=2",
                 f"OUTPUT={out}")
    want = expected(kavu_sheet("cover", str(gpkg), "--scale", "200k"))
    found = features(out)
    assert sorted(attributes(found), key=str) == sorted(want, key=str)
    # Each point lies on one sheet: the counts add up to the points.
    assert sum(f["count"] for f in found) == 41
    assert [f["count"] for f in found if f["old"] == "N-37-II"] == [2]
