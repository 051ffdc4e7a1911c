#include "resultlog/clsRSLT.h"

#include "misc/misc.h"
#include "tests/support/WorkedExamples.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <memory>

#include <sys/resource.h>

namespace kavu {
namespace {

using namespace Qt::StringLiterals;

using namespace examples;

class ResultLog : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(QDir().mkpath(programDir) && WriteAll(regular, "x"));
        log = Make(programDir, documentsDir);
    }

    // A log with the fields of both worked examples filled in.
    std::unique_ptr<clsRSLT> Make(const QString& dir, const QString& fallback) {
        auto made = std::make_unique<clsRSLT>(dir, fallback);
        made->setOpener([this](const QString& path) {
            opened << path;
            return openerSucceeds;
        });
        made->setMessageBox([this](const QString& text) { messages << text; });
        made->setClock([this] { return now; });
        const QStringList texts =
            u"14-37|N-37|14-37|N-37|14-37-1|N-37-А|14-37-02|N-37-II|14-37-004|N-37-4|14-37-004-3|"
            "N-37-4-В|1:1000000|N 56° 00'|E 36° 00'|N 52° 00'|E 42° 00'|N 54° 00'|E 39° 00'|"
            "N 55° 45'|E 37° 37'"_s.split(u'|');
        for (int i = 0; i <= 5; ++i) {
            made->setSheetNew(i, u' ' + texts[2 * i]);
            made->setSheetOld(i, u' ' + texts[2 * i + 1]);
        }
        int i = 12;
        for (QString* field : {&made->M, &made->Y1, &made->X1, &made->Y2, &made->X2, &made->Y0,
                               &made->X0, &made->GMSY, &made->GMSX})
            *field = texts[i++];
        return made;
    }

    static QByteArray ReadAll(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static bool WriteAll(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
    QString HeaderText() const {
        return clsRSLT::DateTimeLine(now, QLocale::system()) + "\r\n\r\n";
    }
    QByteArray Header() const { return Cp1251(HeaderText()); }

    // Exports under a file-size limit (a write cut short, as on a full disk) and expects one
    // warning: `start`, a reason, the closing line; the log and the first-export flag kept.
    void ExpectFails(const QString& start, rlim_t sizeLimit = RLIM_INFINITY) {
        const QString before = log->Text();
        const bool first = log->FirstExport();
        opened.clear();
        messages.clear();
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        const rlimit limit{std::min(sizeLimit, old.rlim_cur), old.rlim_max};
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limit);
        EXPECT_FALSE(log->Export());
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, handler);
        EXPECT_TRUE(log->Text() == before && log->FirstExport() == first && opened.isEmpty());
        ASSERT_EQ(messages.size(), 1);
        const QString tail = log->Language == 2
                                 ? u".\r\nThe data were not exported and are kept in the program."_s
                                 : u".\r\nДанные не экспортированы и остаются в программе."_s;
        EXPECT_TRUE(messages[0].startsWith(start) && messages[0].endsWith(tail))
            << messages[0].toStdString();
        // The reason is the system's, taken where the write failed.
        reason = messages[0].mid(start.size()).chopped(tail.size());
        EXPECT_FALSE(reason.trimmed().isEmpty() || reason.contains(u"Unknown error"_s));
    }

    QTemporaryDir root;
    const QString programDir = root.filePath(u"program"_s);
    const QString documentsDir = root.filePath(u"home/Documents"_s);
    const QString regular = root.filePath(u"file"_s); // no folder can be made below it
    const QString exportFile = programDir + u"/Export.txt"_s;
    std::unique_ptr<clsRSLT> log;
    QStringList opened, messages;
    QString reason; // of the last failure
    bool openerSucceeds = true;
    QDateTime now{QDate(2026, 12, 6), QTime(10, 15, 0)};
};

