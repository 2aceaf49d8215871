// The message bar: place and height, the gradient, the message and its
// default, the indicators from left to right with the program's clock, the
// lock states and the 200 ms refresh, and where SETMSG arrives.
#include "platform/clock.h"
#include "platform/keylocks.h"
#include "support/ui/dialog_script.h"
#include "ui/bar.h"
#include "ui/btnbmp.h"
#include "ui/dialog.h"
#include "ui/msgbar.h"
#include "ui/syscolor.h"
#include "ui/window.h"

#include <QApplication>
#include <QEnterEvent>
#include <QWidget>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QTimer>

#include <gtest/gtest.h>

using namespace velt;

namespace {

int at(const QImage& img, int x, int y) { return fromQColor(img.pixelColor(x, y)); }

struct MsgBar : ::testing::Test {
    std::unique_ptr<TWINDOW> wnd;
    TMSGBAR* bar = nullptr;

    void SetUp() override
    {
        test::uiApp();
        // Friday 11 December 2026, 09:05:03
        platform::setClock(std::make_unique<platform::FixedClock>(Date::fromYMD(2026, 12, 11), (9 * 3600 + 5 * 60 + 3) * 100L));
        platform::setKeyLocks(platform::KeyLocks{.num = true, .caps = false});
        wnd = std::make_unique<TWINDOW>(TWINDOW::NewArgs{.title = "VELT", .messageBar = true});
        wnd->HWND->resize(800, 600);
        wnd->HWND->show();
        QApplication::processEvents();
        bar = wnd->OMSGBAR.get();
        ASSERT_NE(bar, nullptr);
    }
    void TearDown() override
    {
        wnd.reset();
        platform::setKeyLocks(std::nullopt);
    }
    QWidget* area() const { return CLIENTAREA(*wnd); }
    // Darkest grey level inside the item's box (text drawn there or not).
    int darkest(const QImage& img, size_t item) const
    {
        const int left = bar->itemLefts()[item] + 3, right = left + bar->AITEMS[item]->NWIDTH - 4;
        int d = 255;
        for (int y = 3; y < img.height() - 3; ++y)
            for (int x = left; x < right; ++x) d = std::min(d, qGray(img.pixel(x, y)));
        return d;
    }
};

} // namespace

TEST_F(MsgBar, SpansTheBottomTwiceTheFontHighAndFollowsResizes)
{
    EXPECT_EQ(bar->height(), 24);
    EXPECT_EQ(bar->HWND->geometry(), QRect(-1, area()->height() - 24, area()->width() + 2, 24));
    wnd->HWND->resize(500, 400);
    QApplication::processEvents();
    EXPECT_EQ(bar->HWND->geometry(), QRect(-1, area()->height() - 24, area()->width() + 2, 24));
}

TEST_F(MsgBar, IndicatorsReadNumCapsDateTimeFromLeftToRight)
{
    ASSERT_EQ(bar->AITEMS.size(), 4u);
    std::vector<std::string> texts;
    for (auto& it : bar->AITEMS) texts.push_back(it->text());
    EXPECT_EQ(texts, (std::vector<std::string>{"Num", "Caps", "11/12/26", "09:05:03"}));
    const QFontMetrics fm(bar->OFONT->qfont());
    const auto lefts = bar->itemLefts();
    int right = bar->HWND->width();
    for (size_t i = lefts.size(); i-- > 0;) {
        EXPECT_EQ(bar->AITEMS[i]->NWIDTH, fm.horizontalAdvance(QString::fromStdString(texts[i])) + 12) << texts[i];
        EXPECT_EQ(lefts[i] + bar->AITEMS[i]->NWIDTH, right) << "the last created is rightmost";
        right = lefts[i];
    }
    // the time moves with the clock
    platform::setClock(std::make_unique<platform::FixedClock>(Date::fromYMD(2027, 1, 2), 86399 * 100L + 99));
    EXPECT_EQ(bar->AITEMS[2]->text(), "02/01/27");
    EXPECT_EQ(bar->AITEMS[3]->text(), "23:59:59");
}

