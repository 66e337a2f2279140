#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVector>

// Answers the modal message boxes that code under test opens, in order, and records what
// they showed. Each answer is a standard button; when the answers run out, boxes get the
// fallback (Yes unless told), or Ok where they have no such button.
class MessageBoxAnswerer {
public:
    struct Seen {
        QString title;
        QString text;
        QMessageBox::Icon icon;
        QMessageBox::StandardButton defaultButton;
        QStringList buttons;  // the buttons' texts, in the box's order
    };

    explicit MessageBoxAnswerer(QVector<QMessageBox::StandardButton> answers = {},
                                QMessageBox::StandardButton fallback = QMessageBox::Yes)
        : answers_(std::move(answers)), fallback_(fallback) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start(10);
    }

    const QVector<Seen>& seen() const { return seen_; }

private:
    void Poll() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box->property("answered").toBool()) return;
        box->setProperty("answered", true);
        QMessageBox::StandardButton def = QMessageBox::NoButton;
        if (box->defaultButton()) def = box->standardButton(box->defaultButton());
        QStringList buttons;
        for (const QAbstractButton* b : box->buttons()) buttons << b->text();
        seen_.append({box->windowTitle(), box->text(), box->icon(), def, buttons});
        QMessageBox::StandardButton answer =
            next_ < answers_.size() ? answers_[next_++]
            : box->button(fallback_) ? fallback_
                                     : QMessageBox::Ok;
        if (QAbstractButton* b = box->button(answer))
            b->click();
        else
            box->reject();
    }

    QTimer timer_;
    QVector<QMessageBox::StandardButton> answers_;
    QMessageBox::StandardButton fallback_;
    int next_ = 0;
    QVector<Seen> seen_;
};
