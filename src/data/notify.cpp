#include "data/notify.h"

#include <algorithm>

namespace velt::data {

void RecordingNotifier::showWait(const std::string& text, const std::string& title)
{
    wait_ = text;
    events.push_back({NotifyEvent::ShowWait, text, title});
}

void RecordingNotifier::closeWait()
{
    if (!wait_)
        return;
    wait_.reset();
    events.push_back({NotifyEvent::CloseWait, {}, {}});
}

long RecordingNotifier::disableActiveWindow()
{
    ++disabledNow;
    events.push_back({NotifyEvent::Disable, {}, {}});
    return 1;
}

void RecordingNotifier::enableWindow(long token)
{
    if (token == 0)
        return;
    --disabledNow;
    events.push_back({NotifyEvent::Enable, {}, {}});
}

void RecordingNotifier::message(const std::string& text)
{
    events.push_back({NotifyEvent::Message, text, {}});
}

bool RecordingNotifier::confirm(const std::string& text)
{
    events.push_back({NotifyEvent::Confirm, text, {}});
    if (answers.empty())
        return true;
    bool a = answers.front();
    answers.pop_front();
    return a;
}

void RecordingNotifier::tone(int freq, int ms)
{
    events.push_back({NotifyEvent::Tone, {}, {}, freq, ms});
}

void RecordingNotifier::error(const VeltError& e)
{
    events.push_back({NotifyEvent::Error, e.description(), e.file()});
}

bool RecordingNotifier::sawWait(const std::string& text) const
{
    return std::any_of(events.begin(), events.end(),
                       [&](const NotifyEvent& e) { return e.kind == NotifyEvent::ShowWait && e.text == text; });
}

std::vector<std::string> RecordingNotifier::messages() const
{
    std::vector<std::string> out;
    for (const auto& e : events)
        if (e.kind == NotifyEvent::Message)
            out.push_back(e.text);
    return out;
}

void RecordingNotifier::clear()
{
    events.clear();
    eventsProcessed = 0;
}

namespace {
std::unique_ptr<Notifier>& slot()
{
    static std::unique_ptr<Notifier> n = std::make_unique<RecordingNotifier>();
    return n;
}
} // namespace

Notifier& notifier() { return *slot(); }

std::unique_ptr<Notifier> setNotifier(std::unique_ptr<Notifier> n)
{
    if (!n)
        n = std::make_unique<RecordingNotifier>();
    std::swap(slot(), n);
    return n;
}

void WaitNotice::remember()
{
    before_ = notifier().currentWait();
    remembered_ = true;
}

void WaitNotice::show(const std::string& text, const std::string& title, bool disableWindow)
{
    if (!remembered_)
        remember();
    Notifier& n = notifier();
    n.closeWait();
    if (disableWindow && token_ == 0)
        token_ = n.disableActiveWindow();
    n.showWait(text, title);
    shown_ = true;
}

void WaitNotice::end()
{
    if (!shown_)
        return;
    Notifier& n = notifier();
    n.closeWait();
    if (token_) {
        n.enableWindow(token_);
        token_ = 0;
    }
    if (before_)
        n.showWait(*before_);
    shown_ = false;
}

} // namespace velt::data
