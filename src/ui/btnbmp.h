#pragma once
// TBTNBMP: a button showing a bitmap, with an optional caption under it:
// the bar buttons of TBAR and the small bitmap buttons of dialogs.
//
// Painting (each button paints its own face): RGB(244,244,245), or
// RGB(145,201,247) while the mouse is over it (a pressed button shows the
// same colour, its picture one pixel lower and to the right). The bitmap is
// drawn with the colour of its top-left pixel transparent, centred
// horizontally, its top at (height - bitmap height) / 2, plus 1 without
// caption, minus the caption's text height / 2.2 with one; greyed while the
// button is disabled. The caption fills the bottom rectangle from
// (height - text height - 1) to height, centred on one line, in the bar's
// font ("Segoe UI" 12 pixels). A button with a pop-up menu is 13 pixels wider
// and shows a small down-arrow there.
//
// Behaviour: the action runs when the left mouse button is released over the
// button after being pressed on it (on the arrow part the pop-up opens below
// the button instead); hovering highlights it, shows its tooltip and puts its
// CMSG on the window's message bar. A button whose BWHEN is false is
// disabled (checked at creation and by TBAR::EVALWHENS). Bar buttons are not
// tab stops.
//
// Bitmaps are the program's own drawings, compiled in as ":/bitmaps/NAME.png"
// (resources/bitmaps); a file name is read from disk instead.
#include "ui/control.h"

#include <QImage>

#include <memory>
#include <string>

namespace velt {

class TBAR;
class TMENU;

class TBTNBMP : public TCONTROL {
public:
    using Action = std::function<void(TBTNBMP&)>;

    // TBTNBMP():NEWBAR(resource, file, action, group, bar, when, tooltip,
    // position, caption, font, popup), by name in this order.
    struct BarArgs {
        std::string resource;
        std::string file;
        Action action;
        bool group = false;
        TBAR* bar = nullptr;
        WhenBlock when;
        std::string tooltip;
        int position = 0; // 1-based place in the bar; 0 appends
        std::string caption;
        std::shared_ptr<TFONT> font;
        std::shared_ptr<TMENU> popup;
    };
    static TBTNBMP* NEWBAR(const BarArgs& a);

    // A bitmap button bound to a template item ("TBtnBmp" or BUTTON).
    static TBTNBMP* REDEFINE(int id, const std::string& resource, TDIALOG& dialog, Action action = {},
                             const std::string& tooltip = {}, WhenBlock when = {},
                             std::source_location where = std::source_location::current());

    // ---- fields --------------------------------------------------------
    std::string CRESNAME;   // bitmap resource
    std::string CFILE;      // or bitmap file
    Action BACTION;
    bool LGROUP = false;    // starts a group: a gap and a separator before it
    bool LMOUSEOVER = false;
    bool LPRESSED = false;
    std::shared_ptr<TMENU> OPOPUP;
    TBAR* OBARPARENT = nullptr; // the bar holding it (nullptr in a dialog)

    // The bitmap with its top-left colour made transparent (null when none).
    const QImage& bitmap() const { return image_; }
    // Replaces the bitmap (resource name).
    void SETBITMAP(const std::string& resource);
    // Runs the action, as a release over the button does.
    void CLICK() override;
    // Width the bar gives the button (13 more with a pop-up menu).
    int extraWidth() const;
    // The rectangles the button paints into, in its own pixels (tests).
    struct Layout {
        int bitmapLeft, bitmapTop, captionTop, captionBottom;
    };
    Layout layout(int width, int height) const;

    const char* className() const override { return "TBTNBMP"; }
    QWidget* createWidget(QWidget* parent, const TemplateItem& item) override;

    // Loads a bitmap by resource name (":/bitmaps/NAME.png"); null if missing.
    static QImage loadBitmap(const std::string& resource);
    // The bitmap with every pixel of its top-left colour transparent.
    static QImage transparentTopLeft(const QImage& img);

    QWidget* makeWidget(QWidget* parent); // the painted button widget
    // The caption's font: the button's own, else the bar's, else Segoe UI 12.
    TFONT captionFont() const;
    // The window whose message bar shows the button's CMSG.
    TWINDOW* messageWindow() const;

protected:
    void applyCaption() override;

private:
    TBTNBMP() = default;
    friend class TBAR;
    class Widget;
    QImage image_;
    bool running_ = false;
};

} // namespace velt
