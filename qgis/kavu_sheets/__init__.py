"""Kavu for QGIS: the sheets of the 1942-system topographic map series."""

MISSING_MODULE = (
    "Kavu needs the Python module kavu: install the Debian package python3-kavu "
    "(or the module built from Kavu's sources) and restart QGIS."
)


class MissingModule:
    """Stands in for the plugin when the module is absent: says so once, adds nothing."""

    def __init__(self, iface, reason):
        self.iface = iface
        self.reason = reason

    def initProcessing(self):
        from qgis.core import Qgis, QgsMessageLog

        QgsMessageLog.logMessage("%s (%s)" % (MISSING_MODULE, self.reason), "Kavu", Qgis.Critical)

    def initGui(self):
        from qgis.core import Qgis

        self.initProcessing()
        self.iface.messageBar().pushMessage("Kavu", MISSING_MODULE, Qgis.Critical, 0)

    def unload(self):
        pass


def classFactory(iface):
    try:
        import kavu  # noqa: F401
    except ImportError as error:
        return MissingModule(iface, str(error))
    from .plugin import KavuPlugin

    return KavuPlugin(iface)
