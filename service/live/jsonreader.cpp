// SPDX-License-Identifier: GPL-2.0-or-later
#include "jsonreader.h"

#include <QJsonDocument>
#include <QTimeZone>
#include <cmath>

namespace service {

QJsonValue JsonReader::field(const QJsonObject &o, const char *group, const char *name, bool (QJsonValue::*kind)() const)
{
    const QJsonValue v = o.value(QLatin1StringView(name));
    if (!(v.*kind)())
        fail(group ? QByteArray(group) + '.' + name : QByteArray(name));
    return v;
}

QJsonObject JsonReader::object(const QJsonObject &o, const char *group, const char *name)
{
    return field(o, group, name, &QJsonValue::isObject).toObject();
}

double JsonReader::number(const QJsonObject &o, const char *group, const char *name)
{
    return field(o, group, name, &QJsonValue::isDouble).toDouble();
}

QString JsonReader::string(const QJsonObject &o, const char *group, const char *name)
{
    return field(o, group, name, &QJsonValue::isString).toString();
}

QJsonArray JsonReader::array(const QJsonObject &o, const char *group, const char *name, qsizetype length)
{
    const QJsonArray a = field(o, group, name, &QJsonValue::isArray).toArray();
    if (a.size() < length)
        fail(group ? QByteArray(group) + '.' + name : QByteArray(name));
    return a;
}

double JsonReader::at(const QJsonArray &a, qsizetype i, const char *what)
{
    if (i < 0 || i >= a.size() || !a.at(i).isDouble()) {
        fail(what);
        return 0;
    }
    return a.at(i).toDouble();
}

double JsonReader::within(double v, const char *what, double lo, double hi)
{
    if (v >= lo && v <= hi)  // false for NaN
        return v;
    refuse(QStringLiteral("%1 = %2").arg(QString::fromLatin1(what)).arg(v, 0, 'g', 6));
    return 0;
}

int JsonReader::whole(double v, const char *what, double lo, double hi)
{
    const double w = within(v, what, lo, hi);
    if (w != std::floor(w)) {
        refuse(QStringLiteral("%1 = %2 (pas un nombre entier)").arg(QString::fromLatin1(what)).arg(v, 0, 'g', 6));
        return 0;
    }
    return int(w);
}

void JsonReader::fail(const QByteArray &what)
{
    if (ok())
        missing_ = what;
}

void JsonReader::refuse(const QString &valueFault)
{
    if (ok())
        outOfRange_ = valueFault;
}

std::optional<QJsonObject> jsonObject(const QByteArray &json, QString *why)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (why)
        *why = error.errorString();
    return document.isObject() ? std::optional<QJsonObject>(document.object()) : std::nullopt;
}

std::optional<QDateTime> unixInstant(const QJsonValue &v, const QTimeZone &zone)
{
    const double seconds = v.toDouble(std::nan(""));
    if (!v.isDouble() || !(seconds >= 0 && seconds < 8e9) || seconds != std::floor(seconds))
        return std::nullopt;
    return QDateTime::fromSecsSinceEpoch(qint64(seconds), zone);
}

std::optional<QDateTime> isoInstant(const QJsonValue &v)
{
    if (!v.isString())
        return std::nullopt;
    const QDateTime t = QDateTime::fromString(v.toString(), Qt::ISODate);
    if (!t.isValid() || (t.timeSpec() != Qt::UTC && t.timeSpec() != Qt::OffsetFromUTC))
        return std::nullopt;
    return t.toUTC();
}

std::optional<int> identifier(const QJsonValue &v)
{
    if (const double d = v.toDouble(); v.isDouble() && std::abs(d) <= 1e6 && d == std::floor(d))
        return int(d);
    if (v.isString()) {
        bool ok = false;
        const int n = v.toString().toInt(&ok);
        if (ok)
            return n;
    }
    return std::nullopt;
}

} // namespace service
