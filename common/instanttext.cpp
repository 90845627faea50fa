#include "instanttext.h"

#include <QRegularExpression>
#include <cstdlib>

namespace meteo {
namespace {

constexpr char kLocalFormat[] = "yyyy-MM-ddTHH:mm";
constexpr int kMaxOffset = 14 * 3600;

} // namespace

QString offsetText(int seconds)
{
    const int minutes = std::abs(seconds) / 60;
    return QString(seconds < 0 ? u'-' : u'+') + QString::number(minutes / 60).rightJustified(2, u'0') + u':'
           + QString::number(minutes % 60).rightJustified(2, u'0');
}

QString instantText(const QDateTime &t)
{
    return t.toString(QString::fromLatin1(kLocalFormat)) + offsetText(t.offsetFromUtc());
}

std::optional<QDateTime> readInstantText(QStringView text, std::optional<int> offsetWhenNone)
{
    static const QRegularExpression form(
        QStringLiteral(R"(^\s*([0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2})(?::00)?(Z|([+-])([0-9]{2}):([0-9]{2}))?\s*$)"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    // Date and time apart: read as a QDateTime they would be taken in this computer's zone, where
    // the place's 02:30 may be an hour that does not exist.
    const QDate date = QDate::fromString(m.captured(1).left(10), QStringLiteral("yyyy-MM-dd"));
    const QTime time = QTime::fromString(m.captured(1).mid(11), QStringLiteral("HH:mm"));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    std::optional<int> offset = offsetWhenNone;
    if (m.captured(2) == QLatin1String("Z")) {
        offset = 0;
    } else if (m.hasCaptured(3)) {
        const int minutes = m.captured(5).toInt();
        if (minutes >= 60)
            return std::nullopt;
        offset = (m.captured(3) == QLatin1String("-") ? -1 : 1) * (m.captured(4).toInt() * 3600 + minutes * 60);
    }
    if (!offset)
        return QDateTime(date, time);  // this computer's own zone
    if (std::abs(*offset) > kMaxOffset)
        return std::nullopt;
    return QDateTime(date, time, Qt::OffsetFromUTC, *offset);
}

} // namespace meteo
