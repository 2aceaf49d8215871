// GRADIENTFILL onto an image: stripe boundaries, end colours, the edges.
#include "ui/gradient.h"
#include "ui/syscolor.h"

#include <gtest/gtest.h>

#include <QImage>

using namespace velt;

namespace {
const int kBack = rgbColor(1, 2, 3);
const int kRed = rgbColor(255, 0, 0), kBlue = rgbColor(0, 0, 255);
const int kGreen = rgbColor(0, 255, 0), kWhite2 = rgbColor(255, 255, 255);

QImage canvas(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(toQColor(kBack));
    return img;
}
int at(const QImage& img, int x, int y) { return fromQColor(img.pixelColor(x, y)); }
} // namespace

TEST(GradientFill, TwoVerticalBandsOfHalfTheHeight)
{
    QImage img = canvas(14, 30);
    {
        QPainter p(&img);
        // rectangle rows 5..25 (21 high), columns 2..11
        GRADIENTFILL(p, 5, 2, 26, 12, {{0.5, kRed, kBlue}, {0.5, kGreen, kWhite2}});
    }
    // first stripe: int(0.5 * 21) = 10 rows, 5..14; the last one reaches row 25
    EXPECT_EQ(at(img, 2, 5), kRed);
    EXPECT_EQ(at(img, 11, 14), kBlue);
    EXPECT_EQ(at(img, 2, 15), kGreen);
    EXPECT_EQ(at(img, 11, 25), kWhite2);
    // linear in between: row 8 is a third of the way from red to blue
    EXPECT_EQ(at(img, 5, 8), rgbColor(170, 0, 85));
    // every pixel of a row has the same colour, and nothing outside is touched
    for (int y = 5; y <= 25; ++y)
        for (int x = 3; x <= 11; ++x) ASSERT_EQ(at(img, x, y), at(img, 2, y)) << x << "," << y;
    for (int x = 0; x < 14; ++x) {
        EXPECT_EQ(at(img, x, 4), kBack);
        EXPECT_EQ(at(img, x, 26), kBack);
    }
    for (int y = 0; y < 30; ++y) {
        EXPECT_EQ(at(img, 1, y), kBack);
        EXPECT_EQ(at(img, 12, y), kBack);
    }
}

TEST(GradientFill, HorizontalCutAndOverfullBands)
{
    QImage img = canvas(20, 4);
    {
        QPainter p(&img);
        // 10 columns wide; the first band takes 8, the second has only 2 left,
        // the third finds nothing
        GRADIENTFILL(p, 0, 5, 4, 15, {{0.8, kRed, kBlue}, {0.8, kGreen, kWhite2}, {1, kBack, kBack}}, false);
    }
    EXPECT_EQ(at(img, 5, 0), kRed);
    EXPECT_EQ(at(img, 12, 3), kBlue);
    EXPECT_EQ(at(img, 13, 1), kGreen);
    EXPECT_EQ(at(img, 14, 1), kWhite2);
    EXPECT_EQ(at(img, 4, 0), kBack);
    EXPECT_EQ(at(img, 15, 0), kBack);
}

TEST(GradientFill, OneBandOfOneColourFillsAll)
{
    const int bar = rgbColor(244, 244, 245);
    EXPECT_EQ(bar, 0xF5F4F4);
    QImage img = canvas(6, 7);
    {
        QPainter p(&img);
        GRADIENTFILL(p, 0, 0, 7, 6, {{1, bar, bar}});
        GRADIENTFILL(p, 3, 3, 3, 6, {{1, kRed, kRed}}); // empty rectangle: nothing
    }
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 6; ++x) ASSERT_EQ(at(img, x, y), bar);
}
