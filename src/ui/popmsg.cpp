#include "ui/popmsg.h"

#include "platform/msgboxes.h"
#include "platform/tones.h"
#include "ui/waitbox.h"
#include "util/strfmt.h"

#include <QCoreApplication>
#include <memory>

namespace velt {

namespace {
std::unique_ptr<TMSGBOX>& box()
{
    static std::unique_ptr<TMSGBOX> b;
    return b;
}

void closeWaitBox()
{
    // Released before destruction: closing processes events, and a callback
    // run there may call POPMSG again.
    std::unique_ptr<TMSGBOX> old = std::move(box());
    old.reset();
}

void processPendingEvents()
{
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

Value messageBox(const std::string& text, int kind, const std::optional<std::string>& title)
{
    closeWaitBox();
    if (kind > 1) TONE(880, 55);
    platform::KindSpec ks = platform::kindSpec(kind);
    if (!ks.valid) return Value();
    platform::MessageBoxRequest r{kind, title.value_or("Attenzione"), popMsgText(text)};
    platform::MsgButton b = platform::messageBoxes().show(r);
    processPendingEvents();
    using B = platform::MsgButton;
    switch (kind) {
    case 1: return Value();
    case 3: return Value(b == B::Yes ? 6 : b == B::No ? 7 : 2);
    case 4:
    case 5: return Value(b == B::Yes);
    default: return Value(b == B::Ok); // 2, 6
    }
}

void waitBoxCall(const PopMsgArgs& a)
{
    if (!a.text && !a.print && !a.page) {
        closeWaitBox();
        return;
    }
    if (a.print && !box()) box() = std::make_unique<TMSGBOX>(TMSGBOX::PrintBox{});
    if (a.page && box() && box()->isPrintBox()) box()->nextPage();
    if (!a.text) return;
    if (!box()) {
        box() = std::make_unique<TMSGBOX>(*a.text, a.title.value_or("Attendere"), a.min, a.max);
        if (a.pos) box()->setPos(*a.pos);
        return;
    }
    if (a.update) box()->setText(*a.text);
    if (a.pos) box()->setPos(*a.pos);
}
} // namespace

TMSGBOX* waitBox() { return box().get(); }

std::string popMsgText(const std::string& text)
{
    std::string s = O2A(text);
    for (char& c : s)
        if (c == ';') c = '\n';
    return s;
}

Value POPMSG(const PopMsgArgs& a)
{
    if (a.kind) return messageBox(a.text.value_or(std::string()), *a.kind, a.title);
    waitBoxCall(a);
    return Value();
}

Value POPMSG(const std::string& text, int kind, const std::string& title)
{
    return messageBox(text, kind, title.empty() ? std::nullopt : std::optional<std::string>(title));
}

void POPMSG(const std::string& text) { waitBoxCall(PopMsgArgs{.text = text}); }

void POPMSG() { closeWaitBox(); }

std::optional<std::string> CURMSG()
{
    if (!box()) return std::nullopt;
    return box()->text();
}

} // namespace velt
