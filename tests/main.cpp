#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // Paths of the running program (the INI file, AppDir) need an application object.
    QCoreApplication app(argc, argv);
    // The user's own folders (backups, a fallback INI file) are the run's, not the machine's.
    const QTemporaryDir home;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
