// SPDX-License-Identifier: GPL-2.0-or-later
// Strict reading of the JSON answers of the live sources (Open-Meteo's forecast and air quality,
// Météo-France's vigilance): typed getters that keep the first field that failed and why, so that a
// reader goes on without branching at each field and then says exactly what was wrong. Nothing
// absent or absurd is ever turned into a value: a getter that fails returns a neutral stand-in that
// is never served, since the reader is then not ok().
#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <optional>

class QTimeZone;

namespace service {

class JsonReader {
public:
    // The member `name` of `o`, named "group.name" (or "name" without a group) when it is missing or
    // of another kind.
    QJsonObject object(const QJsonObject &o, const char *group, const char *name);
    double number(const QJsonObject &o, const char *group, const char *name);
    QString string(const QJsonObject &o, const char *group, const char *name);
    // An array of at least `length` items.
    QJsonArray array(const QJsonObject &o, const char *group, const char *name, qsizetype length = 0);
    // The number at `i` of `a`, named `what` when it is absent or not a number.
    double at(const QJsonArray &a, qsizetype i, const char *what);
    // `v` when it is a finite number within lo…hi; otherwise the first such fault is kept with the
    // value, and 0 stands in.
    double within(double v, const char *what, double lo, double hi);
    // A whole number within lo…hi (0 and the fault otherwise); compared as a number first, so that a
    // value beyond any integer is never converted.
    int whole(double v, const char *what, double lo, double hi);

    bool ok() const { return missing_.isEmpty() && outOfRange_.isEmpty(); }
    // The first field that was missing or of the wrong kind ("current.time"), empty when none.
    const QByteArray &missing() const { return missing_; }
    // The first value out of its range ("current.temperature_2m = 75"), empty when none.
    const QString &outOfRange() const { return outOfRange_; }
    // Records a fault found by the caller, when none was found before.
    void fail(const QByteArray &field);
    void refuse(const QString &valueFault);

private:
    QJsonValue field(const QJsonObject &o, const char *group, const char *name, bool (QJsonValue::*kind)() const);
    QByteArray missing_;
    QString outOfRange_;
};

// The object of a JSON text; nullopt (with Qt's reason in `why`) when it is none.
[[nodiscard]] std::optional<QJsonObject> jsonObject(const QByteArray &json, QString *why = nullptr);
// An instant given as Unix seconds, in `zone`: nullopt unless a whole number of seconds within the
// years a forecast can be about.
[[nodiscard]] std::optional<QDateTime> unixInstant(const QJsonValue &v, const QTimeZone &zone);
// An instant given as ISO 8601 text with "Z" or an offset, in UTC; nullopt otherwise.
[[nodiscard]] std::optional<QDateTime> isoInstant(const QJsonValue &v);
// An identifier written as a number or as a string of digits, within ±1e6.
[[nodiscard]] std::optional<int> identifier(const QJsonValue &v);

} // namespace service
