#include "controls/ctlPos/ctlPos.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>

#include "misc/misc.h"

namespace kavu {

namespace {
constexpr int Px(int twips) {
    return twips / 15;
}
// One notch of a classic wheel; finer wheels add up to it.
constexpr int kNotch = 120;
} // namespace

class ctlPos::Bridge : public ctlPosLogic::Host {
  public:
    explicit Bridge(ctlPos* owner) : owner_(owner) {}
    void Flash() override {
        FlashError(owner_->text_);
        // A field stepped by its owner while disabled keeps the disabled look.
        ApplyEnabledLook(owner_->text_, owner_->isEnabled());
    }
    void Show(const std::string& text, bool caretToEnd) override {
        owner_->ShowText(text, caretToEnd);
    }
    void Changed(int value) override { emit owner_->Change(value); }
    void Overflowed(int value) override { emit owner_->Overflow(value); }

  private:
    ctlPos* owner_;
};

ctlPos::ctlPos(QWidget* parent)
    : QWidget(parent), text_(new QLineEdit(this)), label_(new QLabel(this)),
      bridge_(std::make_unique<Bridge>(this)) {
    logic_.setHost(bridge_.get());
    text_->setObjectName(QStringLiteral("Text"));
    label_->setObjectName(QStringLiteral("Label"));
    text_->setGeometry(0, 0, Px(kTextWidthTwips), Px(kHeightTwips));
    label_->setGeometry(Px(kTextWidthTwips), 0, Px(kWidthTwips) - Px(kTextWidthTwips),
                        Px(kHeightTwips));
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setFixedSize(Px(kWidthTwips), Px(kHeightTwips));
    setFocusProxy(text_);
    setFocusPolicy(text_->focusPolicy());

    text_->setMouseTracking(true);
    text_->installEventFilter(this);
    connect(text_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (updating_) return;
        logic_.Edit(text.toUtf8().toStdString());
    });

    logic_.Reset();
    UpdateMark();
    ApplyEnabledLook(text_, isEnabled());
}

ctlPos::~ctlPos() {
    logic_.setHost(nullptr);
}

void ctlPos::setView(int view) {
    if (logic_.setView(view)) UpdateMark();
}

void ctlPos::UpdateMark() {
    switch (logic_.View()) {
    case 1:
        label_->setText(QString(QChar(0x00B0)));
        break;
    case 2:
        label_->setText(QStringLiteral("'"));
        break;
    case 3:
        label_->setText(QStringLiteral("\""));
        break;
    default:
        break;
    }
}

void ctlPos::ShowText(const std::string& text, bool caretToEnd) {
    const int caret = text_->cursorPosition();
    const QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    updating_ = true;
    text_->setText(shown);
    updating_ = false;
    text_->setCursorPosition(caretToEnd ? static_cast<int>(shown.size())
                                        : std::min(caret, static_cast<int>(shown.size())));
}

void ctlPos::setMouseWheel(int d) {
    if (d == 0) return;
    if (text_->hasFocus() && pointerOver_) logic_.Wheel(d);
}

bool ctlPos::eventFilter(QObject* watched, QEvent* event) {
    if (watched != text_) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
        // The box still handles the key (caret movement) after the step.
        logic_.Key(VirtualKey(static_cast<QKeyEvent*>(event)->key()));
        return false;
    case QEvent::Enter:
        pointerOver_ = true;
        break;
    case QEvent::Leave:
        pointerOver_ = false;
        break;
    case QEvent::MouseMove: {
        const QPointF p = static_cast<QMouseEvent*>(event)->position();
        pointerOver_ =
            p.x() >= 0 && p.y() >= 0 && p.x() <= text_->width() && p.y() <= text_->height();
        break;
    }
    case QEvent::Wheel: {
        // The window routes the wheel itself; this serves a field used on its own. Several
        // notches in one event still make one step.
        wheelRemainder_ += static_cast<QWheelEvent*>(event)->angleDelta().y();
        if (wheelRemainder_ >= kNotch || wheelRemainder_ <= -kNotch) {
            const int direction = wheelRemainder_ > 0 ? 1 : -1;
            wheelRemainder_ = 0;
            setMouseWheel(direction);
        }
        return true;
    }
    default:
        break;
    }
    return false;
}

void ctlPos::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) ApplyEnabledLook(text_, isEnabled());
    QWidget::changeEvent(event);
}

} // namespace kavu
