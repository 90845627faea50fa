// SPDX-License-Identifier: GPL-2.0-or-later
// The searches of communes at the weather service: which match what the user types (GET /communes?q=,
// the "Ajouter une ville" dialog) or which are nearest a position (GET /communes/near, "Ma
// position"), through the window's own fetch of the service (the same HTTP client as the weather), so a cut-off or broken answer is an error
// here too. One search at a time: a new one abandons the one under way, whose answer then never
// arrives; each search ends within 10 s.
#pragma once
#include "communelist.h"

#include <QObject>
#include <QString>

namespace meteo {

class ServiceFetch;

class CommuneSearch : public QObject {
    Q_OBJECT
public:
    explicit CommuneSearch(const QByteArray &serviceHost, QObject *parent = nullptr);
    void search(const QString &text);
    // The communes nearest the point, asked with the point rounded to a hundredth of a degree (about
    // a kilometre): nothing finer leaves the computer. `found` then names the rounded point.
    void searchNear(double latitude, double longitude);
    // Abandons the search under way, if any: nothing of it arrives.
    void cancel();

Q_SIGNALS:
    void found(const QString &text, const meteo::CommuneList &answer);
    void failed(const QString &message);

private:
    void ask(const QByteArray &target);

    QByteArray host_;
    ServiceFetch *fetch_;
    QString asked_;
};

} // namespace meteo
