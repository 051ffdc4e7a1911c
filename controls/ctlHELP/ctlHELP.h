// The help and About panel: a read-only scrolling text in the interface language and an OK
// button. Show brings the asked part to the top; OK, Space, Esc or Enter raise Cancel.
#pragma once

#include "controls/ctlHELP/ctlHELPLogic.h"

#include <QString>
#include <QWidget>

class QPlainTextEdit;

namespace kavu {

class ctlLBL;

class ctlHELP : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Language READ Language WRITE setLanguage)

  public:
    explicit ctlHELP(QWidget* parent = nullptr);

    /// 1 Russian, 2 English (the default). Other values are ignored.
    int Language() const { return logic_.Language(); }
    void setLanguage(int language);

    /// 0 About, 1 entering a sheet number, 2 entering coordinates; larger topics keep the part
    /// the previous Show went to and take the help caption. Negative topics are ignored.
    void Show(int topic);
    /// The caption chosen by the last Show: "About"/"Help" or "О Программе"/"Справка".
    QString Caption() const { return QString::fromUtf8(logic_.Caption()); }

  signals:
    void Cancel();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Close();
    void ScrollToTopLine();

    ctlHELPLogic logic_;
    QPlainTextEdit* txtHelp_;
    ctlLBL* ctlOK_;
};

} // namespace kavu
