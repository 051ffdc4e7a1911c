"""The Processing algorithms: the sheet grid of an extent, the sheets covering a layer, sheet
names for points, the kilometre grid of a sheet and a scan georeferenced in its zone."""

import math
import os
import tempfile

from qgis.PyQt.QtCore import QCoreApplication, QVariant
from qgis.core import (
    QgsFeature,
    QgsFeatureSink,
    QgsField,
    QgsFields,
    QgsProcessing,
    QgsProcessingAlgorithm,
    QgsProcessingException,
    QgsProcessingParameterBoolean,
    QgsProcessingParameterEnum,
    QgsProcessingParameterExtent,
    QgsProcessingParameterFeatureSink,
    QgsProcessingParameterFeatureSource,
    QgsProcessingParameterNumber,
    QgsProcessingParameterRasterDestination,
    QgsProcessingParameterRasterLayer,
    QgsProcessingParameterString,
    QgsProcessingUtils,
    QgsWkbTypes,
)

from . import engine, help


def tr(text):
    return QCoreApplication.translate("Kavu", text)


SCALE_OPTIONS = [engine.scale_label(d) for d, _ in engine.SCALES]
DEFAULT_SCALE = 4  # 1:50 000


class KavuAlgorithm(QgsProcessingAlgorithm):
    KEY = ""
    TITLE = ""

    def createInstance(self):
        return type(self)()

    def name(self):
        return self.KEY

    def displayName(self):
        return tr(self.TITLE)

    def shortHelpString(self):
        return help.text(self.KEY)

    def scale_parameter(self, name="SCALE"):
        return QgsProcessingParameterEnum(
            name, tr("Scale"), options=SCALE_OPTIONS, defaultValue=DEFAULT_SCALE
        )

    def write_sheets(
        self, parameters, context, feedback, sheets, done, extra_fields=(), extra=None
    ):
        """Writes (sheet, scale) pairs as frames as they come; `done(sheet)` is the fraction of
        the work done, `extra(sheet)` the extra attributes."""
        fields = engine.sheet_fields(extra_fields)
        sink, dest = self.parameterAsSink(
            parameters, "OUTPUT", context, fields, QgsWkbTypes.Polygon, engine.SERIES_CRS
        )
        if sink is None:
            raise QgsProcessingException(self.invalidSinkError(parameters, "OUTPUT"))
        count = 0
        for sheet, scale in sheets:
            if feedback.isCanceled():
                break
            values = extra(sheet) if extra else ()
            feature = engine.sheet_feature(fields, sheet, scale, values)
            sink.addFeature(feature, QgsFeatureSink.FastInsert)
            count += 1
            if count % 1000 == 0:
                feedback.setProgress(100.0 * done(sheet))
        feedback.pushInfo(tr("{} sheets").format(count))
        return {"OUTPUT": dest}


class SheetGrid(KavuAlgorithm):
    KEY = "sheetgrid"
    TITLE = "Sheet grid"

    def initAlgorithm(self, config=None):
        self.addParameter(QgsProcessingParameterExtent("EXTENT", tr("Extent")))
        self.addParameter(self.scale_parameter())
        self.addParameter(
            QgsProcessingParameterBoolean(
                "AS_PRINTED", tr("As printed (joined sheets north of 60° as one feature)"), False
            )
        )
        self.addParameter(
            QgsProcessingParameterFeatureSink(
                "OUTPUT", tr("Sheet grid"), QgsProcessing.TypeVectorPolygon
            )
        )

    def processAlgorithm(self, parameters, context, feedback):
        rect = self.parameterAsExtent(parameters, "EXTENT", context)
        crs = self.parameterAsExtentCrs(parameters, "EXTENT", context)
        scale = engine.SCALES[self.parameterAsEnum(parameters, "SCALE", context)]
        try:
            box = engine.series_box(rect, crs, context.transformContext())
            sheets = engine.grid(*box, scale[1])
        except ValueError as error:
            raise QgsProcessingException(str(error))
        south, west, north, east = box
        feedback.pushInfo(
            tr("Sheets from {:.6f}°, {:.6f}° to {:.6f}°, {:.6f}° (1942 datum)").format(
                north, west, south, east
            )
        )
        if self.parameterAsBoolean(parameters, "AS_PRINTED", context):
            pairs = engine.printed(sheets)
        else:
            pairs = ((s, s.scale) for s in sheets)

        def done(sheet):  # rows come from the north
            return min(1.0, max(0.0, (north - sheet.north) / (north - south)))

        return self.write_sheets(parameters, context, feedback, pairs, done)


