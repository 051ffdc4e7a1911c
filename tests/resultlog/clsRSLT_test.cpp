#include "resultlog/clsRSLT.h"

#include "engine/tables.h"
#include "misc/misc.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <memory>

#include <sys/resource.h>

namespace kavu {
namespace {

// Windows-1251 written out by hand, so the expected bytes do not come from the encoder under
// test: ASCII as is, А..я at 0xC0..0xFF, the degree sign at 0xB0.
QByteArray Cp1251(const char* utf8) {
    QByteArray out;
    for (const QChar c : QString::fromUtf8(utf8)) {
        const char16_t u = c.unicode();
        if (u < 0x80)
            out += static_cast<char>(u);
        else if (u >= 0x0410 && u <= 0x044F)
            out += static_cast<char>(0xC0 + (u - 0x0410));
        else if (u == 0x00B0)
            out += '\xB0';
        else
            ADD_FAILURE() << "no hand-written byte for U+" << std::hex << int(u);
    }
    return out;
}

const char kSheetEntryRu[] = "Лист  14-37 ( N-37 )\r\n"
                             "масштаб 1:1000000\r\n"
                             "координаты:\r\n"
                             "верхний левый угол: N 56° 00' E 36° 00'\r\n"
                             "нижний правый угол: N 52° 00' E 42° 00'\r\n"
                             "центр листа:        N 54° 00' E 39° 00'\r\n"
                             "\r\n";

const char kPointEntryRu[] = "Точка с координатами N 55° 45' E 37° 37'\r\n"
                             "находится на листах: \r\n"
                             "1:1000000  14-37 ( N-37 )\r\n"
                             "1:500000   14-37-1 ( N-37-А )\r\n"
                             "1:200000   14-37-02 ( N-37-II )\r\n"
                             "1:100000   14-37-004 ( N-37-4 )\r\n"
                             "1:50000    14-37-004-3 ( N-37-4-В )\r\n"
                             "\r\n";

const char kSheetEntryEn[] = "Sheet  14-37 ( N-37 )\r\n"
                             "scale 1:1000000\r\n"
                             "coordinates:\r\n"
                             "upper left corner:  N 56° 00' E 36° 00'\r\n"
                             "lower right corner: N 52° 00' E 42° 00'\r\n"
                             "sheet centre:       N 54° 00' E 39° 00'\r\n"
                             "\r\n";

const char kPointEntryEn[] = "Point with coordinates N 55° 45' E 37° 37'\r\n"
                             "lies on the sheets: \r\n"
                             "1:1000000  14-37 ( N-37 )\r\n"
                             "1:500000   14-37-1 ( N-37-А )\r\n"
                             "1:200000   14-37-02 ( N-37-II )\r\n"
                             "1:100000   14-37-004 ( N-37-4 )\r\n"
                             "1:50000    14-37-004-3 ( N-37-4-В )\r\n"
                             "\r\n";

void FillSheet(clsRSLT& log) {
    log.setSheetNew(0, QStringLiteral(" 14-37"));
    log.setSheetOld(0, QStringLiteral(" N-37"));
    log.M = QStringLiteral("1:1000000");
    log.Y1 = QString::fromUtf8("N 56° 00'");
    log.X1 = QString::fromUtf8("E 36° 00'");
    log.Y2 = QString::fromUtf8("N 52° 00'");
    log.X2 = QString::fromUtf8("E 42° 00'");
    log.Y0 = QString::fromUtf8("N 54° 00'");
    log.X0 = QString::fromUtf8("E 39° 00'");
}

void FillPoint(clsRSLT& log) {
    log.GMSY = QString::fromUtf8("N 55° 45'");
    log.GMSX = QString::fromUtf8("E 37° 37'");
    const char* const sheetNew[] = {" 14-37", " 14-37-1", " 14-37-02", " 14-37-004",
                                    " 14-37-004-3"};
    const char* const sheetOld[] = {" N-37", " N-37-А", " N-37-II", " N-37-4", " N-37-4-В"};
    for (int i = 1; i <= 5; ++i) {
        log.setSheetNew(i, QString::fromUtf8(sheetNew[i - 1]));
        log.setSheetOld(i, QString::fromUtf8(sheetOld[i - 1]));
    }
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

class ResultLog : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        programDir = root.filePath(QStringLiteral("program"));
        documentsDir = root.filePath(QStringLiteral("home/Documents"));
        ASSERT_TRUE(QDir().mkpath(programDir));
        log = Make(programDir, documentsDir);
    }

