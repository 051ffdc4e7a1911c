#include "resultlog/clsRSLT.h"

#include "engine/tables.h"
#include "misc/misc.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTemporaryFile>
#include <QUrl>

#include <cerrno>

namespace kavu {

namespace {

const QString kFileName = QStringLiteral("Export.txt");
const QString kCrLf = QStringLiteral("\r\n");

bool English(int language) {
    return language == 2;
}

// Rows of the label table: 0 sheet line, 1 scale line, 2 heading, 3..5 the corner and centre
// lines (20 characters each so the coordinates line up), 6 and 7 the point lines.
const char* const kRussianLabels[clsRSLT::kLabelCount] = {
    "Лист ",
    "масштаб ",
    "координаты:",
    "верхний левый угол: ",
    "нижний правый угол: ",
    "центр листа:        ",
    "Точка с координатами ",
    "находится на листах: ",
};
const char* const kEnglishLabels[clsRSLT::kLabelCount] = {
    "Sheet ",
    "scale ",
    "coordinates:",
    "upper left corner:  ",
    "lower right corner: ",
    "sheet centre:       ",
    "Point with coordinates ",
    "lies on the sheets: ",
};

QString WithSeparator(QString dir) {
    if (!dir.isEmpty() && !dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    return dir;
}

// Root writes through permission bits, so only creating a file tells whether a folder takes one.
// The errno of a failed call is read at once, before another call can overwrite it.
bool TakesNewFiles(const QString& dir, int* error, QString* systemText) {
    errno = 0;
    QTemporaryFile probe(dir + kFileName + QStringLiteral(".XXXXXX"));
    if (probe.open()) return true;
    *error = errno;
    *systemText = probe.errorString();
    return false;
}

// The locale's time format with seconds but without the time zone.
QString TimeFormatWithSeconds(const QLocale& locale) {
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\'')) quoted = !quoted;
        if (!quoted && c == QLatin1Char('t')) continue;
        out += c;
    }
    out = out.trimmed();
    while (out.contains(QStringLiteral("  ")))
        out.replace(QStringLiteral("  "), QStringLiteral(" "));
    return out;
}

} // namespace

clsRSLT::clsRSLT(QObject* parent)
    : clsRSLT(ProgramDirectory(),
              QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), parent) {}

clsRSLT::clsRSLT(const QString& directory, const QString& fallbackDirectory, QObject* parent)
    : QObject(parent),
      directory_(WithSeparator(directory.isEmpty() ? ProgramDirectory() : directory)),
      fallbackDirectory_(WithSeparator(fallbackDirectory)) {
    Clear();
    opener_ = [](const QString& path) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
    messageBox_ = [](const QString& text) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Kavu"), text, QMessageBox::Ok,
                        QApplication::activeWindow());
        box.exec();
    };
    clock_ = [] { return QDateTime::currentDateTime(); };
}

void clsRSLT::setSheetNew(int i, const QString& text) {
    if (i >= 0 && i < static_cast<int>(sheetNew_.size())) sheetNew_[static_cast<size_t>(i)] = text;
}

void clsRSLT::setSheetOld(int i, const QString& text) {
    if (i >= 0 && i < static_cast<int>(sheetOld_.size())) sheetOld_[static_cast<size_t>(i)] = text;
}

void clsRSLT::Clear() {
    text_.clear();
    emit exportEnabledChanged(false);
}

