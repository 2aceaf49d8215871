// The table layer's notifier backed by POPMSG, the tones and DEFERROR.
#include "shell/app/popnotifier.h"

#include "platform/tones.h"
#include "ui/errorsys.h"
#include "ui/events.h"
#include "ui/popmsg.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

#include <algorithm>

namespace velt::shell {

struct PopMsgNotifier::Disabled {
    long token;
    QPointer<QWidget> window;
};

PopMsgNotifier::~PopMsgNotifier()
{
    for (Disabled* d : disabled_) {
        if (d->window) d->window->setEnabled(true);
        delete d;
    }
}

std::optional<std::string> PopMsgNotifier::currentWait() { return CURMSG(); }

void PopMsgNotifier::showWait(const std::string& text, const std::string& title)
{
    // An open box keeps its title when only the text changes.
    if (CURMSG() && title.empty()) {
        POPMSG(PopMsgArgs{.text = text, .update = true});
        return;
    }
    POPMSG();
    PopMsgArgs a{.text = text};
    if (!title.empty()) a.title = title;
    POPMSG(a);
}

void PopMsgNotifier::closeWait() { POPMSG(); }

long PopMsgNotifier::disableActiveWindow()
{
    QWidget* w = QApplication::activeWindow();
    if (!w || !w->isEnabled()) return 0;
    w->setEnabled(false);
    long token = nextToken_++;
    disabled_.push_back(new Disabled{token, w});
    return token;
}

void PopMsgNotifier::enableWindow(long token)
{
    auto it = std::find_if(disabled_.begin(), disabled_.end(), [&](Disabled* d) { return d->token == token; });
    if (it == disabled_.end()) return;
    if ((*it)->window) (*it)->window->setEnabled(true);
    delete *it;
    disabled_.erase(it);
}

void PopMsgNotifier::processEvents() { SYSREFRESH(); }

void PopMsgNotifier::message(const std::string& text) { POPMSG(text, 1); }

bool PopMsgNotifier::confirm(const std::string& text) { return POPMSG(text, 2).logical(); }

void PopMsgNotifier::tone(int freq, int ms) { platform::tones().tone(freq, ms); }

void PopMsgNotifier::error(const VeltError& e) { DEFERROR(e); }

void installPopMsgNotifier() { data::setNotifier(std::make_unique<PopMsgNotifier>()); }

} // namespace velt::shell