    std::unique_ptr<clsRSLT> Make(const QString& dir, const QString& fallback) {
        auto made = std::make_unique<clsRSLT>(dir, fallback);
        made->setOpener([this](const QString& path) {
            opened << path;
            return openerSucceeds;
        });
        made->setMessageBox([this](const QString& text) { messages << text; });
        made->setClock([this] { return now; });
        return made;
    }

    QByteArray Header() const {
        return Cp1251(clsRSLT::DateTimeLine(now, QLocale::system()).toUtf8().constData()) +
               "\r\n\r\n";
    }

    QString ExportFile() const { return programDir + QStringLiteral("/Export.txt"); }

    // A failed export leaves the log, the first-export flag and the path as they were.
    void ExpectKept(const QString& text, bool first) {
        EXPECT_EQ(log->Text(), text);
        EXPECT_EQ(log->FirstExport(), first);
        EXPECT_TRUE(opened.isEmpty());
        ASSERT_EQ(messages.size(), 1);
    }

    QTemporaryDir root;
    QString programDir;
    QString documentsDir;
    std::unique_ptr<clsRSLT> log;
    QStringList opened;
    QStringList messages;
    bool openerSucceeds = true;
    QDateTime now{QDate(2026, 12, 6), QTime(10, 15, 0)};
};

TEST_F(ResultLog, WorkedExamplesAreWrittenByteForByteInWindows1251) {
    FillSheet(*log);
    log->Add(1);
    FillPoint(*log);
    log->Add(2);
    ASSERT_TRUE(log->Export());

    const QByteArray bytes = ReadAll(ExportFile());
    EXPECT_EQ(bytes, Header() + Cp1251(kSheetEntryRu) + Cp1251(kPointEntryRu));
    // The same, spelled in bytes where a wrong code page or line end would show.
    EXPECT_TRUE(bytes.contains("\xCB\xE8\xF1\xF2  14-37 ( N-37 )\r\n"));
    EXPECT_TRUE(bytes.contains("N 56\xB0 00' E 36\xB0 00'\r\n"));
    EXPECT_TRUE(bytes.contains("\xF6\xE5\xED\xF2\xF0 \xEB\xE8\xF1\xF2\xE0:        N 54"));
    EXPECT_TRUE(bytes.contains("1:50000    14-37-004-3 ( N-37-4-\xC2 )\r\n\r\n"));
    EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));

    EXPECT_EQ(opened, QStringList{ExportFile()});
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_FALSE(log->FirstExport());
    // Export keeps the log (the window clears it), now headed by the date-time line.
    EXPECT_EQ(log->Text(), clsRSLT::DateTimeLine(now, QLocale::system()) + "\r\n\r\n" +
                               QString::fromUtf8(kSheetEntryRu) + QString::fromUtf8(kPointEntryRu));
}

TEST_F(ResultLog, ScaleColumnIsNineCharactersForEveryScale) {
    for (int i = 1; i <= 5; ++i) {
        log->setSheetNew(i, QStringLiteral("new%1").arg(i));
        log->setSheetOld(i, QStringLiteral("old%1").arg(i));
    }
    log->Add(2);
    const QStringList lines = log->Text().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 2 + 5 + 2);
    const char* const expected[] = {"1:1000000 new1 (old1 )", "1:500000  new2 (old2 )",
                                    "1:200000  new3 (old3 )", "1:100000  new4 (old4 )",
                                    "1:50000   new5 (old5 )"};
    for (int i = 1; i <= 5; ++i) {
        SCOPED_TRACE(i);
        const QString& line = lines[1 + i];
        EXPECT_EQ(line, QString::fromLatin1(expected[i - 1]));
        const std::string_view name = ScaleName(i);
        EXPECT_TRUE(line.startsWith(QString::fromLatin1(name.data(), qsizetype(name.size()))));
        EXPECT_EQ(line.indexOf(QStringLiteral(" new")), 9);
    }
    EXPECT_EQ(lines[7], QString());
    EXPECT_EQ(lines[8], QString());
}

