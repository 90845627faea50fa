// SPDX-License-Identifier: GPL-2.0-or-later
#include "communes.h"

#include "nearindex.h"
#include "searchkey.h"
#include "seats.h"

#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

static void initCommuneResources()
{
    Q_INIT_RESOURCE(communes);
}

namespace service {
namespace {

// The pieces of `text` between `separator`s, without copying them.
QList<QByteArrayView> pieces(QByteArrayView text, char separator)
{
    QList<QByteArrayView> out;
    qsizetype from = 0;
    for (qsizetype at; (at = text.indexOf(separator, from)) >= 0; from = at + 1)
        out.append(text.sliced(from, at - from));
    out.append(text.sliced(from));
    return out;
}

} // namespace

QByteArray City::timeZone() const
{
    static const QHash<QByteArray, QByteArray> overseas{
        {"971", "America/Guadeloupe"}, {"972", "America/Martinique"}, {"973", "America/Cayenne"},
        {"974", "Indian/Reunion"},     {"975", "America/Miquelon"},   {"976", "Indian/Mayotte"},
        {"977", "America/St_Barthelemy"}, {"978", "America/Marigot"}, {"984", "Indian/Kerguelen"},
        {"986", "Pacific/Wallis"},     {"987", "Pacific/Tahiti"},     {"988", "Pacific/Noumea"},
    };
    // French Polynesia spans three zones: the Marquesas at -9:30, the Gambier at -9, Tahiti's -10 elsewhere.
    static const QHash<QByteArray, QByteArray> polynesia{
        {"FR98718", "Pacific/Marquesas"}, {"FR98723", "Pacific/Marquesas"}, {"FR98731", "Pacific/Marquesas"},
        {"FR98746", "Pacific/Marquesas"}, {"FR98756", "Pacific/Marquesas"}, {"FR98757", "Pacific/Marquesas"},
        {"FR98719", "Pacific/Gambier"},
    };
    if (department == "987")
        return polynesia.value(code, "Pacific/Tahiti");
    return overseas.value(department, "Europe/Paris");
}

Result<CommuneTable> CommuneTable::parse(const QByteArray &tsv)
{
    CommuneTable table;
    table.cities_.reserve(tsv.count('\n') + 1);
    qsizetype lineNumber = 0;
    for (QByteArrayView line : pieces(tsv, '\n')) {
        ++lineNumber;
        if (line.isEmpty())
            continue;
        const QList<QByteArrayView> f = pieces(line, '\t');
        bool ok = f.size() == 10;
        City c;
        if (ok) {
            c.code = "FR" + f[0].toByteArray();
            c.name = f[1].toByteArray();
            c.department = f[2].toByteArray();
            c.postalCodes = f[3].toByteArray();
            bool p = false, la = false, lo = false;
            c.population = f[4].toInt(&p);
            c.latitude = f[5].toDouble(&la);
            c.longitude = f[6].toDouble(&lo);
            c.ownPlace = f[7] == "1" || f[7] == "2" || f[7] == "7";
            bool al = false;
            c.altitude = f[8].toInt(&al);
            ok = p && la && lo && al && c.altitude > -500 && c.altitude < 5000 && !c.name.isEmpty()
                 && qAbs(c.latitude) <= 90 && qAbs(c.longitude) <= 180
                 && !table.byCode_.contains(c.code);
        }
        if (!ok)
            return HttpError{500, "commune table: line " + QByteArray::number(lineNumber) + " unreadable"};
        table.byCode_.insert(c.code, table.cities_.size());
        table.cities_.append(std::move(c));
    }
    if (table.cities_.isEmpty())  // a service that knows no commune would refuse every request
        return HttpError{500, "commune table: no commune in it"};
    auto near = std::make_shared<NearIndex>();
    near->build(table.cities_, table.byCode_);
    table.near_ = std::move(near);
    return table;
}

const Result<CommuneTable> &CommuneTable::loadShipped()
{
    static const Result<CommuneTable> table = [] {
        initCommuneResources();
        QFile file(QStringLiteral(":/communes/communes.tsv"));
        return file.open(QIODevice::ReadOnly) ? parse(file.readAll()) : HttpError{500, "commune table: not compiled in"};
    }();
    return table;
}

const CommuneTable &CommuneTable::shipped()
{
    const Result<CommuneTable> &table = loadShipped();
    if (!table.ok()) {  // main() refuses to start first; nothing else may go on without it
        std::fprintf(stderr, "meteo-service: %s\n", table.error().text.constData());
        std::abort();
    }
    return table.value();
}

const City *CommuneTable::find(const QByteArray &code) const
{
    const auto it = byCode_.constFind(code);
    return it == byCode_.cend() ? nullptr : &cities_[*it];
}

QList<NearCommune> CommuneTable::nearest(double latitude, double longitude, int max, double radiusKm) const
{
    return near_->nearest(cities_, latitude, longitude, max, radiusKm);
}

QByteArray City::displayName() const
{
    const QByteArray territory = territoryName(department);
    return name + ", " + (territory.isEmpty() ? QByteArray("France") : territory);
}

QByteArray City::label() const
{
    const QByteArray territory = territoryName(department);
    return name + " (" + (territory.isEmpty() ? department : territory) + ')';
}

namespace {

// The keys a commune is found by: its name's; the same with its elided articles joined to their
// word, as people type them ("l isle sur la sorgue" -> "lisle sur la sorgue", "saint martin d heres"
// -> "saint martin dheres"); without its leading article ("la rochelle" -> "rochelle"); its seat's.
QList<QByteArray> keysOf(const City &c)
{
    const QByteArray key = searchKey(QString::fromUtf8(c.name));
    QList<QByteArray> keys{key};
    QList<QByteArray> words = key.split(' ');
    QByteArray joined;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const bool elided = (words[i] == "l" || words[i] == "d") && i + 1 < words.size();
        joined += words[i] + (elided ? "" : " ");
    }
    joined.chop(1);
    if (joined != key)
        keys << joined;
    if (words.size() > 1 && (words[0] == "le" || words[0] == "la" || words[0] == "les" || words[0] == "l"))
        keys << key.mid(words[0].size() + 1);
    if (const QByteArray seat = seatName(c.code.mid(2)); !seat.isEmpty())
        keys << searchKey(QString::fromUtf8(seat));
    return keys;
}

} // namespace

