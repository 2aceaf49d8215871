#pragma once
// What the table layer must show or ask while it works, without knowing the
// user interface: the wait messages of an open or a lock that has to wait,
// "Disco non pronto.", the deletion question, the beep of an empty delete.
//
// The data layer talks only to the process-wide Notifier. The default one is
// silent: it records what it was asked (tests read the record) and answers
// questions from a queue (OK when the queue is empty). The user interface
// installs its own, backed by POPMSG and the tones, at start-up.
#include "util/errors.h"

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velt::data {

class Notifier {
public:
    virtual ~Notifier() = default;

    // Text of the wait box shown now, if any (to show it again after a wait).
    virtual std::optional<std::string> currentWait() = 0;
    // Shows the modeless wait message (replacing any other); title may be empty.
    virtual void showWait(const std::string& text, const std::string& title = {}) = 0;
    // Closes the wait message, if one is shown.
    virtual void closeWait() = 0;
    // Disables the active window while a wait message stands in for it.
    // Returns a token for enableWindow (0: nothing was disabled).
    virtual long disableActiveWindow() = 0;
    virtual void enableWindow(long token) = 0;
    // Lets the user interface handle pending events during a long wait.
    virtual void processEvents() = 0;
    // A message with an OK button (kind 1), e.g. "Disco non pronto.".
    virtual void message(const std::string& text) = 0;
    // An OK/Cancel question, e.g. "Confermi la cancellazione?"; true on OK.
    virtual bool confirm(const std::string& text) = 0;
    // A beep of the given frequency (Hz) and length (ms).
    virtual void tone(int freq, int ms) = 0;
    // A failure the data layer caught and reports before it goes on or
    // gives up (the table check, maintenance, restore): the user interface
    // hands it to the error handler, which shows its message and may throw
    // velt::Abandon. By default the description is shown as a message.
    virtual void error(const VeltError& e) { message(e.description()); }
};

// One call the recording notifier saw, in order.
struct NotifyEvent {
    enum Kind { ShowWait, CloseWait, Disable, Enable, Message, Confirm, Tone, Error } kind;
    std::string text;   // wait text, message or question
    std::string title;  // wait title; for Error the failure's file
    int freq = 0, ms = 0;
    friend bool operator==(const NotifyEvent&, const NotifyEvent&) = default;
};

// The default notifier: shows nothing, remembers everything. Safe to use from
// several threads of a test only if they do not share it.
class RecordingNotifier : public Notifier {
public:
    std::optional<std::string> currentWait() override { return wait_; }
    void showWait(const std::string& text, const std::string& title = {}) override;
    void closeWait() override;
    long disableActiveWindow() override;
    void enableWindow(long token) override;
    void processEvents() override { ++eventsProcessed; }
    void message(const std::string& text) override;
    bool confirm(const std::string& text) override;
    void tone(int freq, int ms) override;
    void error(const VeltError& e) override;

    // Answers for the next questions, in order (OK when empty).
    std::deque<bool> answers;
    std::vector<NotifyEvent> events;
    long eventsProcessed = 0;
    int disabledNow = 0;  // windows currently disabled

    // True when some wait message with this text was shown.
    bool sawWait(const std::string& text) const;
    // Texts of the kind-1 messages shown, in order.
    std::vector<std::string> messages() const;
    void clear();

private:
    std::optional<std::string> wait_;
};

// The process-wide notifier (a RecordingNotifier until one is installed).
Notifier& notifier();
// Installs `n` (nullptr goes back to a fresh recording notifier). Returns the
// notifier that was in place, so a test can put it back.
std::unique_ptr<Notifier> setNotifier(std::unique_ptr<Notifier> n);

// Shows `text` as the wait message for as long as it lives, then puts back the
// message that was shown before (or closes it when there was none). The wait
// of an open also disables the active window while it stands.
class WaitNotice {
public:
    WaitNotice() = default;
    WaitNotice(const WaitNotice&) = delete;
    WaitNotice& operator=(const WaitNotice&) = delete;
    ~WaitNotice() { end(); }

    // Remembers the message shown now (call before the wait may start).
    void remember();
    // Shows the wait message (the first call closes the remembered one).
    void show(const std::string& text, const std::string& title = {}, bool disableWindow = false);
    bool shown() const { return shown_; }
    // Closes the wait message and shows the remembered one again.
    void end();

private:
    std::optional<std::string> before_;
    bool remembered_ = false, shown_ = false;
    long token_ = 0;
};

} // namespace velt::data
