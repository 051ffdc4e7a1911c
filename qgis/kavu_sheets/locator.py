"""A sheet found by name from QGIS's search bar."""

from qgis.core import (
    QgsCoordinateTransform,
    QgsLocatorFilter,
    QgsLocatorResult,
    QgsProject,
)
from qgis.PyQt.QtCore import QCoreApplication

from . import engine


def describe(sheet):
    return "{} · 1:{:,} · {:.6g}°–{:.6g}° N, {:.6g}°–{:.6g}° E (1942)".format(
        sheet.new, sheet.scale, sheet.south, sheet.north, sheet.west, sheet.east
    ).replace(",", "\u00a0")


class SheetLocatorFilter(QgsLocatorFilter):
    """Lists the readings of a designation typed in any spelling (prefix "sh", or none when the
    text reads as one); a chosen reading zooms the canvas to the sheet and flashes its frame."""

    def __init__(self, canvas):
        super().__init__()
        self.canvas = canvas

    def clone(self):
        return SheetLocatorFilter(self.canvas)

    def name(self):
        return "kavu_sheets"

    def displayName(self):
        return QCoreApplication.translate("Kavu", "Map sheets (1942 series)")

    def prefix(self):
        return "sh"

    def priority(self):
        return QgsLocatorFilter.High

    def flags(self):
        return QgsLocatorFilter.FlagFast

    def fetchResults(self, string, context, feedback):
        text = string.strip()
        if not text:
            return
        found = engine.readings(text)
        for sheet in found:
            result = QgsLocatorResult(
                self,
                sheet.old,
                [sheet.new, sheet.north, sheet.south, sheet.west, sheet.east],
            )
            result.description = describe(sheet)
            self.resultFetched.emit(result)
        if not found and context.usingPrefix:
            # Asked for a sheet by the prefix: say why the text names none.
            result = QgsLocatorResult(self, engine.reading_error(text) or text, None)
            result.score = 0
            self.resultFetched.emit(result)

    def triggerResult(self, result):
        data = result.getUserData() if hasattr(result, "getUserData") else result.userData
        if not data:
            return
        zoom_to_frame(self.canvas, *data[1:5])


def zoom_to_frame(canvas, north, south, west, east):
    frame = engine.frame_polygon(north, south, west, east)
    transform = QgsCoordinateTransform(
        engine.SERIES_CRS, canvas.mapSettings().destinationCrs(), QgsProject.instance()
    )
    extent = transform.transformBoundingBox(frame.boundingBox())
    canvas.setExtent(extent)
    canvas.refresh()
    canvas.flashGeometries([frame], engine.SERIES_CRS)
