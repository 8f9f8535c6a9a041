// The start window.

#include "uUiTestSupport.h"
#include "ui/uMain.h"

#include <QSignalSpy>

namespace {

struct StartWindow : testing::Test {
    QTemporaryDir Dir;
    QString Ini = Dir.filePath(QStringLiteral("lorim-config.ini"));
    TScriptedBoxes Boxes;
};

} // namespace

// Configuration mode is chosen first and the link is set up for real-time mode only; Enter
// opens the chosen mode's window with the start window hidden, Escape ends the program.
TEST_F(StartWindow, ModesAndKeys)
{
    TfmMain start(Boxes, Ini);
    EXPECT_EQ(start.LinkSettings, (TOptnLink{0, QStringLiteral("COM1"), 57600, QString(), 10001}));
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
    EXPECT_TRUE(Child<QRadioButton>(start, "rb2")->isChecked());
    Child<QRadioButton>(start, "rb1")->click();
    EXPECT_FALSE(link->isEnabled());
    EXPECT_EQ(opened, (QList<std::pair<bool, bool>>{{false, false}, {true, false}}));
    EXPECT_TRUE(start.isVisible());

    QSignalSpy finished(&start, &QDialog::finished);
    QTest::keyClick(&start, Qt::Key_Escape);
    EXPECT_EQ(finished.count(), 1);
}
