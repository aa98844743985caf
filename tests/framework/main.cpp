// Widget tests need one application object for the whole run.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Dialminder"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