void clsRSLT::Add(int mode) {
    const auto L = [this](int slot) { return Label(Language, slot); };
    const QString blank = QStringLiteral(" ");
    const QString open = QStringLiteral(" (");
    const QString close = QStringLiteral(" )");
    if (mode == 1) {
        text_ += L(0) + sheetNew_[0] + open + sheetOld_[0] + close + kCrLf;
        text_ += L(1) + M + kCrLf;
        text_ += L(2) + kCrLf;
        text_ += L(3) + Y1 + blank + X1 + kCrLf;
        text_ += L(4) + Y2 + blank + X2 + kCrLf;
        text_ += L(5) + Y0 + blank + X0 + kCrLf;
    } else {
        text_ += L(6) + GMSY + blank + GMSX + kCrLf;
        text_ += L(7) + kCrLf;
        for (int i = 1; i <= kScaleCount; ++i) {
            const std::string_view name = ScaleName(i);
            text_ += QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))
                         .leftJustified(kScaleColumn) +
                     blank + sheetNew_[static_cast<size_t>(i)] + open +
                     sheetOld_[static_cast<size_t>(i)] + close + kCrLf;
        }
    }
    text_ += kCrLf;
    emit exportEnabledChanged(true);
}

bool clsRSLT::Export() {
    const QString block = DateTimeLine(clock_(), QLocale::system()) + kCrLf + kCrLf + text_;
    QByteArray bytes;
    if (!Encode1251(block, &bytes)) {
        Failure failure{ExportPath(), false, 0,
                        English(Language)
                            ? QStringLiteral("the text has characters that Windows-1251 lacks")
                            : QStringLiteral("в тексте есть знаки, которых нет в Windows-1251")};
        Warn(FailureText(failure));
        return false;
    }
    Failure programFailure;
    const QString path = ChooseDirectory(&programFailure) + kFileName;
    Failure failure;
    if (!WriteFile(path, bytes, &failure)) {
        Warn(programFailure.path.isEmpty() ? FailureText(failure)
                                           : BothFailedText(programFailure, failure));
        return false;
    }

    text_ = block;
    usedPath_ = path;
    firstExport_ = false;
    if (!opener_ || !opener_(path)) Warn(LaunchFailureText(path));
    return true;
}

QString clsRSLT::ChooseDirectory(Failure* programFailure) {
    if (!usedPath_.isEmpty()) return QFileInfo(usedPath_).path() + QLatin1Char('/');
    if (fallbackDirectory_.isEmpty()) return directory_;
    Failure probe{directory_ + kFileName, false, 0, QString()};
    if (TakesNewFiles(directory_, &probe.error, &probe.systemText)) return directory_;
    *programFailure = probe;
    QDir().mkpath(fallbackDirectory_); // a failure shows when the file cannot be opened
    return fallbackDirectory_;
}

bool clsRSLT::WriteFile(const QString& path, const QByteArray& bytes, Failure* failure) {
    const auto fail = [&](const QFileDevice& file, bool deleting) {
        *failure = Failure{path, deleting, errno, file.errorString()};
        return false;
    };
    const QFileInfo old(path);
    if (firstExport_ && (old.exists() || old.isSymLink())) {
        // Only a plain file of ours gets its attributes reset: chmod would follow a link.
        if (old.isFile() && !old.isSymLink())
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                            QFile::WriteUser);
        QFile file(path);
        errno = 0;
        if (!file.remove()) return fail(file, true);
    }

    const bool existed = QFileInfo::exists(path);
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) return fail(file, false);
    const qint64 end = file.size();
    bool ok = file.isSequential() || file.seek(end);
    // A write cut short (a disk filling up) reports no error; the next write of the rest fails
    // and tells why.
    for (qint64 done = 0; ok && done < bytes.size();) {
        errno = 0;
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            fail(file, false);
            ok = false;
        }
        done += written;
    }
    if (!ok) {
        if (failure->path.isEmpty()) fail(file, false);
        // Leave no half block behind: a retry appends the whole block again.
        if (!file.isSequential()) file.resize(end);
        file.close();
        if (!existed) QFile::remove(path);
        return false;
    }
    file.close();
    return true;
}

void clsRSLT::setOpener(Opener opener) {
    opener_ = std::move(opener);
}

void clsRSLT::setMessageBox(MessageBox box) {
    messageBox_ = std::move(box);
}

