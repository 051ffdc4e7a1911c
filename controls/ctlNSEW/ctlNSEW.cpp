#include "controls/ctlNSEW/ctlNSEW.h"

#include "misc/misc.h"

#include <QEvent>
#include <QLabel>
#include <QScrollBar>
#include <QStyle>

namespace kavu {

namespace {
// 495 x 285 twips.
constexpr int kWidth = 33;
constexpr int kHeight = 19;
} // namespace

ctlNSEW::ctlNSEW(QWidget* parent)
    : QWidget(parent), label_(new QLabel(this)), scroll_(new QScrollBar(Qt::Vertical, this)) {
    label_->setObjectName(QStringLiteral("Label"));
    label_->setAlignment(Qt::AlignCenter);
    label_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label_->setLineWidth(1);

    scroll_->setObjectName(QStringLiteral("VScroll"));
    scroll_->setRange(0, 1);
    scroll_->setSingleStep(1);
    scroll_->setPageStep(1);
    // The arrows are the switch; let it take the focus so the arrow keys work too.
    scroll_->setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(scroll_);
    connect(scroll_, &QScrollBar::valueChanged, this, &ctlNSEW::onPositionChanged);

    resize(kWidth, kHeight);
    Reset();
    ApplyEnabledLook(label_, isEnabled());
}

void ctlNSEW::Reset() {
    scroll_->setValue(0); // raises Change through onPositionChanged only if it stood at 1
    showLetter();
}

void ctlNSEW::setView(int view) {
    if (!logic_.setView(view)) return;
    Reset();
}

QString ctlNSEW::Letter() const {
    return label_->text();
}

void ctlNSEW::Choose(int position) {
    if (position == 0 || position == 1) scroll_->setValue(position);
}

QSize ctlNSEW::sizeHint() const {
    return {kWidth, kHeight};
}

void ctlNSEW::onPositionChanged(int position) {
    logic_.setPosition(position);
    showLetter();
    emit Change(label_->text());
}

void ctlNSEW::showLetter() {
    const std::string_view letter = logic_.Letter();
    label_->setText(QString::fromUtf8(letter.data(), static_cast<qsizetype>(letter.size())));
}

void ctlNSEW::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) ApplyEnabledLook(label_, isEnabled());
    if (event->type() == QEvent::StyleChange) layOut();
    QWidget::changeEvent(event);
}

void ctlNSEW::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOut();
}

void ctlNSEW::layOut() {
    const int bar =
        qMin(width(), style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroll_));
    label_->setGeometry(0, 0, width() - bar, height());
    scroll_->setGeometry(width() - bar, 0, bar, height());
}

} // namespace kavu
