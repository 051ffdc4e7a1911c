"""The plugin inside QGIS, headless: the locator's readings and the extent it zooms to, the
identify tool's answer for a click, and loading, unloading and reloading through qgis.utils."""

import pytest
from qgis.core import (
    QgsCoordinateReferenceSystem,
    QgsCoordinateTransform,
    QgsLocatorContext,
    QgsProject,
    QgsRectangle,
    Qgis,
)
from qgis.gui import QgsMapCanvas, QgsMapMouseEvent
from qgis.PyQt.QtCore import QCoreApplication, QEvent, QPoint, Qt
from qgis.PyQt.QtWidgets import QAction, QApplication, QMainWindow, QMenu, QToolBar

from conftest import PLUGIN_PARENT, kavu_sheet


@pytest.fixture
def canvas(qgis_app):
    canvas = QgsMapCanvas()
    canvas.resize(600, 400)
    yield canvas
    canvas.deleteLater()


def set_crs(canvas, epsg):
    canvas.setDestinationCrs(QgsCoordinateReferenceSystem(f"EPSG:{epsg}"))


def fetch(locator_filter, text, prefix=False):
    from qgis.core import QgsFeedback

    found = []
    locator_filter.resultFetched.connect(found.append)
    context = QgsLocatorContext()
    context.usingPrefix = prefix
    locator_filter.fetchResults(text, context, QgsFeedback())
    locator_filter.resultFetched.disconnect(found.append)
    return found


def test_locator_reads_any_spelling_and_zooms_to_the_sheet(canvas):
    from kavu_sheets.locator import SheetLocatorFilter

    locator = SheetLocatorFilter(canvas)
    assert [r.displayString for r in fetch(locator, "n37-4-в")] == ["N-37-4-В"]
    # Two readings, the window's own first; a joined sheet as printed.
    assert [r.displayString for r in fetch(locator, "N-37-1")] == ["N-37-1", "N-37-А"]
    assert [r.displayString for r in fetch(locator, "p37,38")] == ["P-37,38"]
    # Plain words are not asked about without the prefix; with it, the reason is shown.
    assert fetch(locator, "Moscow") == []
    (why,) = fetch(locator, "N-37-999", prefix=True)
    assert "999" in why.displayString or "character" in why.displayString
    locator.triggerResult(why)  # nothing to zoom to, no error

    for epsg in (3857, 4284, 4326):
        set_crs(canvas, epsg)
        (result,) = fetch(locator, "14-37-004-3")
        locator.triggerResult(result)
        frame = QgsRectangle(37.5, 55 + 40 / 60, 37.75, 55 + 50 / 60)
        transform = QgsCoordinateTransform(
            QgsCoordinateReferenceSystem("EPSG:4284"), canvas.mapSettings().destinationCrs(),
            QgsProject.instance())
        want = transform.transformBoundingBox(frame)
        extent = canvas.extent()
        assert extent.buffered(extent.width() * 1e-9).contains(want)
        assert extent.center().x() == pytest.approx(want.center().x(), rel=1e-6)
        assert extent.center().y() == pytest.approx(want.center().y(), rel=1e-6)
        # Fitted: the sheet fills the canvas along one side.
        assert max(want.width() / extent.width(), want.height() / extent.height()) > 0.95


def click(canvas, tool, x, y):
    answers = []
    tool.answered.connect(answers.append)
    event = QgsMapMouseEvent(canvas, QEvent.MouseButtonRelease, QPoint(x, y), Qt.LeftButton,
                             Qt.LeftButton, Qt.NoModifier)
    tool.canvasReleaseEvent(event)
    tool.answered.disconnect(answers.append)
    return answers[0]


@pytest.mark.parametrize("epsg,datum,extent", [
    (3857, "wgs84", (4185000, 7490000, 4195000, 7500000)),   # Moscow
    (4284, "1942", (37.55, 55.70, 37.70, 55.80)),
    (4284, "1942", (-71.0, -33.6, -70.4, -33.3)),            # Santiago, south and west
])
def test_identify_answers_as_the_tool(canvas, epsg, datum, extent):
    from kavu_sheets.identify import IdentifySheetTool

    set_crs(canvas, epsg)
    canvas.setExtent(QgsRectangle(*extent))
    tool = IdentifySheetTool(canvas)
    for x, y in ((300, 200), (13, 377), (590, 9)):
        answer = click(canvas, tool, x, y)
        point = canvas.getCoordinateTransform().toMapCoordinates(x, y)
        if epsg == 3857:
            point = QgsCoordinateTransform(
                canvas.mapSettings().destinationCrs(), QgsCoordinateReferenceSystem("EPSG:4326"),
                QgsProject.instance()).transform(point)
        rows = kavu_sheet("point", repr(point.y()), repr(point.x()), "--datum", datum)
        assert [r[:3] for r in answer.rows] == [
            (int(r["scale"].split(":")[1]), r["new"], r["old"]) for r in rows]
        assert len(answer.rows) == 7 and answer.error is None
    # The dialog shows it and copies it.
    assert tool.dialog.table.rowCount() == 7
    assert tool.dialog.table.item(4, 2).text() == answer.rows[4][2]
    tool.dialog.copy.click()
    assert QApplication.clipboard().text() == answer.text()
    assert answer.text().count("\n") == 7
    tool.close()


def test_identify_beyond_84_degrees_says_so(canvas):
    from kavu_sheets.identify import IdentifySheetTool

    set_crs(canvas, 4284)
    canvas.setExtent(QgsRectangle(10, 85, 12, 86))
    tool = IdentifySheetTool(canvas)
    answer = click(canvas, tool, 300, 200)
    assert answer.rows == [] and "84" in answer.error
    assert not tool.dialog.copy.isEnabled()
    tool.close()