class CoverLayer(KavuAlgorithm):
    KEY = "coverlayer"
    TITLE = "Sheets covering a layer"

    def initAlgorithm(self, config=None):
        self.addParameter(
            QgsProcessingParameterFeatureSource(
                "INPUT", tr("Points, lines or polygons"), [QgsProcessing.TypeVectorAnyGeometry]
            )
        )
        self.addParameter(self.scale_parameter())
        self.addParameter(
            QgsProcessingParameterNumber(
                "BUFFER",
                tr("Buffer (metres)"),
                QgsProcessingParameterNumber.Double,
                defaultValue=0.0,
                minValue=0.0,
            )
        )
        self.addParameter(
            QgsProcessingParameterBoolean(
                "AS_PRINTED", tr("As printed (joined sheets north of 60° as one feature)"), False
            )
        )
        self.addParameter(
            QgsProcessingParameterFeatureSink(
                "OUTPUT", tr("Sheets"), QgsProcessing.TypeVectorPolygon
            )
        )

    def processAlgorithm(self, parameters, context, feedback):
        source = self.parameterAsSource(parameters, "INPUT", context)
        if source is None:
            raise QgsProcessingException(self.invalidSourceError(parameters, "INPUT"))
        scale = engine.SCALES[self.parameterAsEnum(parameters, "SCALE", context)]
        buffer = self.parameterAsDouble(parameters, "BUFFER", context)
        as_printed = self.parameterAsBoolean(parameters, "AS_PRINTED", context)
        short_way = engine.joins_short_way(
            self.parameterAsVectorLayer(parameters, "INPUT", context)
        )
        try:
            to_series = engine.ToSeries(source.sourceCrs(), context.transformContext())
        except ValueError as error:
            raise QgsProcessingException(str(error))

        sheets, counts = {}, {}  # by new name, in the order first met
        total = max(1, source.featureCount())
        skipped = 0
        for i, feature in enumerate(source.getFeatures()):
            if feedback.isCanceled():
                break
            geometry = feature.geometry()
            if geometry.isNull() or geometry.isEmpty():
                skipped += 1
                continue
            try:
                met = engine.cover(
                    to_series.geojson(geometry),
                    scale[1],
                    buffer,
                    to_series.datum,
                    as_printed,
                    short_way,
                )
            except ValueError as error:
                raise QgsProcessingException(tr("Feature {}: {}").format(feature.id(), error))
            keys = []
            for shown in met:
                keys.append(shown.new)
                sheets.setdefault(shown.new, (shown, shown.scale))
            for key in set(keys):
                counts[key] = counts.get(key, 0) + 1
            feedback.setProgress(100.0 * i / total)
        if skipped:
            feedback.pushWarning(tr("{} features without a geometry were skipped").format(skipped))

        ordered = sorted(sheets.values(), key=lambda pair: (-pair[0].north, pair[0].west))
        count_field = [QgsField("count", QVariant.Int)]
        return self.write_sheets(
            parameters,
            context,
            feedback,
            ordered,
            lambda sheet: 1.0,
            count_field,
            lambda sheet: [counts[sheet.new]],
        )


