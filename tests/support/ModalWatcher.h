#pragma once

#include <QApplication>
#include <QTimer>
#include <functional>

// Runs `answer` on the first modal dialog of type T that opens while `owner`
// lives, so a test can look at and close a box that a handler runs with exec().
template <class T> void AnswerModal(QObject *owner, std::function<void(T *)> answer)
{
    auto *timer = new QTimer(owner);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        if (auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            answer(dialog);
        }
    });
    timer->start();
}
