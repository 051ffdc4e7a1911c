#include "mainwindow/WindowSettings.h"
#include "mainwindow/modMouseWheel.h"

#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

using namespace kavu;

namespace {

struct Store {
    QTemporaryDir dir;
    QSettings settings{dir.filePath(QStringLiteral("Velmora.ini")), QSettings::IniFormat};
    void Put(const char* key, const QString& value) {
        settings.setValue(kSettingsSection + QLatin1Char('/') + QLatin1String(key), value);
    }
};

} // namespace

TEST(WindowSettings, DeleteKeepsOtherSectionsAndBadValuesFallBackAlone) {
    Store s;
    EXPECT_FALSE(WriteWindowSettings(s.settings, WindowSettings{2, 3, true, true, 1500, -45}));
    EXPECT_EQ(ReadWindowSettings(s.settings).Top, -45);
    s.settings.setValue(QStringLiteral("Other/Key"), QStringLiteral("stays"));
    EXPECT_FALSE(DeleteWindowSettings(s.settings));
    EXPECT_EQ(s.settings.allKeys(), QStringList{QStringLiteral("Other/Key")});
    s.settings.remove(QStringLiteral("Other"));
    EXPECT_FALSE(DeleteWindowSettings(s.settings)); // nothing left to delete: no harm

    // Each key that does not convert or lies outside what the program writes falls back alone.
    s.Put("Language", "3");
    s.Put("Left", "99999999999");
    s.Put("Top", "1234.6");
    for (const char* bad : {"", "0", "4", "-1", "1e9", "nan", "zwei"}) {
        s.Put("Action", QString::fromLatin1(bad));
        const WindowSettings b = ReadWindowSettings(s.settings);
        EXPECT_EQ(std::tuple(b.Language, b.Action, b.Left, b.Top), std::tuple(1, 1, kCentred, 1235))
            << bad;
    }
}

// Every spelling of a boolean in every letter case, and numbers; anything else is no boolean.
TEST(WindowSettings, BooleansInEveryCase) {
    const std::pair<const char*, bool> words[] = {{"true", true},   {"yes", true}, {"on", true},
                                                  {"false", false}, {"no", false}, {"off", false},
                                                  {"1", true},      {"0", false},  {"-1", true}};
    for (const auto& [word, value] : words) {
        const QString w = QString::fromLatin1(word);
        for (int mask = 0; mask < (1 << w.size()); ++mask) {
            QString t = w;
            for (int i = 0; i < t.size(); ++i)
                if (mask >> i & 1) t[i] = t[i].toUpper();
            EXPECT_EQ(SettingToBool(QStringLiteral(" ") + t), value) << t.toStdString();
        }
    }
    for (const char* bad : {"", "y", "tru", "onn", "nan", "inf"})
        EXPECT_FALSE(SettingToBool(QString::fromLatin1(bad)).has_value()) << bad;
}

TEST(WheelNotches, FineDeltasAddUpPerDirectionAndWholeNotchesStepOnce) {
    WheelNotches w;
    // 130 is one step, a rest carries on, and turning back drops it; whole notches in one
    // message are one step and drop the rest too; nothing moves while a key or button is held.
    std::vector<int> steps;
    for (int d : {0, 40, 40, 50, -50, -50, -30, -250, -110, 70, -360, 50})
        steps.push_back(w.Steps(d, false));
    EXPECT_EQ(steps, (std::vector{0, 0, 0, 1, 0, 0, -1, -2, -1, 0, -1, 0}));
    EXPECT_EQ(w.Steps(120, true), 0);
}
