// The start window.

#include "uUiTestSupport.h"
#include "ui/uMain.h"

#include <QSignalSpy>

// Enter opens the chosen mode's window with the start window hidden, the link being set up for
// real-time mode only; Escape ends the program.
TEST(StartWindow, ModesAndKeys)
{
    QTemporaryDir dir;
    TScriptedBoxes boxes;
    TfmMain start(boxes, dir.filePath(QStringLiteral("lorim-config.ini")));
    QList<std::pair<bool, bool>> opened; // mode, start window visible meanwhile
    start.OpenModeWindow = [&](bool realTime, const TOptnLink &) {
        opened << std::pair{realTime, start.isVisible()};
    };
    start.show();
    auto *link = Child<QPushButton>(start, "btLink");
    EXPECT_FALSE(link->isEnabled());
    QTest::keyClick(&start, Qt::Key_Return);
    Child<QRadioButton>(start, "rb2")->click();
    EXPECT_TRUE(link->isEnabled());
    QTest::keyClick(&start, Qt::Key_Enter);
    EXPECT_EQ(opened, (QList<std::pair<bool, bool>>{{false, false}, {true, false}}));
    EXPECT_TRUE(start.isVisible());

    QSignalSpy finished(&start, &QDialog::finished);
    QTest::keyClick(&start, Qt::Key_Escape);
    EXPECT_EQ(finished.count(), 1);
}
