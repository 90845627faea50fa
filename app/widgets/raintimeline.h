// SPDX-License-Identifier: GPL-2.0-or-later
// Under the rain map's slider, a strip of its frames: observed ones in a dark shade, forecast ones in
// a light one, the frame of now marked, a missing frame struck through, one still coming pale.
#pragma once
#include "weather/rainmap.h"

#include <QWidget>

namespace meteo {

class RainTimeline : public QWidget {
    Q_OBJECT
public:
    explicit RainTimeline(QWidget *parent = nullptr);

    enum class Arrival { Waiting, Ready, Missing };
    struct Frame {
        RainFrameRef::Nature nature = RainFrameRef::Nature::Unsaid;
        Arrival arrival = Arrival::Waiting;
    };
    void setFrames(const QList<Frame> &frames, int now);
    const QList<Frame> &frames() const { return frames_; }
    QSize sizeHint() const override { return {200, 8}; }
    // The colour a frame is drawn in.
    [[nodiscard]] static QColor colourOf(const Frame &frame);

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QList<Frame> frames_;
    int now_ = -1;
};

} // namespace meteo
