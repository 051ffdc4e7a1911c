"""The plugin's one door to the kavu module: scales, positions of any CRS on the 1942 datum,
and sheet frames as QGIS geometries and features.

Positions are converted as kavu-sheet converts a file: a CRS on the 1942 datum goes straight
to its geographic CRS (EPSG:4284); any other goes to WGS 84 and then through the module's
datum shift, so a point gets the sheet the tool gives it."""

import json
import math
import re

import kavu
import numpy as np
from osgeo import osr
from qgis.PyQt.QtCore import QVariant
from qgis.core import (
    QgsCoordinateReferenceSystem,
    QgsCoordinateTransform,
    QgsCsException,
    QgsFeature,
    QgsField,
    QgsFields,
    QgsGeometry,
    QgsPointXY,
    QgsProject,
)

SERIES_CRS = QgsCoordinateReferenceSystem("EPSG:4284")
WGS84_CRS = QgsCoordinateReferenceSystem("EPSG:4326")

# Denominator, the short name the module and the tool read, and the field suffix.
SCALES = (
    (1000000, "1M"),
    (500000, "500k"),
    (200000, "200k"),
    (100000, "100k"),
    (50000, "50k"),
    (25000, "25k"),
    (10000, "10k"),
)


def scale_label(denominator):
    """'1:50 000', as the sheets print it."""
    return "1:{:,}".format(denominator).replace(",", "\u00a0")


def on_series_datum(crs):
    """True when the CRS's geographic base is the 1942 datum's, by GDAL's test (the tool's)."""
    srs = osr.SpatialReference()
    if srs.ImportFromWkt(crs.toWkt(QgsCoordinateReferenceSystem.WKT_PREFERRED)) != 0:
        return False
    base = srs.CloneGeogCS()
    series = osr.SpatialReference()
    series.ImportFromEPSG(4284)
    options = [
        "IGNORE_DATA_AXIS_TO_SRS_AXIS_MAPPING=YES",
        "CRITERION=EQUIVALENT_EXCEPT_AXIS_ORDER_GEOGCRS",
    ]
    return base is not None and bool(base.IsSame(series, options))


class ToSeries:
    """Converts positions of one CRS to latitude and longitude on the 1942 datum."""

    def __init__(self, crs, transform_context=None):
        if not crs.isValid():
            raise ValueError("the layer has no valid CRS")
        self.shift = not on_series_datum(crs)
        target = WGS84_CRS if self.shift else SERIES_CRS
        context = transform_context or QgsProject.instance().transformContext()
        self.transform = None
        if crs != target:
            self.transform = QgsCoordinateTransform(crs, target, context)
        # What kavu.sheet and kavu.sheets take the converted positions in.
        self.datum = "wgs84" if self.shift else "1942"

    def geographic(self, point):
        """(latitude, longitude) on the datum named by self.datum; raises ValueError."""
        p = QgsPointXY(point)
        if self.transform is not None:
            try:
                p = self.transform.transform(p)
            except QgsCsException as error:
                raise ValueError("the point cannot be converted from its CRS: %s" % error)
        if not (math.isfinite(p.x()) and math.isfinite(p.y())):
            raise ValueError("the point lies off the globe")
        return p.y(), p.x()

    def series(self, latitude, longitude):
        """(latitude, longitude) on the 1942 datum of a position on self.datum."""
        if not self.shift:
            return latitude, longitude
        latitude, longitude = kavu.from_wgs84(latitude, longitude)
        return float(latitude), float(longitude)

    def geojson(self, geometry):
        """The geometry as a GeoJSON dict in longitude and latitude on self.datum."""
        g = QgsGeometry(geometry)
        try:
            if self.transform is not None and g.transform(self.transform) != 0:
                raise ValueError("a geometry cannot be converted from its CRS")
        except QgsCsException as error:
            raise ValueError("a geometry cannot be converted from its CRS: %s" % error)
        return json.loads(g.asJson(17))


def wrap(longitude):
    """Longitude taken to [-180, 180)."""
    return (longitude + 180.0) % 360.0 - 180.0


def series_box(rect, crs, transform_context=None, samples=32):
    """(south, west, north, east) on the 1942 datum of an extent; west > east across 180°.

    An extent in a CRS on the 1942 datum is taken as it is, so a box drawn on sheet edges
    lists exactly those sheets; any other is traced along its edges and converted."""
    to_series = ToSeries(crs, transform_context)
    if not to_series.shift and to_series.transform is None:
        south, north = rect.yMinimum(), rect.yMaximum()
        west, east = rect.xMinimum(), rect.xMaximum()
    else:
        lats, lons = [], []
        for i in range(samples + 1):
            t = i / samples
            x = rect.xMinimum() + t * rect.width()
            y = rect.yMinimum() + t * rect.height()
            for point in ((x, rect.yMinimum()), (x, rect.yMaximum()),
                          (rect.xMinimum(), y), (rect.xMaximum(), y)):
                lat, lon = to_series.series(*to_series.geographic(QgsPointXY(*point)))
                # Keep the trace continuous so an extent across 180° stays narrow.
                if lons:
                    lon += 360.0 * round((lons[-1] - lon) / 360.0)
                lats.append(lat)
                lons.append(lon)
        south, north, west, east = min(lats), max(lats), min(lons), max(lons)
    south, north = max(south, -90.0), min(north, 90.0)
    if not south < north:
        raise ValueError("the extent has no height")
    if east - west >= 360.0:
        return south, -180.0, north, 180.0
    if not west < east:
        raise ValueError("the extent has no width")
    return south, wrap(west), north, wrap(east) if wrap(east) != -180.0 else 180.0


