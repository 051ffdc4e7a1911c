#include "controls/ctlLst/ctlLstLogic.h"

#include "engine/sheet.h"
#include "engine/tables.h"

namespace kavu {

std::optional<ctlLstShown> ctlLstLogic::Calculate(std::string_view NS, std::int32_t Latitude,
                                                  std::string_view EW,
                                                  std::int32_t Longitude) const {
    // The box shows the window's scales only; the engine knows larger ones.
    if (caliber_ < 1 || caliber_ > kScaleCount) return std::nullopt;
    return Show(SheetOfPoint(NS, Latitude, EW, Longitude, caliber_));
}

std::optional<ctlLstShown> ctlLstLogic::Calculate(const ExactPoint& point) const {
    if (caliber_ < 1 || caliber_ > kScaleCount) return std::nullopt;
    return Show(SheetOfExactPoint(point, caliber_));
}

std::optional<ctlLstShown> ctlLstLogic::Show(const std::optional<PointSheet>& sheet) const {
    if (!sheet) return std::nullopt;
    ctlLstShown shown;
    shown.RedText = sheet->LatitudeJunction;
    shown.YellowBack = sheet->LongitudeJunction;
    shown.Text = standard_ == 1 ? FormatSheetNew(sheet->Key) : FormatSheetOld(sheet->Key);
    return shown;
}

} // namespace kavu
