// Colour integers and the system colours, white on a shared installation.
#include "platform/marker.h"
#include "ui/syscolor.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPalette>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace velt;

TEST(Colour, RedInTheLowByte)
{
    EXPECT_EQ(rgbColor(255, 0, 0), 255);
    EXPECT_EQ(rgbColor(255, 255, 255), 16777215);
    EXPECT_EQ(toQColor(0xF5F4F4), QColor(244, 244, 245));
    EXPECT_EQ(fromQColor(QColor(145, 201, 247)), rgbColor(145, 201, 247));
}

TEST(SysColor, PaletteRolesAndSharedInstallWhite)
{
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    QPalette pal;
    pal.setColor(QPalette::Base, QColor(10, 20, 30));
    pal.setColor(QPalette::Text, QColor(1, 2, 3));
    pal.setColor(QPalette::Button, QColor(40, 50, 60));
    pal.setColor(QPalette::ButtonText, QColor(4, 5, 6));
    pal.setColor(QPalette::Mid, QColor(70, 80, 90));
    QGuiApplication::setPalette(pal);

    namespace fs = std::filesystem;
    fs::path marker = fs::temp_directory_path() / ("velt_syscolor_" + std::to_string(::getpid()));
    fs::remove(marker);
    platform::setSharedInstallMarker(marker.string());

    EXPECT_EQ(GETSYSCOLOR(syscolor::WINDOW), rgbColor(10, 20, 30));
    EXPECT_EQ(GETSYSCOLOR(syscolor::WINDOWTEXT), rgbColor(1, 2, 3));
    EXPECT_EQ(GETSYSCOLOR(syscolor::BTNFACE), rgbColor(40, 50, 60));
    EXPECT_EQ(GETSYSCOLOR(syscolor::BTNTEXT), rgbColor(4, 5, 6));
    EXPECT_EQ(GETSYSCOLOR(syscolor::APPWORKSPACE), rgbColor(70, 80, 90));
    EXPECT_EQ(GETSYSBGCOLOR(), rgbColor(10, 20, 30));

    std::ofstream(marker) << "x";
    EXPECT_EQ(GETSYSBGCOLOR(), 16777215);
    EXPECT_EQ(GETSYSBGCOLOR(syscolor::BTNFACE), 16777215);
    EXPECT_EQ(GETSYSCOLOR(syscolor::WINDOW), rgbColor(10, 20, 30)); // the plain query is unchanged

    platform::setSharedInstallMarker("");
    fs::remove(marker);
}
