"""Sheet names of the 1942-system topographic map series, for numpy, shapely and GeoPandas.

>>> import kavu
>>> kavu.sheet(55.7558, 37.6173)
kavu.Sheet("N-37-4-В")

Coordinates are degrees, latitude first, north and east positive, in the series' own 1942
datum (EPSG:4284) unless ``datum="wgs84"`` is given. Frames and GeoJSON are in the 1942 datum.
Rectangular (Gauss-Krüger) coordinates are metres, northing first as on the sheets: X from the
equator (negative in the south), Y with the zone number in front of the easting (zone 7:
Y = 7 413 188).
A point on a parallel that bounds sheets belongs to the sheet south of it, on a meridian to the
sheet east of it, as in kavu-sheet.
"""

from __future__ import annotations

from collections.abc import Mapping
import os
from typing import Any, Dict, Iterable, Iterator, List, NamedTuple, Optional, Tuple, Union

import numpy as np

from . import _kavu
from ._errors import AmbiguousName, OutsideSeries, ReadError
from ._kavu import PublishedSheet, Sheet, gk_crs, read, read_gk, read_point, sheet

__all__ = [
    "AmbiguousName",
    "ControlPoint",
    "GridLine",
    "OutsideSeries",
    "PublishedSheet",
    "ReadError",
    "Sheet",
    "cover",
    "frames",
    "from_gk",
    "from_wgs84",
    "gcps",
    "gk_crs",
    "gk_zone",
    "grid",
    "km_grid",
    "read",
    "read_file_name",
    "read_gk",
    "read_point",
    "sheet",
    "sheets",
    "to_gk",
    "to_wgs84",
]


def _floats(values: Any) -> np.ndarray:
    try:
        return np.asarray(values, dtype=float)
    except (TypeError, ValueError):
        # Mixed input: what is not a number becomes NaN, and its answer is empty.
        def one(v: Any) -> float:
            try:
                return float(v)
            except (TypeError, ValueError):
                return float("nan")

        return np.vectorize(one, otypes=[float])(np.asarray(values, dtype=object))


def sheets(
    lats: Any,
    lons: Any,
    scale: Union[str, int] = "50k",
    datum: str = "1942",
    notation: str = "old",
    *,
    return_mask: bool = False,
) -> Any:
    """The names of the sheets of ``scale`` that hold the points, as a numpy array of str.

    ``lats`` and ``lons`` are numpy arrays, pandas columns or any sequences (broadcast
    together); ``notation`` is "old" (lettered, "N-37-4-В") or "new" (all digits,
    "14-37-004-3"). A point that is not a number, is off the grid (beyond 84 degrees) or
    cannot be converted from WGS 84 gets an empty name; with ``return_mask`` the call returns
    ``(names, mask)``, the mask True there. The work runs without the GIL."""
    lat, lon = np.broadcast_arrays(_floats(lats), _floats(lons))
    names, bad = _kavu.sheets(lat.ravel(), lon.ravel(), scale, datum, notation)
    names, bad = names.reshape(lat.shape), bad.reshape(lat.shape)
    return (names, bad) if return_mask else names


def frames(names: Iterable[Any], datum: str = "1942", *, return_mask: bool = False) -> Any:
    """The frames of designations as an (n, 4) float array of (west, south, east, north)
    degrees, the order of shapely's ``bounds``.

    A name that does not read, or reads several ways (see ``Sheet``), gets a row of NaN; with
    ``return_mask`` the call returns ``(frames, mask)``. With ``datum="wgs84"`` the north-west
    and south-east corners are converted."""
    items = names.tolist() if hasattr(names, "tolist") else list(names)
    result, bad = _kavu.frames(items, datum)
    return (result, bad) if return_mask else result


def _geometry(obj: Any) -> Mapping:
    if hasattr(obj, "__geo_interface__"):
        return obj.__geo_interface__
    if isinstance(obj, Mapping):
        return obj
    geometry = getattr(obj, "geometry", None)  # a GeoDataFrame row
    if geometry is not None and hasattr(geometry, "__geo_interface__"):
        return geometry.__geo_interface__
    raise TypeError(f"{type(obj).__name__} has no __geo_interface__ and is not a GeoJSON dict")


def _walk(g: Any, points: list, lines: list, areas: list) -> None:
    g = _geometry(g)
    kind = g.get("type")

    def ring(coords: Any) -> List[Tuple[float, float]]:
        return [(float(c[0]), float(c[1])) for c in coords]

    if kind == "Feature":
        if g.get("geometry"):
            _walk(g["geometry"], points, lines, areas)
    elif kind == "FeatureCollection":
        for f in g.get("features", []):
            _walk(f, points, lines, areas)
    elif kind == "GeometryCollection":
        for part in g.get("geometries", []):
            _walk(part, points, lines, areas)
    elif kind == "Point":
        if g["coordinates"]:
            points.extend(ring([g["coordinates"]]))
    elif kind == "MultiPoint":
        points.extend(ring(g["coordinates"]))
    elif kind == "LineString":
        lines.append(ring(g["coordinates"]))
    elif kind == "MultiLineString":
        lines.extend(ring(c) for c in g["coordinates"])
    elif kind == "Polygon":
        areas.append([ring(r) for r in g["coordinates"]])
    elif kind == "MultiPolygon":
        areas.extend([ring(r) for r in p] for p in g["coordinates"])
    else:
        raise ValueError(f"not a GeoJSON geometry, feature or collection: type {kind!r}")


