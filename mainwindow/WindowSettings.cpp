#include "mainwindow/WindowSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

namespace kavu {

std::optional<int> SettingToInt(const QString& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    // Positions were once stored as single-precision numbers: round them.
    const double r = std::round(v);
    if (r < std::numeric_limits<int>::min() || r > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(r);
}

std::optional<bool> SettingToBool(const QString& text) {
    const QString t = text.trimmed();
    for (const char* yes : {"true", "yes", "on"})
        if (t.compare(QLatin1String(yes), Qt::CaseInsensitive) == 0) return true;
    for (const char* no : {"false", "no", "off"})
        if (t.compare(QLatin1String(no), Qt::CaseInsensitive) == 0) return false;
    if (const auto n = SettingToInt(t)) return *n != 0;
    return std::nullopt;
}

namespace {

QString Text(QSettings& store, const char* key) {
    const QVariant v = store.value(QLatin1String(key));
    return v.isValid() ? v.toString() : QString();
}

int ReadInt(QSettings& store, const char* key, int fallback, int lo, int hi) {
    const auto v = SettingToInt(Text(store, key));
    return v && *v >= lo && *v <= hi ? *v : fallback;
}

std::optional<double> ReadDouble(QSettings& store, const char* key, double lo, double hi) {
    bool ok = false;
    const double v = Text(store, key).trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v) || v < lo || v > hi) return std::nullopt;
    return v;
}

bool ReadBool(QSettings& store, const char* key, bool fallback) {
    return SettingToBool(Text(store, key)).value_or(fallback);
}

QString BoolText(bool b) {
    return b ? QStringLiteral("True") : QStringLiteral("False");
}

StoreFailure Failed(const QString& path, int error) {
    return {path, error, QString::fromLocal8Bit(std::strerror(error))};
}

// QSettings tells only that it could not write; trying what it tried tells why.
std::optional<StoreFailure> Status(QSettings& store) {
    store.sync();
    if (store.status() == QSettings::NoError) return std::nullopt;
    const QString path = store.fileName();
    const QFileInfo file(path);
    if (file.isDir()) return Failed(path, EISDIR);
    QString dir = file.absolutePath();
    while (!QFileInfo::exists(dir) && QFileInfo(dir).dir().path() != dir)
        dir = QFileInfo(dir).dir().path();
    if (!QFileInfo(dir).isDir()) return Failed(path, ENOTDIR);
    if (dir != file.absolutePath()) return Failed(path, ENOENT);
    errno = 0;
    QTemporaryFile probe(file.absolutePath() + QStringLiteral("/XXXXXX"));
    if (!probe.open()) return StoreFailure{path, errno, probe.errorString()};
    QFile existing(path);
    errno = 0;
    if (file.exists() && !existing.open(QIODevice::ReadWrite | QIODevice::Append))
        return StoreFailure{path, errno, existing.errorString()};
    return StoreFailure{path, 0, QString()};
}

} // namespace

WindowSettings ReadWindowSettings(QSettings& store) {
    WindowSettings s;
    store.beginGroup(kSettingsSection);
    s.Language = ReadInt(store, "Language", s.Language, 1, 2);
    s.Action = ReadInt(store, "Action", s.Action, 1, 3);
    s.AlwaysOnTop = ReadBool(store, "AlwaysOnTop", s.AlwaysOnTop);
    s.SaveSettings = ReadBool(store, "SaveSettings", s.SaveSettings);
    constexpr int lo = std::numeric_limits<int>::min(), hi = std::numeric_limits<int>::max();
    s.Left = ReadInt(store, "Left", s.Left, lo, hi);
    s.Top = ReadInt(store, "Top", s.Top, lo, hi);
    s.PasteWgs84 = ReadBool(store, "PasteWgs84", s.PasteWgs84);
    s.MapLeft = ReadInt(store, "MapLeft", 0, lo, hi);
    s.MapTop = ReadInt(store, "MapTop", 0, lo, hi);
    s.MapWidth = ReadInt(store, "MapWidth", 0, 100, 16384);
    s.MapHeight = ReadInt(store, "MapHeight", 0, 100, 16384);
    if (s.MapWidth == 0 || s.MapHeight == 0) s.MapWidth = s.MapHeight = 0;
    const auto latitude = ReadDouble(store, "MapLatitude", -85, 85);
    const auto longitude = ReadDouble(store, "MapLongitude", -180, 180);
    const auto zoom = ReadDouble(store, "MapZoom", 1, 400000);
    if (latitude && longitude && zoom) {
        s.MapLatitude = *latitude;
        s.MapLongitude = *longitude;
        s.MapZoom = *zoom;
    }
    store.endGroup();
    return s;
}

std::optional<StoreFailure> WriteWindowSettings(QSettings& store, const WindowSettings& s) {
    store.beginGroup(kSettingsSection);
    store.setValue(QStringLiteral("Action"), QString::number(s.Action));
    store.setValue(QStringLiteral("AlwaysOnTop"), BoolText(s.AlwaysOnTop));
    store.setValue(QStringLiteral("Language"), QString::number(s.Language));
    store.setValue(QStringLiteral("SaveSettings"), BoolText(s.SaveSettings));
    store.setValue(QStringLiteral("Left"), QString::number(s.Left));
    store.setValue(QStringLiteral("Top"), QString::number(s.Top));
    store.setValue(QStringLiteral("PasteWgs84"), BoolText(s.PasteWgs84));
    if (s.MapWidth > 0 && s.MapHeight > 0) {
        store.setValue(QStringLiteral("MapLeft"), QString::number(s.MapLeft));
        store.setValue(QStringLiteral("MapTop"), QString::number(s.MapTop));
        store.setValue(QStringLiteral("MapWidth"), QString::number(s.MapWidth));
        store.setValue(QStringLiteral("MapHeight"), QString::number(s.MapHeight));
    }
    if (s.MapZoom > 0) {
        store.setValue(QStringLiteral("MapLatitude"), QString::number(s.MapLatitude, 'f', 6));
        store.setValue(QStringLiteral("MapLongitude"), QString::number(s.MapLongitude, 'f', 6));
        store.setValue(QStringLiteral("MapZoom"), QString::number(s.MapZoom, 'g', 8));
    }
    store.endGroup();
    return Status(store);
}

std::optional<StoreFailure> DeleteWindowSettings(QSettings& store) {
    store.beginGroup(kSettingsSection);
    store.remove(QString());
    store.endGroup();
    return Status(store);
}

} // namespace kavu
