#pragma once

// Answers the message dialogs a window opens while a test drives it: every
// modal dialog that is not one of the test's own windows is read (its
// caption and label texts recorded) and closed with the button whose text
// comes next in the script (the dialog's default button when the script is
// empty). Works with any dialog built from labels and buttons.

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

#include <functional>

namespace kolvar::test {

struct SeenDialog {
    QString caption;
    QString text;
};

class ModalAnswerer : public QObject
{
public:
    explicit ModalAnswerer(QObject *parent = nullptr) : QObject(parent)
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start();
    }

    // Dialogs for which this returns true are left alone (the windows
    // under test).
    void setIgnore(std::function<bool(QWidget *)> ignore) { m_ignore = std::move(ignore); }
    // Button texts to press, in order.
    void answer(const QStringList &buttons) { m_script += buttons; }

    QList<SeenDialog> seen;

    QStringList texts() const
    {
        QStringList t;
        for (const SeenDialog &d : seen)
            t << d.text;
        return t;
    }

private:
    void poll()
    {
        QWidget *w = QApplication::activeModalWidget();
        if (!w || w == m_last || (m_ignore && m_ignore(w)))
            return;
        auto *dialog = qobject_cast<QDialog *>(w);
        if (!dialog)
            return;
        m_last = w;
        SeenDialog d{w->windowTitle(), {}};
        QStringList parts;
        for (QLabel *l : w->findChildren<QLabel *>()) {
            if (!l->text().isEmpty())
                parts << l->text();
        }
        d.text = parts.join(QLatin1Char('\n'));
        seen << d;

        QAbstractButton *press = nullptr;
        const QString wanted = m_script.isEmpty() ? QString() : m_script.takeFirst();
        for (QAbstractButton *b : w->findChildren<QAbstractButton *>()) {
            if (!wanted.isEmpty() && b->text().remove(QLatin1Char('&')) == wanted)
                press = b;
            auto *pb = qobject_cast<QPushButton *>(b);
            if (wanted.isEmpty() && !press && pb && (pb->isDefault() || pb->hasFocus()))
                press = b;
        }
        if (press)
            press->click();
        else
            dialog->reject();
    }

    QTimer m_timer;
    QPointer<QWidget> m_last;
    QStringList m_script;
    std::function<bool(QWidget *)> m_ignore;
};

} // namespace kolvar::test
