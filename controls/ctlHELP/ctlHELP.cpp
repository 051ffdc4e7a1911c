#include "controls/ctlHELP/ctlHELP.h"

#include "controls/ctlLBL/ctlLBL.h"
#include "misc/misc.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>

namespace kavu {

ctlHELP::ctlHELP(QWidget* parent)
    : QWidget(parent), txtHelp_(new QPlainTextEdit(this)), ctlOK_(new ctlLBL(this)) {
    txtHelp_->setObjectName(QStringLiteral("txtHelp"));
    txtHelp_->setGeometry(0, 0, Px(3255), Px(2415));
    txtHelp_->setReadOnly(true);
    txtHelp_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    txtHelp_->setFocusPolicy(Qt::StrongFocus);
    txtHelp_->setTabChangesFocus(true);
    txtHelp_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtHelp_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtHelp_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Room between the border and the first letter of a line.
    txtHelp_->document()->setDocumentMargin(Px(90));
    SetBackground(txtHelp_, SystemColor(kButtonFace));
    txtHelp_->installEventFilter(this);

    ctlOK_->setObjectName(QStringLiteral("ctlOK"));
    ctlOK_->setCaption(QStringLiteral("OK"));
    ctlOK_->setBorder(true);
    ctlOK_->setGeometry(Px(1320), Px(2520), Px(615), Px(240));
    connect(ctlOK_, &ctlLBL::Click, this, &ctlHELP::Close);

    setFixedSize(Px(3255), Px(2520 + 240));
    txtHelp_->setPlainText(QString::fromUtf8(logic_.Text()));
}

void ctlHELP::setLanguage(int language) {
    if (!logic_.SetLanguage(language)) return;
    txtHelp_->setPlainText(QString::fromUtf8(logic_.Text()));
    if (logic_.OpenTopic()) ScrollToTopLine();
}

void ctlHELP::Show(int topic) {
    if (!logic_.Show(topic)) return;
    ScrollToTopLine();
}

void ctlHELP::Close() {
    logic_.Close();
    emit Cancel();
}

void ctlHELP::ScrollToTopLine() {
    const QTextBlock block = txtHelp_->document()->findBlockByNumber(logic_.TopLine());
    txtHelp_->setTextCursor(QTextCursor(block));
    // Scrolled to the end, the caret's line lies above the view; making the caret visible
    // then scrolls just far enough to put that line at the top.
    QScrollBar* bar = txtHelp_->verticalScrollBar();
    bar->setValue(bar->maximum());
    txtHelp_->ensureCursorVisible();
}

bool ctlHELP::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtHelp_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (IsCloseKey(VirtualKey(key->key()))) Close();
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace kavu
