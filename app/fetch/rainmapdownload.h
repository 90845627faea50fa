// SPDX-License-Identifier: GPL-2.0-or-later
// The rain map's own downloads: the index, then its frames, the one shown first and the others
// outwards from it, a few at once, each read strictly. A frame that fails is missing (a gap, never a
// dry map); nothing here touches weather.xml or a city's weather.
#pragma once
#include "weather/rainmap.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <array>
#include <functional>

namespace meteo {

class ServiceFetch;

class RainMapDownload : public QObject {
    Q_OBJECT
public:
    static constexpr int kAtOnce = 3;
    explicit RainMapDownload(std::function<QByteArray()> serviceHost, QObject *parent = nullptr);

    // Asks for the index again, then for the frames it lists that are not already here.
    void refresh();
    // Abandons every download under way; nothing more is asked until the next refresh.
    void stop();
    // The frame to fetch next, ahead of the others (the one shown).
    void prefer(int frame);

    const RainMapIndex &index() const { return index_; }
    bool hasIndex() const { return hasIndex_; }
    QString failure() const { return failure_; }  // why there is no index, or empty
    QDateTime received() const { return received_; }  // when the index arrived

    enum class Frame { Waiting, Ready, Missing };
    Frame state(int frame) const;
    // The frame's cells (columns × rows bytes), once ready; empty otherwise.
    QByteArray cells(int frame) const;
    QString missingWhy(int frame) const;

    // The longest an answer may take, however the service trickles (15 s).
    void setLimitMs(int ms);

    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };

Q_SIGNALS:
    void indexChanged();
    void frameChanged(int frame);
    void indexFailed(const QString &why);

private:
    struct Slot {
        ServiceFetch *fetch = nullptr;
        int frame = -1;
    };
    void onIndex(const QByteArray &body);
    void next(Slot &slot);
    void frameDone(Slot &slot, const QByteArray *body, const QString &why);

    std::function<QByteArray()> host_;
    ServiceFetch *indexFetch_;
    std::array<Slot, kAtOnce> slots_;
    RainMapIndex index_;
    bool hasIndex_ = false;
    QString failure_;
    QDateTime received_;
    QHash<QByteArray, QByteArray> cells_;  // by the frame's link, for the index they came with
    QHash<QByteArray, QString> missing_;
    int preferred_ = 0;
};

} // namespace meteo
