#include "controls/ctlNNNN/ctlNNNN.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QWheelEvent>

#include "misc/misc.h"

namespace kavu {

namespace {
constexpr int Px(int twips) {
    return twips / 15;
}
// One notch of a classic wheel; finer wheels add up to it.
constexpr int kNotch = 120;
} // namespace

class ctlNNNN::Bridge : public ctlNNNNLogic::Host {
  public:
    explicit Bridge(ctlNNNN* owner) : owner_(owner) {}
    void Flash() override {
        FlashError(owner_->text_);
        ApplyEnabledLook(owner_->text_, owner_->isEnabled());
    }
    void Show(const std::string& text) override { owner_->ShowText(text); }
    void Changed(int value) override { emit owner_->Change(value); }

  private:
    ctlNNNN* owner_;
};

ctlNNNN::ctlNNNN(QWidget* parent)
    : QWidget(parent), text_(new QLineEdit(this)), bridge_(std::make_unique<Bridge>(this)) {
    logic_.setHost(bridge_.get());
    text_->setObjectName(QStringLiteral("Text"));
    text_->setGeometry(0, 0, Px(kWidthTwips), Px(kHeightTwips));
    // The widest part, "XXXIII", needs a pixel of the style's inner margin on each side at 41 px.
    text_->setTextMargins(-1, 0, -1, 0);
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
    ApplyEnabledLook(text_, isEnabled());
}

ctlNNNN::~ctlNNNN() {
    logic_.setHost(nullptr);
}

void ctlNNNN::ShowText(const std::string& text) {
    const QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    updating_ = true;
    text_->setText(shown);
    updating_ = false;
    text_->setCursorPosition(static_cast<int>(shown.size()));
}

void ctlNNNN::setMouseWheel(int d) {
    if (d == 0) return;
    if (text_->hasFocus() && pointerOver_) logic_.Wheel(d);
}

bool ctlNNNN::eventFilter(QObject* watched, QEvent* event) {
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
        // The window routes the wheel itself; this serves a box used on its own. Several
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

void ctlNNNN::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) ApplyEnabledLook(text_, isEnabled());
    QWidget::changeEvent(event);
}

} // namespace kavu
