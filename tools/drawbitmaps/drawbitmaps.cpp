// drawbitmaps: draws the program's own bitmaps, icon and cursor with
// QPainter and writes them as PNG files under <resources>/bitmaps and
// <resources>/cursors. The drawings share one palette and one light source
// (top left), flat shapes with a darker outline, so the bar reads as one set.
//
// Sizes: bar buttons of the main window 32 x 32, print preview buttons 24 x 24,
// the small dialog buttons (OK, CANCEL, PRINT) 16 x 16, the icon 64 x 64, the
// information-box picture 100 x 100, the zoom cursor 32 x 32 (hot spot at the
// lens centre, 12,12). Backgrounds are fully transparent; the button draws
// the top-left pixel's colour transparent, which keeps them so.
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <functional>

namespace {

// The palette.
const QColor kOutline(60, 64, 72);
const QColor kPaper(255, 255, 255);
const QColor kPaperShade(226, 230, 236);
const QColor kCarton(214, 160, 92);
const QColor kCartonDark(176, 122, 60);
const QColor kTape(238, 214, 160);
const QColor kGreen(46, 160, 67);
const QColor kRed(206, 52, 44);
const QColor kBlue(40, 110, 190);
const QColor kBlueLight(120, 176, 232);
const QColor kOrange(236, 142, 40);
const QColor kGrey(150, 156, 166);
const QColor kGreyLight(210, 214, 220);
const QColor kInk(30, 32, 36);

QString g_out;

void save(const QString& sub, const QString& name, int w, int h, const std::function<void(QPainter&)>& draw)
{
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        draw(p);
    }
    // The top-left pixel must stay background.
    img.setPixel(0, 0, qRgba(0, 0, 0, 0));
    QDir().mkpath(g_out + "/" + sub);
    const QString path = g_out + "/" + sub + "/" + name + ".png";
    if (!img.save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

QPen pen(const QColor& c, double w = 1.0)
{
    QPen p(c, w);
    p.setJoinStyle(Qt::RoundJoin);
    p.setCapStyle(Qt::RoundCap);
    return p;
}

// A filled shape with the common outline.
void shape(QPainter& p, const QPainterPath& path, const QColor& fill, double outline = 1.0)
{
    p.setPen(pen(kOutline, outline));
    p.setBrush(fill);
    p.drawPath(path);
}

QPainterPath rect(double x, double y, double w, double h, double r = 0)
{
    QPainterPath path;
    if (r > 0) path.addRoundedRect(x, y, w, h, r, r);
    else path.addRect(x, y, w, h);
    return path;
}

QPainterPath poly(std::initializer_list<QPointF> pts)
{
    QPainterPath path;
    auto it = pts.begin();
    path.moveTo(*it);
    for (++it; it != pts.end(); ++it) path.lineTo(*it);
    path.closeSubpath();
    return path;
}

// A carton box seen slightly from above, within (x, y, s x s).
void carton(QPainter& p, double x, double y, double s)
{
    const double t = s * 0.28; // depth of the lid
    shape(p, poly({{x, y + t}, {x + s * 0.25, y}, {x + s, y}, {x + s * 0.75, y + t}}), kTape);
    shape(p, poly({{x + s * 0.75, y + t}, {x + s, y}, {x + s, y + s - t}, {x + s * 0.75, y + s}}), kCartonDark);
    shape(p, rect(x, y + t, s * 0.75, s - t), kCarton);
    // tape across the front
    p.setPen(Qt::NoPen);
    p.setBrush(kTape);
    p.drawRect(QRectF(x + s * 0.30, y + t + 0.5, s * 0.15, s - t - 1));
}

// A sheet of paper with a folded corner and text lines.
void sheet(QPainter& p, double x, double y, double w, double h, int lines)
{
    const double f = w * 0.28;
    shape(p, poly({{x, y}, {x + w - f, y}, {x + w, y + f}, {x + w, y + h}, {x, y + h}}), kPaper);
    shape(p, poly({{x + w - f, y}, {x + w - f, y + f}, {x + w, y + f}}), kPaperShade);
    p.setPen(pen(kGrey, 1.2));
    for (int i = 0; i < lines; ++i) {
        const double ly = y + h * 0.32 + i * (h * 0.6 / lines);
        p.drawLine(QPointF(x + w * 0.18, ly), QPointF(x + w * (i % 2 ? 0.62 : 0.80), ly));
    }
}

// A thick arrow from (x, y0) to (x, y1) (down when y1 > y0).
void arrow(QPainter& p, double x, double y0, double y1, double width, const QColor& c)
{
    const double dir = y1 > y0 ? 1 : -1;
    const double head = width * 1.9, headLen = width * 1.3;
    QPainterPath a = poly({{x - width / 2, y0},
                           {x + width / 2, y0},
                           {x + width / 2, y1 - dir * headLen},
                           {x + head / 2, y1 - dir * headLen},
                           {x, y1},
                           {x - head / 2, y1 - dir * headLen},
                           {x - width / 2, y1 - dir * headLen}});
    p.setPen(pen(c.darker(150), 1.0));
    p.setBrush(c);
    p.drawPath(a);
}

void cart(QPainter& p, double x, double y, double s, const QColor& body)
{
    p.setPen(pen(kOutline, s / 16));
    p.setBrush(Qt::NoBrush);
    // handle
    p.drawLine(QPointF(x, y + s * 0.12), QPointF(x + s * 0.16, y + s * 0.12));
    QPainterPath basket = poly({{x + s * 0.16, y + s * 0.22},
                                {x + s * 0.98, y + s * 0.22},
                                {x + s * 0.86, y + s * 0.62},
                                {x + s * 0.28, y + s * 0.62}});
    shape(p, basket, body, s / 20);
    p.setPen(pen(body.darker(160), s / 28));
    for (int i = 1; i < 4; ++i) {
        const double bx = x + s * (0.20 + i * 0.19);
        p.drawLine(QPointF(bx, y + s * 0.26), QPointF(bx - s * 0.03, y + s * 0.58));
    }
    p.setPen(pen(kOutline, s / 16));
    p.drawLine(QPointF(x + s * 0.16, y + s * 0.12), QPointF(x + s * 0.32, y + s * 0.76));
    p.drawLine(QPointF(x + s * 0.32, y + s * 0.76), QPointF(x + s * 0.88, y + s * 0.76));
    p.setBrush(kOutline);
    p.drawEllipse(QPointF(x + s * 0.38, y + s * 0.88), s * 0.07, s * 0.07);
    p.drawEllipse(QPointF(x + s * 0.80, y + s * 0.88), s * 0.07, s * 0.07);
}

void barcode(QPainter& p, double x, double y, double w, double h, bool digits)
{
    shape(p, rect(x, y, w, h, 1.5), kPaper);
    static const int widths[] = {1, 1, 2, 1, 1, 3, 1, 2, 1, 1, 2, 1, 1, 1, 3, 1, 2, 1, 1, 1};
    double bx = x + w * 0.10;
    const double unit = (w * 0.80) / 34.0;
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    bool bar = true;
    const double bh = digits ? h * 0.62 : h * 0.76;
    for (int wd : widths) {
        if (bar) p.drawRect(QRectF(bx, y + h * 0.12, wd * unit, bh));
        bx += wd * unit;
        bar = !bar;
        if (bx > x + w * 0.90) break;
    }
    if (digits) {
        QFont f("Liberation Sans");
        f.setPixelSize(int(h * 0.22));
        p.setFont(f);
        p.setPen(kInk);
        p.drawText(QRectF(x, y + h * 0.74, w, h * 0.26), Qt::AlignCenter, "8 012345");
    }
}

void badge(QPainter& p, double cx, double cy, double r, const QColor& c)
{
    p.setPen(pen(c.darker(150), 1.0));
    p.setBrush(c);
    p.drawEllipse(QPointF(cx, cy), r, r);
}

void check(QPainter& p, double s, const QColor& c, double w)
{
    p.setPen(pen(c, w));
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(s * 0.18, s * 0.52);
    path.lineTo(s * 0.42, s * 0.76);
    path.lineTo(s * 0.84, s * 0.24);
    p.drawPath(path);
}

void cross(QPainter& p, double x, double y, double s, const QColor& c, double w)
{
    p.setPen(pen(c, w));
    p.drawLine(QPointF(x, y), QPointF(x + s, y + s));
    p.drawLine(QPointF(x + s, y), QPointF(x, y + s));
}

void printer(QPainter& p, double s)
{
    const double u = s / 16.0;
    shape(p, rect(4 * u, 1.5 * u, 8 * u, 5 * u), kPaper, u * 0.9);
    shape(p, rect(1.5 * u, 5.5 * u, 13 * u, 6 * u, 1.2 * u), kGreyLight, u * 0.9);
    shape(p, rect(4 * u, 9.5 * u, 8 * u, 5 * u), kPaper, u * 0.9);
    p.setPen(pen(kGrey, u * 0.8));
    p.drawLine(QPointF(5.5 * u, 11.5 * u), QPointF(10.5 * u, 11.5 * u));
    p.drawLine(QPointF(5.5 * u, 13 * u), QPointF(9 * u, 13 * u));
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    p.drawEllipse(QPointF(12.3 * u, 7.5 * u), 0.9 * u, 0.9 * u);
}

// The shop front of the icon and the information box, within (x, y, s x s).
void shopFront(QPainter& p, double x, double y, double s)
{
    const double u = s / 64.0;
    // building
    shape(p, rect(x + 8 * u, y + 22 * u, 48 * u, 36 * u), QColor(250, 246, 236), 1.6 * u);
    // awning: red and white stripes with a scalloped edge
    QPainterPath aw = poly({{x + 4 * u, y + 24 * u}, {x + 10 * u, y + 10 * u}, {x + 54 * u, y + 10 * u},
                            {x + 60 * u, y + 24 * u}});
    p.save();
    p.setClipPath(aw);
    for (int i = 0; i < 8; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(i % 2 ? kPaper : kRed);
        p.drawRect(QRectF(x + (4 + i * 7) * u, y + 8 * u, 7 * u, 18 * u));
    }
    p.restore();
    p.setPen(pen(kOutline, 1.6 * u));
    p.setBrush(Qt::NoBrush);
    p.drawPath(aw);
    for (int i = 0; i < 8; ++i) {
        p.setBrush(i % 2 ? kPaper : kRed);
        p.drawChord(QRectF(x + (4 + i * 7) * u, y + 20.5 * u, 7 * u, 7 * u), 180 * 16, 180 * 16);
    }
    // window with goods, and the door
    shape(p, rect(x + 13 * u, y + 31 * u, 22 * u, 17 * u), kBlueLight, 1.4 * u);
    p.setPen(Qt::NoPen);
    p.setBrush(kOrange);
    p.drawRect(QRectF(x + 16 * u, y + 40 * u, 5 * u, 8 * u));
    p.setBrush(kGreen);
    p.drawRect(QRectF(x + 22 * u, y + 37 * u, 5 * u, 11 * u));
    p.setBrush(kCarton);
    p.drawRect(QRectF(x + 28 * u, y + 42 * u, 5 * u, 6 * u));
    shape(p, rect(x + 40 * u, y + 31 * u, 11 * u, 27 * u), kBlue, 1.4 * u);
    p.setBrush(kTape);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(x + 48.5 * u, y + 45 * u), 1.2 * u, 1.2 * u);
    // ground line
    p.setPen(pen(kOutline, 2 * u));
    p.drawLine(QPointF(x + 4 * u, y + 58 * u), QPointF(x + 60 * u, y + 58 * u));
}

void lens(QPainter& p, double cx, double cy, double r, double handle)
{
    p.setPen(pen(kOutline, r * 0.45));
    p.drawLine(QPointF(cx + r * 0.7, cy + r * 0.7), QPointF(cx + r * 0.7 + handle, cy + r * 0.7 + handle));
    p.setPen(pen(kOutline, r * 0.22));
    p.setBrush(QColor(200, 228, 250, 220));
    p.drawEllipse(QPointF(cx, cy), r, r);
}

// The arrows of the page buttons: a triangle pointing left or right, with a
// bar for the first and last page.
void pageArrow(QPainter& p, bool right, int count, bool stop)
{
    const double s = 24;
    auto tri = [&](double tipX) {
        const double back = right ? tipX - 8 : tipX + 8;
        shape(p, poly({{tipX, s / 2}, {back, s / 2 - 7}, {back, s / 2 + 7}}), kBlue, 1.0);
    };
    double tip = right ? (count == 2 ? 15 : 16) : (count == 2 ? 9 : 8);
    if (stop) tip = right ? 15 : 9;
    tri(tip);
    if (count == 2) tri(right ? tip + 5 : tip - 5);
    if (stop) shape(p, rect(right ? 16.5 : 4.5, 5, 3, 14), kBlue, 1.0);
}

void drawAll()
{
    const QString B = "bitmaps";
    // ---- main window bar, 32 x 32 -------------------------------------
    save(B, "ARTICOLI", 32, 32, [](QPainter& p) {
        carton(p, 3, 7, 22);
        // price tag hanging from the box
        QPainterPath tag = poly({{17, 16}, {27, 16}, {30, 21}, {27, 26}, {17, 26}});
        shape(p, tag, kOrange);
        p.setPen(pen(kOutline, 1));
        p.setBrush(kPaper);
        p.drawEllipse(QPointF(26.3, 21), 1.3, 1.3);
        p.setPen(pen(kPaper, 1.4));
        p.drawLine(QPointF(19.5, 19.5), QPointF(23.5, 19.5));
        p.drawLine(QPointF(19.5, 22.5), QPointF(22.5, 22.5));
    });
    save(B, "CARICO", 32, 32, [](QPainter& p) {
        carton(p, 3, 12, 19);
        arrow(p, 24, 2, 19, 5, kGreen);
    });
    save(B, "SCARICO", 32, 32, [](QPainter& p) { cart(p, 1, 3, 29, kBlueLight); });
    save(B, "CANCELLA", 32, 32, [](QPainter& p) {
        // waste bin with a red cross: old movements removed
        shape(p, rect(6, 6, 18, 3.5, 1), kGreyLight);
        shape(p, rect(12, 3, 6, 3, 1), kGreyLight);
        shape(p, poly({{7.5, 10}, {22.5, 10}, {21, 28}, {9, 28}}), kGreyLight);
        p.setPen(pen(kGrey, 1.2));
        for (double lx : {11.5, 15.0, 18.5}) p.drawLine(QPointF(lx, 13), QPointF(lx, 25));
        badge(p, 24, 23, 6.5, kRed);
        cross(p, 21.3, 20.3, 5.4, kPaper, 1.8);
    });
    save(B, "RIEPCARICO", 32, 32, [](QPainter& p) {
        sheet(p, 4, 2, 19, 26, 5);
        badge(p, 23.5, 22.5, 7, kGreen);
        arrow(p, 23.5, 17, 27.5, 3, kPaper);
    });
    save(B, "RIEPSCARICO", 32, 32, [](QPainter& p) {
        sheet(p, 4, 2, 19, 26, 5);
        badge(p, 23.5, 22.5, 7, kOrange);
        arrow(p, 23.5, 28, 17.5, 3, kPaper);
    });
    save(B, "BARRE", 32, 32, [](QPainter& p) { barcode(p, 1.5, 6.5, 29, 19, true); });
    save(B, "ETICHETTE", 32, 32, [](QPainter& p) {
        // a sheet of labels, two columns, the top one peeling off
        shape(p, rect(5, 2.5, 20, 27, 1), kPaperShade);
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 2; ++c)
                if (!(r == 0 && c == 1)) shape(p, rect(7 + c * 8.5, 5 + r * 6, 7, 4.5, 1), kPaper, 0.8);
        p.save();
        p.translate(22, 8);
        p.rotate(-18);
        shape(p, rect(-3.5, -3, 10, 6.5, 1.2), kOrange);
        p.setPen(pen(kPaper, 1.1));
        p.drawLine(QPointF(-1.5, -0.5), QPointF(4, -0.5));
        p.drawLine(QPointF(-1.5, 1.8), QPointF(2, 1.8));
        p.restore();
    });
    // ---- dialog buttons, 16 x 16 --------------------------------------
    save(B, "OK", 16, 16, [](QPainter& p) { check(p, 16, kGreen, 2.6); });
    save(B, "CANCEL", 16, 16, [](QPainter& p) { cross(p, 3.5, 3.5, 9, kRed, 2.6); });
    save(B, "PRINT", 16, 16, [](QPainter& p) { printer(p, 16); });
    // ---- print preview bar, 24 x 24 -----------------------------------
    save(B, "TOP", 24, 24, [](QPainter& p) { pageArrow(p, false, 1, true); });
    save(B, "PREVIOUS", 24, 24, [](QPainter& p) { pageArrow(p, false, 1, false); });
    save(B, "NEXT", 24, 24, [](QPainter& p) { pageArrow(p, true, 1, false); });
    save(B, "BOTTOM", 24, 24, [](QPainter& p) { pageArrow(p, true, 1, true); });
    save(B, "ZOOM", 24, 24, [](QPainter& p) {
        lens(p, 10, 10, 6.5, 8);
        p.setPen(pen(kBlue, 1.8));
        p.drawLine(QPointF(7, 10), QPointF(13, 10));
        p.drawLine(QPointF(10, 7), QPointF(10, 13));
    });
    save(B, "SAVEPDF", 24, 24, [](QPainter& p) {
        sheet(p, 4, 1.5, 15, 20, 0);
        shape(p, rect(1.5, 11, 17, 8, 1.5), kRed);
        QFont f("Liberation Sans");
        f.setPixelSize(7);
        f.setBold(true);
        p.setFont(f);
        p.setPen(kPaper);
        p.drawText(QRectF(1.5, 11, 17, 8), Qt::AlignCenter, "PDF");
    });
    save(B, "SENDMAIL", 24, 24, [](QPainter& p) {
        shape(p, rect(1.5, 5.5, 21, 14, 1.5), kPaper);
        p.setPen(pen(kOutline, 1));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({QPointF(2, 6.5), QPointF(12, 14), QPointF(22, 6.5)}));
        badge(p, 18.5, 17.5, 4.5, kGreen);
        p.setPen(pen(kPaper, 1.4));
        p.drawLine(QPointF(16, 17.5), QPointF(21, 17.5));
        p.drawLine(QPointF(19.2, 15.5), QPointF(21, 17.5));
        p.drawLine(QPointF(19.2, 19.5), QPointF(21, 17.5));
    });
    save(B, "EXIT", 24, 24, [](QPainter& p) {
        shape(p, rect(3.5, 2.5, 11, 19), kCarton);
        shape(p, poly({{3.5, 2.5}, {10, 5}, {10, 23}, {3.5, 21.5}}), kCartonDark);
        p.setPen(Qt::NoPen);
        p.setBrush(kTape);
        p.drawEllipse(QPointF(8.5, 13), 0.9, 0.9);
        shape(p, poly({{13, 10}, {18, 10}, {18, 7}, {22.5, 12}, {18, 17}, {18, 14}, {13, 14}}), kRed);
    });
    // ---- icon and information box -------------------------------------
    save(B, "ICONA", 64, 64, [](QPainter& p) { shopFront(p, 0, 0, 64); });
    save(B, "ORLU", 100, 100, [](QPainter& p) {
        QLinearGradient g(0, 0, 0, 100);
        g.setColorAt(0, QColor(236, 243, 252));
        g.setColorAt(1, QColor(196, 216, 240));
        p.setPen(pen(QColor(120, 150, 190), 1.5));
        p.setBrush(g);
        p.drawRoundedRect(QRectF(1.5, 1.5, 97, 97), 10, 10);
        shopFront(p, 18, 6, 64);
        QFont f("Liberation Sans");
        f.setPixelSize(17);
        f.setBold(true);
        p.setFont(f);
        p.setPen(kBlue.darker(130));
        p.drawText(QRectF(0, 72, 100, 22), Qt::AlignCenter, "ORLU");
    });
    // ---- cursor ---------------------------------------------------------
    save("cursors", "ZOOM", 32, 32, [](QPainter& p) {
        lens(p, 12, 12, 8, 9);
        p.setPen(pen(kInk, 1.6));
        p.drawLine(QPointF(8, 12), QPointF(16, 12));
        p.drawLine(QPointF(12, 8), QPointF(12, 16));
    });
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    g_out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("resources");
    drawAll();
    return 0;
}
