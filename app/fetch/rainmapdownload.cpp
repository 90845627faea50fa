// SPDX-License-Identifier: GPL-2.0-or-later
#include "rainmapdownload.h"

#include "common/error.h"
#include "net/servicefetch.h"

namespace meteo {
namespace {
constexpr int kLimitMs = 15000;  // per answer, however the service trickles
// The frames kept at once: the map's 75 frames of 230 × 215 cells take under 4 MB; a finer grid
// keeps fewer, those nearest the one shown.
constexpr qsizetype kBudgetBytes = 32 * 1024 * 1024;
}

RainMapDownload::RainMapDownload(std::function<QByteArray()> serviceHost, QObject *parent)
    : QObject(parent), host_(std::move(serviceHost)), indexFetch_(new ServiceFetch(kMaxRainIndexBytes, kLimitMs, this))
{
    connect(indexFetch_, &ServiceFetch::arrived, this, &RainMapDownload::onIndex);
    connect(indexFetch_, &ServiceFetch::failed, this, [this](const QString &why) {
        failure_ = why;
        Q_EMIT indexFailed(why);
    });
    for (Slot &slot : slots_) {
        slot.fetch = new ServiceFetch(kMaxRainFrameBytes, kLimitMs, this);
        Slot *s = &slot;
        connect(slot.fetch, &ServiceFetch::arrived, this, [this, s](const QByteArray &body) { frameDone(*s, &body, QString()); });
        connect(slot.fetch, &ServiceFetch::failed, this, [this, s](const QString &why) { frameDone(*s, nullptr, why); });
    }
}

void RainMapDownload::setLimitMs(int ms)
{
    indexFetch_->setLimitMs(ms);
    for (Slot &slot : slots_)
        slot.fetch->setLimitMs(ms);
}

void RainMapDownload::refresh()
{
    indexFetch_->get(host_(), "/carte/pluie");
}

void RainMapDownload::stop()
{
    indexFetch_->cancel();
    for (Slot &slot : slots_) {
        slot.fetch->cancel();
        slot.frame = -1;
    }
}

void RainMapDownload::prefer(int frame)
{
    preferred_ = frame;
}

void RainMapDownload::onIndex(const QByteArray &body)
{
    RainMapIndex index;
    try {
        index = readRainMapIndex(body);
    } catch (const Error &e) {
        failure_ = QString::fromUtf8(e.what());
        Q_EMIT indexFailed(failure_);
        return;
    }
    // The frames of another making, or of another grid, are other frames: asked anew.
    const bool same = hasIndex_ && index.made == index_.made && index.columns == index_.columns && index.rows == index_.rows
                      && index.x0 == index_.x0 && index.y0 == index_.y0 && index.step == index_.step;
    if (!same)
        cells_.clear();
    missing_.clear();  // a frame that failed is asked again
    for (Slot &slot : slots_) {
        slot.fetch->cancel();
        slot.frame = -1;
    }
    index_ = index;
    hasIndex_ = true;
    failure_.clear();
    received_ = clock();
    preferred_ = std::max(0, frameAt(index_.frames, clock()));
    Q_EMIT indexChanged();
    for (Slot &slot : slots_)
        next(slot);
}

RainMapDownload::Frame RainMapDownload::state(int frame) const
{
    if (frame < 0 || frame >= index_.frames.size())
        return Frame::Missing;
    const QByteArray &href = index_.frames[frame].href;
    if (href.isEmpty())
        return Frame::Missing;  // a gap in the index
    return cells_.contains(href) ? Frame::Ready : missing_.contains(href) ? Frame::Missing : Frame::Waiting;
}

QByteArray RainMapDownload::cells(int frame) const
{
    return frame >= 0 && frame < index_.frames.size() ? cells_.value(index_.frames[frame].href) : QByteArray();
}

QString RainMapDownload::missingWhy(int frame) const
{
    if (frame < 0 || frame >= index_.frames.size())
        return {};
    const QByteArray &href = index_.frames[frame].href;
    return href.isEmpty() ? QStringLiteral("image que la source n'a pas donnée") : missing_.value(href);
}

// The waiting frame nearest the preferred one, later ones first at equal distance.
void RainMapDownload::next(Slot &slot)
{
    const auto taken = [this](int frame) {
        return std::any_of(slots_.begin(), slots_.end(), [frame](const Slot &s) { return s.frame == frame; });
    };
    const int n = int(index_.frames.size());
    if ((cells_.size() + 1) * qsizetype(index_.columns) * index_.rows > kBudgetBytes) {
        slot.frame = -1;
        return;
    }
    for (int d = 0; d < n; ++d)
        for (const int frame : {preferred_ + d, preferred_ - d}) {
            if (frame < 0 || frame >= n || state(frame) != Frame::Waiting || taken(frame))
                continue;
            slot.frame = frame;
            slot.fetch->get(host_(), index_.frames[frame].href);
            return;
        }
    slot.frame = -1;
}

void RainMapDownload::frameDone(Slot &slot, const QByteArray *body, const QString &why)
{
    const int frame = slot.frame;
    if (frame < 0)
        return;
    const QByteArray href = index_.frames[frame].href;
    if (body) {
        try {
            cells_.insert(href, readRainFrame(*body, index_));
        } catch (const Error &e) {
            missing_.insert(href, QString::fromUtf8(e.what()));
        }
    } else {
        missing_.insert(href, why);
    }
    slot.frame = -1;
    Q_EMIT frameChanged(frame);
    next(slot);
}

} // namespace meteo
