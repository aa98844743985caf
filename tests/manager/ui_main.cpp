// The window tests share one application object.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Dialminder"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
