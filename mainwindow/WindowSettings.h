// What the window remembers between runs, in the per-user store: application "Velmora",
// section "Kavu 1.0", every value a text.
#pragma once

#include <QString>

#include <optional>

class QSettings;

namespace kavu {

inline constexpr int kCentred = -32768; // "Left"/"Top" meaning: centre the window

struct WindowSettings {
    int Language = 1; // 1 Russian, 2 English
    int Action = 1;   // the view: 1 sheet to coordinates, 2 coordinates to sheet, 3 neighbours
    bool AlwaysOnTop = false;
    bool SaveSettings = false;
    int Left = kCentred; // outer left edge, twips
    int Top = kCentred;  // outer top edge, twips
    // A pasted point is WGS 84 and is converted to the 1942 datum.
    bool PasteWgs84 = false;
    // The map window: outer geometry in pixels (Width 0: never placed), and the view's centre
    // in degrees and zoom in pixels per degree of latitude (Zoom 0: none kept).
    int MapLeft = 0, MapTop = 0, MapWidth = 0, MapHeight = 0;
    double MapLatitude = 0, MapLongitude = 0, MapZoom = 0;
};

/// The section every key lives in.
inline const QString kSettingsSection = QStringLiteral("Kavu 1.0");

/// Reads "Language", "Action", "AlwaysOnTop", "SaveSettings", "Left", "Top", "PasteWgs84",
/// then the map's "MapLeft", "MapTop", "MapWidth", "MapHeight", "MapLatitude", "MapLongitude",
/// "MapZoom", in this order. A key that is absent, does not convert, or lies outside what the
/// program writes (Language 1..2, Action 1..3, a 32-bit position, a map size of 100..16384
/// pixels, latitude within ±85, longitude within ±180, zoom 1..400000) gives that key's
/// default; the map's size and its view are kept or dropped as a whole.
WindowSettings ReadWindowSettings(QSettings& store);

/// Why the store could not be written: the file, the errno that trying it again gives, and the
/// system's text for it.
struct StoreFailure {
    QString path;
    int error = 0;
    QString systemText;
};

/// Writes "Action", "AlwaysOnTop", "Language", "SaveSettings", "Left", "Top", "PasteWgs84" in
/// this order, then the map's keys when the map has a size, as decimal texts and "True"/"False".
/// Nothing when the store took them, else why not.
std::optional<StoreFailure> WriteWindowSettings(QSettings& store, const WindowSettings& settings);

/// Removes the whole section; a section that is not there is not an error.
std::optional<StoreFailure> DeleteWindowSettings(QSettings& store);

/// The conversions of stored texts, exposed for tests: nothing when the text does not convert.
/// Booleans read "True"/"False", "yes"/"no", "on"/"off" in any case, and numbers (0 is false).
std::optional<int> SettingToInt(const QString& text);
std::optional<bool> SettingToBool(const QString& text);

} // namespace kavu
