#include "controls/ctlGMS/ctlGMS.h"

#include "misc/misc.h"

#include <QEvent>
#include <QLineEdit>
#include <QStringList>

namespace kavu {

namespace {

// 1215 x 285 twips.
constexpr int kWidth = 81;
constexpr int kHeight = 19;

// The widest texts the box can show: longitudes reach 180 degrees, and FormatAngle writes
// non-zero seconds whatever the flags say.
const QStringList& WidestTexts() {
    static const QStringList texts{
        QStringLiteral("N 180\u00B0 00' 00\""), QStringLiteral("S 180\u00B0 00' 00\""),
        QStringLiteral("E 180\u00B0 00' 00\""), QStringLiteral("W 180\u00B0 00' 00\"")};
    return texts;
}

} // namespace

ctlGMS::ctlGMS(QWidget* parent) : QWidget(parent), text_(new QLineEdit(this)) {
    text_->setObjectName(QStringLiteral("Text"));
    text_->setReadOnly(true);
    resize(kWidth, kHeight);
    text_->setGeometry(rect());
    ApplyEnabledLook(text_, isEnabled());
}

void ctlGMS::Clear() {
    text_->clear();
}

void ctlGMS::setValue(const QString& NSEW, int seconds) {
    text_->setText(QString::fromStdString(logic_.Text(NSEW.toStdString(), seconds)));
}

QString ctlGMS::Result() const {
    return text_->text();
}

void ctlGMS::setShowMinute(bool on) {
    logic_.setShowMinute(on);
}

void ctlGMS::setShowSecond(bool on) {
    logic_.setShowSecond(on);
}

QSize ctlGMS::sizeHint() const {
    return {kWidth, kHeight};
}

void ctlGMS::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) ApplyEnabledLook(text_, isEnabled());
    QWidget::changeEvent(event);
}

void ctlGMS::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    text_->setGeometry(rect());
}

bool ctlGMS::Fits(const QFont& font) const {
    return WidestText(font, WidestTexts()) <= LineEditTextRoom(text_);
}

} // namespace kavu
