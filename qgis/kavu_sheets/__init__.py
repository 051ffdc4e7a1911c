"""Kavu for QGIS: the sheets of the 1942-system topographic map series."""


def classFactory(iface):
    from .plugin import KavuPlugin

    return KavuPlugin(iface)
