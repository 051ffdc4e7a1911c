"""Sheet names of the 1942-system topographic map series, for numpy, shapely and GeoPandas.

>>> import kavu
>>> kavu.sheet(55.7558, 37.6173)
kavu.Sheet("N-37-4-В")

Coordinates are degrees, latitude first, north and east positive, in the series' own 1942
datum (EPSG:4284) unless ``datum="wgs84"`` is given. Frames and GeoJSON are in the 1942 datum.
A point on a parallel that bounds sheets belongs to the sheet south of it, on a meridian to the
sheet east of it, as in kavu-sheet.
"""

from __future__ import annotations

from collections.abc import Mapping
from typing import Any, Iterable, Iterator, List, Tuple, Union

import numpy as np

from . import _kavu
from ._errors import AmbiguousName, OutsideSeries, ReadError
from ._kavu import PublishedSheet, Sheet, read, read_point, sheet

__all__ = [
    "AmbiguousName",
    "OutsideSeries",
    "PublishedSheet",
    "ReadError",
    "Sheet",
    "cover",
    "frames",
    "from_wgs84",
    "grid",
    "read",
    "read_point",
    "sheet",
    "sheets",
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
