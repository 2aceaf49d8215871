#pragma once
// POPMSG: the one entry point for messages, questions and the wait box.
//
// With a kind (1..6) it shows a modal message box (platform/msgboxes) and
// returns the answer: kind 1 nil; kinds 2, 4, 5, 6 logical; kind 3 the number
// 6 (Yes), 7 (No) or 2 (Cancel, Esc, close box). Any wait box open is closed
// first; kinds above 1 (and unknown kinds above 1) beep 880 Hz for 55 ms;
// other kind numbers show nothing and return nil. In the text ";" is a line
// break and the old DOS accented letters are converted (O2A). After the box
// closes, pending window events are processed.
//
// Without a kind it drives the single wait box (ui/waitbox.h):
//   POPMSG("text")                      open with text (an open box keeps its text)
//   {.text, .update = true}             open, or replace the text of the open box
//   {.text, .min, .max}                 open with a progress bar
//   {.text, .pos}                       move the progress bar of the open box
//   {.print = true}                     open the print box
//   {.page = true}                      count one more page in the print box
//   POPMSG() or no text and no print/page: close the open box
// Spell the type in those calls, POPMSG(PopMsgArgs{.print = true}): a bare
// braced list is ambiguous with the text overload.
// Titles default to "Attenzione" (boxes) and "Attendere" (wait box).
#include "util/value.h"

#include <optional>
#include <string>

namespace velt {

struct PopMsgArgs {
    std::optional<std::string> text{};
    std::optional<int> kind{};
    std::optional<std::string> title{};
    bool update = false;
    std::optional<int> min{}, max{}, pos{};
    bool print = false;
    bool page = false;
};

Value POPMSG(const PopMsgArgs&);                                                 // full form
Value POPMSG(const std::string& text, int kind, const std::string& title = {}); // message box
void POPMSG(const std::string& text);                                           // wait box
void POPMSG();                                                                   // close the wait box

// The text of the open wait box, or nothing when none is open.
std::optional<std::string> CURMSG();

// The message text as shown: O2A, then ";" -> "\n".
std::string popMsgText(const std::string& text);

} // namespace velt