void clsRSLT::setClock(Clock clock) {
    if (clock) clock_ = std::move(clock);
}

QString clsRSLT::ExportPath() const {
    return usedPath_.isEmpty() ? directory_ + kFileName : usedPath_;
}

QString clsRSLT::Label(int language, int slot) {
    if (slot < 0 || slot >= kLabelCount) return {};
    return QString::fromUtf8(English(language) ? kEnglishLabels[slot] : kRussianLabels[slot]);
}

QString clsRSLT::LaunchFailureMessage(int language) {
    if (English(language))
        return QStringLiteral("Could not load the data into the text editor.") + kCrLf +
               QStringLiteral("See the file '") + kFileName +
               QStringLiteral("' in the program folder.");
    return QStringLiteral("Не удалось загрузить данные в блокнот.") + kCrLf +
           QStringLiteral("Смотрите файл '") + kFileName +
           QStringLiteral("' в каталоге программы.");
}

QString clsRSLT::LaunchFailureText(const QString& path) const {
    if (path == directory_ + kFileName) return LaunchFailureMessage(Language);
    const QString shown = QDir::toNativeSeparators(path);
    if (English(Language))
        return QStringLiteral("Could not load the data into the text editor.") + kCrLf +
               QStringLiteral("See the file '") + shown + QStringLiteral("'.");
    return QStringLiteral("Не удалось загрузить данные в блокнот.") + kCrLf +
           QStringLiteral("Смотрите файл '") + shown + QStringLiteral("'.");
}

QString clsRSLT::FailureText(const Failure& failure) const {
    const QString shown = QDir::toNativeSeparators(failure.path);
    const QString reason = FailureReason(failure.error, failure.systemText, Language);
    if (English(Language))
        return (failure.deleting ? QStringLiteral("Could not delete the old file '")
                                 : QStringLiteral("Could not write the file '")) +
               shown + QStringLiteral("': ") + reason + QStringLiteral(".") + kCrLf +
               QStringLiteral("The data were not exported and are kept in the program.");
    return (failure.deleting ? QStringLiteral("Не удалось удалить старый файл '")
                             : QStringLiteral("Не удалось записать файл '")) +
           shown + QStringLiteral("': ") + reason + QStringLiteral(".") + kCrLf +
           QStringLiteral("Данные не экспортированы и остаются в программе.");
}

QString clsRSLT::BothFailedText(const Failure& program, const Failure& documents) const {
    const auto line = [this](const Failure& f) {
        return QStringLiteral("'") + QDir::toNativeSeparators(f.path) + QStringLiteral("': ") +
               FailureReason(f.error, f.systemText, Language);
    };
    if (English(Language))
        return QStringLiteral("Could not write the file in the program folder or in the "
                              "documents folder:") +
               kCrLf + line(program) + QStringLiteral(";") + kCrLf + line(documents) +
               QStringLiteral(".") + kCrLf +
               QStringLiteral("The data were not exported and are kept in the program.");
    return QStringLiteral("Не удалось записать файл ни в каталог программы, ни в папку "
                          "документов:") +
           kCrLf + line(program) + QStringLiteral(";") + kCrLf + line(documents) +
           QStringLiteral(".") + kCrLf +
           QStringLiteral("Данные не экспортированы и остаются в программе.");
}

void clsRSLT::Warn(const QString& text) const {
    if (messageBox_) messageBox_(text);
}

QString clsRSLT::DateTimeLine(const QDateTime& when, const QLocale& locale) {
    const QString line = locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
                         locale.toString(when.time(), TimeFormatWithSeconds(locale));
    QByteArray unused;
    if (Encode1251(line, &unused)) return line;
    return when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

bool clsRSLT::Encode1251(const QString& text, QByteArray* bytes) {
    QStringEncoder encoder("windows-1251");
    if (!encoder.isValid()) return false;
    *bytes = encoder.encode(text);
    return !encoder.hasError();
}

} // namespace kavu