class SheetNames(KavuAlgorithm):
    KEY = "sheetnames"
    TITLE = "Add sheet names to points"
    BATCH = 10000

    def initAlgorithm(self, config=None):
        self.addParameter(
            QgsProcessingParameterFeatureSource(
                "INPUT", tr("Points"), [QgsProcessing.TypeVectorPoint]
            )
        )
        self.addParameter(
            QgsProcessingParameterEnum(
                "SCALES",
                tr("Scales"),
                options=SCALE_OPTIONS,
                allowMultiple=True,
                defaultValue=[DEFAULT_SCALE],
            )
        )
        self.addParameter(
            QgsProcessingParameterFeatureSink("OUTPUT", tr("Points with sheet names"))
        )

    def processAlgorithm(self, parameters, context, feedback):
        source = self.parameterAsSource(parameters, "INPUT", context)
        if source is None:
            raise QgsProcessingException(self.invalidSourceError(parameters, "INPUT"))
        chosen = sorted(set(self.parameterAsEnums(parameters, "SCALES", context)))
        if not chosen:
            raise QgsProcessingException(tr("Choose at least one scale"))
        scales = [engine.SCALES[i] for i in chosen]
        try:
            to_series = engine.ToSeries(source.sourceCrs(), context.transformContext())
        except ValueError as error:
            raise QgsProcessingException(str(error))

        added = QgsFields()
        for _, short in scales:
            for notation in ("new", "old"):
                added.append(QgsField("{}_{}".format(notation, short), QVariant.String))
        fields = QgsProcessingUtils.combineFields(source.fields(), added)
        sink, dest = self.parameterAsSink(
            parameters, "OUTPUT", context, fields, source.wkbType(), source.sourceCrs()
        )
        if sink is None:
            raise QgsProcessingException(self.invalidSinkError(parameters, "OUTPUT"))

        total = max(1, source.featureCount())
        unnamed = 0
        batch = []
        done = 0
        for feature in source.getFeatures():
            if feedback.isCanceled():
                break
            batch.append(feature)
            if len(batch) == self.BATCH:
                unnamed += self._write(batch, to_series, scales, fields, sink)
                done += len(batch)
                batch = []
                feedback.setProgress(100.0 * done / total)
        if batch and not feedback.isCanceled():
            unnamed += self._write(batch, to_series, scales, fields, sink)
        if unnamed:
            feedback.pushWarning(
                tr("{} points got no sheet names: no geometry, several parts, or beyond 84°")
                .format(unnamed)
            )
        return {"OUTPUT": dest}

    def _write(self, batch, to_series, scales, fields, sink):
        lats, lons, placed = [], [], []
        for feature in batch:
            geometry = feature.geometry()
            if geometry.isNull():
                points = []
            elif geometry.isMultipart():
                points = geometry.asMultiPoint()
            else:
                points = [geometry.asPoint()]
            if len(points) != 1:
                placed.append(False)
                continue
            try:
                lat, lon = to_series.geographic(points[0])
            except ValueError:
                placed.append(False)
                continue
            placed.append(True)
            lats.append(lat)
            lons.append(lon)
        names = []
        for _, short in scales:
            for notation in ("new", "old"):
                names.append(
                    engine.sheet_names(lats, lons, short, to_series.datum, notation)
                    if lats
                    else []
                )
        unnamed = 0
        row = 0
        for feature, ok in zip(batch, placed):
            values = [None] * len(names)
            if ok:
                values = [column[row] or None for column in names]
                row += 1
            if not any(values):
                unnamed += 1
            out = QgsFeature(fields)
            out.setGeometry(feature.geometry())
            out.setAttributes(feature.attributes() + values)
            sink.addFeature(out, QgsFeatureSink.FastInsert)
        return unnamed


class KilometreGrid(KavuAlgorithm):
    KEY = "kmgrid"
    TITLE = "Kilometre grid of a sheet"

    def initAlgorithm(self, config=None):
        self.addParameter(QgsProcessingParameterString("SHEET", tr("Sheet name")))
        self.addParameter(
            QgsProcessingParameterNumber(
                "STEP",
                tr("Step (metres; empty: as printed)"),
                QgsProcessingParameterNumber.Double,
                optional=True,
                minValue=1.0,
            )
        )
        self.addParameter(
            QgsProcessingParameterNumber(
                "ZONE",
                tr("Zone (empty: the sheet's own)"),
                QgsProcessingParameterNumber.Integer,
                optional=True,
                minValue=1,
                maxValue=60,
            )
        )
        self.addParameter(
            QgsProcessingParameterFeatureSink(
                "OUTPUT", tr("Kilometre grid"), QgsProcessing.TypeVectorLine
            )
        )

    def processAlgorithm(self, parameters, context, feedback):
        text = self.parameterAsString(parameters, "SHEET", context)
        given = {key: parameters.get(key) not in (None, "") for key in ("STEP", "ZONE")}
        step = self.parameterAsDouble(parameters, "STEP", context) if given["STEP"] else None
        zone = self.parameterAsInt(parameters, "ZONE", context) if given["ZONE"] else None
        try:
            sheet = engine.one_sheet(text)
            if not isinstance(sheet, engine.kavu.Sheet):
                raise ValueError(
                    "{} is a joined sheet of {} sheets; name one of them".format(
                        sheet.old, len(sheet.members)
                    )
                )
            lines = engine.kavu.km_grid(sheet, step=step, zone=zone)
        except ValueError as error:
            raise QgsProcessingException("\"{}\": {}".format(text, error))
        shown = lines[0].zone if lines else (zone or sheet.zone)
        fields = engine.grid_fields()
        sink, dest = self.parameterAsSink(
            parameters, "OUTPUT", context, fields, QgsWkbTypes.LineString,
            engine.zone_crs(shown),
        )
        if sink is None:
            raise QgsProcessingException(self.invalidSinkError(parameters, "OUTPUT"))
        for line in lines:
            sink.addFeature(engine.grid_feature(fields, sheet, line), QgsFeatureSink.FastInsert)
        feedback.pushInfo(
            tr("{}: {} lines in zone {} ({})").format(
                sheet.old, len(lines), shown, engine.kavu.gk_crs(shown)
            )
        )
        return {"OUTPUT": dest}


