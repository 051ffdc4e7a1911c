#include "controls/ctlLBL/ctlLBL.h"

#include "misc/misc.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

namespace kavu {

namespace {

constexpr int Tw(int pixels) {
    return pixels * kTwipsPerPixel;
}

} // namespace

ctlLBL::ctlLBL(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setFixedHeight(Px(ctlLBLLogic::kHeight));
    resize(Px(ctlLBLLogic::kStartWidth), Px(ctlLBLLogic::kHeight));
    logic_.Resize(Tw(width()));
}

void ctlLBL::setAlignment(int value) {
    if (value < 0 || value > 2) return;
    alignment_ = value;
    update();
}

void ctlLBL::setCaption(const QString& value) {
    caption_ = value;
    update();
}

void ctlLBL::setBorder(bool value) {
    border_ = value;
    update();
}

QColor ctlLBL::OutlineColour() const {
    return SystemColor(isEnabled() ? kButtonText : kGrayText);
}

QRect ctlLBL::CaptionRect() const {
    return QRect(Px(ctlLBLLogic::kInset), Px(ctlLBLLogic::kInset), Px(logic_.CaptionWidth()),
                 Px(ctlLBLLogic::kCaptionHeight));
}

QFont ctlLBL::CaptionFont() const {
    QFont f = font();
    f.setBold(logic_.Hover());
    return f;
}

bool ctlLBL::Fits(const QFont& font) const {
    QFont bold = font;
    bold.setBold(true);
    return QFontMetrics(bold).horizontalAdvance(caption_) <= CaptionRect().width();
}

QSize ctlLBL::sizeHint() const {
    return QSize(Px(ctlLBLLogic::kStartWidth), Px(ctlLBLLogic::kHeight));
}

void ctlLBL::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (border_) {
        p.setPen(OutlineColour());
        p.setBrush(Qt::NoBrush);
        p.drawRect(0, 0, width() - 1, Px(ctlLBLLogic::kHeight) - 1);
    }
    p.setFont(CaptionFont());
    p.setPen(isEnabled() ? SystemColor(kButtonText) : SystemColor(kGrayText));
    Qt::Alignment h = Qt::AlignHCenter;
    if (alignment_ == 0) h = Qt::AlignLeft;
    if (alignment_ == 1) h = Qt::AlignRight;
    p.drawText(CaptionRect(), static_cast<int>(h | Qt::AlignVCenter | Qt::TextSingleLine),
               caption_);
}

void ctlLBL::resizeEvent(QResizeEvent* event) {
    logic_.Resize(Tw(width()));
    QWidget::resizeEvent(event);
}

void ctlLBL::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        if (!isEnabled()) logic_.EndHover();
        update();
    }
    QWidget::changeEvent(event);
}

void ctlLBL::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (logic_.PointerMove(Tw(pos.x()), Tw(pos.y()))) update();
}

void ctlLBL::mousePressEvent(QMouseEvent* event) {
    logic_.ButtonDown();
    event->accept();
}

void ctlLBL::mouseReleaseEvent(QMouseEvent* event) {
    // The toolkit hands the release to the pressed widget even off it; only one on it counts.
    if (!rect().contains(event->position().toPoint())) {
        if (logic_.EndHover()) update();
        return;
    }
    const bool click = logic_.ButtonUp(event->button() == Qt::LeftButton);
    if (!click) return;
    update();
    emit Click();
}

void ctlLBL::leaveEvent(QEvent* event) {
    if (logic_.EndHover()) update();
    QWidget::leaveEvent(event);
}

} // namespace kavu
