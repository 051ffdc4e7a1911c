"""Help of the algorithms in English and Russian, chosen by QGIS's interface language."""

from qgis.core import QgsApplication

TEXTS = {
    "sheetgrid": {
        "en": (
            "Every sheet of the 1942-system topographic map series at the chosen scale that "
            "meets the extent, as a polygon layer on the 1942 datum (EPSG:4284) with the "
            "fields new and old (the two notations), scale, published_new and published_old "
            "(the joined sheet it was printed in, north of 60°).<br>"
            "The north and west edges of the extent belong to it, the south and east edges do "
            "not, so an extent drawn on sheet edges gives exactly those sheets. An extent in "
            "longitudes past 180° (170 to 190) runs across 180°.<br>"
            "<b>As printed</b>: each joined sheet once, as one feature, in place of its "
            "members.<br>"
            "Parallels carry a vertex every minute of longitude, so frames stay true when "
            "reprojected."
        ),
        "ru": (
            "Все листы топографических карт системы 1942 года выбранного масштаба, которые "
            "задевают охват: полигональный слой в системе 1942 года (EPSG:4284) с полями new "
            "и old (номенклатура в цифровой и буквенной записи), scale, published_new и "
            "published_old (сдвоенный лист, которым он издан севернее 60°).<br>"
            "Северная и западная границы охвата принадлежат ему, южная и восточная нет: охват "
            "по рамкам листов даёт ровно эти листы. Охват с долготами за 180° (от 170 до 190) "
            "проходит через 180°.<br>"
            "<b>Как изданы</b>: каждый сдвоенный лист одним объектом вместо его частей.<br>"
            "На параллелях вершина через каждую минуту долготы, поэтому рамки остаются "
            "точными при перепроецировании."
        ),
    },
    "coverlayer": {
        "en": (
            "The sheets at the chosen scale that the points, lines or polygons of a layer meet, "
            "in any CRS, as a polygon layer like the sheet grid's with a field count: how many "
            "features meet each sheet.<br>"
            "Decided exactly, by the rule of a point: a point on a parallel belongs to the "
            "sheet south of it, on a meridian to the sheet east of it. Lines and polygons are "
            "straight in their coordinates, as QGIS draws them; in a GPX or KML layer, "
            "vertices more than 180° of longitude apart are joined across 180°, as a "
            "receiver records a crossing.<br>"
            "<b>Buffer</b>: widen every feature by this many metres first."
        ),
        "ru": (
            "Листы выбранного масштаба, которые задевают точки, линии или полигоны слоя в "
            "любой системе координат: полигональный слой, как у сетки листов, с полем count, "
            "числом объектов на каждом листе.<br>"
            "Решается точно, по правилу точки: точка на параллели принадлежит листу к югу от "
            "неё, на меридиане листу к востоку. Линии и полигоны прямые в своих координатах, "
            "как их рисует QGIS; в слое GPX или KML вершины, разнесённые больше чем на 180° "
            "по долготе, соединяются через 180°, как приёмник записывает переход.<br>"
            "<b>Буфер</b>: сначала расширить каждый объект на столько метров."
        ),
    },
    "sheetnames": {
        "en": (
            "Adds to every point the names of the sheets holding it at each chosen scale, two "
            "fields a scale: new_50k in the digit notation (14-37-004-3) and old_50k in the "
            "lettered one (N-37-4-В). A point on a parallel belongs to the sheet south of it, "
            "on a meridian to the sheet east of it. Points beyond 84°, without a geometry or "
            "of several parts get empty fields."
        ),
        "ru": (
            "Добавляет каждой точке номенклатуру листов, на которых она лежит, в каждом "
            "выбранном масштабе, по два поля на масштаб: new_50k в цифровой записи "
            "(14-37-004-3) и old_50k в буквенной (N-37-4-В). Точка на параллели принадлежит "
            "листу к югу от неё, на меридиане листу к востоку. Точки за 84°, без геометрии "
            "или из нескольких частей получают пустые поля."
        ),
    },
    "kmgrid": {
        "en": (
            "The kilometre grid of a sheet as the series prints it, as a line layer in the "
            "sheet's Gauss–Krüger zone (EPSG:28404–28432, or the same projection for zones "
            "without a code, on the 1942 datum): lines of X (northing) and Y (easting, the "
            "zone number in front) clipped to the frame, with the fields sheet, zone, axis, "
            "value (metres), full (kilometres as printed at the corners, 6182) and label (the "
            "two digits printed along the frame, 82).<br>"
            "<b>Sheet name</b>: any common spelling (N-37-4-В, n37-004-3, 14-37-004-3); a name "
            "that reads several ways is refused with its readings.<br>"
            "<b>Step</b>: empty for the printed grid, 1 km at 1:10 000–1:50 000 and 2 km at "
            "1:100 000; smaller scales need a step.<br>"
            "<b>Zone</b>: a neighbouring zone's grid, as sheets near a zone's edge show it."
        ),
        "ru": (
            "Километровая сетка листа, как она напечатана, линейным слоем в зоне "
            "Гаусса–Крюгера листа (EPSG:28404–28432 или та же проекция для зон без кода, "
            "система 1942 года): линии X (абсциссы) и Y (ординаты с номером зоны впереди), "
            "обрезанные рамкой, с полями sheet, zone, axis, value (метры), full (километры, "
            "как подписаны в углах, 6182) и label (две цифры у рамки, 82).<br>"
            "<b>Номенклатура</b>: в любой обычной записи (N-37-4-В, n37-004-3, 14-37-004-3); "
            "номенклатура с несколькими прочтениями отклоняется с их перечнем.<br>"
            "<b>Шаг</b>: пусто для напечатанной сетки, 1 км в масштабах 1:10 000–1:50 000 и "
            "2 км в 1:100 000; для мелких масштабов шаг нужно задать.<br>"
            "<b>Зона</b>: сетка соседней зоны, как на листах у края зоны."
        ),
    },
    "georeference": {
        "en": (
            "A scanned sheet as a GeoTIFF in the sheet's Gauss–Krüger zone. The sheet is read "
            "from the scan's file name (n37-004-3.tif, N-37-4-В 1985.png) unless a sheet name "
            "is given.<br>"
            "<b>Corners</b>: the pixels of the frame's four corners, north-west, north-east, "
            "south-east and south-west, each as column,row counted from the scan's top-left "
            "corner (120.5,98 3980,101 3990,4420 112,4415, or as kavu-sheet georef "
            "--corners takes them: 120.5,98,3980,101,3990,4420,112,4415).<br>"
            "The control points are exact: the corners and every kilometre-grid crossing inside "
            "the frame, placed on the scan by the projection, so an affine fit (GDAL, "
            "polynomial order 1) reproduces the printed frame.<br>"
            "<b>Cut to the frame</b>: the GeoTIFF spans the frame alone, as kavu-sheet georef "
            "--warp writes it, with nodata (0) outside it."
        ),
        "ru": (
            "Скан листа в формате GeoTIFF в зоне Гаусса–Крюгера листа. Номенклатура берётся "
            "из имени файла скана (n37-004-3.tif, N-37-4-В 1985.png), если не задана.<br>"
            "<b>Углы</b>: пиксели четырёх углов рамки, северо-западного, северо-восточного, "
            "юго-восточного и юго-западного, каждый как столбец,строка от левого верхнего угла "
            "скана (120.5,98 3980,101 3990,4420 112,4415 или, как в kavu-sheet georef "
            "--corners, 120.5,98,3980,101,3990,4420,112,4415).<br>"
            "Опорные точки точные: углы и все пересечения километровой сетки внутри рамки, "
            "размещённые на скане по проекции, поэтому аффинное преобразование (GDAL, "
            "полином первой степени) воспроизводит напечатанную рамку.<br>"
            "<b>Обрезать по рамке</b>: GeoTIFF занимает только рамку, как у kavu-sheet georef "
            "--warp, вне её нет данных (0)."
        ),
    },
}


def language():
    return "ru" if QgsApplication.locale().lower().startswith("ru") else "en"


def text(key, lang=None):
    return TEXTS[key][lang or language()]