void CommuneTable::buildSearchIndex() const
{
    for (qsizetype i = 0; i < cities_.size(); ++i) {
        for (const QByteArray &key : keysOf(cities_[i]))
            byKey_.emplace_back(key, i);
        for (QByteArrayView cp : pieces(cities_[i].postalCodes, ','))
            byPostalCode_.emplace_back(cp.toByteArray(), i);
    }
    std::sort(byKey_.begin(), byKey_.end());
    std::sort(byPostalCode_.begin(), byPostalCode_.end());
}

QList<const City *> CommuneTable::search(QStringView text, int max) const
{
    if (byKey_.empty())
        buildSearchIndex();
    QString trimmed = text.trimmed().toString();
    // A department after the name, as a list writes homonyms apart: "saint denis 93", "valence (26)".
    QByteArray department;
    static const QRegularExpression trailing(QStringLiteral("^(.*\\D)\\s+\\(?(\\d[\\dAB]\\d?)\\)?$"));
    if (const QRegularExpressionMatch m = trailing.match(trimmed); m.hasMatch()) {
        department = m.captured(2).toLatin1();
        trimmed = m.captured(1).trimmed();
    }
    bool digits = !trimmed.isEmpty();
    for (QChar c : trimmed)
        digits = digits && c.isDigit() && c.unicode() < 128;
    const auto &index = digits ? byPostalCode_ : byKey_;
    const QList<QByteArray> prefixes = digits ? QList<QByteArray>{trimmed.toLatin1()}
                                              : QList<QByteArray>{searchKey(trimmed), searchKey(trimmed, false)};
    QList<qsizetype> found;
    for (const QByteArray &prefix : prefixes) {
        if (prefix.isEmpty())
            continue;
        auto it = std::lower_bound(index.begin(), index.end(), std::make_pair(prefix, qsizetype(-1)));
        for (; it != index.end() && it->first.startsWith(prefix); ++it)
            if (department.isEmpty() || cities_[it->second].department == department)
                found.append(it->second);
    }
    std::sort(found.begin(), found.end());  // a commune found by several codes or both keys comes once
    found.erase(std::unique(found.begin(), found.end()), found.end());
    std::stable_sort(found.begin(), found.end(),
                     [this](qsizetype a, qsizetype b) { return cities_[a].population > cities_[b].population; });
    QList<const City *> out;
    for (qsizetype i = 0; i < found.size() && i < max; ++i)
        out.append(&cities_[found[i]]);
    return out;
}

const City *findCity(const QByteArray &code)
{
    return CommuneTable::shipped().find(code);
}

} // namespace service
