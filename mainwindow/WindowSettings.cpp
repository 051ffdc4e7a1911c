#include "mainwindow/WindowSettings.h"

#include <QSettings>

#include <cmath>
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
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
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

bool ReadBool(QSettings& store, const char* key, bool fallback) {
    return SettingToBool(Text(store, key)).value_or(fallback);
}

QString BoolText(bool b) {
    return b ? QStringLiteral("True") : QStringLiteral("False");
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
    store.endGroup();
    return s;
}

void WriteWindowSettings(QSettings& store, const WindowSettings& s) {
    store.beginGroup(kSettingsSection);
    store.setValue(QStringLiteral("Action"), QString::number(s.Action));
    store.setValue(QStringLiteral("AlwaysOnTop"), BoolText(s.AlwaysOnTop));
    store.setValue(QStringLiteral("Language"), QString::number(s.Language));
    store.setValue(QStringLiteral("SaveSettings"), BoolText(s.SaveSettings));
    store.setValue(QStringLiteral("Left"), QString::number(s.Left));
    store.setValue(QStringLiteral("Top"), QString::number(s.Top));
    store.setValue(QStringLiteral("PasteWgs84"), BoolText(s.PasteWgs84));
    store.endGroup();
    store.sync();
}

void DeleteWindowSettings(QSettings& store) {
    store.beginGroup(kSettingsSection);
    store.remove(QString());
    store.endGroup();
    store.sync();
}

} // namespace kavu
