"""The plugin's one door to the kavu module: scales, positions of any CRS on the 1942 datum,
and sheet frames as QGIS geometries and features.

Positions are converted as kavu-sheet converts a file: a CRS on the 1942 datum goes straight
to its geographic CRS (EPSG:4284); any other goes to WGS 84 and then through the module's
datum shift, so a point gets the sheet the tool gives it."""

import json
import math

import kavu
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
