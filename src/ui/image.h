#pragma once
// TIMAGE: a picture bound to a template item ("TImage" or STATIC), showing a
// bitmap resource of the program (":/bitmaps/NAME.png") scaled into the
// item's rectangle with its proportions kept. The information box shows the
// publisher's picture with it.
//
//   TIMAGE::REDEFINE(101, "ORLU", dlg);
#include "ui/control.h"

#include <QImage>

#include <source_location>

namespace velt {

class TIMAGE : public TCONTROL {
public:
    static TIMAGE* REDEFINE(int id, const std::string& resource, TDIALOG& dialog,
                            std::source_location where = std::source_location::current());

    std::string CRESNAME;
    // The picture as loaded (null when the resource does not exist).
    const QImage& image() const { return image_; }

    const char* className() const override { return "TIMAGE"; }
    QWidget* createWidget(QWidget* parent, const TemplateItem& item) override;
    bool isLabel() const override { return true; }

private:
    TIMAGE() = default;
    QImage image_;
};

} // namespace velt
