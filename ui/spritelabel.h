#pragma once

#include <QImage>
#include <QLabel>

namespace perne {

// A walker's sprite: its picture, sized to the picture at the zoom, painted pixel for
// pixel as larger blocks (nearest neighbour) so it stays crisp when zoomed and under the
// desktop's own scaling, as the text around it does.
class SpriteLabel : public QLabel
{
    Q_OBJECT
public:
    SpriteLabel(const QPixmap &picture, QWidget *parent = nullptr);

    void setZoom(double zoom);
    QSize pictureSize() const { return m_picture.size(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_picture;
};

} // namespace perne
