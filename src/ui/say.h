#pragma once
// TSAY: a label bound to a STATIC item. Its text comes from a callback
// (called with the label), formatted with a picture when one is given, else
// as CVALTOCHAR writes it; without a callback the template's text stays.
//
//   TSAY::REDEFINE(301, [&](TSAY&) -> Value { return totale; }, dlg, {.picture = "@E 99,999.99"});
#include "ui/control.h"

#include <source_location>

namespace velt {

struct TSayArgs {
    std::string picture;
    int textColour = -1;                   // -1: button text
    std::function<int()> textColourBlock;  // evaluated at every REFRESH when given
    int backColour = -1;                   // -1: button face
    std::shared_ptr<TFONT> font;
    bool transparent = false;
    bool adjust = false;                   // a left-aligned label grows to its text + 20 px
    Value cargo;
};

class TSAY : public TCONTROL {
public:
    using TextBlock = std::function<Value(TSAY&)>;
    using Args = TSayArgs;
    static TSAY* REDEFINE(int id, TextBlock text, TDIALOG& dialog, const Args& a = {},
                          std::source_location where = std::source_location::current());

    TextBlock BTEXT;
    std::string CPICTURE;
    std::function<int()> BCLRTEXT;
    bool LADJUST = false;
    bool LTRANSPARENT = false;
    Value LABELCARGO;

    // Re-evaluates the text callback and shows its text.
    void REFRESH() override;
    // Shows value from now on.
    void VARPUT(const Value& value);
    // The text shown.
    std::string text() const;

    const char* className() const override { return "TSAY"; }
    QWidget* createWidget(QWidget* parent, const TemplateItem& item) override;
    void classInit() override { REFRESH(); }
    bool isLabel() const override { return true; }
    void refreshIfStale() override { REFRESH(); }

protected:
    void applyCaption() override;
};

} // namespace velt
