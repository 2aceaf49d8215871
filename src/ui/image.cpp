// TIMAGE.
#include "ui/image.h"

#include "ui/dialog.h"

#include <QPainter>
#include <QWidget>

namespace velt {

namespace {

// Paints the picture fitted into the widget, centred, proportions kept.
class ImageWidget : public QWidget {
public:
    ImageWidget(QWidget* parent, QImage img) : QWidget(parent), img_(std::move(img)) { setFocusPolicy(Qt::NoFocus); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (img_.isNull()) return;
        QSize s = img_.size().scaled(size(), Qt::KeepAspectRatio);
        QRect r(QPoint((width() - s.width()) / 2, (height() - s.height()) / 2), s);
        QPainter p(this);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(r, img_);
    }

private:
    QImage img_;
};

} // namespace

TIMAGE* TIMAGE::REDEFINE(int id, const std::string& resource, TDIALOG& dialog, std::source_location where)
{
    auto img = std::shared_ptr<TIMAGE>(new TIMAGE());
    img->bind(dialog, id, where);
    img->CRESNAME = resource;
    img->image_ = QImage(QString::fromStdString(":/bitmaps/" + resource + ".png"));
    dialog.ACONTROLS.push_back(img);
    return img.get();
}

QWidget* TIMAGE::createWidget(QWidget* parent, const TemplateItem&) { return new ImageWidget(parent, image_); }

} // namespace velt
