#pragma once
// TMSGBAR, TMSGITEM: the message bar along the bottom of a window, with the
// help line on the left and indicator items on the right ("Num", "Caps", the
// date, the time), refreshed by a 200 ms timer.
//
//   wnd.OMSGBAR = TMSGBAR::NEW(wnd, "", true, true, true); // clock, date, keyboard
//   SETMSG(anyWindow, "Gestione articoli");
//
// Geometry: twice the font height high (24 with "Segoe UI" 12 px), from left
// -1 to right +1 of the window's client area, kept at its bottom on resize.
// Background: the two-band gradient of the browse header. The message (the
// current one, or the default when it is empty) is drawn 4 pixels from the
// left, vertically centred, in the window-text colour. Items are placed from
// the right edge leftwards, the last created rightmost; each is (text width +
// 12) wide with a sunken separator at its left edge and its text centred.
// "Num" and "Caps" show in the window-text colour while the lock is on and in
// the window-background colour while it is off. The date reads "dd/mm/yy",
// the time "hh:mm:ss", both from the program's clock (platform/clock.h).
//
// Ownership: the window keeps the bar in OMSGBAR; the bar owns its items, its
// widget (a child of the window's client area) and its timer, which starts
// with the first item and stops when the bar goes.
#include "ui/control.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QTimer;

namespace velt {

class TMSGBAR;

class TMSGITEM {
public:
    std::string CTEXT;                          // fixed text
    std::function<std::string()> BTEXT;         // or text callback
    std::function<bool()> BACTIVE;              // updates LACTIVE on refresh
    int NWIDTH = 0;                             // pixels
    bool LACTIVE = true;
    int NCLRTEXT = -1;                          // -1: the window-text colour
    int NCLRDISABLED = -1;                      // -1: the window-background colour
    TMSGBAR* OMSGBAR = nullptr;

    std::string text() const { return BTEXT ? BTEXT() : CTEXT; }
    // The colour the text is drawn in now.
    int colour() const;
};

class TMSGBAR : public TCONTROL {
public:
    // TMSGBAR():NEW(window, default, clock, date, keyboard, font, colours).
    static std::shared_ptr<TMSGBAR> NEW(TWINDOW& window, std::string defaultMsg = {}, bool clock = false,
                                        bool date = false, bool keyboard = false,
                                        std::shared_ptr<TFONT> font = nullptr, int clrText = -1,
                                        int clrPane = -1);
    ~TMSGBAR() override;

    // ---- fields --------------------------------------------------------
    std::string CMSGDEF;   // default message; CMSG is the current one
    std::vector<std::shared_ptr<TMSGITEM>> AITEMS;

    // Sets the current message (nothing restores the default).
    void SETMSG(const std::string& text);
    // What the bar shows on the left now.
    std::string shownMessage() const { return CMSG.empty() ? CMSGDEF : CMSG; }
    // Adds an item at the left of the ones already there; its width is fixed
    // from its text now. Starts the timer with the first item.
    TMSGITEM* ADDITEM(std::shared_ptr<TMSGITEM> item);
    TMSGITEM* KEYBOARD();  // "Num" then "Caps"
    TMSGITEM* DATE();      // "dd/mm/yy"
    TMSGITEM* CLOCK();     // "hh:mm:ss"
    // What the timer does every 200 ms: items updated and repainted.
    void TICK();
    // Height: twice the font height.
    int height() const;
    // Left edge of each item in the bar's pixels, in AITEMS order.
    std::vector<int> itemLefts() const;
    // Keeps the bar at the bottom of its window's client area.
    void ADJUST();
    QTimer* timer() const { return timer_; }

    const char* className() const override { return "TMSGBAR"; }
    QWidget* createWidget(QWidget* parent, const TemplateItem& item) override;

private:
    TMSGBAR() = default;
    class Widget;
    class Watcher;
    Watcher* watcher_ = nullptr;
    QTimer* timer_ = nullptr;
    int barWidth() const;
};

// SETMSG on any window: the text goes to the message bar of the window, or
// of the nearest owner that has one; dialogs and the controls inside them
// reach none.
void SETMSG(TWINDOW& window, const std::string& text);
// The message bar a window's messages go to (nullptr when none).
TMSGBAR* messageBarOf(TWINDOW& window);

// The clock's texts: "dd/mm/yy" and "hh:mm:ss".
std::string msgBarDate();
std::string msgBarTime();

} // namespace velt
