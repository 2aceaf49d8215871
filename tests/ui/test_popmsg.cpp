// POPMSG: message-box kinds and results, the ";" and O2A text rules, the
// beep, the wait box (text rules, geometry, close refusal, the disabled
// window), the print box counter, and one real QMessageBox driven offscreen.
#include "platform/qt/qtmsgboxes.h"
#include "platform/scripted.h"
#include "ui/font.h"
#include "ui/popmsg.h"
#include "ui/waitbox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

using namespace velt;
using platform::MsgButton;

namespace {
QApplication& app()
{
    static int argc = 1;
    static char name[] = "test_popmsg";
    static char* argv[] = {name, nullptr};
    static QApplication* a = new QApplication(argc, argv);
    return *a;
}

class PopMsg : public ::testing::Test {
protected:
    void SetUp() override { app(); }
    void TearDown() override { POPMSG(); }
    platform::ScriptedServices s;
};

QFont boxFont()
{
    QFont f("Segoe UI");
    f.setPixelSize(15);
    return f;
}

std::string str(const QString& s) { return s.toStdString(); }
} // namespace

TEST_F(PopMsg, KindsGiveTheirResults)
{
    enum How { Press, Enter, Esc };
    struct Row {
        int kind;
        How how;
        MsgButton b;
        Value result;
    };
    const Row rows[] = {
        {1, Press, MsgButton::Ok, Value()},
        {2, Press, MsgButton::Ok, true},     {2, Press, MsgButton::Cancel, false}, {2, Esc, {}, false},
        {3, Press, MsgButton::Yes, 6},       {3, Press, MsgButton::No, 7},         {3, Esc, {}, 2},
        {3, Press, MsgButton::Closed, 2},    {3, Enter, {}, 6},
        {4, Press, MsgButton::Yes, true},    {4, Enter, {}, true},                 {4, Press, MsgButton::No, false},
        {5, Enter, {}, false},               {5, Press, MsgButton::Yes, true},
        {6, Press, MsgButton::Ok, true},     {6, Esc, {}, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "kind " << r.kind << " how " << r.how);
        if (r.how == Press) s.boxes().answer(r.b);
        else if (r.how == Enter) s.boxes().answerInitial();
        else s.boxes().answerEscape();
        EXPECT_EQ(POPMSG("domanda", r.kind), r.result);
        EXPECT_EQ(s.boxes().pending(), 0u);
    }
}

TEST_F(PopMsg, TextTitleAndBeep)
{
    s.boxes().answer(MsgButton::Ok);
    POPMSG("A;B", 1);
    ASSERT_EQ(s.boxes().shown().size(), 1u);
    EXPECT_EQ(s.boxes().shown()[0].text, "A\nB");
    EXPECT_EQ(s.boxes().shown()[0].title, "Attenzione");
    EXPECT_TRUE(s.tones().calls().empty()); // kind 1: no beep

    s.boxes().answer(MsgButton::Ok);
    POPMSG("La manutenzione potrebbe;richiedere del tempo.;;Confermi? \x8A", 2, "Manutenzione");
    EXPECT_EQ(s.boxes().shown()[1].text, "La manutenzione potrebbe\nrichiedere del tempo.\n\nConfermi? è");
    EXPECT_EQ(s.boxes().shown()[1].title, "Manutenzione");
    EXPECT_EQ(s.tones().calls(), (std::vector<platform::ToneCall>{{880, 55}}));
}

TEST_F(PopMsg, UnknownKindsShowNothingAndBeepAboveOne)
{
    EXPECT_TRUE(POPMSG("x", 0).isNil());
    EXPECT_TRUE(s.tones().calls().empty());
    EXPECT_TRUE(POPMSG("x", 9).isNil());
    EXPECT_EQ(s.tones().calls().size(), 1u);
    EXPECT_TRUE(s.boxes().shown().empty());
}

TEST_F(PopMsg, WaitBoxKeepsItsTextUnlessReplaced)
{
    EXPECT_FALSE(CURMSG());
    POPMSG("Elaborazione in corso...");
    ASSERT_TRUE(waitBox());
    EXPECT_EQ(str(waitBox()->ODLG()->windowTitle()), "Attendere");
    POPMSG("Altro testo");
    EXPECT_EQ(CURMSG(), "Elaborazione in corso...");
    POPMSG(PopMsgArgs{.text = "Compressione;in corso...", .update = true});
    EXPECT_EQ(CURMSG(), "Compressione;in corso...");
    EXPECT_EQ(str(waitBox()->label()->text()), "Compressione\nin corso...");
    POPMSG(PopMsgArgs{}); // no text, no print, no page: closes
    EXPECT_FALSE(CURMSG());
    EXPECT_FALSE(waitBox());
}