TEST_F(ResultLog, WorkedExamplesReplaceTheOldFileLaterExportsAppendFailedLaunchesWarn) {
    // A read-only file from an earlier run, longer than the new block.
    ASSERT_TRUE(WriteAll(exportFile, QByteArray(4096, 'x')));
    ASSERT_TRUE(QFile::setPermissions(exportFile, QFile::ReadOwner));
    log->Add(1);
    log->Add(2);
    ASSERT_TRUE(log->Export());
    const QByteArray first = ReadAll(exportFile);
    EXPECT_EQ(first, Header() + Cp1251(kSheetRu + kPointRu));
    EXPECT_TRUE(messages.isEmpty());
    // Export keeps the log (the window clears it), now headed by the date-time line.
    EXPECT_EQ(log->Text(), HeaderText() + kSheetRu + kPointRu);
    // Later exports append in the language of the moment; a failed launch keeps the file.
    openerSucceeds = false;
    log->Clear();
    now = now.addSecs(75);
    log->Add(2);
    ASSERT_TRUE(log->Export());
    log->Clear();
    log->Language = 2;
    log->Add(1);
    log->M = u"1:50000"_s; // an entry keeps the texts it was given
    log->Add(2);
    ASSERT_TRUE(log->Export());
    EXPECT_EQ(ReadAll(exportFile),
              first + Header() + Cp1251(kPointRu) + Header() + Cp1251(kSheetEn + kPointEn));

    // A new run removes a link in the file's place, not its target; an empty log is the header.
    const QString target = root.filePath(u"target.txt"_s);
    ASSERT_TRUE(WriteAll(target, "keep") && QFile::setPermissions(target, QFile::ReadOwner));
    ASSERT_TRUE(QFile::remove(exportFile) && QFile::link(target, exportFile));
    log = Make(programDir, documentsDir);
    ASSERT_TRUE(log->Export());
    EXPECT_EQ(ReadAll(exportFile), Header());
    EXPECT_EQ(ReadAll(target), "keep");
    // Owner, group and other bits only: the user bits say what root may do.
    EXPECT_EQ(QFile::permissions(target) & 0x7077, QFile::ReadOwner);

    // A program directory that takes no file (though root may write to it) sends the file to the
    // documents folder, and the warnings name it in full.
    const QString used = documentsDir + u"/Export.txt"_s;
    log = Make(u"/proc"_s, documentsDir);
    log->Add(1);
    ASSERT_TRUE(log->Export());
    EXPECT_EQ(log->ExportPath(), used);
    log->Clear();
    log->Language = 2;
    ASSERT_TRUE(log->Export());
    EXPECT_EQ(ReadAll(used), Header() + Cp1251(kSheetRu) + Header());
    EXPECT_EQ(opened, (QStringList{exportFile, exportFile, exportFile, exportFile, used, used}));
    const QString ru = u"Не удалось загрузить данные в блокнот.\r\nСмотрите файл '"_s;
    const QString en = u"Could not load the data into the text editor.\r\nSee the file '"_s;
    const QString ruHere = ru + "Export.txt' в каталоге программы.";
    EXPECT_EQ(messages, (QStringList{ruHere, en + "Export.txt' in the program folder.", ruHere,
                                     ru + used + "'.", en + used + "'."}));
}

TEST_F(ResultLog, FailedExportsWriteNothingAndKeepTheLog) {
    const QString cannotWrite = u"Не удалось записать файл '"_s + exportFile + u"': "_s;
    log->GMSY = u"N 55° 45′"_s; // a prime, not an apostrophe
    log->Add(2);
    ExpectFails(cannotWrite);
    EXPECT_TRUE(messages.value(0).contains(u"Windows-1251"_s));
    log->Clear();
    log->GMSY = u"N 55° 45'"_s;
    log->Add(2);

    // First export of the run: an old "file" that cannot be deleted, then a write cut short.
    ASSERT_TRUE(QDir().mkpath(exportFile + u"/inside"_s));
    const auto permissions = QFile::permissions(exportFile);
    ExpectFails(u"Не удалось удалить старый файл '"_s + exportFile + u"': "_s);
    EXPECT_EQ(reason, u"на месте файла находится папка"_s);
    EXPECT_TRUE(QFileInfo(exportFile + u"/inside"_s).isDir());
    EXPECT_EQ(QFile::permissions(exportFile), permissions);
    ASSERT_TRUE(QDir(exportFile).removeRecursively());
    ExpectFails(cannotWrite, 20);
    EXPECT_EQ(reason, u"File too large"_s); // not a Russian cause: the system's words
    EXPECT_FALSE(QFileInfo::exists(exportFile));
    ASSERT_TRUE(log->Export()); // the same log goes out whole, with one header
    const QByteArray first = ReadAll(exportFile);
    EXPECT_EQ(first, Header() + Cp1251(kPointRu));

    // A later export cut short leaves the file as it was.
    log->Clear();
    log->Language = 2;
    log->Add(2);
    ExpectFails(u"Could not write the file '"_s + exportFile + u"': "_s,
                static_cast<rlim_t>(first.size() + 20));
    EXPECT_EQ(ReadAll(exportFile), first);
    ASSERT_TRUE(log->Export());
    EXPECT_EQ(ReadAll(exportFile), first + Header() + Cp1251(kPointEn));

    // No folder takes the file: both places are named, each with its reason.
    log = Make(regular + u"/program"_s, regular + u"/Documents"_s);
    log->Add(1);
    ExpectFails(u"Не удалось записать файл ни в каталог программы, ни в папку документов:\r\n'"_s +
                regular + u"/program/Export.txt': на месте папки находится файл;\r\n'"_s + regular +
                u"/Documents/Export.txt': "_s);
    EXPECT_EQ(reason, u"на месте папки находится файл"_s);
    log = Make(regular + u"/program"_s, QString());
    log->Add(1);
    ExpectFails(u"Не удалось записать файл '"_s + regular + u"/program/Export.txt': "_s);
}

TEST(ResultLogHeader, ShortDateAndTimeWithSecondsOfTheLocale) {
    const QDateTime when(QDate(2026, 12, 6), QTime(15, 15, 7));
    // Eastern Arabic digits have no place in Windows-1251.
    for (const auto& [locale, line] : {std::pair{"ru_RU", "06.12.2026 15:15:07"},
                                       {"en_US", "12/6/26 3:15:07 PM"},
                                       {"fi_FI", "6.12.2026 15.15.07"},
                                       {"ar_EG", "2026-12-06 15:15:07"}})
        EXPECT_EQ(clsRSLT::DateTimeLine(when, QLocale(QString::fromLatin1(locale))),
                  QString::fromLatin1(line))
            << locale;
}

} // namespace
} // namespace kavu
