// The scripted-dialog harness.
#include "support/ui/dialog_script.h"

#include "ui/button.h"
#include "ui/registry.h"
#include "ui/say.h"
#include "ui/tget.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace velt::test {

QApplication& uiApp()
{
    static QApplication* app = [] {
        // A test that made its own application keeps it.
        if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) return existing;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "velt-test";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv); // lives until the program ends
    }();
    return *app;
}

std::string testTemplatesDir()
{
    if (const char* src = std::getenv("VELT_TEST_SRC"); src && *src) return std::string(src) + "/ui/templates";
    std::string here = __FILE__; // .../tests/support/ui/dialog_script.cpp
    for (int i = 0; i < 3; ++i) here.erase(here.rfind('/'));
    return here + "/ui/templates";
}

namespace {

UiScript* g_script = nullptr;

class GrabbingBoxes : public platform::MessageBoxes {
public:
    GrabbingBoxes(platform::MessageBoxes* inner, std::vector<QImage>* grabs) : inner_(inner), grabs_(grabs) {}
    platform::MsgButton show(const platform::MessageBoxRequest& r) override
    {
        TDIALOG* d = TDIALOG::innermost();
        grabs_->push_back(d && d->HWND ? d->HWND->grab().toImage() : QImage());
        return inner_->show(r);
    }

private:
    platform::MessageBoxes* inner_;
    std::vector<QImage>* grabs_;
};

TCONTROL* findControl(TDIALOG& d, int id)
{
    TCONTROL* c = ITEM(d, id);
    if (!c) ADD_FAILURE() << "no control " << id << " in dialog \"" << d.CCAPTION << "\"";
    return c;
}

TCONTROL* findControl(TDIALOG& d, const std::string& varname)
{
    for (const auto& c : d.ACONTROLS)
        if (c->CVARNAME == varname) return c.get();
    ADD_FAILURE() << "no control named " << varname << " in dialog \"" << d.CCAPTION << "\"";
    return nullptr;
}

Qt::Key keyOfChar(QChar ch)
{
    QChar u = ch.toUpper();
    if (u.unicode() < 0x100) return Qt::Key(u.unicode());
    return Qt::Key_unknown;
}

void typeInto(QWidget* w, const std::string& text)
{
    for (QChar ch : QString::fromStdString(text)) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : w;
        QTest::sendKeyEvent(QTest::Click, target, keyOfChar(ch), QString(ch), Qt::NoModifier);
    }
}

void focusAsTab(TCONTROL* c)
{
    if (!c || !c->HWND) return;
    if (!c->HWND->isEnabled()) {
        ADD_FAILURE() << "control " << c->NID << " is disabled";
        return;
    }
    if (QApplication::focusWidget() != c->HWND) c->HWND->setFocus(Qt::TabFocusReason);
    if (!c->LFOCUSED) c->takeFocus();
}

struct KeyName {
    const char* name;
    Qt::Key key;
};
const KeyName kKeys[] = {
    {"Tab", Qt::Key_Tab},       {"Enter", Qt::Key_Return}, {"Esc", Qt::Key_Escape},   {"Space", Qt::Key_Space},
    {"Up", Qt::Key_Up},         {"Down", Qt::Key_Down},    {"Left", Qt::Key_Left},    {"Right", Qt::Key_Right},
    {"Home", Qt::Key_Home},     {"End", Qt::Key_End},      {"Delete", Qt::Key_Delete}, {"Backspace", Qt::Key_Backspace},
    {"PageUp", Qt::Key_PageUp}, {"PageDown", Qt::Key_PageDown},
};

void pressKey(const std::string& keyText)
{
    Qt::KeyboardModifiers mods;
    std::string rest = keyText;
    for (;;) {
        if (rest.rfind("Shift+", 0) == 0) { mods |= Qt::ShiftModifier; rest.erase(0, 6); }
        else if (rest.rfind("Ctrl+", 0) == 0) { mods |= Qt::ControlModifier; rest.erase(0, 5); }
        else if (rest.rfind("Alt+", 0) == 0) { mods |= Qt::AltModifier; rest.erase(0, 4); }
        else break;
    }
    Qt::Key key = Qt::Key_unknown;
    QString text;
    for (const KeyName& k : kKeys)
        if (rest == k.name) key = k.key;
    if (key == Qt::Key_unknown && rest.size() >= 2 && rest[0] == 'F') key = Qt::Key(Qt::Key_F1 + std::atoi(rest.c_str() + 1) - 1);
    if (key == Qt::Key_unknown && rest.size() == 1) {
        QChar ch = QChar::fromLatin1(rest[0]);
        key = keyOfChar(ch);
        text = (mods & (Qt::ControlModifier | Qt::AltModifier)) ? QString(QChar(ch.toUpper().unicode() & 0x1F))
                                                               : QString(ch);
        if (mods & Qt::AltModifier) text = QString(ch);
    }
    if (key == Qt::Key_Return) text = "\r";
    if (key == Qt::Key_Escape) text = QString(QChar(27));
    if (key == Qt::Key_Tab && !(mods & Qt::ShiftModifier)) text = "\t";
    if (key == Qt::Key_Space) text = " ";
    if (key == Qt::Key_Backspace) text = "\b";
    if (key == Qt::Key_Tab && (mods & Qt::ShiftModifier)) key = Qt::Key_Backtab;
    if (key == Qt::Key_unknown) {
        ADD_FAILURE() << "unknown key " << keyText;
        return;
    }
    QWidget* target = QApplication::focusWidget();
    if (!target) target = QApplication::activeWindow();
    if (!target) {
        ADD_FAILURE() << "no window to press " << keyText << " in";
        return;
    }
    QTest::sendKeyEvent(QTest::Click, target, key, text, mods);
}

} // namespace

