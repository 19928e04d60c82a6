// Widget tests need a QApplication; they run offscreen unless told otherwise.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStyleFactory>
#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    if (QStyle* style = QStyleFactory::create("Fusion"))
        QApplication::setStyle(style);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
