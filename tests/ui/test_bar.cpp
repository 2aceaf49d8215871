// The button bar and its bitmap buttons: geometry of the main window's groups,
// stretching, insertion, painting of the bar, the face and the pressed and
// hover states, greyed bitmaps, clicks and when callbacks, and the program's
// bitmaps themselves.
#include "support/ui/dialog_script.h"
#include "ui/bar.h"
#include "ui/btnbmp.h"
#include "ui/button.h"
#include "ui/dialog.h"
#include "ui/menu.h"
#include "ui/syscolor.h"
#include "ui/window.h"

#include <QApplication>
#include <QEnterEvent>
#include <QMainWindow>
#include <QMouseEvent>

#include <gtest/gtest.h>

using namespace velt;

namespace {

const int kFace = rgbColor(244, 244, 245);
const int kHover = rgbColor(145, 201, 247);

int at(const QImage& img, int x, int y) { return fromQColor(img.pixelColor(x, y)); }

struct MainBar {
    std::shared_ptr<TMENU> menu;
    std::unique_ptr<TWINDOW> wnd;
    std::shared_ptr<TBAR> bar;
    std::vector<TBTNBMP*> btns;
    std::vector<std::string> ran;

    explicit MainBar(bool withMenu = true)
    {
        test::uiApp();
        TMENU::AMENUS().clear();
        if (withMenu) {
            menu = TMENU::NEW();
            MENUADD(TMENUITEM::NEW("Modifica"));
            MENUADD(TMENUITEM::NEW("Articoli...", "", false, [](TMENUITEM&) {}));
            TMENU::ENDMENU();
            TMENU::ENDMENU();
        }
        wnd = std::make_unique<TWINDOW>(TWINDOW::NewArgs{.title = "VELT", .menu = menu});
        wnd->HWND->resize(800, 600);
        wnd->HWND->show();
        QApplication::processEvents();
        bar = TBAR::NEW(*wnd, 55, 60, "TOP", {}, true, 60);
        // the main window's eight buttons in four groups
        const struct { const char* res; const char* caption; bool group; } rows[] = {
            {"ARTICOLI", "Articoli", false}, {"CARICO", "Carico", true},  {"SCARICO", "Scarico", false},
            {"CANCELLA", "Cancella", false}, {"RIEPCARICO", "Carico", true}, {"RIEPSCARICO", "Scarico", false},
            {"BARRE", "Barre", true},        {"ETICHETTE", "Etichette", false},
        };
        for (const auto& r : rows)
            btns.push_back(TBTNBMP::NEWBAR({.resource = r.res,
                                            .action = [this, r](TBTNBMP&) { ran.push_back(r.res); },
                                            .group = r.group,
                                            .bar = bar.get(),
                                            .tooltip = r.caption,
                                            .caption = r.caption}));
        QApplication::processEvents();
    }
    QWidget* area() const { return CLIENTAREA(*wnd); }
};

void mouse(QWidget* w, QEvent::Type type, QPoint p)
{
    QMouseEvent e(type, QPointF(p), QPointF(w->mapToGlobal(p)), Qt::LeftButton,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void enter(QWidget* w)
{
    QEnterEvent e(QPointF(5, 5), QPointF(5, 5), QPointF(w->mapToGlobal(QPoint(5, 5))));
    QApplication::sendEvent(w, &e);
}

// An opaque pixel of the bitmap, searched from its centre.
QPoint opaquePixel(const QImage& img)
{
    for (int y = img.height() / 2; y < img.height(); ++y)
        for (int x = img.width() / 2; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) == 255) return {x, y};
    return {-1, -1};
}

} // namespace

TEST(Bar, MainWindowGroupsStartWhereTheGeometryRulesPutThem)
{
    MainBar m;
    std::vector<int> lefts;
    for (TBTNBMP* b : m.btns) {
        lefts.push_back(b->NLEFT);
        EXPECT_EQ(b->HWND->geometry(), QRect(b->NLEFT, -1, 56, 61)) << b->CRESNAME;
        EXPECT_EQ(b->HWND->parentWidget(), m.bar->HWND);
        EXPECT_EQ(b->HWND->focusPolicy(), Qt::NoFocus) << "bar buttons are not tab stops";
        EXPECT_EQ(b->HWND->toolTip().toStdString(), b->CTOOLTIP);
    }
    EXPECT_EQ(lefts, (std::vector<int>{0, 63, 118, 173, 236, 291, 354, 409}));
    EXPECT_EQ(m.bar->NGROUPS, 3);
    EXPECT_EQ(m.wnd->OBAR, m.bar);
    // under a menu bar: top 0, 62 high, from -1 to the client's right + 2
    const int cw = m.area()->width();
    EXPECT_EQ(m.bar->HWND->geometry(), QRect(-1, 0, cw + 3, 62));
    m.wnd->HWND->resize(640, 480);
    QApplication::processEvents();
    EXPECT_EQ(m.bar->HWND->width(), m.area()->width() + 3) << "stretched with the window";
    EXPECT_NE(m.area()->width(), cw);
}

TEST(Bar, WithoutMenuTheBarStartsAboveTheClientAreaAndPositionInserts)
{
    MainBar m(false);
    EXPECT_EQ(m.bar->HWND->y(), -1);
    TBTNBMP* first = TBTNBMP::NEWBAR({.resource = "OK", .bar = m.bar.get(), .position = 1});
    const auto btns = m.bar->buttons();
    ASSERT_EQ(btns.size(), 9u);
    EXPECT_EQ(btns[0], first);
    EXPECT_EQ(first->NLEFT, 0);
    EXPECT_EQ(m.btns[0]->NLEFT, 55) << "the others move along";
    EXPECT_EQ(m.btns[1]->NLEFT, 118);
    m.bar->DEL(first);
    EXPECT_EQ(m.btns[0]->NLEFT, 0);
}

TEST(Bar, TheClientAreaBetweenTheBarsShowsTheWindowsBackground)
{
    test::uiApp();
    TWINDOW wnd({.title = "VELT", .clrPane = rgbColor(10, 20, 30), .messageBar = true});
    wnd.HWND->resize(400, 300);
    wnd.HWND->show();
    auto bar = TBAR::NEW(wnd, 55, 60);
    QApplication::processEvents();
    QImage img = CLIENTAREA(wnd)->grab().toImage();
    EXPECT_EQ(at(img, 200, 150), rgbColor(10, 20, 30));
    EXPECT_EQ(at(img, 200, 30), kFace) << "the bar on top";
}

TEST(Bar, PaintsAFlatFaceWithGroupSeparatorsAndThenItsPaintCallback)
{
    MainBar m;
    int painted = 0;
    m.bar->BPAINTED = [&](QPainter&, TWINDOW& w) { painted += &w == m.bar.get(); };
    QImage img = m.bar->HWND->grab().toImage();
    EXPECT_GE(painted, 1);
    const int shadow = GETSYSCOLOR(syscolor::BTNSHADOW), light = GETSYSCOLOR(syscolor::BTNHIGHLIGHT);
    ASSERT_NE(shadow, light);
    // the gap before "Carico" (63) holds the lines at 59 and 60, from y 2 to 59
    for (int gap : {63, 236, 354}) {
        for (int y = 2; y <= 59; ++y) {
            ASSERT_EQ(at(img, gap - 4, y), shadow) << gap << "," << y;
            ASSERT_EQ(at(img, gap - 3, y), light) << gap << "," << y;
        }
        EXPECT_EQ(at(img, gap - 4, 1), kFace);
        EXPECT_EQ(at(img, gap - 4, 60), kFace);
        EXPECT_EQ(at(img, gap - 5, 30), kFace);
        EXPECT_EQ(at(img, gap - 2, 30), kFace);
    }
    // no separator without a group: between "Scarico" and "Cancella"
    for (int x = 170; x <= 176; ++x) EXPECT_NE(at(img, x, 30), shadow);
    // below the buttons and right of the last the bar's own face
    EXPECT_EQ(at(img, 10, 61), kFace);
    EXPECT_EQ(at(img, 600, 30), kFace);
}

TEST(Bar, ButtonFaceHoverPressAndGreyedBitmap)
{
    MainBar m;
    TBTNBMP* b = m.btns[0]; // ARTICOLI with caption
    QWidget* w = b->HWND;
    const auto l = b->layout(w->width(), w->height());
    EXPECT_EQ(l.bitmapLeft, 12);
    EXPECT_EQ(l.captionBottom, 61);
    const QImage& bmp = b->bitmap();
    ASSERT_EQ(bmp.size(), QSize(32, 32));
    const QPoint op = opaquePixel(bmp);
    ASSERT_GE(op.x(), 0);

    QImage idle = w->grab().toImage();
    EXPECT_EQ(at(idle, 1, 1), kFace);
    EXPECT_EQ(idle.pixel(l.bitmapLeft + op.x(), l.bitmapTop + op.y()) & 0xFFFFFF, bmp.pixel(op) & 0xFFFFFF)
        << "the bitmap is drawn where the layout puts it";
    EXPECT_EQ(at(idle, l.bitmapLeft, l.bitmapTop), kFace) << "its top-left colour is transparent";
    // the caption is in the bottom rectangle, roughly centred
    int minX = 999, maxX = -1;
    for (int y = l.captionTop; y < l.captionBottom; ++y)
        for (int x = 0; x < w->width(); ++x)
            if (qGray(idle.pixel(x, y)) < 120) minX = std::min(minX, x), maxX = std::max(maxX, x);
    ASSERT_GE(maxX, 0) << "caption drawn";
    EXPECT_LE(std::abs(minX - (w->width() - 1 - maxX)), 2);

    enter(w);
    EXPECT_TRUE(b->LMOUSEOVER);
    QImage hover = w->grab().toImage();
    EXPECT_EQ(at(hover, 1, 1), kHover);
    mouse(w, QEvent::MouseButtonPress, {20, 20});
    QImage pressed = w->grab().toImage();
    EXPECT_EQ(at(pressed, 1, 1), kHover);
    EXPECT_EQ(pressed.pixel(l.bitmapLeft + op.x() + 1, l.bitmapTop + op.y() + 1) & 0xFFFFFF,
              bmp.pixel(op) & 0xFFFFFF)
        << "pressed: the picture one pixel down and right";
    mouse(w, QEvent::MouseButtonRelease, {20, 20});
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(w, &leave);
    EXPECT_EQ(at(w->grab().toImage(), 1, 1), kFace);

    b->DISABLE();
    QImage grey = w->grab().toImage();
    const QRgb g = grey.pixel(l.bitmapLeft + op.x(), l.bitmapTop + op.y());
    EXPECT_TRUE(qRed(g) == qGreen(g) && qGreen(g) == qBlue(g)) << "greyed while disabled";
    // without caption the bitmap sits one pixel below the middle
    TBTNBMP* plain = TBTNBMP::NEWBAR({.resource = "ARTICOLI", .bar = m.bar.get()});
    EXPECT_EQ(plain->layout(56, 61).bitmapTop, (61 - 32) / 2 + 1);
}

TEST(Bar, ActionRunsOnReleaseOverTheButtonOnly)
{
    MainBar m;
    QWidget* w = m.btns[1]->HWND;
    mouse(w, QEvent::MouseButtonPress, {10, 10});
    mouse(w, QEvent::MouseButtonRelease, {10, 10});
    EXPECT_EQ(m.ran, (std::vector<std::string>{"CARICO"}));
    mouse(w, QEvent::MouseButtonPress, {10, 10});
    mouse(w, QEvent::MouseMove, {300, 10});
    EXPECT_FALSE(m.btns[1]->LMOUSEOVER);
    mouse(w, QEvent::MouseButtonRelease, {300, 10});
    mouse(m.btns[2]->HWND, QEvent::MouseButtonRelease, {10, 10}); // no press before
    EXPECT_EQ(m.ran.size(), 1u) << "released elsewhere, or never pressed: nothing runs";
}

TEST(Bar, WhenCallbackDisablesAtCreationAndIsEvaluatedAgain)
{
    MainBar m;
    bool allowed = false;
    int runs = 0;
    TBTNBMP* b = TBTNBMP::NEWBAR({.resource = "PRINT", .action = [&](TBTNBMP&) { ++runs; }, .bar = m.bar.get(),
                                  .when = [&] { return allowed; }});
    EXPECT_FALSE(b->LACTIVE);
    EXPECT_FALSE(b->HWND->isEnabled());
    b->CLICK();
    EXPECT_EQ(runs, 0);
    allowed = true;
    m.bar->EVALWHENS();
    EXPECT_TRUE(b->HWND->isEnabled());
    b->CLICK();
    EXPECT_EQ(runs, 1);
}

TEST(Bar, APopupButtonIsWiderAndItsArrowOpensTheMenuInsteadOfTheAction)
{
    MainBar m;
    auto menu = TMENU::NEW(true);
    MENUADD(TMENUITEM::NEW("Uno", "", false, [](TMENUITEM&) {}));
    TMENU::ENDMENU();
    int runs = 0;
    TBTNBMP* b = TBTNBMP::NEWBAR({.resource = "PRINT", .action = [&](TBTNBMP&) { ++runs; }, .bar = m.bar.get(),
                                  .position = 1, .popup = menu});
    EXPECT_EQ(b->HWND->width(), 56 + 13);
    EXPECT_EQ(m.btns[0]->NLEFT, 55 + 13) << "the next button moves by the arrow part";
    mouse(b->HWND, QEvent::MouseButtonPress, {60, 20});
    mouse(b->HWND, QEvent::MouseButtonRelease, {60, 20});
    EXPECT_EQ(runs, 0);
    EXPECT_TRUE(menu->popup()->isVisible());
    menu->popup()->hide();
    mouse(b->HWND, QEvent::MouseButtonPress, {20, 20});
    mouse(b->HWND, QEvent::MouseButtonRelease, {20, 20});
    EXPECT_EQ(runs, 1);
}

TEST(Bar, ABitmapButtonBoundInADialogClicksAndShowsTheTemplatesBitmap)
{
    test::UiScript ui;
    TDIALOG dlg(TDIALOG::NewArgs{.resName = "PRINTDLG"});
    int runs = 0;
    TBTNBMP* b = TBTNBMP::REDEFINE(101, "", dlg, [&](TBTNBMP&) { ++runs; }, "Stampa");
    TBUTTON::REDEFINE(201, [&](TBUTTON&) { dlg.END(1); }, dlg);
    bool painted = false;
    ui.next()
        .then([&](TDIALOG&) {
            EXPECT_EQ(b->CRESNAME, "PRINT");
            EXPECT_EQ(b->bitmap().size(), QSize(16, 16));
            EXPECT_EQ(b->HWND->toolTip().toStdString(), "Stampa");
            EXPECT_EQ(b->HWND->focusPolicy(), Qt::NoFocus);
            QImage img = b->HWND->grab().toImage();
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) painted |= qGray(img.pixel(x, y)) < 100;
        })
        .click(101)
        .click(201);
    dlg.ACTIVATE();
    EXPECT_TRUE(painted);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(dlg.NRESULT, 1);
}

