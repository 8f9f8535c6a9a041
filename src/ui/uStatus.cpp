#include "ui/uStatus.h"

#include "ui/uGuiSinks.h"
#include "ui_uStatus.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QThread>

#include <algorithm>
#include <functional>
#include <optional>

TfmStatus *OpenProgressWindow = nullptr;

namespace {

// Runs f on the open progress window, on the GUI thread, if one is open by then.
void OnOpenWindow(const std::function<void(TfmStatus &)> &f)
{
    const auto run = [f] {
        if (OpenProgressWindow)
            f(*OpenProgressWindow);
    };
    QCoreApplication *app = QCoreApplication::instance();
    if (QThread::currentThread() == app->thread())
        run();
    else
        QMetaObject::invokeMethod(app, run, Qt::QueuedConnection);
}

} // namespace

TfmStatus::TfmStatus(QWidget *owner)
    : QWidget(nullptr, Qt::Dialog | Qt::FramelessWindowHint),
      FUi(std::make_unique<Ui::TfmStatus>()), FOwner(owner)
{
    FUi->setupUi(this);
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(size());
    connect(FUi->btCancel, &QPushButton::clicked, this, &TfmStatus::CancelJob);
}

TfmStatus::~TfmStatus()
{
    if (OpenProgressWindow == this)
        OpenProgressWindow = nullptr;
}

TJobResult TfmStatus::Run(TJobContext &context, TJobSinks sinks)
{
    Started = true;
    TOpenProgress progress;
    sinks.Progress = &progress;
    OpenProgressWindow = this;
    PlaceOverOwner();
    show();
    raise();

    // Only a link job can stop half-way; a file job is short and all or nothing.
    FUi->btCancel->setVisible(Mode < JobSaveFile);
    FUi->btCancel->setEnabled(true);
    FCancelRequest = context.CancelRequest;
    TJobResult result = TJobResult::No;
    QEventLoop loop;
    const std::unique_ptr<QThread> worker(
        QThread::create([&] { result = ExecuteJob(Mode, context, sinks); }));
    connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    FRunning = true;
    worker->start();
    loop.exec();
    worker->wait();
    FRunning = false;
    FCancelRequest.reset();

    OpenProgressWindow = nullptr;
    hide();
    return result;
}

void TfmStatus::PlaceOverOwner()
{
    QRect area = FOwner && FOwner->isVisible() ? FOwner->frameGeometry()
                                               : QGuiApplication::primaryScreen()->geometry();
    move(area.center() - rect().center());
}

void TfmStatus::SetMax(int count) { FUi->pbStatus->setMaximum(count); }
void TfmStatus::Reset() { FUi->pbStatus->setValue(0); }
void TfmStatus::Step()
{
    FUi->pbStatus->setValue(std::min(FUi->pbStatus->value() + 1, FUi->pbStatus->maximum()));
}
void TfmStatus::Full() { FUi->pbStatus->setValue(FUi->pbStatus->maximum()); }
int TfmStatus::Position() const { return FUi->pbStatus->value(); }
int TfmStatus::Maximum() const { return FUi->pbStatus->maximum(); }

void TfmStatus::closeEvent(QCloseEvent *event)
{
    // The job's thread may not be cut short.
    if (FRunning)
        event->ignore();
    else
        QWidget::closeEvent(event);
}

void TfmStatus::CancelJob()
{
    if (!FCancelRequest || !FUi->btCancel->isVisible())
        return;
    *FCancelRequest = true;
    FUi->btCancel->setEnabled(false);
}

void TfmStatus::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        CancelJob();
    event->accept();
}

void TOpenProgress::ProgressMax(int count)
{
    OnOpenWindow([count](TfmStatus &w) { w.SetMax(count); });
}
void TOpenProgress::ProgressReset()
{
    OnOpenWindow([](TfmStatus &w) { w.Reset(); });
}
void TOpenProgress::ProgressStep()
{
    OnOpenWindow([](TfmStatus &w) { w.Step(); });
}
void TOpenProgress::ProgressFull()
{
    OnOpenWindow([](TfmStatus &w) { w.Full(); });
}

TJobResult TStatusRunner::Run(int code, TJobContext &context)
{
    // The job's messages wait in its outcome for its caller; a question it has is asked at
    // once, on the GUI thread.
    TQuestion *asked = context.RestoreQuestion;
    std::optional<TGuiQuestion> question;
    if (asked)
        context.RestoreQuestion = &question.emplace(*asked);
    TfmStatus window(FOwner);
    window.Mode = code;
    const TJobResult result = window.Run(context, TJobSinks{&FLog, nullptr, nullptr});
    context.RestoreQuestion = asked;
    return result;
}
