// The log of kept results: the window hands over finished texts, the log arranges them into
// entries and writes them to "Export.txt", then asks the desktop to open that file.
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QObject>
#include <QString>

#include <array>
#include <functional>

namespace kavu {

class clsRSLT : public QObject {
    Q_OBJECT
  public:
    /// Hands the written file to the user's default application; false when that failed.
    using Opener = std::function<bool(const QString& path)>;
    /// Shows a warning with the title "Kavu", the exclamation icon and an OK button.
    using MessageBox = std::function<void(const QString& text)>;
    using Clock = std::function<QDateTime()>;

    /// The file goes into the program directory, or into the user's documents folder when the
    /// program directory cannot be written.
    explicit clsRSLT(QObject* parent = nullptr);
    /// Tests point both folders elsewhere. `fallbackDirectory` may be empty: then there is none.
    clsRSLT(const QString& directory, const QString& fallbackDirectory, QObject* parent = nullptr);

    /// 1 = Russian, 2 = English; any other value reads as Russian.
    int Language = 1;
    QString Y1, X1; ///< north-west corner
    QString Y2, X2; ///< south-east corner
    QString Y0, X0; ///< centre
    QString M;      ///< scale label of the sheet, e.g. "1:100000"
    QString GMSY, GMSX;

    /// Slot 0: the sheet of the sheet-to-coordinates mode; 1..5: the sheets of a point at scale
    /// 1..5. A slot outside 0..5 is ignored.
    void setSheetNew(int i, const QString& text);
    void setSheetOld(int i, const QString& text);

    /// Empties the log and announces exportEnabledChanged(false). The constructor clears too,
    /// before anyone can listen: a window starts with its Export command disabled, or calls
    /// Clear once after connecting.
    void Clear();
    /// Appends a sheet entry for mode 1, a point entry for any other mode, and announces
    /// exportEnabledChanged(true).
    void Add(int mode);
    /// Writes the date-time line, an empty line and the entries to the export file (the first
    /// export of a run replaces a file left by an earlier run, later ones append) and asks for
    /// it to be opened. True once the file is fully written, also when opening it then fails;
    /// false, after a warning naming the path and the reason, when nothing usable was written.
    /// The log itself is only changed on success (the date-time line goes in front).
    bool Export();

    void setOpener(Opener opener);
    void setMessageBox(MessageBox box);
    void setClock(Clock clock);

    /// All entries kept since the last Clear, lines ended by CR LF.
    const QString& Text() const { return text_; }
    /// The file the next export writes (after the first export: the file of this run).
    QString ExportPath() const;
    bool FirstExport() const { return firstExport_; }

    static constexpr int kLabelCount = 8;
    static constexpr int kScaleColumn = 9;
    /// Label slot 0..7 of the language's row.
    static QString Label(int language, int slot);
    /// The warning after a failed launch, when the file lies in the program directory.
    static QString LaunchFailureMessage(int language);
    /// The header line: the locale's short date, a space, its time with seconds. Falls back
    /// to ISO digits when the locale's text has characters Windows-1251 cannot hold.
    static QString DateTimeLine(const QDateTime& when, const QLocale& locale);
    /// The text in Windows-1251; false when the encoder is missing or a character does not fit.
    static bool Encode1251(const QString& text, QByteArray* bytes);

  signals:
    /// false from Clear (nothing left to export), true from Add.
    void exportEnabledChanged(bool enabled);

  private:
    /// A failed file operation: where, whether it was the removal of the old file, and why.
    struct Failure {
        QString path;
        bool deleting = false;
        int error = 0;
        QString systemText;
    };
    bool WriteFile(const QString& path, const QByteArray& bytes, Failure* failure);
    QString ChooseDirectory(Failure* programFailure);
    void Warn(const QString& text) const;
    QString FailureText(const Failure& failure) const;
    QString BothFailedText(const Failure& program, const Failure& documents) const;
    QString LaunchFailureText(const QString& path) const;

    QString text_;
    std::array<QString, 6> sheetNew_;
    std::array<QString, 6> sheetOld_;
    QString directory_;
    QString fallbackDirectory_;
    QString usedPath_; // fixed by the first successful export of the run
    bool firstExport_ = true;
    Opener opener_;
    MessageBox messageBox_;
    Clock clock_;
};

} // namespace kavu
