"""The module answers as kavu-sheet does on the same input."""
import csv
import io
import json

import numpy as np
import pytest

import kavu
from conftest import SCALES


def points(height, width, seed):
    rng = np.random.default_rng(seed)
    rows = rng.integers(-84 / height, 84 / height + 1, 400)
    cols = rng.integers(0, 360 / width + 1, 400)
    lats = np.concatenate([rows * height, rows * height + height / 3, rng.uniform(-85, 85, 400)])
    lons = np.concatenate([cols * width - 180, rng.uniform(-180, 180, 400), cols * width - 180])
    # Decimals as people type them, some of them on edges.
    lats[::7] = np.round(lats[::7], 4)
    lons[::5] = np.round(lons[::5], 3)
    return lats, lons


def tool_column(tool, rows, column):
    out = {}
    for row in csv.DictReader(io.StringIO(rows)):
        out[int(row["line"])] = row[column]
    return out


@pytest.mark.parametrize("datum", ["1942", "wgs84"])
@pytest.mark.parametrize("scale,height,width", SCALES)
def test_points_as_the_tool(tool, scale, height, width, datum):
    lats, lons = points(height, width, scale)
    if datum == "wgs84":
        lats, lons = lats[::8], lons[::8]
    text = "".join(f"{a!r} {b!r}\n" for a, b in zip(lats.tolist(), lons.tolist()))
    rows = tool("point", "--scale", str(scale), "--datum", datum, "--format", "csv", input=text)
    for notation in ("old", "new"):
        expected = tool_column(tool, rows, notation)
        names = kavu.sheets(lats, lons, scale, datum=datum, notation=notation)
        got = {i + 1: n for i, n in enumerate(names.tolist())}
        assert got == expected


def test_frames_as_the_tool(tool):
    names = ["N-37-4-В", "s I-34-61-Г", "P-37,38", "T-37-1-А,Б,2-А,Б", "U-60-144-Г-г-4", "a-1-1"]
    names += kavu.sheets([60.5, -83.9, 76.1], [0.1, 179.9, -0.1], "200k").tolist()
    rows = list(csv.DictReader(io.StringIO(tool("frame", "--format", "csv", input="\n".join(names)))))
    frames = kavu.frames(names)
    assert len(rows) == len(names)
    for row, frame in zip(rows, frames):
        if not row["west"]:
            assert np.isnan(frame).all()
            continue
        expected = [float(row[k]) for k in ("west", "south", "east", "north")]
        assert frame.tolist() == pytest.approx(expected, abs=1e-9)


def test_cover_as_the_tool(tool, tmp_path):
    shapely_geometry = pytest.importorskip("shapely.geometry")
    track = shapely_geometry.LineString([(37.1, 55.1), (37.5, 55.5), (38.25, 55.55), (36.0, 54.0)])
    field = shapely_geometry.Polygon(
        [(30, 60), (30.9, 60), (30.9, 60.5), (30, 60.5)], [[(30.2, 60.1), (30.7, 60.1), (30.7, 60.4), (30.2, 60.4)]]
    )
    pin = shapely_geometry.Point(37.5, 56.0)  # a corner of four sheets
    for name, geometry in (("track", track), ("field", field), ("pin", pin)):
        path = tmp_path / f"{name}.geojson"
        feature = {"type": "Feature", "properties": {}, "geometry": geometry.__geo_interface__}
        path.write_text(json.dumps({"type": "FeatureCollection", "features": [feature]}))
        for scale in ("100k", "25k"):
            for buffer in (0, 500):
                args = ["cover", str(path), "--scale", scale, "--format", "csv"]
                if buffer:
                    args += ["--buffer", str(buffer)]
                expected = [r["old"] for r in csv.DictReader(io.StringIO(tool(*args)))]
                # GeoJSON is WGS 84 by definition; the tool converts it.
                got = [s.old for s in kavu.cover(geometry, scale, buffer=buffer, datum="wgs84")]
                assert got == expected, (name, scale, buffer)