TEST_F(PopMsg, QuestionClosesTheWaitBoxForGood)
{
    POPMSG(PopMsgArgs{.text = "Spegnere tutti i terminali...", .title = "Attenzione"});
    EXPECT_EQ(str(waitBox()->ODLG()->windowTitle()), "Attenzione");
    s.boxes().answer(MsgButton::Ok);
    POPMSG("Confermi?", 2);
    EXPECT_FALSE(waitBox());
    POPMSG("Verifica archivi in corso...");
    EXPECT_EQ(CURMSG(), "Verifica archivi in corso...");
    // any kind closes it, even one that shows nothing
    POPMSG("x", 0);
    EXPECT_FALSE(waitBox());
}

TEST_F(PopMsg, PlainBoxGeometry)
{
    QFontMetrics fm(boxFont());
    const int h = fm.height();
    const int W = std::max(fm.horizontalAdvance("Uno"), fm.horizontalAdvance("Due righe"));

    POPMSG("Uno;Due righe");
    QDialog* d = waitBox()->ODLG();
    EXPECT_EQ(d->size(), QSize(W + 110, (2 + 5) * h));
    EXPECT_EQ(waitBox()->label()->geometry(), QRect(65, 25, W + 20, 2 * h));
    EXPECT_FALSE(waitBox()->bar());
    EXPECT_EQ(d->cursor().shape(), Qt::WaitCursor);
    POPMSG();

    POPMSG(PopMsgArgs{.text = "", .min = 0, .max = 10}); // empty text: one line, 100 wide; bar adds a line and 5
    d = waitBox()->ODLG();
    EXPECT_EQ(d->size(), QSize(105 + 110, (2 + 5) * h));
    ASSERT_TRUE(waitBox()->bar());
    EXPECT_EQ(waitBox()->bar()->geometry(), QRect(15, d->height() - 73, d->width() - 45, 20));
    EXPECT_EQ(waitBox()->bar()->minimum(), 0);
    EXPECT_EQ(waitBox()->bar()->maximum(), 10);
    POPMSG(PopMsgArgs{.text = "ignored", .pos = 7});
    EXPECT_EQ(waitBox()->bar()->value(), 7);
    EXPECT_EQ(CURMSG(), "");
}

TEST_F(PopMsg, ReplacedTextWidensTheBoxAndKeepsItsHeight)
{
    QFontMetrics fm(boxFont());
    POPMSG(PopMsgArgs{.text = "Breve", .min = 0, .max = 3});
    QDialog* d = waitBox()->ODLG();
    const int height = d->height();
    const std::string longer = "Un testo decisamente molto più lungo";
    POPMSG(PopMsgArgs{.text = longer, .update = true});
    const int W = fm.horizontalAdvance(QString::fromStdString(longer));
    EXPECT_EQ(d->width(), W + 108);
    EXPECT_EQ(d->height(), height);
    EXPECT_EQ(waitBox()->label()->width(), W + 20);
    EXPECT_EQ(waitBox()->bar()->geometry(), QRect(15, height - 73, W + 108 - 45, 20));
}

TEST_F(PopMsg, WaitBoxRefusesToCloseAndDisablesTheActiveWindow)
{
    QWidget main;
    main.resize(300, 200);
    main.show();
    QApplication::setActiveWindow(&main);
    for (int i = 0; i < 100 && QApplication::activeWindow() != &main; ++i) QApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), &main);

    POPMSG("Aggiornamento archivi in corso...");
    EXPECT_FALSE(main.isEnabled());
    EXPECT_EQ(waitBox()->disabledWindow(), &main);
    QDialog* d = waitBox()->ODLG();
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(d, &esc);
    QKeyEvent altF4(QEvent::KeyPress, Qt::Key_F4, Qt::AltModifier);
    QApplication::sendEvent(d, &altF4);
    d->close();
    QApplication::processEvents();
    EXPECT_TRUE(d->isVisible());

    POPMSG();
    EXPECT_TRUE(main.isEnabled());
    // active again, so the next message box is modal to it
    for (int i = 0; i < 100 && QApplication::activeWindow() != &main; ++i) QApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), &main);
}