def grid(south, west, north, east, scale):
    """Every sheet of the scale that meets the box, one at a time, north to south, then west to
    east from `west` (across 180° when west > east)."""
    return kavu.grid((west, south, east, north), scale)


def cover(shape, scale, buffer, datum, as_printed=False, short_way=False):
    """The sheets a GeoJSON shape meets; as printed, the joined sheets holding them."""
    return list(
        kavu.cover(
            shape, scale, buffer=buffer, datum=datum, published=as_printed, short_way=short_way
        )
    )


def joins_short_way(layer):
    """True for a GPX or KML layer, whose consecutive points join across 180° as kavu-sheet
    joins them; every other format is straight in its coordinates."""
    if layer is None:
        return False
    if layer.providerType() == "gpx":
        return True
    storage = layer.dataProvider().storageType() if layer.dataProvider() else ""
    return storage.upper() in ("GPX", "KML", "LIBKML")


def readings(text):
    """Every reading of a designation; [] when the text does not read as one."""
    try:
        return list(kavu.read(text))
    except ValueError:
        return []


def reading_error(text):
    """Why the text is no designation, or None when it reads."""
    try:
        kavu.read(text)
    except ValueError as error:
        return str(error)
    return None


def sheet_at(latitude, longitude, scale, datum):
    """The sheet holding the point, or None where the series has none (beyond 84°)."""
    try:
        return kavu.sheet(latitude, longitude, scale, datum=datum)
    except ValueError:
        return None


def sheet_names(latitudes, longitudes, scale, datum, notation):
    """Names of the sheets holding the points; '' where there is none."""
    names = kavu.sheets(latitudes, longitudes, scale, datum=datum, notation=notation)
    if isinstance(names, tuple):  # (names, mask)
        names = names[0]
    return [str(n) for n in names]


def joined(sheet):
    """The joined sheet this one was printed in, or None when it was printed alone."""
    published = getattr(sheet, "published", None)
    if published is None or published.new == sheet.new:
        return None
    return published


def printed(sheets):
    """(sheet, scale) as printed: each joined sheet once, in place of its first member."""
    seen = set()
    for s in sheets:
        p = joined(s) or s
        if p.new not in seen:
            seen.add(p.new)
            yield p, s.scale


def frame_polygon(north, south, west, east):
    """The frame as a counter-clockwise polygon; parallels carry a vertex every minute of
    longitude so that they stay true when reprojected."""
    steps = max(1, math.ceil(round((east - west) * 60.0, 9)))
    along = [west + (east - west) * i / steps for i in range(steps + 1)]
    ring = [QgsPointXY(lon, south) for lon in along]
    ring += [QgsPointXY(lon, north) for lon in reversed(along)]
    ring.append(QgsPointXY(west, south))
    return QgsGeometry.fromPolygonXY([ring])


def sheet_fields(extra=()):
    fields = QgsFields()
    for name in ("new", "old"):
        fields.append(QgsField(name, QVariant.String))
    fields.append(QgsField("scale", QVariant.Int))
    for name in ("published_new", "published_old"):
        fields.append(QgsField(name, QVariant.String))
    for field in extra:
        fields.append(field)
    return fields


def sheet_feature(fields, sheet, scale=None, extra=()):
    """A feature for a sheet, or for a joined sheet as printed (then without a published
    sheet of its own, as the tool writes it)."""
    feature = QgsFeature(fields)
    feature.setGeometry(frame_polygon(sheet.north, sheet.south, sheet.west, sheet.east))
    published = joined(sheet)
    feature.setAttributes(
        [
            sheet.new,
            sheet.old,
            int(scale if scale is not None else sheet.scale),
            published.new if published else None,
            published.old if published else None,
        ]
        + list(extra)
    )
    return feature


def one_sheet(text):
    """The sheet or joined sheet a designation names; ValueError (listing the readings when
    there are several) otherwise."""
    readings = kavu.read(text)
    if len(readings) == 1:
        return readings[0]
    return kavu.Sheet(text)


