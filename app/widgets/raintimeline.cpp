// SPDX-License-Identifier: GPL-2.0-or-later
#include "raintimeline.h"

#include "receivedlabel.h"

#include <QPainter>

namespace meteo {

RainTimeline::RainTimeline(QWidget *parent) : QWidget(parent)
{
    setFixedHeight(8);
    setAccessibleName(QStringLiteral("Images de la carte"));
}

QColor RainTimeline::colourOf(const Frame &frame)
{
    if (frame.arrival == Arrival::Waiting)
        return {0xd8, 0xde, 0xe4};
    switch (frame.nature) {
    case RainFrameRef::Nature::Observed: return {0x3e, 0x5a, 0x78};
    case RainFrameRef::Nature::Forecast: return {0x8f, 0xb0, 0xd0};
    case RainFrameRef::Nature::Unsaid: break;
    }
    return {0x6f, 0x8d, 0xac};
}

void RainTimeline::setFrames(const QList<Frame> &frames, int now)
{
    frames_ = frames;
    now_ = now;
    int observed = 0, missing = 0;
    for (const Frame &f : frames) {
        observed += f.nature == RainFrameRef::Nature::Observed;
        missing += f.arrival == Arrival::Missing;
    }
    setAccessibleDescription(QStringLiteral("%1 images, dont %2 observées ; %3 indisponibles").arg(frames.size()).arg(observed).arg(missing));
    update();
}

void RainTimeline::paintEvent(QPaintEvent *)
{
    if (frames_.isEmpty())
        return;
    QPainter p(this);
    const double w = double(width()) / double(frames_.size());
    for (int i = 0; i < frames_.size(); ++i) {
        const QRectF cell(i * w, 1, std::max(1.0, w - (w > 4 ? 1 : 0)), height() - 2);
        p.fillRect(cell, colourOf(frames_[i]));
        if (frames_[i].arrival == Arrival::Missing) {  // a gap, struck through
            p.setPen(QPen(oldDataColour(), 1.5));
            p.drawLine(cell.bottomLeft(), cell.topRight());
        }
    }
    if (now_ >= 0 && now_ < frames_.size()) {
        p.setPen(QPen(palette().color(QPalette::WindowText), 2));
        p.drawLine(QPointF((now_ + 0.5) * w, 0), QPointF((now_ + 0.5) * w, height()));
    }
}

} // namespace meteo
