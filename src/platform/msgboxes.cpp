#include "platform/msgboxes.h"

#include <cstdio>

namespace velt::platform {

KindSpec kindSpec(int kind)
{
    using B = MsgButton;
    switch (kind) {
    case 1: return {true, {B::Ok}, MsgIcon::Information, B::Ok, B::Ok};
    case 2: return {true, {B::Ok, B::Cancel}, MsgIcon::Question, B::Ok, B::Cancel};
    case 3: return {true, {B::Yes, B::No, B::Cancel}, MsgIcon::Question, B::Yes, B::Cancel};
    case 4: return {true, {B::Yes, B::No}, MsgIcon::Question, B::Yes, B::No};
    case 5: return {true, {B::Yes, B::No}, MsgIcon::Question, B::No, B::No};
    case 6: return {true, {B::Ok, B::Cancel}, MsgIcon::Stop, B::Ok, B::Cancel};
    default: return {};
    }
}

namespace {
std::unique_ptr<MessageBoxes>& current()
{
    static std::unique_ptr<MessageBoxes> m = std::make_unique<ScriptedMessageBoxes>();
    return m;
}
} // namespace

MessageBoxes& messageBoxes() { return *current(); }
std::unique_ptr<MessageBoxes> setMessageBoxes(std::unique_ptr<MessageBoxes> m)
{
    std::swap(current(), m);
    return m;
}

MsgButton ScriptedMessageBoxes::show(const MessageBoxRequest& r)
{
    shown_.push_back(r);
    if (queue_.empty()) {
        std::string what = "message box not scripted: kind " + std::to_string(r.kind) + ", \"" + r.title + "\": " + r.text;
        std::fprintf(stderr, "%s\n", what.c_str());
        throw ScriptError(what);
    }
    Answer a = queue_.front();
    queue_.pop_front();
    KindSpec ks = kindSpec(r.kind);
    switch (a.how) {
    case Answer::How::Initial: return ks.initial;
    case Answer::How::Escape: return ks.escape;
    case Answer::How::Button: break;
    }
    bool offered = a.button == MsgButton::Closed;
    for (MsgButton b : ks.buttons) offered = offered || b == a.button;
    if (!offered) {
        std::string what = "scripted answer is not a button of kind " + std::to_string(r.kind) + ": " + r.text;
        std::fprintf(stderr, "%s\n", what.c_str());
        throw ScriptError(what);
    }
    return a.button;
}

} // namespace velt::platform