def cover(
    geometry: Any,
    scale: Union[str, int],
    buffer: float = 0,
    datum: str = "1942",
    *,
    published: bool = False,
    short_way: bool = False,
) -> List[Any]:
    """Every sheet of ``scale`` that a geometry meets, exactly, as kavu-sheet's cover.

    ``geometry`` is anything with ``__geo_interface__`` (a shapely geometry, a GeoSeries or
    GeoDataFrame, a Feature), a GeoJSON dict, or a GeoDataFrame row; coordinates are
    longitude, latitude in ``datum``. ``buffer`` widens it first by that many metres. Sheets
    come north to south, then west to east; with ``published`` the joined sheets that hold
    them (a sheet printed alone comes as itself). Lines and areas are straight in their
    coordinates, as GIS software draws them; with ``short_way`` consecutive points more than
    180 degrees apart join across 180 degrees, as a GPX or KML track records a crossing."""
    points: list = []
    lines: list = []
    areas: list = []
    _walk(geometry, points, lines, areas)
    return _kavu.cover(points, lines, areas, scale, float(buffer), datum, published, short_way)


def grid(bbox: Iterable[float], scale: Union[str, int], datum: str = "1942") -> Iterator[Sheet]:
    """The sheets of ``scale`` in a box (west, south, east, north), row by row from the north,
    one at a time. A box whose west is east of its east crosses 180 degrees. As kavu-sheet's
    ``cover --bbox``: an edge of the box on a sheet edge takes no sheet beyond it."""
    return iter(_kavu.grid(tuple(float(v) for v in bbox), scale, datum))


def _shift(lat: Any, lon: Any, to_wgs84: bool) -> Any:
    la, lo = np.broadcast_arrays(_floats(lat), _floats(lon))
    a, b = _kavu.shift(la.ravel(), lo.ravel(), to_wgs84)
    if la.ndim == 0:
        if np.isnan(a[0]):
            raise OutsideSeries("PROJ cannot convert the point")
        return float(a[0]), float(b[0])
    return a.reshape(la.shape), b.reshape(la.shape)


def to_wgs84(lat: Any, lon: Any) -> Any:
    """Degrees in the 1942 datum to WGS 84 through PROJ, as kavu-sheet converts them. Scalars
    give a (lat, lon) pair, arrays a pair of arrays of their shape (NaN where PROJ cannot)."""
    return _shift(lat, lon, True)


def from_wgs84(lat: Any, lon: Any) -> Any:
    """Degrees in WGS 84 to the 1942 datum; the inverse of ``to_wgs84``."""
    return _shift(lat, lon, False)


def _number(value: Any) -> bool:
    return np.ndim(value) == 0 and not isinstance(value, (str, bytes))


def to_gk(lat: Any, lon: Any, zone: Optional[int] = None, datum: str = "1942") -> Any:
    """Degrees to rectangular coordinates (x, y) in metres, through PROJ as kavu-sheet's
    ``--crs gk``: in each point's own zone, or in ``zone`` (1..60, e.g. a neighbouring zone's
    grid). ``datum="wgs84"`` shifts the degrees to the 1942 datum first. Scalars give an
    (x, y) pair (OutsideSeries where PROJ cannot), arrays a pair of arrays (NaN there)."""
    la, lo = np.broadcast_arrays(_floats(lat), _floats(lon))
    x, y = _kavu.to_gk(la.ravel(), lo.ravel(), 0 if zone is None else int(zone), datum)
    if la.ndim == 0:
        if np.isnan(x[0]):
            raise OutsideSeries("PROJ cannot project the point: latitude must lie within ±90")
        return float(x[0]), float(y[0])
    return x.reshape(la.shape), y.reshape(la.shape)


def from_gk(x: Any, y: Any, datum: str = "1942") -> Any:
    """Rectangular coordinates in metres to degrees (lat, lon), the zone read from Y's leading
    digits; ``datum="wgs84"`` gives WGS 84 degrees. Any easting is taken, as ``to_gk`` gives
    it in a neighbouring zone (``read_gk`` holds typed text to the width of a zone). Scalars
    give a pair or raise OutsideSeries with the reason (a zone outside 1..60, a value PROJ
    cannot invert); arrays give a pair of arrays, NaN where a pair is not a position."""
    a, b = np.broadcast_arrays(_floats(x), _floats(y))
    lat, lon = _kavu.from_gk(a.ravel(), b.ravel(), datum, a.ndim == 0)
    if a.ndim == 0:
        return float(lat[0]), float(lon[0])
    return lat.reshape(a.shape), lon.reshape(a.shape)


