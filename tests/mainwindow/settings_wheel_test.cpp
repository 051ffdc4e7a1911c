#include "mainwindow/WindowSettings.h"
#include "mainwindow/modMouseWheel.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
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

TEST(WindowSettings, RoundTripDefaultsAndValuesThatDoNotConvert) {
    Store s;
    const WindowSettings d = ReadWindowSettings(s.settings);
    EXPECT_EQ(std::tuple(d.Language, d.Action, d.AlwaysOnTop, d.SaveSettings, d.Left, d.Top),
              std::tuple(1, 1, false, false, kCentred, kCentred));
    const WindowSettings w{2, 3, true, true, 1500, -45};
    EXPECT_FALSE(WriteWindowSettings(s.settings, w));
    EXPECT_EQ(s.settings.value("Kavu 1.0/AlwaysOnTop").toString(), "True");
    EXPECT_EQ(s.settings.value("Kavu 1.0/Top").toString(), "-45");
    const WindowSettings r = ReadWindowSettings(s.settings);
    EXPECT_EQ(std::tuple(r.Language, r.Action, r.AlwaysOnTop, r.SaveSettings, r.Left, r.Top),
              std::tuple(2, 3, true, true, 1500, -45));
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

// Every spelling of a boolean in every letter case; anything else is no boolean.
TEST(WindowSettings, BooleansInEveryCase) {
    for (const auto& [word, value] : {std::pair{"true", true},
                                      {"yes", true},
                                      {"on", true},
                                      {"false", false},
                                      {"no", false},
                                      {"off", false}}) {
        const QString w = QString::fromLatin1(word);
        for (int mask = 0; mask < (1 << w.size()); ++mask) {
            QString t = w;
            for (int i = 0; i < t.size(); ++i)
                if (mask >> i & 1) t[i] = t[i].toUpper();
            EXPECT_EQ(SettingToBool(QStringLiteral(" ") + t), value) << t.toStdString();
        }
    }
    for (const auto& [text, value] : {std::pair{"1", true}, {"0", false}, {"-1", true}})
        EXPECT_EQ(SettingToBool(QString::fromLatin1(text)), value);
    for (const char* bad : {"", "y", "tru", "onn", "nan", "inf"})
        EXPECT_FALSE(SettingToBool(QString::fromLatin1(bad)).has_value()) << bad;
}

// A folder where the file goes, a file where its folder goes: the write fails and says why.
TEST(WindowSettings, AStoreThatCannotBeWrittenSaysWhy) {
    QTemporaryDir dir;
    const QString inTheWay = dir.filePath(QStringLiteral("Velmora.conf"));
    ASSERT_TRUE(QDir().mkdir(inTheWay));
    QFile blocker(dir.filePath(QStringLiteral("config")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    for (const auto& [path, error] :
         {std::pair{inTheWay, EISDIR},
          {blocker.fileName() + QStringLiteral("/Velmora.conf"), ENOTDIR}}) {
        QSettings store(path, QSettings::IniFormat);
        const auto failure = WriteWindowSettings(store, WindowSettings{});
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(failure->path, path);
        EXPECT_EQ(failure->error, error);
    }
}

TEST(WheelNotches, WholeNotchesStepOnceFineDeltasAddUpPerDirection) {
    WheelNotches w;
    for (int d : {120, 240, 360, 480, -120, -240, -360})
        EXPECT_EQ(w.Steps(d, false), d > 0 ? 1 : -1) << d;
    EXPECT_EQ(w.Steps(0, false), 0);
    EXPECT_EQ(w.Steps(120, true), 0); // a key or button held
    std::vector<int> steps;           // 130 is one step; turning back drops the rest
    for (int d : {40, 40, 50, -50, -50, -30, -250})
        steps.push_back(w.Steps(d, false));
    EXPECT_EQ(steps, (std::vector{0, 0, 1, 0, 0, -1, -2}));
}
