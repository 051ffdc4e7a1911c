"""Checked by mypy --strict against the stub: the API as users write it."""
from typing import List, Optional, Tuple

import numpy as np
import numpy.typing as npt

import kavu

s: kavu.Sheet = kavu.sheet(55.7558, 37.6173, "50k", datum="wgs84")
name: str = s.old + s.new
north: float = s.north
centre: Tuple[float, float] = s.centre
scale: int = s.scale
group: Optional[kavu.PublishedSheet] = s.published
block = s.neighbours()
middle: kavu.Sheet = block[1][1]
kids: List[kavu.Sheet] = s.children("10k")
names: npt.NDArray[np.str_] = kavu.sheets(np.array([55.0]), [37.0], 50000)
names2, mask = kavu.sheets([55.0], [37.0], return_mask=True)
frames: npt.NDArray[np.float64] = kavu.frames(["N-37"])
sheets: List[kavu.Sheet] = kavu.cover({"type": "Point", "coordinates": [37, 55]}, "1M")
for one in kavu.grid((37, 55, 38, 56), "100k"):
    print(one.old, sorted([one, s])[0])
lat, lon = kavu.to_wgs84(55.0, 37.0)
point: Tuple[float, float] = kavu.read_point("55 37")
try:
    kavu.Sheet("N-37-4")
except kavu.AmbiguousName as e:
    print(e.readings, e.reason, e.position)
except kavu.ReadError as e:
    print(e.reason, e.position, e.text)
zone: int = kavu.gk_zone(37.6) + kavu.gk_zone(s) + s.zone
x, y = kavu.to_gk(55.0, 37.0, zone=7)
xs, ys = kavu.to_gk(np.array([55.0]), np.array([37.0]))
back: Tuple[float, float] = kavu.from_gk(x, y)
crs: str = kavu.gk_crs(zone)
labels: List[str] = [line.label for line in kavu.km_grid(s, step=2000)]
pixels = [(p.pixel, p.line, p.x, p.y) for p in kavu.gcps("N-37-4-В", size=(4000, 4400))]
pair: Tuple[float, float] = kavu.read_gk("X=6182348 Y=7413188")
scans = kavu.read_file_name("n37-004-3.tif")
