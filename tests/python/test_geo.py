"""__geo_interface__ and the cover through real shapely and GeoPandas."""
import geopandas
import pandas
import pytest
from shapely.geometry import LineString, Point, Polygon, box, shape

import kavu


def test_shapely_reads_the_frame():
    for s in (kavu.Sheet("N-37-4-В"), kavu.Sheet("s I-34-61-Г"), kavu.Sheet("U-60-144-Г-г-4"),
              kavu.Sheet("A-1"), kavu.Sheet("P-37").published):
        polygon = shape(s)
        assert polygon.geom_type == "Polygon" and polygon.is_valid
        assert polygon.exterior.is_ccw  # GeoJSON's winding
        assert polygon.bounds == (s.west, s.south, s.east, s.north)
        assert polygon.contains(Point(s.centre[1], s.centre[0]))


def test_geodataframe_of_sheets():
    sheets = kavu.cover(box(37.2, 55.5, 38.1, 56.1), "100k")
    frame = geopandas.GeoDataFrame.from_features([s.feature for s in sheets], crs="EPSG:4284")
    assert frame["old"].tolist() == [s.old for s in sheets]
    assert frame["scale"].eq(100000).all() and frame.crs.to_epsg() == 4284
    # The frames tile the box's sheets without gaps or overlaps.
    union = frame.unary_union
    assert union.area == pytest.approx(sum(shape(s).area for s in sheets))
    assert union.bounds == pytest.approx((37.0, 55 + 1 / 3, 38.5, 56 + 1 / 3))
    # A GeoDataFrame, a GeoSeries, a row and a GeoJSON dict are covered alike.
    line = LineString([(37.1, 55.1), (38.3, 56.2)])
    table = geopandas.GeoDataFrame({"name": ["walk"]}, geometry=[line], crs="EPSG:4284")
    expected = kavu.cover(line, "50k")
    assert kavu.cover(table, "50k") == expected
    assert kavu.cover(table.geometry, "50k") == expected
    assert kavu.cover(table.iloc[0], "50k") == expected
    assert kavu.cover(line.__geo_interface__, "50k") == expected


def test_cover_edges_and_errors():
    # A point on a corner belongs to the sheet south-east of it; a line along an edge meets
    # the sheets on both sides only where it enters them.
    assert [s.old for s in kavu.cover(Point(37.5, 56.0), "100k")] == ["N-37-4"]
    assert kavu.cover(Point(0, 89), "1M") == []
    assert [s.old for s in kavu.cover(Point(37.5, 56.0), "100k", buffer=100)] == [
        "O-37-135", "O-37-136", "N-37-3", "N-37-4"]
    assert [p.old for p in kavu.cover(Point(37.5, 61.0), "1M", published=True)] == ["P-37,38"]
    with pytest.raises(ValueError, match="buffer"):
        kavu.cover(Point(0, 0), "1M", buffer=-1)
    with pytest.raises(ValueError):
        kavu.cover({"type": "Circle", "coordinates": [0, 0]}, "1M")
    with pytest.raises(TypeError):
        kavu.cover(42, "1M")
    # As drawn, a box round nearly the whole world holds every sheet of it; joined the short
    # way, as a track records it, a ring along a parallel winds round the pole instead.
    assert len(kavu.cover(box(-179, -59, 179, 83), "1M")) == 60 * 36
    with pytest.raises(ValueError, match="pole"):
        kavu.cover(Polygon([(-180, 80), (-60, 80), (60, 80), (180, 80)]), "1M", short_way=True)


def test_sheets_of_a_gpx_track(tmp_path):
    path = tmp_path / "walk.gpx"
    path.write_text(
        '<?xml version="1.0"?>\n'
        '<gpx version="1.1" creator="test" xmlns="http://www.topografix.com/GPX/1/1">'
        "<trk><name>walk</name><trkseg>"
        '<trkpt lat="55.70" lon="37.40"/><trkpt lat="55.76" lon="37.62"/>'
        '<trkpt lat="55.90" lon="37.80"/></trkseg></trk></gpx>\n'
    )
    tracks = geopandas.read_file(path, layer="tracks")
    names = [s.old for s in kavu.cover(tracks, "50k", datum="wgs84")]
    # As kavu-sheet cover walk.gpx --scale 50k gives them.
    assert names == ["N-37-4-А", "N-37-4-Б", "N-37-3-Г", "N-37-4-В"]
    points = pandas.DataFrame({"lat": [55.70, 55.76, 55.90], "lon": [37.40, 37.62, 37.80]})
    points["sheet"] = kavu.sheets(points.lat, points.lon, "50k", datum="wgs84")
    assert set(points.sheet) <= set(names)