TEST_F(ResultLog, EntriesCopyTheFieldsAndKeepEveryLine) {
    QSignalSpy enabled(log.get(), &clsRSLT::exportEnabledChanged);
    log->Add(1); // all fields empty: every line is still there
    EXPECT_EQ(log->Text(), QString::fromUtf8("Лист  ( )\r\nмасштаб \r\nкоординаты:\r\n"
                                             "верхний левый угол:  \r\n"
                                             "нижний правый угол:  \r\n"
                                             "центр листа:         \r\n\r\n"));
    log->Clear();
    FillSheet(*log);
    log->Add(1);
    log->Add(1); // the window never keeps twice, but the log does as told
    log->M = QStringLiteral("1:50000");
    log->setSheetNew(0, QStringLiteral("changed"));
    EXPECT_EQ(log->Text(), QString::fromUtf8(kSheetEntryRu) + QString::fromUtf8(kSheetEntryRu));

    // Any mode but 1 is a point entry; a slot outside 0..5 changes nothing.
    log->Clear();
    FillPoint(*log);
    log->setSheetNew(6, QStringLiteral("x"));
    log->setSheetOld(-1, QStringLiteral("x"));
    log->Add(0);
    log->Add(7);
    EXPECT_EQ(log->Text(), QString::fromUtf8(kPointEntryRu) + QString::fromUtf8(kPointEntryRu));

    QList<bool> seen;
    for (const auto& args : enabled)
        seen << args.at(0).toBool();
    EXPECT_EQ(seen, (QList<bool>{true, false, true, true, false, true, true}));
}

TEST_F(ResultLog, EnglishRowLinesUpLikeTheRussianOne) {
    for (int language : {1, 2}) {
        SCOPED_TRACE(language);
        for (int slot : {3, 4, 5})
            EXPECT_EQ(clsRSLT::Label(language, slot).size(), 20);
        for (int slot : {0, 1, 3, 4, 5, 6, 7})
            EXPECT_TRUE(clsRSLT::Label(language, slot).endsWith(QLatin1Char(' ')));
        EXPECT_TRUE(clsRSLT::Label(language, 2).endsWith(QLatin1Char(':')));
        EXPECT_TRUE(
            clsRSLT::LaunchFailureMessage(language).contains(QStringLiteral("'Export.txt'")));
    }
    EXPECT_EQ(clsRSLT::Label(1, 8), QString());
    EXPECT_EQ(clsRSLT::Label(3, 0), clsRSLT::Label(1, 0)); // out of range reads Russian

    log->Language = 2;
    FillSheet(*log);
    log->Add(1);
    FillPoint(*log);
    log->Add(2);
    ASSERT_TRUE(log->Export());
    EXPECT_EQ(ReadAll(ExportFile()), Header() + Cp1251(kSheetEntryEn) + Cp1251(kPointEntryEn));
}

TEST_F(ResultLog, EmptyLogExportsOnlyTheHeader) {
    ASSERT_TRUE(log->Export());
    EXPECT_EQ(ReadAll(ExportFile()), Header());
}

TEST_F(ResultLog, TwoExportsOfARunReplaceTheOldFileThenAppend) {
    // A read-only file from an earlier run, longer than the new block.
    ASSERT_TRUE(WriteAll(ExportFile(), QByteArray(4096, 'x')));
    ASSERT_TRUE(QFile::setPermissions(ExportFile(), QFile::ReadOwner));

    FillSheet(*log);
    log->Add(1);
    ASSERT_TRUE(log->Export());
    const QByteArray first = Header() + Cp1251(kSheetEntryRu);
    EXPECT_EQ(ReadAll(ExportFile()), first);
    log->Clear();

    now = now.addSecs(75);
    FillPoint(*log);
    log->Add(2);
    ASSERT_TRUE(log->Export());
    EXPECT_EQ(ReadAll(ExportFile()), first + Header() + Cp1251(kPointEntryRu));
    EXPECT_NE(first.left(first.indexOf('\r')), Header().left(Header().indexOf('\r')));
    EXPECT_EQ(opened, (QStringList{ExportFile(), ExportFile()}));
    EXPECT_TRUE(messages.isEmpty());

    // A new run starts over.
    log = Make(programDir, documentsDir);
    ASSERT_TRUE(log->Export());
    EXPECT_EQ(ReadAll(ExportFile()), Header());
}

TEST_F(ResultLog, FirstExportRemovesALinkWithoutTouchingItsTarget) {
    const QString target = root.filePath(QStringLiteral("target.txt"));
    ASSERT_TRUE(WriteAll(target, "keep"));
    ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner));
    ASSERT_TRUE(QFile::link(target, ExportFile()));

    ASSERT_TRUE(log->Export());
    EXPECT_FALSE(QFileInfo(ExportFile()).isSymLink());
    EXPECT_EQ(ReadAll(ExportFile()), Header());
    EXPECT_EQ(ReadAll(target), QByteArray("keep"));
    // Owner, group and other bits only: the user bits say what root may do.
    EXPECT_EQ(QFile::permissions(target) & 0x7077, QFile::ReadOwner);
}

