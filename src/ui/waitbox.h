#pragma once
// TMSGBOX: the one non-modal wait box POPMSG holds between calls (plain box
// with optional progress bar, or the print box with its page counter). It
// disables the window that was active when it opened until it closes, shows
// the hourglass cursor and refuses to close while Esc or F4 is held down.
// Only POPMSG creates and destroys it; tests read it through waitBox().
#include <optional>
#include <string>

class QDialog;
class QLabel;
class QProgressBar;
class QWidget;

namespace velt {

class TMSGBOX {
public:
    // Plain wait box; a progress bar when min is given (range min..max).
    TMSGBOX(const std::string& text, const std::string& title, std::optional<int> min, std::optional<int> max);
    // Print box (template "PRINTDLG", title "Attendere", counter empty).
    struct PrintBox {};
    explicit TMSGBOX(PrintBox);
    ~TMSGBOX(); // enables the remembered window again and closes the box

    TMSGBOX(const TMSGBOX&) = delete;
    TMSGBOX& operator=(const TMSGBOX&) = delete;

    void setText(const std::string& text); // argument 4: replace the text (width rule)
    // text() is the text as given to POPMSG (";" not yet turned into breaks).
    void setPos(int pos);                  // argument 7: move the progress bar
    void nextPage();                       // argument 9: count one more page

    const std::string& text() const { return text_; }
    bool isPrintBox() const { return print_; }
    int NPAG() const { return npag_; }

    QDialog* ODLG() const { return dlg_; }
    QLabel* label() const { return label_; }        // message label, or the page counter (102)
    QProgressBar* bar() const { return bar_; }     // or nullptr
    QWidget* disabledWindow() const;               // the window disabled while open, or nullptr

private:
    void layoutPlain(int width, int height);

    QDialog* dlg_ = nullptr;
    QLabel* label_ = nullptr;
    QProgressBar* bar_ = nullptr;
    struct Guard;                 // tracks the remembered window safely
    Guard* window_ = nullptr;
    std::string text_;
    bool print_ = false;
    int npag_ = 0;
};

// The open wait box, or nullptr.
TMSGBOX* waitBox();

} // namespace velt
