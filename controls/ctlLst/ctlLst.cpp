#include "controls/ctlLst/ctlLst.h"

#include "engine/tables.h"
#include "misc/misc.h"

#include <QEvent>
#include <QLineEdit>
#include <QStringList>

#include <string_view>

namespace kavu {

namespace {

// 1095 x 285 twips; the field never takes another size.
constexpr int kWidth = 73;
constexpr int kHeight = 19;
constexpr int kSmallestPixelSize = 6;

QString Text(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// Every designation is a head "s <row>-<column>-" and a tail with the parts. The widest head
// and the widest tail together bound every text of either notation, so all ten fields of the
// window get the same font.
struct Pieces {
    QStringList heads;
    QStringList tails;
};

const Pieces& DesignationPieces() {
    static const Pieces pieces = [] {
        Pieces p;
        p.heads << QStringLiteral("s 21-60-");
        for (int row = 1; row <= 21; ++row)
            p.heads << QStringLiteral("s ") + Text(RowLetter(row)) + QStringLiteral("-60-");
        p.tails << QStringLiteral("144-4");
        for (int quarter = 1; quarter <= 4; ++quarter)
            p.tails << QStringLiteral("144-") + Text(QuarterLetter(quarter));
        for (int part = 1; part <= 36; ++part)
            p.tails << Text(RomanText(part));
        return p;
    }();
    return pieces;
}

} // namespace

int ctlLst::WidestDesignation(const QFont& font) {
    return WidestText(font, DesignationPieces().heads) +
           WidestText(font, DesignationPieces().tails);
}

bool ctlLst::Fits(const QFont& font) const {
    return WidestDesignation(font) <= LineEditTextRoom(text_);
}

ctlLst::ctlLst(QWidget* parent) : QWidget(parent), text_(new QLineEdit(this)) {
    text_->setObjectName(QStringLiteral("Text"));
    text_->setReadOnly(true);
    setFixedSize(kWidth, kHeight);
    text_->setGeometry(0, 0, kWidth, kHeight);
    fitFont();
    Clear();
}

void ctlLst::Calculate(const QString& NS, int Latitude, const QString& EW, int Longitude) {
    Show(logic_.Calculate(NS.toStdString(), Latitude, EW.toStdString(), Longitude));
}

void ctlLst::Calculate(const ExactPoint& point) {
    Show(logic_.Calculate(point));
}

void ctlLst::Show(const std::optional<ctlLstShown>& shown) {
    if (!shown) {
        Clear();
        return;
    }
    SetTextColour(text_, shown->RedText ? QColor(kPureRed) : SystemColor(kWindowText));
    SetBackground(text_, shown->YellowBack ? QColor(kLightYellow) : SystemColor(kWindowBackground));
    text_->setText(QString::fromStdString(shown->Text));
}

void ctlLst::Clear() {
    text_->clear();
    ApplyEnabledLook(text_, isEnabled());
    SetTextColour(text_, SystemColor(kWindowText));
}

QString ctlLst::Result() const {
    return text_->text();
}

QSize ctlLst::sizeHint() const {
    return {kWidth, kHeight};
}

void ctlLst::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) ApplyEnabledLook(text_, isEnabled());
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) fitFont();
    QWidget::changeEvent(event);
}

void ctlLst::fitFont() {
    // The window's font fits the ten boxes; only a font it did not choose needs narrowing, and
    // then every box of the family comes to the same answer.
    text_->setFont(FitFont(font(), WidestDesignation, LineEditTextRoom(text_), kSmallestPixelSize));
}

} // namespace kavu
