#pragma once

#include "model/uConfig.h"
#include "storage/uCatalog.h"
#include "storage/uDB.h"
#include "storage/uHistory.h"
#include "support/uLinkRig.h"
#include "support/uSampleConfigs.h"
#include "support/uTestSupport.h"
#include "ui/uCfg.h"
#include "ui/uDialogFrame.h"
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

// Picks the item whose trimmed text is text, as the user would.
inline void Pick(QComboBox *box, const QString &text)
{
    for (int i = 0; i < box->count(); ++i)
        if (box->itemText(i).trimmed() == text)
            return box->setCurrentIndex(i);
    ADD_FAILURE() << "no item " << text.toStdString();
}

// Sets the named box of a dialog: a number into a spin box, a text into a text box, the item of
// that text in a list.
inline void Set(const QObject &dialog, const char *name, const QString &value)
{
    QObject *box = Child<QObject>(dialog, name);
    if (auto *spin = qobject_cast<QSpinBox *>(box))
        spin->setValue(value.toInt());
    else if (auto *edit = qobject_cast<QLineEdit *>(box))
        edit->setText(value);
    else if (auto *list = qobject_cast<QComboBox *>(box))
        Pick(list, value);
    else
        ADD_FAILURE() << "no box " << name;
}

// Sets the named box of the next settings dialog to value, then confirms it with OK.
inline void ConfirmNext(TMessageBoxes &boxes, const char *name, const char *value)
{
    const QString text = QString::fromUtf8(value);
    WhenModal<TDialogFrame>([&boxes, name, text](TDialogFrame &dialog) {
        Set(dialog, name, text);
        ConfirmOk(boxes, dialog);
    });
}

// Types keys over the whole text of a box, as the keyboard alone can.
inline void TypeOver(QWidget *box, const QString &keys)
{
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, keys);
}

// A box's items, trimmed of their padding and joined by "|".
inline QString Items(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i).trimmed();
    return items.join(u'|');
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

// Loads a configuration file into config; config, or null when the file does not load.
inline TConfig *LoadSite(const QString &path, TConfig &config)
{
    TDBConfig db(&config, nullptr);
    return db.Connect(path) && db.LoadConfig() ? &config : nullptr;
}

// The editor window, its INI file, history and backups in a folder of its own, the quick timings of
// the tests, and a simulated module holding the demo site.
struct TEditorSession {
    QTemporaryDir Dir;
    TScriptedBoxes Boxes;
    TfmCfg Window{Boxes};
    TLinkRig Module;

    TEditorSession()
    {
        InitAppDir();
        Window.IniPath = Dir.filePath(QStringLiteral("lorim-config.ini"));
        WriteText(Window.IniPath.Write,
                  QStringLiteral("[History]\nFolder=%1\n[Backup]\nFolder=%2\n")
                      .arg(Dir.filePath(QStringLiteral("history")),
                           Dir.filePath(QStringLiteral("backups"))));
        Window.Timings = TestTimings();
    }
    // Configuration mode, on the module's site saved as a file.
    void OpenFile()
    {
        Window.FileName = Dir.filePath(QStringLiteral("site.cfg"));
        ASSERT_TRUE(SaveSite(Module.Site, Window.FileName));
        ASSERT_TRUE(Window.StartUp());
    }
    // Puts site into the catalogue as "known", with its password.
    void AddToCatalogue(TConfig &site)
    {
        const QString file = Dir.filePath(QStringLiteral("known.cfg"));
        ASSERT_TRUE(SaveSite(site, file));
        ASSERT_TRUE(SaveCatalog(Window.IniPath, {{QStringLiteral("known"), {}, file}}, Boxes));
    }
    // Real-time mode; the catalogue knows the module's password.
    void OpenModule()
    {
        AddToCatalogue(Module.Site);
        ASSERT_TRUE(Module.Start());
        Window.LinkSettings = Module.Port.Link;
        ASSERT_TRUE(Window.StartUp());
        ASSERT_TRUE(Window.RealTime);
    }
    QStringList Disagreements() const
    {
        return ConfigDifferences(Module.Site, *Window.Config, TCompare::Settings);
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
    QTreeWidget *List(const char *name) const { return Child<QTreeWidget>(Window, name); }
    void Select(const char *list, int number) const
    {
        QTreeWidget *l = List(list);
        for (int i = 0; i < l->topLevelItemCount(); ++i)
            if (l->topLevelItem(i)->text(0).trimmed().toInt() == number)
                return l->setCurrentItem(l->topLevelItem(i));
        ADD_FAILURE() << "no row " << number;
    }
    // The number of the selected row of the active list.
    QString Selected() const
    {
        const char *names[] = {"lvDev", "lvPart", "lvUser"};
        const QTreeWidgetItem *row =
            List(names[Child<QTabWidget>(Window, "pcObj")->currentIndex()])->currentItem();
        return row ? row->text(0).trimmed() : QString();
    }
};

struct TEditorTest : testing::Test, TEditorSession {};
