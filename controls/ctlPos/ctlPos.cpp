#include "controls/ctlPos/ctlPos.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

#include "misc/InputBoxEvents.h"
#include "misc/misc.h"

namespace kavu {

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

    events_ = new InputBoxEvents(
        text_, [this](int key) { logic_.Key(key); }, [this](int d) { setMouseWheel(d); });
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

void ctlPos::Enter(const QString& text) {
    text_->setText(text);
}

void ctlPos::setMouseWheel(int d) {
    if (d == 0) return;
    if (text_->hasFocus() && events_->PointerOver()) logic_.Wheel(d);
}

void ctlPos::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) ApplyEnabledLook(text_, isEnabled());
    QWidget::changeEvent(event);
}

} // namespace kavu
