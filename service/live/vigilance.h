// SPDX-License-Identifier: GPL-2.0-or-later
// Météo-France's vigilance: the map of warnings by department (DPVigilance, cartevigilance/encours)
// read strictly, and the live source that keeps the last good map.
#pragma once
#include "service/document/result.h"
#include "service/document/warning.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QUrl>
#include <functional>
#include <memory>

class QNetworkAccessManager;

namespace service {

// The map in a cartevigilance/encours answer: fields it does not know are let be; the ones it uses
// must have their types, ranges and times, else the whole answer is refused with the reason.
[[nodiscard]] Result<VigilanceMap> parseVigilanceMap(const QByteArray &json);

// Reads the map from Météo-France at most every ten minutes (one call serves every commune), keeps
// the last good one, and says in the log why there is none.
class VigilanceSource : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 kMaxAnswer = 2 * 1024 * 1024;
    VigilanceSource(const QByteArray &key, const QByteArray &base, std::function<void(const QByteArray &)> log,
                    QObject *parent = nullptr);
    ~VigilanceSource() override;
    // Starts reading now and every `intervalMs` after (ten minutes unless tests say otherwise).
    void start(int intervalMs = 10 * 60 * 1000);
    void setTimeout(int ms) { timeoutMs_ = ms; }
    // The section for `department` at `now`, or none (no map, a map older than 24 h, overseas).
    std::optional<Vigilance> at(const QByteArray &department, const QDateTime &now) const;
    int calls() const { return calls_; }

private:
    void fetch();
    QByteArray key_;
    QUrl url_;
    std::function<void(const QByteArray &)> log_;
    std::unique_ptr<QNetworkAccessManager> manager_;
    std::optional<VigilanceMap> map_;
    int timeoutMs_ = 10000;
    int calls_ = 0;
    bool busy_ = false;
};

// Reads the key from `path`: one line, a file nobody else may read. The reason otherwise.
[[nodiscard]] Result<QByteArray> readMeteoFranceKey(const QString &path);

} // namespace service
