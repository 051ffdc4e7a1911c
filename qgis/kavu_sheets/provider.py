from qgis.core import QgsProcessingProvider
from qgis.PyQt.QtGui import QIcon

from . import algorithms
from .paths import ICON


class KavuProvider(QgsProcessingProvider):
    def id(self):
        return "kavu"

    def name(self):
        return "Kavu"

    def longName(self):
        return "Kavu: sheets of the 1942-system topographic map series"

    def icon(self):
        return QIcon(ICON)

    def loadAlgorithms(self):
        for algorithm in algorithms.ALGORITHMS:
            self.addAlgorithm(algorithm())