class Iface:
    """What the plugin asks of QGIS's interface, over real widgets."""

    def __init__(self, canvas):
        self.canvas = canvas
        self.window = QMainWindow()
        self.toolbar = QToolBar()
        self.menus = {}
        self.locators = []

    def mapCanvas(self):
        return self.canvas

    def mainWindow(self):
        return self.window

    def addToolBarIcon(self, action):
        self.toolbar.addAction(action)

    def removeToolBarIcon(self, action):
        self.toolbar.removeAction(action)

    def addPluginToMenu(self, name, action):
        self.menus.setdefault(name, QMenu(name)).addAction(action)

    def removePluginMenu(self, name, action):
        self.menus[name].removeAction(action)

    def registerLocatorFilter(self, locator_filter):
        self.locators.append(locator_filter)

    def deregisterLocatorFilter(self, locator_filter):
        self.locators.remove(locator_filter)

    def messageBar(self):
        raise AssertionError("the plugin reported an error")


def test_loads_unloads_and_reloads_cleanly(canvas):
    import qgis.utils
    from qgis.core import QgsApplication

    iface = Iface(canvas)
    qgis.utils.iface = iface
    qgis.utils.plugin_paths[:] = [PLUGIN_PARENT]
    qgis.utils.updateAvailablePlugins()
    assert "kavu_sheets" in qgis.utils.available_plugins
    errors = []

    def log(message, tag, level):
        if level >= Qgis.Warning:
            errors.append((tag, message))

    QgsApplication.messageLog().messageReceived.connect(log)
    registry = QgsApplication.processingRegistry()

    def loaded():
        actions = iface.window.findChildren(QAction, "KavuIdentifySheet")
        return {
            "provider": registry.providerById("kavu") is not None,
            "algorithms": len(registry.providerById("kavu").algorithms())
            if registry.providerById("kavu") else 0,
            "locators": len(iface.locators),
            "toolbar": len(iface.toolbar.actions()),
            "menu": sum(len(m.actions()) for m in iface.menus.values()),
            "actions": len(actions),
        }

    on = {"provider": True, "algorithms": 5, "locators": 1, "toolbar": 1, "menu": 1, "actions": 1}
    off = {"provider": False, "algorithms": 0, "locators": 0, "toolbar": 0, "menu": 0, "actions": 0}

    assert qgis.utils.loadPlugin("kavu_sheets")
    assert qgis.utils.startPlugin("kavu_sheets")
    assert loaded() == on
    iface.toolbar.actions()[0].trigger()
    assert canvas.mapTool() is qgis.utils.plugins["kavu_sheets"].tool
    for _ in range(2):
        qgis.utils.reloadPlugin("kavu_sheets")
        QCoreApplication.sendPostedEvents(None, QEvent.DeferredDelete)
        assert loaded() == on
    assert qgis.utils.unloadPlugin("kavu_sheets")
    QCoreApplication.sendPostedEvents(None, QEvent.DeferredDelete)
    assert loaded() == off
    assert canvas.mapTool() is None
    assert errors == []
    QgsApplication.messageLog().messageReceived.disconnect(log)


def test_extent_in_web_mercator_across_180_keeps_narrow(qgis_app):
    import kavu
    from kavu_sheets import engine

    crs = QgsCoordinateReferenceSystem("EPSG:3857")
    south, west, north, east = engine.series_box(
        QgsRectangle(19.9e6, 9.5e6, 20.2e6, 9.8e6), crs)
    assert 178 < west < 180 and -180 < east < -178
    # The corners, converted as the tool converts them, lie inside, by the edges (the shift
    # varies along an edge).
    for x, y in ((19.9e6, 9.5e6), (20.2e6, 9.8e6)):
        p = QgsCoordinateTransform(crs, QgsCoordinateReferenceSystem("EPSG:4326"),
                                   QgsProject.instance()).transform(x, y)
        lat, lon = kavu.from_wgs84(p.y(), p.x())
        assert south - 1e-9 <= lat <= north + 1e-9
        assert lon == pytest.approx(west if x < 20e6 else east, abs=1e-3)
    with pytest.raises(ValueError):
        engine.series_box(QgsRectangle(10, 50, 10, 51), QgsCoordinateReferenceSystem("EPSG:4284"))


def test_every_algorithm_has_help_in_english_and_russian(qgis_app):
    from kavu_sheets import help
    from kavu_sheets.algorithms import ALGORITHMS

    for algorithm in ALGORITHMS:
        english, russian = help.text(algorithm.KEY, "en"), help.text(algorithm.KEY, "ru")
        assert "sheet" in english and any("а" <= c <= "я" for c in russian)
        assert algorithm().shortHelpString() == english  # the offscreen locale is English


def test_without_the_module_the_plugin_says_what_to_install(canvas, monkeypatch):
    import builtins

    import kavu_sheets

    real_import = builtins.__import__

    def no_kavu(name, *args, **kwargs):
        if name == "kavu":
            raise ImportError("No module named 'kavu'")
        return real_import(name, *args, **kwargs)

    said = []

    class Bar:
        def pushMessage(self, title, text, level, duration):
            said.append(text)

    iface = Iface(canvas)
    iface.messageBar = lambda: Bar()
    monkeypatch.setattr(builtins, "__import__", no_kavu)
    plugin = kavu_sheets.classFactory(iface)
    monkeypatch.setattr(builtins, "__import__", real_import)
    plugin.initGui()
    plugin.unload()
    assert said == [kavu_sheets.MISSING_MODULE] and "python3-kavu" in said[0]
    assert iface.toolbar.actions() == [] and iface.locators == []