TEST_F(ResultLog, FailedLaunchWarnsInTheCurrentLanguageAndKeepsTheFile) {
    openerSucceeds = false;
    FillSheet(*log);
    log->Add(1);
    ASSERT_TRUE(log->Export());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QString::fromUtf8("Не удалось загрузить данные в блокнот.\r\n"
                                             "Смотрите файл 'Export.txt' в каталоге программы."));
    EXPECT_EQ(ReadAll(ExportFile()), Header() + Cp1251(kSheetEntryRu));
    EXPECT_FALSE(log->FirstExport());

    log->Language = 2;
    log->Clear();
    ASSERT_TRUE(log->Export());
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[1], QStringLiteral("Could not load the data into the text editor.\r\n"
                                          "See the file 'Export.txt' in the program folder."));
    EXPECT_EQ(ReadAll(ExportFile()), Header() + Cp1251(kSheetEntryRu) + Header());
}

TEST_F(ResultLog, OldFileThatCannotBeDeletedFailsTheExport) {
    ASSERT_TRUE(QDir().mkpath(ExportFile() + QStringLiteral("/inside")));
    const auto permissions = QFile::permissions(ExportFile());
    FillSheet(*log);
    log->Add(1);
    const QString before = log->Text();

    EXPECT_FALSE(log->Export());
    ExpectKept(before, true);
    const QString prefix =
        QStringLiteral("Не удалось удалить старый файл '") + ExportFile() + QStringLiteral("': ");
    EXPECT_TRUE(messages[0].startsWith(prefix));
    const QString reason = messages[0].mid(
        prefix.size(), messages[0].indexOf(QStringLiteral(".\r\n")) - prefix.size());
    EXPECT_FALSE(reason.trimmed().isEmpty()) << messages[0].toStdString();
    EXPECT_TRUE(QFileInfo(ExportFile() + QStringLiteral("/inside")).isDir());
    EXPECT_EQ(QFile::permissions(ExportFile()), permissions);

    // Once the obstacle is gone the same log goes out whole, with one header.
    ASSERT_TRUE(QDir(ExportFile()).removeRecursively());
    ASSERT_TRUE(log->Export());
    EXPECT_EQ(ReadAll(ExportFile()), Header() + Cp1251(kSheetEntryRu));
}

TEST_F(ResultLog, FileThatCannotBeOpenedOrWrittenFailsALaterExport) {
    log->Language = 2;
    ASSERT_TRUE(log->Export());
    const QByteArray firstBlock = ReadAll(ExportFile());
    log->Clear();
    FillPoint(*log);
    log->Add(2);
    const QString before = log->Text();
    opened.clear();

    // Something else in the file's place.
    ASSERT_TRUE(QFile::remove(ExportFile()));
    ASSERT_TRUE(QDir().mkdir(ExportFile()));
    EXPECT_FALSE(log->Export());
    ExpectKept(before, false);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Could not write the file '") + ExportFile() +
                                       QStringLiteral("': ")));
    EXPECT_TRUE(messages[0].endsWith(
        QStringLiteral(".\r\nThe data were not exported and are kept in the program.")));

    // A full disk.
    messages.clear();
    ASSERT_TRUE(QDir().rmdir(ExportFile()));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), ExportFile()));
    EXPECT_FALSE(log->Export());
    ExpectKept(before, false);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("No space left on device")));

    // Back to a plain file: the kept entries arrive after the earlier block.
    ASSERT_TRUE(QFile::remove(ExportFile()));
    ASSERT_TRUE(WriteAll(ExportFile(), firstBlock));
    ASSERT_TRUE(log->Export());
    EXPECT_EQ(ReadAll(ExportFile()), firstBlock + Header() + Cp1251(kPointEntryEn));
}

// A file-size limit cuts a write short after part of the block, as a full disk does.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

  private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

TEST_F(ResultLog, ShortWriteLeavesNoHalfBlock) {
    FillPoint(*log);
    log->Add(2);
    const QString before = log->Text();
    {
        FileSizeLimit limit(20); // the first export creates the file and gets 20 bytes in
        EXPECT_FALSE(log->Export());
    }
    ExpectKept(before, true);
    EXPECT_FALSE(QFileInfo::exists(ExportFile()));

    ASSERT_TRUE(log->Export());
    const QByteArray first = ReadAll(ExportFile());
    opened.clear();
    messages.clear();
    {
        FileSizeLimit limit(static_cast<rlim_t>(first.size() + 20));
        EXPECT_FALSE(log->Export());
    }
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(
        messages[0].startsWith(QStringLiteral("Не удалось записать файл '") + ExportFile()));
    EXPECT_EQ(ReadAll(ExportFile()), first);
}