def _one(sheet: Any) -> Any:
    """A Sheet or PublishedSheet, from itself or a designation with one reading."""
    if isinstance(sheet, (Sheet, PublishedSheet)):
        return sheet
    if not isinstance(sheet, str):
        raise TypeError("a kavu.Sheet, kavu.PublishedSheet or designation is expected")
    readings = read(sheet)
    return readings[0] if len(readings) == 1 else Sheet(sheet)


def gk_zone(where: Any) -> Any:
    """The Gauss-Krüger zone (1..60): of a longitude (an array gives an array, 0 where a value
    is no number), or of a Sheet, PublishedSheet or designation (the zone it is drawn in).
    Zone n covers 6(n-1) .. 6n degrees east; a zone's western edge belongs to it."""
    if isinstance(where, (Sheet, PublishedSheet, str)):
        return _one(where).zone
    lons = _floats(where)
    zones = _kavu.gk_zones(lons.ravel()).reshape(lons.shape)
    if lons.ndim == 0:
        if zones == 0:
            raise ValueError("a longitude must be a number")
        return int(zones)
    return zones


class GridLine(NamedTuple):
    """One line of a sheet's kilometre grid, clipped to the frame. ``axis`` "X" is a line of
    one northing (running west to east), "Y" one of one easting (south to north); ``value``
    in metres (Y with the zone number); ``full`` the kilometres printed at the frame's corners
    ("6182"), ``label`` the two digits printed along it ("82"); ``start`` and ``end`` (x, y)
    metres on the frame, ``start_degrees`` and ``end_degrees`` (lat, lon) on the 1942 datum.

    ``__geo_interface__`` is the line in the zone's CRS (``gk_crs(zone)``), easting then
    northing as GIS software orders a projected CRS; the line is straight there."""

    axis: str
    value: float
    full: str
    label: str
    start: Tuple[float, float]
    end: Tuple[float, float]
    start_degrees: Tuple[float, float]
    end_degrees: Tuple[float, float]
    zone: int

    @property
    def __geo_interface__(self) -> Dict[str, Any]:
        return {
            "type": "LineString",
            "coordinates": [(self.start[1], self.start[0]), (self.end[1], self.end[0])],
        }

    @property
    def feature(self) -> Dict[str, Any]:
        """A GeoJSON Feature with the fields kavu-sheet grid writes."""
        properties = {"zone": self.zone, "axis": self.axis, "value": self.value,
                      "full": self.full, "label": self.label}
        return {"type": "Feature", "geometry": self.__geo_interface__, "properties": properties}


def km_grid(sheet: Any, step: Optional[float] = None, zone: Optional[int] = None) -> List[GridLine]:
    """The kilometre grid of a sheet (a Sheet or a designation) as kavu-sheet grid gives it:
    lines of X south to north, then of Y west to east, clipped to the frame, every ``step``
    metres (by default as the series prints it: 1 km at 1:10,000-1:50,000, 2 km at
    1:100,000; smaller scales need a step). ``zone`` gives a neighbouring zone's grid, as
    sheets near a zone's edge show it. ValueError for a bad step or zone."""
    if not isinstance(sheet, Sheet):
        sheet = Sheet(sheet)
    shown, lines = _kavu.km_grid(sheet, None if step is None else float(step),
                                 None if zone is None else int(zone))
    return [GridLine(*line, zone=shown) for line in lines]


class ControlPoint(NamedTuple):
    """A ground control point of a scan: ``name`` "NW", "NE", "SE", "SW" or "6182/7413" (a
    grid crossing); ``pixel`` and ``line`` its place in the scan (0, 0 the top-left corner of
    the first pixel; None when no size was given); ``x``, ``y`` metres in ``zone``; ``lat``,
    ``lon`` degrees on the 1942 datum. For GDAL: ``gdal.GCP(p.y, p.x, 0, p.pixel, p.line)``
    with ``gk_crs(p.zone)``."""

    name: str
    pixel: Optional[float]
    line: Optional[float]
    x: float
    y: float
    lat: float
    lon: float
    zone: int


def gcps(sheet: Any, size: Optional[Tuple[float, float]] = None) -> List[ControlPoint]:
    """The control points of a scan of a sheet (or a joined sheet, or a designation), as
    kavu-sheet frame --gcp gives them: the four corners in the Gauss-Krüger zone of the frame's
    middle, and with ``size`` (width, height in pixels of the scan cropped to the box of the
    frame's corners, the sheet's middle meridian upright) every kilometre-grid crossing inside
    the frame at its pixel. An affine fit of them (gdalwarp -order 1, QGIS "Linear") gives the
    printed frame exactly."""
    target = _one(sheet)
    if size is not None:
        width, height = size
        size = (float(width), float(height))
    zone, points = _kavu.gcps(target, size)
    return [ControlPoint(*p, zone=zone) for p in points]


def read_file_name(path: Union[str, "os.PathLike[str]"]) -> List[Any]:
    """The sheets a scan's file name names, as kavu-sheet files reads it ("n37-004-3.tif",
    "N-37-4-В 1985.png", "q-39-013_014.jpg"): every reading of the designation found in its
    stem, Sheet and PublishedSheet objects. ReadError when it names none."""
    stem = os.path.splitext(os.path.basename(os.fspath(path)))[0]
    return list(_kavu.file_sheets(stem))