// ---- DialogShot ----------------------------------------------------------------

const ControlShot& DialogShot::at(int id) const
{
    for (const ControlShot& c : controls)
        if (c.id == id) return c;
    ADD_FAILURE() << "snapshot has no control " << id;
    static ControlShot none;
    return none;
}

DialogShot UiScript::shoot(TDIALOG& d)
{
    DialogShot s;
    s.title = d.HWND ? d.HWND->windowTitle().toStdString() : d.CCAPTION;
    if (TWINDOW* f = windowOf(QApplication::focusWidget()); f && f != &d)
        if (auto* c = dynamic_cast<TCONTROL*>(f); c && c->dialog() == &d) s.focusId = c->NID;
    for (const auto& c : d.ACONTROLS) {
        ControlShot cs;
        cs.id = c->NID;
        cs.varname = c->CVARNAME;
        cs.cls = c->className();
        cs.enabled = c->HWND && c->HWND->isEnabled();
        cs.visible = c->HWND && c->HWND->isVisible();
        if (auto* g = dynamic_cast<TGET*>(c.get())) cs.text = g->GETTEXT();
        else if (auto* l = dynamic_cast<TSAY*>(c.get())) cs.text = l->text();
        else if (auto* b = qobject_cast<QAbstractButton*>(c->HWND)) cs.text = b->text().toStdString();
        else cs.text = c->CCAPTION;
        s.controls.push_back(cs);
    }
    return s;
}

// ---- DialogActions ----------------------------------------------------------------

DialogActions& DialogActions::type(int id, const std::string& text)
{
    return then([id, text](TDIALOG& d) {
        TCONTROL* c = findControl(d, id);
        focusAsTab(c);
        if (c && c->HWND) typeInto(c->HWND, text);
    });
}

DialogActions& DialogActions::type(const std::string& varname, const std::string& text)
{
    return then([varname, text](TDIALOG& d) {
        TCONTROL* c = findControl(d, varname);
        focusAsTab(c);
        if (c && c->HWND) typeInto(c->HWND, text);
    });
}

DialogActions& DialogActions::typeHere(const std::string& text)
{
    return then([text](TDIALOG& d) { typeInto(d.HWND, text); });
}

DialogActions& DialogActions::key(const std::string& keys)
{
    return then([keys](TDIALOG&) {
        std::istringstream in(keys);
        std::string k;
        while (in >> k) pressKey(k);
    });
}

DialogActions& DialogActions::click(int id)
{
    return then([id](TDIALOG& d) {
        TCONTROL* c = findControl(d, id);
        if (!c || !c->HWND) return;
        QWidget* w = c->HWND;
        QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, w->rect().center());
    });
}

DialogActions& DialogActions::snapshot()
{
    UiScript* owner = owner_;
    return then([owner](TDIALOG& d) { owner->shots_.push_back(UiScript::shoot(d)); });
}

DialogActions& DialogActions::then(Step step)
{
    steps_.push_back(std::move(step));
    return *this;
}

// ---- UiScript ----------------------------------------------------------------

UiScript::UiScript()
{
    uiApp();
    addTemplateDirectory(testTemplatesDir());
    previousBoxes_ = platform::setMessageBoxes(std::make_unique<GrabbingBoxes>(&services_.boxes(), &grabs_));
    g_script = this;
    TDIALOG::setShownHook([](TDIALOG& d) {
        if (g_script) g_script->run(d);
    });
}

UiScript::~UiScript()
{
    TDIALOG::setShownHook(nullptr);
    g_script = nullptr;
    platform::setMessageBoxes(std::move(previousBoxes_));
    clearTemplateDirectories();
    if (!scripts_.empty()) ADD_FAILURE() << scripts_.size() << " scripted dialog(s) never opened";
}

DialogActions& UiScript::next()
{
    scripts_.push_back(std::make_unique<DialogActions>());
    scripts_.back()->owner_ = this;
    return *scripts_.back();
}

const std::vector<platform::MessageBoxRequest>& UiScript::messages() const { return services_.boxes().shown(); }

void UiScript::run(TDIALOG& d)
{
    ++shown_;
    if (scripts_.empty()) {
        ADD_FAILURE() << "dialog \"" << d.CCAPTION << "\" opened without a script";
        d.forceEnd();
        return;
    }
    std::unique_ptr<DialogActions> script = std::move(scripts_.front());
    scripts_.pop_front();

    // The offscreen platform activates a shown window; type only once it has.
    QElapsedTimer t;
    t.start();
    while (d.HWND && QApplication::activeWindow() != d.HWND && t.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    if (!d.HWND || d.ended()) return;
    if (QApplication::activeWindow() != d.HWND) ADD_FAILURE() << "dialog \"" << d.CCAPTION << "\" never became active";

    for (size_t i = 0; i < script->steps_.size(); ++i) {
        if (d.ended()) {
            ADD_FAILURE() << "dialog \"" << d.CCAPTION << "\" ended with " << script->steps_.size() - i
                          << " step(s) of its script left";
            return;
        }
        script->steps_[i](d);
        QCoreApplication::processEvents();
    }
    if (!d.ended()) {
        ADD_FAILURE() << "dialog \"" << d.CCAPTION << "\" still open after its script";
        d.forceEnd();
    }
}

QWidget* widgetOf(TDIALOG& d, int id)
{
    TCONTROL* c = ITEM(d, id);
    return c ? c->HWND : nullptr;
}

} // namespace velt::test