TEST(Bar, TopLeftColourBecomesTransparent)
{
    // an opaque drawing: every pixel of the top-left colour goes
    QImage opaque(4, 4, QImage::Format_RGB32);
    opaque.fill(QColor(255, 0, 255));
    opaque.setPixel(2, 1, qRgb(0, 0, 0));
    QImage t = TBTNBMP::transparentTopLeft(opaque);
    EXPECT_EQ(qAlpha(t.pixel(3, 3)), 0);
    EXPECT_EQ(t.pixel(2, 1), qRgba(0, 0, 0, 255));
    EXPECT_TRUE(TBTNBMP::transparentTopLeft(QImage()).isNull());
    // a drawing with its own transparency keeps its black outline
    QImage masked(4, 4, QImage::Format_ARGB32);
    masked.fill(Qt::transparent);
    masked.setPixel(2, 1, qRgba(0, 0, 0, 255));
    EXPECT_EQ(TBTNBMP::transparentTopLeft(masked).pixel(2, 1), qRgba(0, 0, 0, 255));
}

TEST(Bar, TheProgramsBitmapsAreThereInTheirSizes)
{
    test::uiApp();
    const struct { const char* name; int size; } rows[] = {
        {"ARTICOLI", 32}, {"CARICO", 32},   {"SCARICO", 32}, {"CANCELLA", 32}, {"RIEPCARICO", 32},
        {"RIEPSCARICO", 32}, {"BARRE", 32}, {"ETICHETTE", 32}, {"OK", 16},     {"CANCEL", 16},
        {"PRINT", 16},   {"TOP", 24},      {"PREVIOUS", 24}, {"NEXT", 24},     {"BOTTOM", 24},
        {"ZOOM", 24},    {"SAVEPDF", 24},  {"SENDMAIL", 24}, {"EXIT", 24},     {"ICONA", 64},
        {"ORLU", 100},
    };
    for (const auto& r : rows) {
        QImage img = TBTNBMP::loadBitmap(r.name);
        ASSERT_FALSE(img.isNull()) << r.name;
        EXPECT_EQ(img.size(), QSize(r.size, r.size)) << r.name;
        EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0) << r.name << ": background in the top-left corner";
        EXPECT_NE(opaquePixel(TBTNBMP::transparentTopLeft(img)).x(), -1) << r.name << " draws something";
    }
    EXPECT_TRUE(TBTNBMP::loadBitmap("NONE").isNull());
}
