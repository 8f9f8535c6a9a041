#include "ui/uGuiSinks.h"

#include "ui/uStatus.h"

#include <QCoreApplication>
#include <QMutexLocker>
#include <QPlainTextEdit>
#include <QThread>

void RunOnGuiThread(const std::function<void()> &f)
{
    QCoreApplication *app = QCoreApplication::instance();
    // A blocking queued call onto the thread one is on would wait for ever.
    if (QThread::currentThread() == app->thread())
        f();
    else
        QMetaObject::invokeMethod(app, f, Qt::BlockingQueuedConnection);
}

TGuiLog::TGuiLog(QPlainTextEdit &pane) : FPane(pane) {}

void TGuiLog::WriteLog(const QString &line)
{
    const QMutexLocker lock(&FLock);
    FWaiting << line;
    if (FFlushPosted)
        return;
    FFlushPosted = true;
    QMetaObject::invokeMethod(this, &TGuiLog::Flush, Qt::QueuedConnection);
}

void TGuiLog::Flush()
{
    QStringList lines;
    {
        const QMutexLocker lock(&FLock);
        lines.swap(FWaiting);
        FFlushPosted = false;
    }
    if (!lines.isEmpty())
        FPane.appendPlainText(lines.join(u'\n'));
}

bool TGuiQuestion::AskYesNo(const QString &text, const QString &caption)
{
    bool yes = false;
    RunOnGuiThread([&] {
        TfmStatus *progress = OpenProgressWindow;
        if (progress)
            progress->hide();
        yes = FAsked.AskYesNo(text, caption);
        if (progress)
            progress->show();
    });
    return yes;
}
