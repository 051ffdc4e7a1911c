#include "mainwindow/ClipboardTexts.h"

#include "engine/published.h"
#include "engine/readers.h"
#include "engine/tables.h"
#include "resultlog/clsRSLT.h"

#include <QStringList>

#include <cmath>
#include <string_view>

namespace kavu {

namespace {

constexpr std::int64_t kUnitsPerMinute = 60 * kUnitsPerSecond;
constexpr std::int64_t kUnitsPerDegree = 3600 * kUnitsPerSecond;

QString Q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

TwoLanguages Both(const QString& russian, const QString& english) {
    return TwoLanguages{{QString(), russian, english}};
}

QString ScaleText(int scale) {
    if (!ScaleName(scale).empty()) return Q(ScaleName(scale));
    return scale == 6 ? QStringLiteral("1:25000") : QStringLiteral("1:10000");
}

// A designation inside a sentence: without the blank a northern one starts with.
QString Designation(const std::string& text) {
    return Q(text).trimmed();
}

// What a user would have typed: the lettered forms when the text began with a row letter.
bool WrittenWithLetters(std::string_view t) {
    if (t.empty()) return false;
    const unsigned char c = static_cast<unsigned char>(t[0]);
    if (c >= '0' && c <= '9') return false;
    const auto digitAt = [&t](std::size_t i) { return i < t.size() && t[i] >= '0' && t[i] <= '9'; };
    // "s 14-37" and "x14-37" are southern digit designations; "s53-016" is row S.
    if (c == 's' && t.size() > 1 && t[1] == ' ') return !digitAt(2);
    if (c == 'x' || c == 'X') return !(digitAt(1) || (t.size() > 1 && t[1] == ' ' && digitAt(2)));
    return true;
}

std::array<QString, 5> BoxTexts(const SheetKey& k, bool letters) {
    std::array<QString, 5> box;
    box[1] = Q(letters ? RowLetter(k.Row) : NumberText(k.Row));
    box[2] = Q(NumberText(k.Column));
    switch (k.Scale) {
    case 2:
        box[3] = Q(letters ? QuarterLetter(k.SubSheet) : NumberText(k.SubSheet));
        break;
    case 3:
        box[3] = Q(letters ? RomanText(k.SubSheet) : Number2Text(k.SubSheet));
        break;
    case 4:
    case 5:
        box[3] = Q(Number3Text(k.SubSheet));
        break;
    default:
        break;
    }
    if (k.Scale == 5) box[4] = Q(letters ? QuarterLetter(k.Quarter) : NumberText(k.Quarter));
    return box;
}

PastedSheet SheetOf(const DesignationReading& r, bool letters) {
    PastedSheet p;
    p.Shown = r.Key;
    const bool larger = r.Key.Scale > kScaleCount;
    if (larger) {
        p.Shown.Scale = 5;
        p.Shown.Quarter25 = 0;
        p.Shown.Quarter10 = 0;
    }
    p.Boxes = BoxTexts(p.Shown, letters);
    const QString shown = Designation(FormatSheetOld(p.Shown));
    const QString scale = ScaleText(r.Key.Scale);
    if (r.Joined) {
        p.Label = Designation(r.Published.New) + QStringLiteral(" ( ") +
                  Designation(r.Published.Old) + QStringLiteral(" )   ") + scale;
        const QString name = Designation(r.Published.Old);
        p.Note =
            larger ? Both(name + QStringLiteral(" — объединённый лист ") + scale +
                              QStringLiteral(": показан лист 1:50000 его первого листа, ") + shown,
                          name + QStringLiteral(" is a joined ") + scale +
                              QStringLiteral(" sheet: shown is the 1:50000 sheet of its "
                                             "first sheet, ") +
                              shown)
                   : Both(name +
                              QStringLiteral(" — объединённый лист: показан его первый "
                                             "лист, ") +
                              shown,
                          name +
                              QStringLiteral(" is a joined sheet: shown is its first "
                                             "sheet, ") +
                              shown);
        return p;
    }
    p.Label = Designation(FormatSheetNew(r.Key)) + QStringLiteral(" ( ") +
              Designation(FormatSheetOld(r.Key)) + QStringLiteral(" )   ") + scale;
    if (larger) {
        const QString name = Designation(FormatSheetOld(r.Key));
        p.Note = Both(name + QStringLiteral(" — лист ") + scale +
                          QStringLiteral(": показан его лист 1:50000, ") + shown,
                      name + QStringLiteral(" is a ") + scale +
                          QStringLiteral(" sheet: shown is its 1:50000 sheet, ") + shown);
    }
    return p;
}

// Which reader's complaint to show when neither reads the text: the one that got further into
// it, and on a tie the point reader for a text that looks like coordinates.
bool LooksLikePoint(const QString& t) {
    for (const QChar c : t)
        if (c == QChar(0x00B0) || c == QChar(0x2032) || c == QChar(0x2033) ||
            c == QLatin1Char('\'') || c == QLatin1Char('"'))
            return true;
    bool letters = t.front().isLetter(), dashed = false, decimal = false, lettered = false;
    for (qsizetype i = 1; i + 1 < t.size(); ++i) {
        const QChar c = t[i], before = t[i - 1], after = t[i + 1];
        letters = letters || c.isLetter();
        const bool separator = c == QLatin1Char('-') || c == QChar(0x2013) || c == QChar(0x2014) ||
                               c == QLatin1Char('_') || c == QLatin1Char('+');
        dashed = dashed || (separator && before.isDigit());
        lettered = lettered || (separator && (before.isLetter() || after.isLetter()));
        decimal = decimal || ((c == QLatin1Char('.') || c == QLatin1Char(',')) &&
                              before.isDigit() && after.isDigit());
    }
    letters = letters || t.back().isLetter();
    // Bare numbers are a point out of range more often than a designation ("91 37"); a letter
    // joined to a field by a dash is a designation ("P-37,39").
    return (decimal && !lettered) || (!letters && !dashed);
}

PasteAnswer Reject(const TwoLanguages& message) {
    PasteAnswer a;
    a.Message = message;
    return a;
}

std::int64_t Magnitude(std::int64_t v) {
    return v < 0 ? -v : v;
}

// Degrees through the datum shift and back into units; the longitude comes back in
// [-180, 180) so that the 180-degree meridian stays in column 1.
bool Shift(ExactPoint& p, const DatumShiftFunction& shift) {
    double lat = static_cast<double>(p.Latitude) / static_cast<double>(kUnitsPerDegree);
    double lon = static_cast<double>(p.Longitude) / static_cast<double>(kUnitsPerDegree);
    if (!shift(lat, lon) || !std::isfinite(lat) || !std::isfinite(lon) || std::fabs(lat) > 90.0)
        return false;
    lon = std::remainder(lon, 360.0);
    p.Latitude = std::llround(lat * static_cast<double>(kUnitsPerDegree));
    p.Longitude = std::llround(lon * static_cast<double>(kUnitsPerDegree));
    return true;
}

} // namespace

PastedPoint PointBoxes(ExactPoint p) {
    // 180 degrees E is the meridian 180 degrees W, which the boxes can hold.
    if (p.Longitude == 180 * kUnitsPerDegree) p.Longitude = -p.Longitude;
    PastedPoint b;
    b.Point = p;
    b.South = p.Latitude < 0;
    b.West = p.Longitude < 0;
    const std::int64_t lat = Magnitude(p.Latitude), lon = Magnitude(p.Longitude);
    b.LatitudeDegrees = static_cast<int>(lat / kUnitsPerDegree);
    b.LatitudeMinutes = static_cast<int>(lat % kUnitsPerDegree / kUnitsPerMinute);
    b.LongitudeDegrees = static_cast<int>(lon / kUnitsPerDegree);
    b.LongitudeMinutes = static_cast<int>(lon % kUnitsPerDegree / kUnitsPerMinute);
    return b;
}

QString ExactAngleText(char letter, std::int64_t units) {
    units = Magnitude(units);
    const auto whole = static_cast<std::int32_t>(units / kUnitsPerSecond);
    const auto hundredths = static_cast<int>(units % kUnitsPerSecond / (kUnitsPerSecond / 100));
    const std::string_view l = LetterText(letter);
    if (hundredths == 0) return Q(FormatAngle(l, whole, true, false));
    QString text = Q(FormatAngle(l, whole, true, true));
    QString fraction = QStringLiteral(".%1").arg(hundredths, 2, 10, QLatin1Char('0'));
    if (fraction.endsWith(QLatin1Char('0'))) fraction.chop(1);
    text.insert(text.size() - 1, fraction);
    return text;
}

QString ExactPointText(const ExactPoint& p) {
    return ExactAngleText(p.Latitude < 0 ? 'S' : 'N', p.Latitude) + QLatin1Char(' ') +
           ExactAngleText(p.Longitude < 0 ? 'W' : 'E', p.Longitude);
}

ExactPoint BoxPoint(bool south, std::int32_t latitude, bool west, std::int32_t longitude) {
    return {(south ? -1 : 1) * std::int64_t{latitude} * kUnitsPerSecond,
            (west ? -1 : 1) * std::int64_t{longitude} * kUnitsPerSecond};
}

PasteAnswer ReadPasted(const QString& text, const DatumShiftFunction& wgs84,
                       const GridConversion& grid) {
    // Tabs, line ends and no-break blanks from web pages and spreadsheets count as blanks.
    const QString t = text.simplified();
    if (t.isEmpty())
        return Reject(Both(QStringLiteral("В буфере обмена нет текста"),
                           QStringLiteral("The clipboard holds no text")));
    const QByteArray utf8 = t.toUtf8();
    const std::string_view bytes(utf8.constData(), static_cast<std::size_t>(utf8.size()));

    const DesignationResult designation = ReadDesignation(bytes);
    if (designation.Ok()) {
        PasteAnswer a;
        a.What = PasteAnswer::Kind::Sheet;
        const bool letters = WrittenWithLetters(bytes);
        for (const DesignationReading& r : designation.Readings) {
            PastedSheet s = SheetOf(r, letters);
            bool same = false;
            for (const PastedSheet& earlier : a.Sheets)
                same = same || earlier.Shown == s.Shown;
            if (!same) a.Sheets.push_back(std::move(s));
        }
        return a;
    }

    PointResult point = ReadPoint(bytes);
    bool fromGrid = false;
    if (!point.Ok) {
        const RectangularResult rectangular = ReadRectangular(bytes);
        if (rectangular.Rectangular) {
            const RectangularPoint& r = rectangular.Point;
            const QString typed = GridPointText(r.X, r.Y);
            if (!rectangular.Ok)
                return Reject(Both(QStringLiteral("Это не номер листа и не координаты: ") +
                                       Q(rectangular.Error.Russian),
                                   QStringLiteral("Not a sheet name or a point: ") +
                                       Q(rectangular.Error.English)));
            double latitude = 0, longitude = 0;
            if (!grid.Inverse || !grid.Inverse(r, latitude, longitude))
                return Reject(Both(QStringLiteral("Точку ") + typed +
                                       QStringLiteral(" не удалось пересчитать"),
                                   QStringLiteral("The point ") + typed +
                                       QStringLiteral(" could not be converted")));
            point.Ok = fromGrid = true;
            point.Point = {std::llround(latitude * 3600 * 1e9),
                           std::llround(longitude * 3600 * 1e9)};
        }
    }
    if (!point.Ok) {
        const ReadError& d = designation.Error;
        const ReadError& p = point.Error;
        const bool usePoint =
            p.Position != d.Position ? p.Position > d.Position : LooksLikePoint(t);
        const ReadError& e = usePoint ? p : d;
        return Reject(Both(QStringLiteral("Это не номер листа и не координаты: ") + Q(e.Russian),
                           QStringLiteral("Not a sheet name or a point: ") + Q(e.English)));
    }

    ExactPoint p = point.Point;
    const QString typed = ExactPointText(p);
    if (wgs84 && !fromGrid && !Shift(p, wgs84))
        return Reject(Both(QStringLiteral("Точку ") + typed +
                               QStringLiteral(" не удалось пересчитать из WGS 84"),
                           QStringLiteral("The point ") + typed +
                               QStringLiteral(" could not be converted from WGS 84")));
    if (!SheetOfExactPoint(p, 1))
        return Reject(Both(QStringLiteral("Точка ") + ExactPointText(p) +
                               QStringLiteral(" лежит вне листов серии (до 84°)"),
                           QStringLiteral("The point ") + ExactPointText(p) +
                               QStringLiteral(" lies beyond the sheets of the series (84°)")));

    PasteAnswer a;
    a.What = PasteAnswer::Kind::Point;
    a.Point = PointBoxes(p);
    const QString shown = ExactPointText(a.Point.Point);
    a.Message = wgs84 && !fromGrid
                    ? Both(QStringLiteral("Пересчитано из WGS 84 в СК-42: ") + shown,
                           QStringLiteral("Converted from WGS 84 to the 1942 datum: ") + shown)
                    : Both(QStringLiteral("Точка ") + shown, QStringLiteral("Point ") + shown);
    return a;
}

QString CopyText(const SheetView& v, int language) {
    const auto L = [language](int slot) { return clsRSLT::Label(language, slot); };
    const QChar nl = QLatin1Char('\n'), blank = QLatin1Char(' ');
    QString text = L(0) + v.New + QStringLiteral(" (") + v.Old + QStringLiteral(" )") + nl + L(1) +
                   v.Scale + nl + L(2) + nl + L(3) + v.Y1 + blank + v.X1 + nl + L(4) + v.Y2 +
                   blank + v.X2 + nl + L(5) + v.Y0 + blank + v.X0 + nl;
    for (int i = 0; i < 3; ++i)
        if (!v.Grid[static_cast<std::size_t>(i)].isEmpty())
            text += L(3 + i) + v.Grid[static_cast<std::size_t>(i)] + nl;
    return text;
}

QString GridPointText(double x, double y) {
    const auto grouped = [](double metres) {
        const long long whole = std::llround(metres);
        QString digits = QString::number(whole < 0 ? -whole : whole);
        for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
            digits.insert(at, QLatin1Char(' '));
        return whole < 0 ? QLatin1Char('-') + digits : digits;
    };
    return QStringLiteral("X ") + grouped(x) + QStringLiteral("  Y ") + grouped(y);
}

std::array<QString, 3> SheetGridTexts(const SheetKey& key, const GridConversion& grid) {
    std::array<QString, 3> texts;
    const std::optional<SignedFrame> f = ComputeSignedFrame(key);
    if (!grid.Forward || !f || !IsSheetKey(key)) return texts;
    // Every sheet of a column lies in one zone: column c is zone c - 30 east of Greenwich.
    const int zone = key.Column > 30 ? key.Column - 30 : key.Column + 30;
    const double n = f->North / 3600.0, s = f->South / 3600.0, w = f->West / 3600.0,
                 e = f->East / 3600.0;
    const double points[3][2] = {{n, w}, {s, e}, {(n + s) / 2, (w + e) / 2}};
    for (std::size_t i = 0; i < 3; ++i) {
        double x = 0, y = 0;
        if (!grid.Forward(zone, points[i][0], points[i][1], x, y)) return {};
        texts[i] = GridPointText(x, y);
    }
    return texts;
}

QString CopyText(const PointView& v, int language) {
    const QChar nl = QLatin1Char('\n');
    QString text = clsRSLT::Label(language, 6) + v.Y + QLatin1Char(' ') + v.X + nl +
                   clsRSLT::Label(language, 7) + nl;
    for (std::size_t i = 1; i <= kScaleCount; ++i)
        text += ScaleText(static_cast<int>(i)).leftJustified(clsRSLT::kScaleColumn) +
                QLatin1Char(' ') + v.New[i] + QStringLiteral(" (") + v.Old[i] +
                QStringLiteral(" )") + nl;
    return text;
}

QString CopyText(const NeighbourGrid& grid) {
    if (!grid.Valid) return {};
    QString text = ScaleText(grid.Key.Scale) + QLatin1Char('\n');
    for (int k = 1; k <= 9; ++k) {
        const NeighbourCell& c = grid.Cell(k);
        if (c.Present)
            text += Designation(c.New) + QStringLiteral(" ( ") + Designation(c.Old) +
                    QStringLiteral(" )");
        text += QLatin1Char(k % 3 == 0 ? '\n' : '\t');
    }
    return text;
}

QString LargerScalesText(const ExactPoint& point, int language) {
    const auto line = [](int scale, const QString& New, const QString& Old) {
        return ScaleText(scale).leftJustified(clsRSLT::kScaleColumn) + QLatin1Char(' ') + New +
               QStringLiteral(" (") + Old + QStringLiteral(" )");
    };
    QStringList lines;
    for (int scale : {6, 7}) {
        const std::optional<PointSheet> s = SheetOfExactPoint(point, scale);
        if (!s) return {};
        lines << line(scale, Q(FormatSheetNew(s->Key)), Q(FormatSheetOld(s->Key)));
    }
    // Where the series was printed joined, every scale down to 1:25,000 is.
    const std::optional<PointSheet> top = SheetOfExactPoint(point, 1);
    const std::optional<PublishedSheet> joined = top ? PublishedSheetOf(top->Key) : std::nullopt;
    if (joined && joined->Joined()) {
        lines << (language == 2 ? QStringLiteral("Printed as joined sheets:")
                                : QStringLiteral("Изданы объединёнными листами:"));
        for (int scale = 1; scale <= 6; ++scale) {
            const std::optional<PointSheet> s = SheetOfExactPoint(point, scale);
            const std::optional<PublishedSheet> p = s ? PublishedSheetOf(s->Key) : std::nullopt;
            if (p && p->Joined()) lines << line(scale, Q(p->New), Q(p->Old));
        }
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace kavu
