// TMENU, TMENUITEM, TACCTABLE on QMenuBar / QMenu / QAction.
#include "ui/menu.h"

#include "ui/msgbar.h"
#include "ui/window.h"

#include <QAction>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>
#include <set>

namespace velt {

namespace {

constexpr int kFirstId = 16385, kIdLimit = 32768, kIdRestart = 17409;
int g_nextId = kFirstId;
std::set<int> g_liveIds;

std::vector<std::shared_ptr<TMENU>> g_stack;

// The Qt key of a virtual-key code (letters, digits, the function and
// navigation keys); 0 when there is none.
int qtKeyOf(int vkey)
{
    if ((vkey >= 'A' && vkey <= 'Z') || (vkey >= '0' && vkey <= '9')) return vkey;
    if (vkey >= vk::F1 && vkey <= vk::F12) return Qt::Key_F1 + (vkey - vk::F1);
    switch (vkey) {
    case vk::Return: return Qt::Key_Return;
    case vk::Escape: return Qt::Key_Escape;
    case vk::Insert: return Qt::Key_Insert;
    case vk::Delete: return Qt::Key_Delete;
    case vk::Home: return Qt::Key_Home;
    case vk::End: return Qt::Key_End;
    case vk::PageUp: return Qt::Key_PageUp;
    case vk::PageDown: return Qt::Key_PageDown;
    case vk::Space: return Qt::Key_Space;
    default: return 0;
    }
}

QKeySequence sequenceOf(int keyState, int vkey)
{
    int k = qtKeyOf(vkey);
    if (!k) return {};
    int mods = 0;
    if (keyState & acc::Shift) mods |= Qt::SHIFT;
    if (keyState & acc::Control) mods |= Qt::CTRL;
    if (keyState & acc::Alt) mods |= Qt::ALT;
    return QKeySequence(k | mods);
}

} // namespace

// ---- TACCTABLE ---------------------------------------------------------

int TACCTABLE::find(int keyState, int key) const
{
    for (const Entry& e : AACCELS)
        if (e.keyState == keyState && e.key == key) return e.id;
    return 0;
}

// ---- TMENUITEM ---------------------------------------------------------

int TMENUITEM::nextId()
{
    // Unique among live items: a wrapped counter skips the ids still in use.
    for (int tries = 0; tries < kIdLimit; ++tries) {
        int id = g_nextId++;
        if (g_nextId >= kIdLimit) g_nextId = kIdRestart;
        if (!g_liveIds.count(id)) return id;
    }
    return g_nextId; // not reached: fewer than 16000 live items
}

void TMENUITEM::resetIdCounter() { g_nextId = kFirstId; }

std::shared_ptr<TMENUITEM> TMENUITEM::NEW(std::string prompt, std::string message, bool checked,
                                          MenuAction action, MenuAction block, int keyState, int key,
                                          WhenBlock when)
{
    auto it = std::shared_ptr<TMENUITEM>(new TMENUITEM());
    it->CPROMPT = std::move(prompt);
    it->CMSG = std::move(message);
    it->LCHECKED = checked;
    it->BACTION = block ? std::move(block) : std::move(action);
    it->BWHEN = std::move(when);
    it->NID = nextId();
    g_liveIds.insert(it->NID);
    it->NKEYSTATE = keyState;
    it->NVKEY = key;
    if (key && !g_stack.empty()) {
        TMENU& first = *g_stack.front();
        if (!first.OACCTABLE) first.OACCTABLE = std::make_shared<TACCTABLE>();
        first.OACCTABLE->ADD(keyState, key, it->NID);
    }
    return it;
}

TMENUITEM::~TMENUITEM() { g_liveIds.erase(NID); }

void TMENUITEM::SETCHECK(bool checked)
{
    LCHECKED = checked;
    if (action_ && isCommand()) {
        action_->setCheckable(checked);
        action_->setChecked(checked);
    }
}

void TMENUITEM::ENABLE()
{
    LACTIVE = true;
    if (action_) action_->setEnabled(true);
}

void TMENUITEM::DISABLE()
{
    LACTIVE = false;
    if (action_) action_->setEnabled(false);
}

// ---- TMENU -------------------------------------------------------------

std::vector<std::shared_ptr<TMENU>>& TMENU::AMENUS() { return g_stack; }

std::shared_ptr<TMENU> TMENU::NEW(bool popup)
{
    auto m = std::shared_ptr<TMENU>(new TMENU());
    m->LPOPUP = popup;
    if (popup) m->popup_ = new QMenu();
    else m->bar_ = new QMenuBar();
    g_stack.push_back(m);
    return m;
}

std::shared_ptr<TMENU> TMENU::ENDMENU()
{
    if (g_stack.empty()) return nullptr;
    auto m = g_stack.back();
    g_stack.pop_back();
    return m;
}

TMENU::~TMENU()
{
    // A pull-down belongs to its title's item; a menu bar handed to a window
    // belongs to the window. Only widgets nobody took are deleted here.
    if (popup_ && !popup_->parent()) delete popup_.data();
    if (bar_ && !handedOver_) delete bar_.data();
}

QWidget* TMENU::HMENU() const
{
    if (bar_) return bar_;
    return popup_;
}

const TMENU* TMENU::root() const
{
    const TMENU* m = this;
    while (m->OPARENT) m = m->OPARENT;
    return m;
}

void TMENU::showMessage(const std::string& text) const
{
    if (TWINDOW* w = root()->OWND) SETMSG(*w, text);
}

void TMENU::ADD(std::shared_ptr<TMENUITEM> item)
{
    if (!item) return;
    item->OMENU = this;
    const QString prompt = QString::fromStdString(item->CPROMPT);
    QAction* a = nullptr;
    auto addAction = [&](QAction* act) {
        if (bar_) bar_->addAction(act);
        else popup_->addAction(act);
    };
    TMENUITEM* raw = item.get();
    if (!item->CPROMPT.empty() && !item->BACTION) {
        // A sub-menu title: its pull-down is filled by the next additions.
        auto sub = NEW(true);
        sub->OPARENT = this;
        sub->popup_->setTitle(prompt);
        item->OSUBMENU = sub;
        a = sub->popup_->menuAction();
        addAction(a);
        // The pull-down now belongs to this menu's widget.
        sub->popup_->setParent(HMENU(), sub->popup_->windowFlags());
        std::weak_ptr<TMENU> weakSub = sub;
        QObject::connect(sub->popup_, &QMenu::aboutToShow, sub->popup_, [weakSub] {
            if (auto s = weakSub.lock()) runEvent([s] { s->INITPOPUP(); });
        });
    } else if (item->BACTION) {
        a = new QAction(prompt, HMENU());
        // Only a checked item shows the check column.
        a->setCheckable(item->LCHECKED);
        a->setChecked(item->LCHECKED);
        if (item->NVKEY) a->setShortcut(sequenceOf(item->NKEYSTATE, item->NVKEY));
        addAction(a);
        const int id = item->NID;
        QObject::connect(a, &QAction::triggered, a, [self = weak_from_this(), id] {
            auto s = self.lock();
            if (!s) return;
            TMENU* r = const_cast<TMENU*>(s->root());
            runEvent([r, id] { r->COMMAND(id); });
        });
    } else {
        a = new QAction(HMENU());
        a->setSeparator(true);
        addAction(a);
    }
    item->action_ = a;
    if (!item->isSeparator()) {
        QObject::connect(a, &QAction::hovered, a, [self = weak_from_this(), raw] {
            if (auto s = self.lock()) runEvent([s, raw] { s->showMessage(raw->CMSG); });
        });
    }
    AITEMS.push_back(std::move(item));
}

TMENUITEM* TMENU::GETITEM(int id) const
{
    for (const auto& it : AITEMS) {
        if (it->NID == id) return it.get();
        if (it->OSUBMENU)
            if (TMENUITEM* f = it->OSUBMENU->GETITEM(id)) return f;
    }
    return nullptr;
}

bool TMENU::COMMAND(int id)
{
    TMENUITEM* it = GETITEM(id);
    if (!it || !it->BACTION) return false;
    // The action may rebuild menus: keep the item alive while it runs.
    std::shared_ptr<TMENUITEM> keep;
    for (const auto& p : it->OMENU->AITEMS)
        if (p.get() == it) keep = p;
    MenuAction act = it->BACTION;
    act(*it);
    return true;
}

void TMENU::INITPOPUP()
{
    for (const auto& it : AITEMS) {
        if (it->isSeparator()) continue;
        if (it->BWHEN) it->BWHEN() ? it->ENABLE() : it->DISABLE();
        if (it->isCommand()) it->SETCHECK(it->LCHECKED);
    }
}

void TMENU::ACTIVATE(TWINDOW& owner)
{
    OWND = &owner;
    if (!bar_) return;
    if (auto* mw = qobject_cast<QMainWindow*>(owner.HWND)) {
        mw->setMenuBar(bar_);
        handedOver_ = true;
    }
}

void MENUADD(std::shared_ptr<TMENUITEM> item)
{
    if (g_stack.empty()) return;
    g_stack.back()->ADD(std::move(item));
}

} // namespace velt
