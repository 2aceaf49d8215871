#pragma once
// TBAR: the button bar of a window (the main window's and the print
// preview's): a painted strip along one edge holding TBTNBMP buttons in
// groups.
//
//   auto bar = TBAR::NEW(wnd, 55, 60, "TOP", {}, true, 60); // becomes wnd.OBAR
//   TBTNBMP::NEWBAR({.resource = "ARTICOLI", .action = ..., .bar = bar.get(),
//                    .tooltip = "Articoli", .caption = "Articoli"});
//
// Geometry of mode "TOP" in pixels of the window's client area: left -1,
// right = client right + 2, top -1 (0 when the window has a menu bar), and
// barheight + 2 pixels high. A button spans x .. x + width and -1 .. height - 1
// of the bar, both ends included; the first starts at 0, each further one at
// the previous x + width (neighbours share a column), 8 more (NGROUPSEP) for a
// button that starts a group, with a separator in the middle of the gap.
// "BOTTOM" is the same strip above the message bar; "LEFT" and "RIGHT" stack
// the buttons downwards the same way.
//
// Painting: flat RGB(244,244,245); for each group start a shadow line and a
// highlight line from y = 2 to (bar height - 3), 4 pixels left of the button;
// then BPAINTED(painter, bar) when the owner set it.
//
// Ownership: the window keeps the bar in OBAR; the bar keeps its buttons in
// ACONTROLS. The bar's widget is a child of the window's client area and is
// stretched with it.
#include "ui/control.h"

#include <memory>
#include <string>

namespace velt {

class TBTNBMP;

class TBAR : public TCONTROL {
public:
    // TBAR():NEW(window, width, height, mode, cursor, border, barheight):
    // barheight < 0 means height. The bar becomes window.OBAR.
    static std::shared_ptr<TBAR> NEW(TWINDOW& window, int width = 28, int height = 28, std::string mode = "TOP",
                                     std::string cursor = {}, bool border = true, int barHeight = -1);
    ~TBAR() override;

    // ---- fields --------------------------------------------------------
    int NBTNWIDTH = 28, NBTNHEIGHT = 28;
    std::string CMODE = "TOP";
    std::string CCURSOR;
    bool LBORDER = true;
    int NBARHEIGHT = 28;
    int NGROUPS = 0;               // how many buttons start a group
    static constexpr int NGROUPSEP = 8;

    // The bar's buttons in order.
    std::vector<TBTNBMP*> buttons() const;
    // Places btn at position (1-based; 0 or past the end appends) and lays
    // the buttons out again.
    void ADD(std::shared_ptr<TBTNBMP> btn, int position = 0);
    // Removes a button and closes the gap.
    void DEL(TBTNBMP* btn);
    // Where the i-th button (0-based) starts along the bar, by the rules above.
    int buttonOffset(size_t i) const;
    // Stretches the bar over its window's client area and places the buttons.
    void ADJUST();
    // The when callbacks of the buttons, as the main window evaluates those of
    // its controls.
    void EVALWHENS();
    // The bar's thickness across its edge (62 for the system's 60).
    int thickness() const { return NBARHEIGHT + 2; }
    bool vertical() const { return CMODE == "LEFT" || CMODE == "RIGHT"; }

    const char* className() const override { return "TBAR"; }
    QWidget* createWidget(QWidget* parent, const TemplateItem& item) override;

private:
    TBAR() = default;
    class Widget;
    class Watcher;
    Watcher* watcher_ = nullptr;
};

// The client area of a window, where bars live: the central widget of a main
// window (made when there is none), else the window's own widget.
QWidget* CLIENTAREA(TWINDOW& window);
// True when the window shows a menu bar.
bool hasMenuBar(const TWINDOW& window);

} // namespace velt
