#pragma once

#include "ui/uMessageBoxes.h"

#include <QApplication>
#include <QTimer>

#include <functional>

// Acts on the next modal dialog of type D once it is up, from the event loop that its exec()
// runs: the dialog is polled for, so no timer races the dialog's opening.
template <typename D> void WhenModal(std::function<void(D &)> act)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        if (auto *dialog = qobject_cast<D *>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(*dialog);
        }
    });
    poll->start(5);
}

// Message boxes that never show: questions take scripted answers.
struct TScriptedBoxes : TMessageBoxes {
    TScriptedBoxes() { Scripted = true; }
};
