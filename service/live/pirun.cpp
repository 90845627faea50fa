// SPDX-License-Identifier: GPL-2.0-or-later
#include "pirun.h"

#include "common/lambert93.h"
#include "radarimage.h"

#include <QDateTime>
#include <QTimeZone>
#include <eccodes.h>

namespace service {
namespace {

HttpError refusedStep(const QByteArray &why)
{
    return {502, "prévision AROME-PI refusée : " + why};
}

std::optional<long> integer(codes_handle *h, const char *key)
{
    long v = 0;
    return codes_get_long(h, key, &v) == CODES_SUCCESS ? std::optional(v) : std::nullopt;
}

std::optional<double> real(codes_handle *h, const char *key)
{
    double v = 0;
    return codes_get_double(h, key, &v) == CODES_SUCCESS && std::isfinite(v) ? std::optional(v) : std::nullopt;
}

QByteArray string(codes_handle *h, const char *key)
{
    char buffer[64] = {};
    size_t size = sizeof buffer;
    return codes_get_string(h, key, buffer, &size) == CODES_SUCCESS ? QByteArray(buffer, qsizetype(qstrnlen(buffer, sizeof buffer)))
                                                                     : QByteArray();
}

bool near(std::optional<double> v, double expected)
{
    return v && std::abs(*v - expected) < 1e-4;
}

// GRIB2 longitudes run from 0 to 360: 354° is 6° W.
bool nearLongitude(std::optional<double> v, double expected)
{
    return v && std::abs(std::remainder(*v - expected, 360.0)) < 1e-4;
}

} // namespace

PiReader::PiReader(PiProduct product, const MapGrid &grid) : product_(product), grid_(grid) {}

Result<PiRun> PiReader::read(const QByteArray &file)
{
    if (file.size() > kMaxSourceFile)
        return refusedStep("fichier de plus de 64 Mio");
    if (!file.startsWith("GRIB"))
        return refusedStep("ce n'est pas un fichier GRIB");
    if (mapping_.target.empty()) {
        const PiProduct &p = product_;
        mapping_ = mapCells(
            qsizetype(p.ni) * p.nj,
            [&p](qsizetype i) {
                const qsizetype row = i / p.ni, column = i % p.ni;
                const meteo::MapPoint m =
                    meteo::toLambert93({p.firstLatitude - double(row) * p.increment, p.firstLongitude + double(column) * p.increment});
                return std::pair{m.x, m.y};
            },
            grid_);
    }
    PiRun run;
    std::optional<qint64> reference;
    std::vector<double> values;
    // Messages are cut along their indicator sections (the length GRIB2 puts there), each within
    // the file, so that no declared length makes ecCodes allocate beyond what was received.
    qsizetype at = 0;
    for (int number = 1; at < file.size(); ++number) {
        const QByteArray which = "message " + QByteArray::number(number) + " : ";
        if (file.size() - at < 16 || file.mid(at, 4) != "GRIB" || file[at + 7] != 2) {
            run.refused << which + "pas un message GRIB2, la suite du fichier ignorée";
            break;
        }
        quint64 length = 0;
        for (int i = 8; i < 16; ++i)
            length = length << 8 | quint8(file[at + i]);
        if (length < 20 || length > quint64(file.size() - at) || file.mid(at + qsizetype(length) - 4, 4) != "7777") {
            run.refused << which + "tronqué";
            break;
        }
        codes_handle *h = codes_handle_new_from_message(nullptr, file.constData() + at, size_t(length));
        at += qsizetype(length);
        if (!h) {
            run.refused << which + "illisible";
            continue;
        }
        const PiProduct &p = product_;
        QByteArray why;
        const std::optional<long> date = integer(h, "dataDate"), time = integer(h, "dataTime");
        const QDateTime made(QDate(int(date.value_or(0) / 10000), int(date.value_or(0) / 100 % 100), int(date.value_or(0) % 100)),
                             QTime(int(time.value_or(0) / 100), int(time.value_or(0) % 100)), QTimeZone::utc());
        size_t unitsSize = 2, count = 0;
        if (integer(h, "editionNumber") != 2)
            why = "pas en GRIB2";
        else if (string(h, "gridType") != "regular_ll" || integer(h, "Ni") != p.ni || integer(h, "Nj") != p.nj
                 || !near(real(h, "latitudeOfFirstGridPointInDegrees"), p.firstLatitude)
                 || !nearLongitude(real(h, "longitudeOfFirstGridPointInDegrees"), p.firstLongitude)
                 || !near(real(h, "latitudeOfLastGridPointInDegrees"), p.firstLatitude - (p.nj - 1) * p.increment)
                 || !nearLongitude(real(h, "longitudeOfLastGridPointInDegrees"), p.firstLongitude + (p.ni - 1) * p.increment)
                 || !near(real(h, "iDirectionIncrementInDegrees"), p.increment)
                 || !near(real(h, "jDirectionIncrementInDegrees"), p.increment) || integer(h, "jScansPositively") != 0
                 || integer(h, "iScansNegatively") != 0 || integer(h, "jPointsAreConsecutive") != 0)
            why = "grille autre que celle du produit (" + string(h, "gridType") + " " + QByteArray::number(integer(h, "Ni").value_or(0))
                  + " × " + QByteArray::number(integer(h, "Nj").value_or(0)) + ")";
        else if (integer(h, "discipline") != 0 || integer(h, "parameterCategory") != 1 || integer(h, "parameterNumber") != 8
                 || string(h, "stepType") != "accum")
            why = "grandeur autre que le cumul de précipitations (" + string(h, "shortName") + ")";
        else if (!made.isValid() || made.toSecsSinceEpoch() % 3600 != 0)
            why = "heure du réseau illisible";
        else if (reference && *reference != made.toSecsSinceEpoch())
            why = "d'un autre réseau que le premier message";
        else if (codes_set_string(h, "stepUnits", "m", &unitsSize) != CODES_SUCCESS)
            why = "échéance illisible";
        else if (const std::optional<long> from = integer(h, "startStep"), to = integer(h, "endStep");
                 !from || !to || *to - *from != p.stepMinutes || *from < 0 || *to > p.lastMinutes)
            why = "cumul de " + QByteArray::number(from.value_or(0)) + " à " + QByteArray::number(to.value_or(0)) + " min, pas un quart d'heure des "
                  + QByteArray::number(p.lastMinutes / 60) + " h";
        else if (codes_get_size(h, "values", &count) != CODES_SUCCESS || count != size_t(p.ni) * size_t(p.nj))
            why = "nombre de valeurs inattendu";
        else {
            values.resize(count);
            const double missing = real(h, "missingValue").value_or(9999);
            const bool bitmap = integer(h, "bitmapPresent").value_or(0) != 0;
            if (codes_get_double_array(h, "values", values.data(), &count) != CODES_SUCCESS)
                why = "valeurs illisibles";
            for (size_t i = 0; why.isEmpty() && i < count; ++i) {
                double &v = values[i];
                if (bitmap && v == missing)
                    v = NAN;
                else if (v < -0.05 || v > p.maxMm || !std::isfinite(v))
                    why = "valeur hors de l'étendue : " + QByteArray::number(v) + " mm en un quart d'heure";
                else
                    v = std::max(v, 0.0);  // packing's rounding below zero is no rain
            }
            if (why.isEmpty()) {
                reference = made.toSecsSinceEpoch();
                const qint64 start = *reference + *integer(h, "startStep") * 60;
                run.steps << RainField{start, start + qint64(p.stepMinutes) * 60,
                                       meanOnMap(mapping_, [&values](size_t i) { return float(values[i]); })};
            }
        }
        codes_handle_delete(h);
        if (!why.isEmpty())
            run.refused << which + why;
    }
    if (run.steps.isEmpty())
        return refusedStep(run.refused.isEmpty() ? QByteArray("aucun message") : run.refused.first());
    run.reference = *reference;
    return run;
}

} // namespace service