TEST_F(MsgBar, PaintsTheTwoBandGradientTheMessageAndSunkenSeparators)
{
    bar->SETMSG("");
    bar->AITEMS.clear(); // the background alone, then the message
    QImage img = bar->HWND->grab().toImage();
    EXPECT_EQ(at(img, 300, 0), rgbColor(254, 254, 255));
    EXPECT_EQ(at(img, 300, 11), rgbColor(232, 236, 246));
    EXPECT_EQ(at(img, 300, 12), rgbColor(212, 219, 237));
    EXPECT_EQ(at(img, 300, 23), rgbColor(222, 227, 244));

    wnd->OMSGBAR->CMSGDEF = "Pronto";
    QImage msg = bar->HWND->grab().toImage();
    int firstInk = -1;
    for (int x = 0; x < 100 && firstInk < 0; ++x)
        for (int y = 0; y < 24; ++y)
            if (qGray(msg.pixel(x, y)) < 100) { firstInk = x; break; }
    EXPECT_GE(firstInk, 4) << "the default shows when the current message is empty";
    EXPECT_LE(firstInk, 6);
}

TEST_F(MsgBar, CapsIsInvisibleWhileOffAndShowsAtTheNextTick)
{
    const int caps = 1, num = 0;
    EXPECT_EQ(bar->AITEMS[caps]->colour(), GETSYSCOLOR(syscolor::WINDOW));
    EXPECT_EQ(bar->AITEMS[num]->colour(), GETSYSCOLOR(syscolor::WINDOWTEXT));
    QImage before = bar->HWND->grab().toImage();
    EXPECT_LT(darkest(before, num), 100) << "Num drawn";
    EXPECT_GT(darkest(before, caps), 150) << "Caps in the background colour";
    // separators at each item's left edge: shadow then highlight
    const int x = bar->itemLefts()[caps];
    EXPECT_EQ(at(before, x, 12), GETSYSCOLOR(syscolor::BTNSHADOW));
    EXPECT_EQ(at(before, x + 1, 12), GETSYSCOLOR(syscolor::BTNHIGHLIGHT));

    ASSERT_TRUE(bar->timer());
    EXPECT_EQ(bar->timer()->interval(), 200);
    EXPECT_TRUE(bar->timer()->isActive());
    platform::setKeyLocks(platform::KeyLocks{.num = true, .caps = true});
    // the bar's own timer picks the change up
    QElapsedTimer waited;
    waited.start();
    while (!bar->AITEMS[caps]->LACTIVE && waited.elapsed() < 5000) QApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_TRUE(bar->AITEMS[caps]->LACTIVE);
    EXPECT_LT(darkest(bar->HWND->grab().toImage(), caps), 100);
}

TEST_F(MsgBar, SetmsgReachesTheBarFromBarButtonsButNotFromDialogs)
{
    auto tb = TBAR::NEW(*wnd, 55, 60);
    TBTNBMP* b = TBTNBMP::NEWBAR({.resource = "ARTICOLI", .bar = tb.get()});
    SETMSG(*b, "dal pulsante");
    EXPECT_EQ(bar->shownMessage(), "dal pulsante");
    TDIALOG dlg(TDIALOG::NewArgs{.owner = wnd.get()});
    SETMSG(dlg, "dal dialogo");
    EXPECT_EQ(bar->shownMessage(), "dal pulsante");
    // moving onto a bar button shows its CMSG (empty): the default returns
    bar->CMSGDEF = "Pronto";
    QEnterEvent e(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(b->HWND, &e);
    EXPECT_EQ(bar->shownMessage(), "Pronto");
    // and so does moving onto the window's own area
    SETMSG(*wnd, "Gestione articoli");
    QEnterEvent onArea(QPointF(300, 300), QPointF(300, 300), QPointF(300, 300));
    QApplication::sendEvent(area(), &onArea);
    EXPECT_EQ(bar->shownMessage(), "Pronto");
}
