// The two worked examples of the export file, shared by the log's and the window's tests.
#pragma once

#include <QByteArray>
#include <QString>

namespace kavu::examples {

using namespace Qt::StringLiterals;

// Windows-1251 by hand, so the expected bytes do not come from the encoder under test.
inline QByteArray Cp1251(const QString& text) {
    QByteArray out;
    for (const char16_t u : text.toStdU16String())
        out += static_cast<char>(u < 0x80 || u == 0xB0 ? u : u - 0x410 + 0xC0);
    return out;
}

inline const QString kSheetRu = u"Лист  14-37 ( N-37 )\r\n"
                                "масштаб 1:1000000\r\n"
                                "координаты:\r\n"
                                "верхний левый угол: N 56° 00' E 36° 00'\r\n"
                                "нижний правый угол: N 52° 00' E 42° 00'\r\n"
                                "центр листа:        N 54° 00' E 39° 00'\r\n\r\n"_s;
inline const QString kSheetEn = u"Sheet  14-37 ( N-37 )\r\n"
                                "scale 1:1000000\r\n"
                                "coordinates:\r\n"
                                "upper left corner:  N 56° 00' E 36° 00'\r\n"
                                "lower right corner: N 52° 00' E 42° 00'\r\n"
                                "sheet centre:       N 54° 00' E 39° 00'\r\n\r\n"_s;
inline const QString kPointSheets = u"1:1000000  14-37 ( N-37 )\r\n"
                                    "1:500000   14-37-1 ( N-37-А )\r\n"
                                    "1:200000   14-37-02 ( N-37-II )\r\n"
                                    "1:100000   14-37-004 ( N-37-4 )\r\n"
                                    "1:50000    14-37-004-3 ( N-37-4-В )\r\n\r\n"_s;
inline const QString kPointRu =
    u"Точка с координатами N 55° 45' E 37° 37'\r\nнаходится на листах: \r\n"_s + kPointSheets;
inline const QString kPointEn =
    u"Point with coordinates N 55° 45' E 37° 37'\r\nlies on the sheets: \r\n"_s + kPointSheets;

} // namespace kavu::examples
