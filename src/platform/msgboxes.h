#pragma once
// Modal message boxes: the platform's standard box behind POPMSG kinds 1..6.
//
// The kind fixes the buttons, the icon and the initial button (kindSpec).
// The real implementation (platform/qt/qtmsgboxes) is a QMessageBox with
// Italian captions, modal to the active window. Tests install
// ScriptedMessageBoxes, which answers from a queue and records every box.
// The text arrives with real line breaks ("\n"); POPMSG does the ";" work.
#include <deque>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace velt::platform {

enum class MsgButton { Ok, Cancel, Yes, No, Closed };
enum class MsgIcon { Information, Question, Stop };

struct MessageBoxRequest {
    int kind = 1;           // 1..6
    std::string title;      // UTF-8
    std::string text;       // UTF-8, lines separated by '\n'
};

// What a kind looks like. Kinds outside 1..6 have no box (valid == false).
struct KindSpec {
    bool valid = false;
    std::vector<MsgButton> buttons;   // in the order shown
    MsgIcon icon = MsgIcon::Information;
    MsgButton initial = MsgButton::Ok; // the button Enter presses
    MsgButton escape = MsgButton::Closed; // what Esc / the close box give
};
KindSpec kindSpec(int kind);

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows the box and returns the button pressed; MsgButton::Closed when
    // the box was closed without a button (the caller maps it as Cancel/No).
    virtual MsgButton show(const MessageBoxRequest& r) = 0;
};

// The process-wide message boxes. Until the program installs the real ones
// this is a ScriptedMessageBoxes with an empty queue, so an unexpected box in
// a test fails loudly instead of waiting for a user.
MessageBoxes& messageBoxes();
// Installs m and returns the previous one.
std::unique_ptr<MessageBoxes> setMessageBoxes(std::unique_ptr<MessageBoxes> m);

// Thrown by scripted services when a test did not script what happened
// (a box it did not expect, a file dialog with no queued name). It is not a
// VeltError: the error handler and RECOVER let it through to the test.
class ScriptError : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

class ScriptedMessageBoxes : public MessageBoxes {
public:
    struct Answer {
        enum class How { Button, Initial, Escape } how = How::Button;
        MsgButton button = MsgButton::Ok;
    };
    // Queue the next answer.
    void answer(MsgButton b) { queue_.push_back({Answer::How::Button, b}); }
    void answerInitial() { queue_.push_back({Answer::How::Initial, MsgButton::Ok}); } // Enter
    void answerEscape() { queue_.push_back({Answer::How::Escape, MsgButton::Ok}); }   // Esc / close box

    MsgButton show(const MessageBoxRequest& r) override;

    const std::vector<MessageBoxRequest>& shown() const { return shown_; }
    size_t pending() const { return queue_.size(); }
    void clear() { shown_.clear(); queue_.clear(); }

private:
    std::deque<Answer> queue_;
    std::vector<MessageBoxRequest> shown_;
};

} // namespace velt::platform
