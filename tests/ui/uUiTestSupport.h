#pragma once

#include "model/uConfig.h"
#include "storage/uCatalog.h"
#include "storage/uDB.h"
#include "storage/uHistory.h"
#include "support/uLinkRig.h"
#include "support/uTestSupport.h"
#include "ui/uCfg.h"
#include "ui/uMessageBoxes.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <tuple>

// Acts on the next modal dialog of type D once it is up, from the event loop that its exec()
// runs: the dialog is polled for, so no timer races the dialog's opening. The poll ends itself
// when it has acted; one for a dialog that must not open is the test's to delete.
template <typename D> QPointer<QTimer> WhenModal(std::function<void(D &)> act)
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
    return poll;
}

// Message boxes that never show: questions take scripted answers.
struct TScriptedBoxes : TMessageBoxes {
    TScriptedBoxes() { Scripted = true; }
};

template <typename T> T *Child(const QObject &parent, const char *name)
{
    return parent.findChild<T *>(QLatin1String(name));
}
inline QComboBox *Box(const QObject &parent, const char *name)
{
    return Child<QComboBox>(parent, name);
}
inline QLineEdit *Edit(const QObject &parent, const char *name)
{
    return Child<QLineEdit>(parent, name);
}
inline void PressOk(const QObject &dialog) { Child<QPushButton>(dialog, "btOK")->click(); }
// Presses OK and answers Yes to the change confirmation.
inline void ConfirmOk(TMessageBoxes &boxes, const QObject &dialog)
{
    boxes.Answers = {true};
    PressOk(dialog);
}
// Sets up the next modal dialog D with set, then confirms it with OK.
template <typename D> void ConfirmModal(TMessageBoxes &boxes, std::function<void(D &)> set)
{
    WhenModal<D>([&boxes, set](D &dialog) {
        set(dialog);
        ConfirmOk(boxes, dialog);
    });
}

// A box's items, trimmed of their padding and joined by "|".
inline QString Items(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i).trimmed();
    return items.join(u'|');
}

// Picks the item whose trimmed text is text, as the user would.
inline void Pick(QComboBox *box, const QString &text)
{
    for (int i = 0; i < box->count(); ++i)
        if (box->itemText(i).trimmed() == text)
            return box->setCurrentIndex(i);
    ADD_FAILURE() << "no item " << text.toStdString();
}

// Pastes over the whole text, as a mouse and the context menu can.
inline void PasteOverAll(QLineEdit *edit, const QString &text)
{
    QApplication::clipboard()->setText(text);
    edit->selectAll();
    edit->paste();
}

// Saves config as a configuration file made from the template beside the program.
inline bool SaveSite(TConfig &config, const QString &path)
{
    return SaveConfigFile(config, path, AppDir + QStringLiteral("config.md_"), nullptr, nullptr) ==
           TSaveResult::Saved;
}

// The editor window, its INI file and history in a folder of its own, the quick timings of the
// tests.
struct TEditorSession {
    QTemporaryDir Dir;
    TScriptedBoxes Boxes;
    TfmCfg Window{Boxes};

    TEditorSession()
    {
        InitAppDir();
        Window.IniPath = Dir.filePath(QStringLiteral("lorim-config.ini"));
        WriteText(Window.IniPath.Write,
                  QStringLiteral("[History]\nFolder=") + Dir.filePath(QStringLiteral("history")));
        Window.Timings = TestTimings();
    }
    // The messages of the versions the history holds, newest first.
    QStringList HistoryEvents() const
    {
        THistory history(LoadHistorySettings(Window.IniPath), nullptr);
        QStringList events;
        for (const THistoryVersion &version : history.Versions())
            events << version.Message;
        return events;
    }
    void Tab(int index) const { Child<QTabWidget>(Window, "pcObj")->setCurrentIndex(index); }
};

struct TEditorTest : testing::Test, TEditorSession {};
