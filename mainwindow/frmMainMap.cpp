// The window's side of the map: the menu entry, what the map is told when the window changes,
// what a click on the map fills in, and the map's settings.
#include "mainwindow/ClipboardTexts.h"
#include "mainwindow/WindowSettings.h"
#include "mainwindow/frmMain.h"
#include "mapview/MapWindow.h"

namespace kavu {

void frmMain::mnuMap_Click() {
    if (!map_) {
        map_ = std::make_unique<map::MapWindow>();
        const WindowSettings& s = *mapSettings_;
        if (s.MapWidth > 0) map_->setGeometry(s.MapLeft, s.MapTop, s.MapWidth, s.MapHeight);
        map_->SetLanguage(languageIndex_);
        // With nothing in the boxes the map opens where it was left.
        if (s.MapZoom > 0 &&
            !(currentView_ == 1 ? shownSheet_.has_value() : shownPoint_.has_value())) {
            map_->View().SetCentre({s.MapLatitude, s.MapLongitude});
            map_->View().SetPixelsPerDegree(s.MapZoom);
        }
        connect(map_.get(), &map::MapWindow::SheetPicked, this, [this](const SheetKey& key) {
            const PasteAnswer answer = ReadPasted(QString::fromStdString(FormatSheetNew(key)));
            if (answer.What != PasteAnswer::Kind::Sheet || answer.Sheets.empty()) return;
            const PastedSheet* chosen = &answer.Sheets.front();
            for (const PastedSheet& reading : answer.Sheets)
                if (reading.Shown == key) chosen = &reading;
            FillSheet(*chosen);
        });
        connect(map_.get(), &map::MapWindow::PointPicked, this,
                [this](const ExactPoint& point) { FillPoint(PointBoxes(point)); });
        UpdateMap(true);
    }
    map_->show();
    map_->raise();
    map_->activateWindow();
}

void frmMain::UpdateMap(bool follow) {
    if (!map_) return;
    if (currentView_ == 1)
        map_->ShowSheet(shownSheet_, follow);
    else
        map_->ShowPoint(shownPoint_, follow);
}

void frmMain::KeepMapSettings(WindowSettings& s) const {
    if (!map_) {
        const WindowSettings& kept = *mapSettings_;
        s.MapLeft = kept.MapLeft;
        s.MapTop = kept.MapTop;
        s.MapWidth = kept.MapWidth;
        s.MapHeight = kept.MapHeight;
        s.MapLatitude = kept.MapLatitude;
        s.MapLongitude = kept.MapLongitude;
        s.MapZoom = kept.MapZoom;
        return;
    }
    const QRect g = map_->geometry();
    s.MapLeft = g.left();
    s.MapTop = g.top();
    s.MapWidth = g.width();
    s.MapHeight = g.height();
    s.MapLatitude = map_->View().Centre().Latitude;
    s.MapLongitude = map_->View().Centre().Longitude;
    s.MapZoom = map_->View().PixelsPerDegree();
}

} // namespace kavu