class GeoreferenceScan(KavuAlgorithm):
    KEY = "georeference"
    TITLE = "Georeference a scanned sheet"

    def initAlgorithm(self, config=None):
        self.addParameter(QgsProcessingParameterRasterLayer("INPUT", tr("Scan")))
        self.addParameter(
            QgsProcessingParameterString(
                "CORNERS",
                tr("Pixels of the frame's corners: NW, NE, SE, SW as column,row"),
            )
        )
        self.addParameter(
            QgsProcessingParameterString(
                "SHEET", tr("Sheet name (empty: read from the file name)"), optional=True
            )
        )
        self.addParameter(
            QgsProcessingParameterBoolean(
                "CUT", tr("Cut to the frame (the margins become nodata)"), False
            )
        )
        self.addParameter(
            QgsProcessingParameterRasterDestination("OUTPUT", tr("Georeferenced scan"))
        )

    def processAlgorithm(self, parameters, context, feedback):
        from osgeo import gdal, ogr, osr

        layer = self.parameterAsRasterLayer(parameters, "INPUT", context)
        if layer is None:
            raise QgsProcessingException(self.invalidRasterError(parameters, "INPUT"))
        source = layer.source()
        text = self.parameterAsString(parameters, "SHEET", context).strip()
        try:
            if text:
                sheet = engine.one_sheet(text)
            else:
                sheet = engine.sheet_of_file(source)
            corners = engine.read_corners(self.parameterAsString(parameters, "CORNERS", context))
            for (column, row), corner in zip(corners, ("north-west", "north-east",
                                                       "south-east", "south-west")):
                if not (0 <= column <= layer.width() and 0 <= row <= layer.height()):
                    raise ValueError(
                        "the {} corner {:g},{:g} lies outside the scan's {} x {} pixels".format(
                            corner, column, row, layer.width(), layer.height()
                        )
                    )
            points = engine.scan_control_points(sheet, corners)
        except ValueError as error:
            where = text or os.path.basename(source)
            raise QgsProcessingException("\"{}\": {}".format(where, error))
        zone = points[0].zone
        crs = engine.kavu.gk_crs(zone)
        feedback.pushInfo(
            tr("{} in zone {} ({}): {} control points").format(sheet.old, zone, crs, len(points))
        )
        output = self.parameterAsOutputLayer(parameters, "OUTPUT", context)
        gcps = [gdal.GCP(p.y, p.x, 0.0, p.pixel, p.line, p.name, p.name) for p in points]
        with tempfile.TemporaryDirectory(prefix="kavu-georeference-") as folder:
            # The control points on a virtual copy, then an affine fit of them into the zone.
            with_points = gdal.Translate(
                os.path.join(folder, "points.vrt"), source, format="VRT", GCPs=gcps,
                outputSRS=crs,
            )
            if with_points is None:
                raise QgsProcessingException(tr("GDAL cannot read {}").format(source))
            # Output pixels no larger than the scan's finest on the ground, so no detail is
            # averaged away.
            fit = gdal.GCPsToGeoTransform(gcps)
            size = min(math.hypot(fit[1], fit[4]), math.hypot(fit[2], fit[5]))
            cut = {}
            if self.parameterAsBoolean(parameters, "CUT", context):
                cut = dict(
                    cutlineDSName=self._frame_file(folder, sheet, zone, crs, ogr, osr),
                    cropToCutline=True, dstNodata=0,
                )
            warped = gdal.Warp(
                output, with_points, format="GTiff", dstSRS=crs, polynomialOrder=1,
                resampleAlg="bilinear", xRes=size, yRes=size,
                creationOptions=["COMPRESS=DEFLATE", "TILED=YES"], **cut,
            )
            with_points = None
            if warped is None:
                raise QgsProcessingException(
                    tr("GDAL cannot write {}: {}").format(output, gdal.GetLastErrorMsg())
                )
            warped = None
        return {"OUTPUT": output}

    @staticmethod
    def _frame_file(folder, sheet, zone, crs, ogr, osr):
        """The frame in the zone as a layer the warper cuts along."""
        path = os.path.join(folder, "frame.gpkg")
        srs = osr.SpatialReference()
        srs.SetAxisMappingStrategy(osr.OAMS_TRADITIONAL_GIS_ORDER)
        srs.SetFromUserInput(crs)
        dataset = ogr.GetDriverByName("GPKG").CreateDataSource(path)
        layer = dataset.CreateLayer("frame", srs, ogr.wkbPolygon)
        ring = ogr.Geometry(ogr.wkbLinearRing)
        for easting, northing in engine.frame_in_zone(sheet, zone):
            ring.AddPoint_2D(easting, northing)
        polygon = ogr.Geometry(ogr.wkbPolygon)
        polygon.AddGeometry(ring)
        feature = ogr.Feature(layer.GetLayerDefn())
        feature.SetGeometry(polygon)
        layer.CreateFeature(feature)
        dataset = None
        return path


ALGORITHMS = (SheetGrid, CoverLayer, SheetNames, KilometreGrid, GeoreferenceScan)