TEST_F(ResultLog, TextOutsideWindows1251FailsTheExport) {
    log->GMSY = QString::fromUtf8("N 55° 45′"); // a prime, not an apostrophe
    log->Add(2);
    const QString before = log->Text();
    EXPECT_FALSE(log->Export());
    ExpectKept(before, true);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("Windows-1251")));
    EXPECT_FALSE(QFileInfo::exists(ExportFile()));
}

TEST_F(ResultLog, UnwritableProgramDirectoryFallsBackToDocuments) {
    const QString regular = root.filePath(QStringLiteral("file"));
    ASSERT_TRUE(WriteAll(regular, "x"));
    for (const QString& unwritable :
         {regular + QStringLiteral("/program"), QStringLiteral("/proc")}) {
        SCOPED_TRACE(unwritable.toStdString());
        QDir(documentsDir).removeRecursively();
        messages.clear();
        opened.clear();
        openerSucceeds = false;
        log = Make(unwritable, documentsDir);
        const QString used = documentsDir + QStringLiteral("/Export.txt");

        FillSheet(*log);
        log->Add(1);
        ASSERT_TRUE(log->Export());
        EXPECT_EQ(ReadAll(used), Header() + Cp1251(kSheetEntryRu));
        EXPECT_EQ(opened, QStringList{used});
        ASSERT_EQ(messages.size(), 1);
        EXPECT_EQ(messages[0], QString::fromUtf8("Не удалось загрузить данные в блокнот.\r\n"
                                                 "Смотрите файл '") +
                                   used + QStringLiteral("'."));
        EXPECT_EQ(log->ExportPath(), used);

        log->Clear();
        log->Language = 2;
        ASSERT_TRUE(log->Export());
        EXPECT_EQ(ReadAll(used), Header() + Cp1251(kSheetEntryRu) + Header());
        EXPECT_EQ(messages[1], QStringLiteral("Could not load the data into the text editor.\r\n"
                                              "See the file '") +
                                   used + QStringLiteral("'."));
    }

    // The documents file of an earlier run is replaced like the one in the program directory.
    log = Make(regular + QStringLiteral("/program"), documentsDir);
    ASSERT_TRUE(log->Export());
    EXPECT_EQ(ReadAll(documentsDir + QStringLiteral("/Export.txt")), Header());
}

TEST_F(ResultLog, NoWritableFolderAtAllFailsTheExport) {
    const QString regular = root.filePath(QStringLiteral("file"));
    ASSERT_TRUE(WriteAll(regular, "x"));
    const QString program = regular + QStringLiteral("/program");
    const QString documents = regular + QStringLiteral("/Documents");
    for (const QString& fallback : {documents, QString()}) {
        messages.clear();
        log = Make(program, fallback);
        log->Add(1);
        const QString before = log->Text();
        EXPECT_FALSE(log->Export());
        ExpectKept(before, true);
        const QString named = (fallback.isEmpty() ? program : fallback) + "/Export.txt";
        EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Не удалось записать файл '") + named +
                                           QStringLiteral("': ")))
            << messages[0].toStdString();
    }
}

TEST(ResultLogDefaults, ExportPathIsInTheProgramDirectory) {
    clsRSLT log;
    EXPECT_EQ(log.ExportPath(), ProgramDirectory() + QStringLiteral("Export.txt"));
    EXPECT_EQ(log.Language, 1);
    EXPECT_TRUE(log.Text().isEmpty());
    EXPECT_TRUE(log.FirstExport());
}

TEST(ResultLogHeader, ShortDateAndTimeWithSecondsOfTheLocale) {
    const QDateTime when(QDate(2026, 12, 6), QTime(10, 15, 0));
    EXPECT_EQ(clsRSLT::DateTimeLine(when, QLocale(QStringLiteral("ru_RU"))),
              QStringLiteral("06.12.2026 10:15:00"));
    EXPECT_EQ(clsRSLT::DateTimeLine(when, QLocale(QStringLiteral("en_US"))),
              QStringLiteral("12/6/26 10:15:00 AM"));
    EXPECT_EQ(clsRSLT::DateTimeLine(when.addSecs(3600 * 5 + 7), QLocale(QStringLiteral("fi_FI"))),
              QStringLiteral("6.12.2026 15.15.07"));
    EXPECT_EQ(clsRSLT::DateTimeLine(when, QLocale(QStringLiteral("zh_CN"))),
              QStringLiteral("2026/12/6 10:15:00"));
    // Eastern Arabic digits have no place in Windows-1251.
    EXPECT_EQ(clsRSLT::DateTimeLine(when, QLocale(QStringLiteral("ar_EG"))),
              QStringLiteral("2026-12-06 10:15:00"));
}

} // namespace
} // namespace kavu