TEST_F(PopMsg, PrintBoxCountsPagesFromOne)
{
    POPMSG(PopMsgArgs{.print = true});
    ASSERT_TRUE(waitBox());
    ASSERT_TRUE(waitBox()->isPrintBox());
    QDialog* d = waitBox()->ODLG();
    EXPECT_EQ(str(d->windowTitle()), "Attendere");
    EXPECT_EQ(waitBox()->label()->text(), "");
    POPMSG(PopMsgArgs{.page = true});
    EXPECT_EQ(waitBox()->label()->text(), "1");
    POPMSG(PopMsgArgs{.page = true});
    EXPECT_EQ(waitBox()->label()->text(), "2");
    EXPECT_EQ(waitBox()->NPAG(), 2);

    bool sawCaption = false, cancelHidden = false;
    for (QLabel* l : d->findChildren<QLabel*>()) sawCaption |= l->text() == "Sto stampando la pagina n.:";
    for (QPushButton* b : d->findChildren<QPushButton*>()) cancelHidden |= b->text() == "&Annulla" && b->isHidden();
    EXPECT_TRUE(sawCaption);
    EXPECT_TRUE(cancelHidden);
    DialogUnits du = dialogUnits(TFONT::fromPoints("Arial", 11).qfont());
    EXPECT_EQ(d->size(), QSize(du.x(180), du.y(65) - 33));

    POPMSG("testo"); // a box is open: nothing changes
    EXPECT_TRUE(waitBox()->isPrintBox());
    POPMSG();
    POPMSG(PopMsgArgs{.page = true}); // no box: nothing opens
    EXPECT_FALSE(waitBox());
}

// The real box: captions, icon, initial and escape buttons, and the answer
// Enter gives, with a timer playing the user.
TEST_F(PopMsg, RealMessageBoxButtonsAndInitialButton)
{
    struct Row {
        int kind;
        std::vector<std::string> captions;
        QMessageBox::Icon icon;
        std::string initial, escape;
        MsgButton enter;
    };
    const Row rows[] = {
        {1, {"OK"}, QMessageBox::Information, "OK", "OK", MsgButton::Ok},
        {2, {"OK", "Annulla"}, QMessageBox::Question, "OK", "Annulla", MsgButton::Ok},
        {3, {"Sì", "No", "Annulla"}, QMessageBox::Question, "Sì", "Annulla", MsgButton::Yes},
        {4, {"Sì", "No"}, QMessageBox::Question, "Sì", "No", MsgButton::Yes},
        {5, {"Sì", "No"}, QMessageBox::Question, "No", "No", MsgButton::No},
        {6, {"OK", "Annulla"}, QMessageBox::Critical, "OK", "Annulla", MsgButton::Ok},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.kind);
        std::unique_ptr<QMessageBox> box(platform::buildMessageBox({r.kind, "Titolo", "riga 1\nriga 2"}));
        std::vector<std::string> captions;
        for (QAbstractButton* b : box->buttons()) captions.push_back(str(b->text()));
        std::sort(captions.begin(), captions.end());
        std::vector<std::string> want = r.captions;
        std::sort(want.begin(), want.end());
        EXPECT_EQ(captions, want);
        EXPECT_EQ(box->icon(), r.icon);
        ASSERT_TRUE(box->defaultButton());
        EXPECT_EQ(str(box->defaultButton()->text()), r.initial);
        ASSERT_TRUE(box->escapeButton());
        EXPECT_EQ(str(box->escapeButton()->text()), r.escape);
        EXPECT_EQ(str(box->text()), "riga 1\nriga 2");

        bool pressed = false;
        QTimer t;
        t.setInterval(10);
        QObject::connect(&t, &QTimer::timeout, [&] {
            if (auto* m = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
                QApplication::sendEvent(m, &enter);
                pressed = true;
            }
        });
        t.start();
        EXPECT_EQ(platform::QtMessageBoxes().show({r.kind, "Titolo", "x"}), r.enter);
        EXPECT_TRUE(pressed);
    }
}
