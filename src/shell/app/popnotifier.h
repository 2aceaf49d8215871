#pragma once
// The table layer's notifier as the running program has it: wait messages
// in POPMSG's wait box, messages and questions in POPMSG's boxes, tones on
// the till's speaker, failures to the process-wide error handler. Installed
// at start-up (installPopMsgNotifier); tests use the data layer's recording
// notifier instead, or install this one to see the boxes.
#include "data/notify.h"

namespace velt::shell {

class PopMsgNotifier : public data::Notifier {
public:
    ~PopMsgNotifier() override;
    std::optional<std::string> currentWait() override;
    void showWait(const std::string& text, const std::string& title = {}) override;
    void closeWait() override;
    long disableActiveWindow() override;
    void enableWindow(long token) override;
    void processEvents() override;
    void message(const std::string& text) override;
    bool confirm(const std::string& text) override;
    void tone(int freq, int ms) override;
    void error(const VeltError& e) override;

private:
    struct Disabled;
    std::vector<Disabled*> disabled_; // windows disabled now, by token
    long nextToken_ = 1;
};

void installPopMsgNotifier();

} // namespace velt::shell
