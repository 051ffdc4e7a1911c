#include "controls/ctlLSTN/ctlLSTN.h"

#include "controls/ctlLBL/ctlLBL.h"
#include "controls/ctlLst/ctlLst.h"
#include "misc/misc.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>

namespace kavu {

namespace {

/// Light orange, 0x00BBGGRR, the mark of a cell that touches the point.
constexpr std::uint32_t kMarkColour = 0x80C0FF;

QLabel* MakeLabel(QWidget* parent, const char* name, int left, int top, int width, int height) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(Px(left), Px(top), Px(width), Px(height));
    label->setMargin(0);
    label->setIndent(0);
    return label;
}

constexpr int kFrame = 1, kMargin = 1;

} // namespace

ctlLSTN::ctlLSTN(QWidget* parent)
    : QWidget(parent), lblScale_(MakeLabel(this, "lblScale", 1080, 0, 1095, 255)),
      ctlOK_(new ctlLBL(this)) {
    lblScale_->setAlignment(Qt::AlignCenter);
    lblEast_[1] = MakeLabel(this, "lblEast1", 1080, 270, 975, 195);
    lblEast_[2] = MakeLabel(this, "lblEast2", 2160, 270, 975, 195);
    lblNord_[1] = MakeLabel(this, "lblNord1", 0, 990, 975, 195);
    lblNord_[2] = MakeLabel(this, "lblNord2", 0, 1710, 975, 195);

    for (int k = 1; k <= 9; ++k) {
        auto* cell = new QPlainTextEdit(this);
        cell->setObjectName(QStringLiteral("Text%1").arg(k));
        // Neighbouring cells overlap by one pixel, so their frames draw one grid line.
        cell->setGeometry(Px(1080 * ((k - 1) % 3)), Px(480 + 720 * ((k - 1) / 3)), Px(1095),
                          Px(495));
        cell->setFrameStyle(QFrame::Box | QFrame::Plain);
        cell->setLineWidth(kFrame);
        cell->document()->setDocumentMargin(kMargin);
        cell->setReadOnly(true);
        cell->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        cell->setFocusPolicy(Qt::StrongFocus);
        cell->setTabChangesFocus(true);
        cell->setLineWrapMode(QPlainTextEdit::NoWrap);
        cell->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        cell->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        cell->installEventFilter(this);
        text_[static_cast<std::size_t>(k)] = cell;
    }
    // The sheet itself first, then its neighbours from the north-west.
    setTabOrder(Text(5), Text(1));
    for (int k : {1, 2, 3})
        setTabOrder(Text(k), Text(k + 1));
    setTabOrder(Text(4), Text(6));
    for (int k : {6, 7, 8})
        setTabOrder(Text(k), Text(k + 1));

    ctlOK_->setObjectName(QStringLiteral("ctlOK"));
    ctlOK_->setCaption(QStringLiteral("OK"));
    ctlOK_->setBorder(true);
    ctlOK_->setGeometry(Px(1320), Px(2520), Px(615), Px(240));
    connect(ctlOK_, &ctlLBL::Click, this, &ctlLSTN::Cancel);

    setFixedSize(Px(2160 + 1095), Px(2520 + 240));
    Reset();
    ShowLabels();
}

QPlainTextEdit* ctlLSTN::Text(int k) const {
    return k >= 1 && k <= 9 ? text_[static_cast<std::size_t>(k)] : nullptr;
}

bool ctlLSTN::Fits(const QFont& font) const {
    // A cell holds a designation per line; the edges are angles to the minute.
    const int cellRoom = Text(1)->width() - 2 * (kFrame + kMargin) - 2;
    const QStringList edges{QStringLiteral("N 84\u00B0 00'"), QStringLiteral("E 180\u00B0 00'"),
                            QStringLiteral("W 180\u00B0 00'")};
    return ctlLst::WidestDesignation(font) <= cellRoom &&
           WidestText(font, edges) <= lblEast_[1]->width() &&
           WidestText(font, {QStringLiteral("1:1000000")}) <= lblScale_->width();
}

void ctlLSTN::Reset() {
    for (int k = 1; k <= 9; ++k) {
        QPlainTextEdit* cell = Text(k);
        cell->clear();
        SetTextColour(cell, SystemColor(kWindowText));
        SetBackground(cell, SystemColor(kWindowBackground));
    }
}

void ctlLSTN::ShowLabels() {
    lblNord_[1]->setText(QString::fromUtf8(logic_.North()));
    lblNord_[2]->setText(QString::fromUtf8(logic_.South()));
    lblEast_[1]->setText(QString::fromUtf8(logic_.West()));
    lblEast_[2]->setText(QString::fromUtf8(logic_.East()));
    lblScale_->setText(QString::fromUtf8(logic_.Scale()));
}

void ctlLSTN::Calculate(const QString& Number) {
    Reset();
    const QByteArray utf8 = Number.toUtf8();
    logic_.Calculate(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    ShowLabels();
    for (int k = 1; k <= 9; ++k) {
        Text(k)->setPlainText(QString::fromUtf8(logic_.CellText(k)));
        if (logic_.Marked(k)) SetBackground(Text(k), SystemColor(kMarkColour));
    }
}

bool ctlLSTN::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // The key goes on to the cell, which is read-only and so changes nothing.
        if (IsCloseKey(VirtualKey(key->key()))) emit Cancel();
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace kavu
