#include "controls/ctlNNNN/ctlNNNN.h"

#include <QEvent>
#include <QLineEdit>

#include "misc/InputBoxEvents.h"
#include "misc/misc.h"

namespace kavu {

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

    events_ = new InputBoxEvents(
        text_, [this](int key) { logic_.Key(key); }, [this](int d) { setMouseWheel(d); });
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

void ctlNNNN::Enter(const QString& text) {
    text_->setText(text);
}

void ctlNNNN::setMouseWheel(int d) {
    if (d == 0) return;
    if (text_->hasFocus() && events_->PointerOver()) logic_.Wheel(d);
}

void ctlNNNN::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) ApplyEnabledLook(text_, isEnabled());
    QWidget::changeEvent(event);
}

} // namespace kavu