def sheet_of_file(path):
    """The sheet a scan's file name names; ValueError when it names none or several."""
    try:
        readings = kavu.read_file_name(path)
    except kavu.ReadError as error:
        raise ValueError(
            "the file name names no sheet ({}); give the sheet name".format(error.reason)
        )
    if len(readings) > 1:
        names = ", ".join("{} (1:{:,})".format(r.old, r.scale) for r in readings)
        raise ValueError(
            "the file name has {} readings: {}; give the sheet name".format(len(readings), names)
        )
    return readings[0]


def zone_crs(zone):
    """The Gauss-Krüger zone's CRS as QGIS takes it."""
    text = kavu.gk_crs(zone)
    if text.startswith("EPSG:"):
        return QgsCoordinateReferenceSystem(text)
    return QgsCoordinateReferenceSystem.fromProj(text)


def grid_fields():
    """The fields kavu-sheet grid writes."""
    fields = QgsFields()
    for name, kind in (("sheet", QVariant.String), ("zone", QVariant.Int),
                       ("axis", QVariant.String), ("value", QVariant.Double),
                       ("full", QVariant.String), ("label", QVariant.String)):
        fields.append(QgsField(name, kind))
    return fields


def grid_feature(fields, sheet, line):
    """A grid line in its zone's CRS, easting then northing."""
    feature = QgsFeature(fields)
    feature.setGeometry(
        QgsGeometry.fromPolylineXY(
            [QgsPointXY(line.start[1], line.start[0]), QgsPointXY(line.end[1], line.end[0])]
        )
    )
    feature.setAttributes(
        [sheet.old, line.zone, line.axis, line.value, line.full, line.label]
    )
    return feature


def read_corners(text):
    """Four (pixel, line) pairs, north-west, north-east, south-east, south-west, from eight
    numbers split by commas, blanks or ";" ("212,180 5890,240 5850,4410 170,4350", or as
    kavu-sheet georef --corners takes them); ValueError otherwise."""
    words = [w for w in re.split(r"[,;\s]+", text.strip()) if w]
    numbers = []
    for word in words:
        try:
            value = float(word)
        except ValueError:
            value = math.nan
        if not math.isfinite(value):
            raise ValueError("\"{}\" is not a pixel position".format(word))
        numbers.append(value)
    if len(numbers) != 8:
        raise ValueError(
            "four corners are needed (north-west, north-east, south-east, south-west), each "
            "column,row: 8 numbers, not {}".format(len(numbers))
        )
    return list(zip(numbers[0::2], numbers[1::2]))


def _homography(source, target):
    """The projective map taking four points to four others (a scan's small tilt and stretch
    included), as 3 x 3 coefficients; ValueError when three of them lie on a line."""
    rows, rhs = [], []
    for (x, y), (u, v) in zip(source, target):
        rows.append([x, y, 1, 0, 0, 0, -u * x, -u * y])
        rows.append([0, 0, 0, x, y, 1, -v * x, -v * y])
        rhs += [u, v]
    try:
        h = np.linalg.solve(np.array(rows, dtype=float), np.array(rhs, dtype=float))
    except np.linalg.LinAlgError:
        raise ValueError("three of the corners lie on one line")
    return np.append(h, 1.0).reshape(3, 3)


def scan_control_points(sheet, corners):
    """The sheet's exact control points placed on a scan whose frame corners are at `corners`
    (NW, NE, SE, SW pixels): the corners themselves, and the kilometre-grid crossings where
    the projection puts them between the corners."""
    # The sheet as printed, cropped to its corners' box, at about the scan's size.
    width = max(abs(corners[1][0] - corners[0][0]), abs(corners[2][0] - corners[3][0]), 1.0)
    height = max(abs(corners[3][1] - corners[0][1]), abs(corners[2][1] - corners[1][1]), 1.0)
    points = kavu.gcps(sheet, size=(width, height))
    printed = {p.name: (p.pixel, p.line) for p in points}
    h = _homography([printed[c] for c in ("NW", "NE", "SE", "SW")], corners)
    placed = []
    for p in points:
        u, v, w = h.dot([p.pixel, p.line, 1.0])
        if not abs(w) > 1e-12:
            raise ValueError("the corners do not make a frame")
        placed.append(p._replace(pixel=float(u / w), line=float(v / w)))
    return placed


def frame_in_zone(sheet, zone):
    """The frame as a closed ring of (easting, northing) in a Gauss-Krüger zone, a vertex every
    minute along its edges, which are curves there."""
    north, south, west, east = sheet.north, sheet.south, sheet.west, sheet.east

    def steps(a, b):
        n = max(1, math.ceil(round(abs(b - a) * 60.0, 9)))
        return [a + (b - a) * i / n for i in range(n)]

    ring = [(south, lon) for lon in steps(west, east)]
    ring += [(lat, east) for lat in steps(south, north)]
    ring += [(north, lon) for lon in steps(east, west)]
    ring += [(lat, west) for lat in steps(north, south)]
    ring.append(ring[0])
    x, y = kavu.to_gk([p[0] for p in ring], [p[1] for p in ring], zone=zone)
    return list(zip(y.tolist(), x.tolist()))
