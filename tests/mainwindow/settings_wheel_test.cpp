#include "mainwindow/WindowSettings.h"
#include "mainwindow/modMouseWheel.h"

#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kavu;

namespace {

struct Store {
    QTemporaryDir dir;
    QSettings settings{dir.filePath(QStringLiteral("Velmora.ini")), QSettings::IniFormat};
    void Put(const char* key, const QString& value) {
        settings.beginGroup(kSettingsSection);
        settings.setValue(QLatin1String(key), value);
        settings.endGroup();
    }
};

} // namespace

TEST(WindowSettings, EmptyStoreGivesTheDefaults) {
    Store s;
    const WindowSettings w = ReadWindowSettings(s.settings);
    EXPECT_EQ(w.Language, 1);
    EXPECT_EQ(w.Action, 1);
    EXPECT_FALSE(w.AlwaysOnTop);
    EXPECT_FALSE(w.SaveSettings);
    EXPECT_EQ(w.Left, kCentred);
    EXPECT_EQ(w.Top, kCentred);
}

TEST(WindowSettings, RoundTripAsTexts) {
    Store s;
    WindowSettings w;
    w.Language = 2;
    w.Action = 3;
    w.AlwaysOnTop = true;
    w.SaveSettings = true;
    w.Left = 1500;
    w.Top = -45;
    WriteWindowSettings(s.settings, w);
    s.settings.beginGroup(kSettingsSection);
    EXPECT_EQ(s.settings.value("Action").toString(), "3");
    EXPECT_EQ(s.settings.value("AlwaysOnTop").toString(), "True");
    EXPECT_EQ(s.settings.value("Language").toString(), "2");
    EXPECT_EQ(s.settings.value("SaveSettings").toString(), "True");
    EXPECT_EQ(s.settings.value("Left").toString(), "1500");
    EXPECT_EQ(s.settings.value("Top").toString(), "-45");
    s.settings.endGroup();
    const WindowSettings r = ReadWindowSettings(s.settings);
    EXPECT_EQ(r.Language, 2);
    EXPECT_EQ(r.Action, 3);
    EXPECT_TRUE(r.AlwaysOnTop);
    EXPECT_TRUE(r.SaveSettings);
    EXPECT_EQ(r.Left, 1500);
    EXPECT_EQ(r.Top, -45);

    DeleteWindowSettings(s.settings);
    EXPECT_TRUE(s.settings.allKeys().isEmpty());
    DeleteWindowSettings(s.settings); // nothing left to delete: no harm
    EXPECT_EQ(ReadWindowSettings(s.settings).Language, 1);
}

TEST(WindowSettings, ValuesThatDoNotConvertOrFitFallBackPerKey) {
    Store s;
    s.Put("Language", "3");
    s.Put("Action", "zwei");
    s.Put("AlwaysOnTop", "maybe");
    s.Put("SaveSettings", "true");
    s.Put("Left", "99999999999");
    s.Put("Top", "1234.6");
    const WindowSettings w = ReadWindowSettings(s.settings);
    EXPECT_EQ(w.Language, 1);
    EXPECT_EQ(w.Action, 1);
    EXPECT_FALSE(w.AlwaysOnTop);
    EXPECT_TRUE(w.SaveSettings);
    EXPECT_EQ(w.Left, kCentred);
    EXPECT_EQ(w.Top, 1235);
    for (const char* bad : {"", "0", "4", "-1", "1e9", "nan"}) {
        s.Put("Action", bad);
        EXPECT_EQ(ReadWindowSettings(s.settings).Action, 1) << bad;
    }
    EXPECT_EQ(SettingToBool("0"), false);
    EXPECT_EQ(SettingToBool("-1"), true);
    EXPECT_FALSE(SettingToBool("").has_value());
    EXPECT_FALSE(SettingToInt("inf").has_value());
}

TEST(WheelNotches, WholeNotchesStepOnceWhateverTheirCount) {
    WheelNotches w;
    for (int d : {120, 240, 360, 480})
        EXPECT_EQ(w.Steps(d, false), 1) << d;
    for (int d : {-120, -240, -360})
        EXPECT_EQ(w.Steps(d, false), -1) << d;
    EXPECT_EQ(w.Steps(0, false), 0);
    EXPECT_EQ(w.Steps(120, true), 0); // a key or button held
}

TEST(WheelNotches, FineDeltasAddUpPerDirection) {
    WheelNotches w;
    EXPECT_EQ(w.Steps(40, false), 0);
    EXPECT_EQ(w.Steps(40, false), 0);
    EXPECT_EQ(w.Steps(50, false), 1);  // 130: one step, 10 left over
    EXPECT_EQ(w.Steps(-50, false), 0); // turning back drops the rest
    EXPECT_EQ(w.Steps(-50, false), 0);
    EXPECT_EQ(w.Steps(-30, false), -1);
    EXPECT_EQ(w.Steps(-250, false), -2);
}
