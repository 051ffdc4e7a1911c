from qgis.core import QgsApplication
from qgis.PyQt.QtCore import QCoreApplication
from qgis.PyQt.QtGui import QIcon
from qgis.PyQt.QtWidgets import QAction

from .identify import IdentifySheetTool
from .locator import SheetLocatorFilter
from .paths import ICON
from .provider import KavuProvider

MENU = "&Kavu"


class KavuPlugin:
    def __init__(self, iface):
        self.iface = iface
        self.provider = None
        self.locator = None
        self.tool = None
        self.action = None

    def initProcessing(self):
        self.provider = KavuProvider()
        QgsApplication.processingRegistry().addProvider(self.provider)

    def initGui(self):
        self.initProcessing()
        canvas = self.iface.mapCanvas()
        self.locator = SheetLocatorFilter(canvas)
        self.iface.registerLocatorFilter(self.locator)

        self.action = QAction(
            QIcon(ICON),
            QCoreApplication.translate("Kavu", "Identify sheet"),
            self.iface.mainWindow(),
        )
        self.action.setObjectName("KavuIdentifySheet")
        self.action.setCheckable(True)
        self.tool = IdentifySheetTool(canvas)
        self.tool.setAction(self.action)
        self.action.triggered.connect(lambda: canvas.setMapTool(self.tool))
        self.iface.addToolBarIcon(self.action)
        self.iface.addPluginToMenu(MENU, self.action)

    def unload(self):
        if self.provider is not None:
            QgsApplication.processingRegistry().removeProvider(self.provider)
            self.provider = None
        if self.locator is not None:
            self.iface.deregisterLocatorFilter(self.locator)  # deletes it
            self.locator = None
        if self.tool is not None:
            self.iface.mapCanvas().unsetMapTool(self.tool)
            self.tool.close()
            self.tool = None
        if self.action is not None:
            self.iface.removeToolBarIcon(self.action)
            self.iface.removePluginMenu(MENU, self.action)
            self.action.deleteLater()
            self.action = None
