// SPDX-License-Identifier: GPL-2.0-or-later
#include "sourcefiles.h"

#include <QTimeZone>
#include <cmath>
#include <eccodes.h>
#include <hdf5.h>
#include <proj.h>
#include <stdexcept>
#include <vector>

namespace testing {
namespace {

PJ *geoToGrid(PJ_CONTEXT *context, const QByteArray &projdef)
{
    PJ *raw = proj_create_crs_to_crs(context, "EPSG:4326", (projdef + " +type=crs").constData(), nullptr);
    PJ *ordered = raw ? proj_normalize_for_visualization(context, raw) : nullptr;
    proj_destroy(raw);
    if (!ordered)
        throw std::runtime_error("projection");
    return ordered;
}

void text(hid_t object, const char *name, const QByteArray &value)
{
    const hid_t type = H5Tcopy(H5T_C_S1);
    H5Tset_size(type, size_t(value.size()) + 1);
    const hid_t space = H5Screate(H5S_SCALAR);
    const hid_t a = H5Acreate2(object, name, type, space, H5P_DEFAULT, H5P_DEFAULT);
    H5Awrite(a, type, value.constData());
    H5Aclose(a);
    H5Sclose(space);
    H5Tclose(type);
}

void number(hid_t object, const char *name, double value)
{
    const hid_t space = H5Screate(H5S_SCALAR);
    const hid_t a = H5Acreate2(object, name, H5T_IEEE_F64LE, space, H5P_DEFAULT, H5P_DEFAULT);
    H5Awrite(a, H5T_NATIVE_DOUBLE, &value);
    H5Aclose(a);
    H5Sclose(space);
}

void grid(hid_t group, const std::vector<std::uint16_t> &values, int size, hid_t stored)
{
    const hsize_t dims[2] = {hsize_t(size), hsize_t(size)}, chunk[2] = {hsize_t(std::min(size, 256)), hsize_t(std::min(size, 256))};
    const hid_t space = H5Screate_simple(2, dims, nullptr);
    const hid_t properties = H5Pcreate(H5P_DATASET_CREATE);
    H5Pset_chunk(properties, 2, chunk);
    H5Pset_deflate(properties, 6);
    const hid_t d = H5Dcreate2(group, "data", stored, space, H5P_DEFAULT, properties, H5P_DEFAULT);
    H5Dwrite(d, H5T_NATIVE_UINT16, H5S_ALL, H5S_ALL, H5P_DEFAULT, values.data());
    H5Dclose(d);
    H5Pclose(properties);
    H5Sclose(space);
}

void scale(hid_t what, double gain, double nodata)
{
    number(what, "gain", gain);
    number(what, "offset", 0);
    number(what, "nodata", nodata);
    number(what, "undetect", 0);
}

} // namespace

std::pair<double, double> odimPoint(const MosaicPlan &plan, double latitude, double longitude)
{
    PJ_CONTEXT *context = proj_context_create();
    PJ *p = geoToGrid(context, plan.projdef);
    const PJ_COORD c = proj_trans(p, PJ_FWD, proj_coord(longitude, latitude, 0, 0));
    proj_destroy(p);
    proj_context_destroy(context);
    return {c.xy.x, c.xy.y};
}

QByteArray odimFile(const MosaicPlan &plan)
{
    PJ_CONTEXT *context = proj_context_create();
    PJ *p = geoToGrid(context, plan.projdef);
    const PJ_COORD centre = proj_trans(p, PJ_FWD, proj_coord(2.5, 46.5, 0, 0));
    const double half = plan.size * plan.scale / 2, left = centre.xy.x - half, top = centre.xy.y + half;
    const PJ_COORD ul = proj_trans(p, PJ_INV, proj_coord(left, top, 0, 0));
    const PJ_COORD lr = proj_trans(p, PJ_INV, proj_coord(left + 2 * half, top - 2 * half, 0, 0));
    proj_destroy(p);
    proj_context_destroy(context);

    std::vector<std::uint16_t> rain(size_t(plan.size) * size_t(plan.size)), quality(rain.size());
    for (int row = 0; row < plan.size; ++row)
        for (int col = 0; col < plan.size; ++col) {
            const double x = left + (col + 0.5) * plan.scale, y = top - (row + 0.5) * plan.scale;
            rain[size_t(row) * size_t(plan.size) + size_t(col)] = plan.rain(x, y);
            quality[size_t(row) * size_t(plan.size) + size_t(col)] = plan.quality(x, y);
        }

    const hid_t access = H5Pcreate(H5P_FILE_ACCESS);
    H5Pset_fapl_core(access, 1 << 20, 0);
    const hid_t file = H5Fcreate("mosaic.h5", H5F_ACC_TRUNC, H5P_DEFAULT, access);
    text(file, "Conventions", "ODIM_H5/V2_2");
    const auto group = [](hid_t parent, const char *name) { return H5Gcreate2(parent, name, H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT); };
    const hid_t what = group(file, "what"), where = group(file, "where");
    const QDateTime start = plan.end.addSecs(-60 * plan.minutes).toUTC(), end = plan.end.toUTC();
    text(what, "object", "COMP");
    text(what, "date", end.toString(QStringLiteral("yyyyMMdd")).toLatin1());
    text(what, "time", end.toString(QStringLiteral("HHmmss")).toLatin1());
    text(where, "projdef", plan.projdef);
    for (const auto &[name, v] : {std::pair{"xsize", double(plan.size)}, {"ysize", double(plan.size)}, {"xscale", plan.scale},
                                  {"yscale", plan.scale}, {"UL_lon", ul.lp.lam}, {"UL_lat", ul.lp.phi}, {"LR_lon", lr.lp.lam},
                                  {"LR_lat", lr.lp.phi}})
        number(where, name, v);
    const hid_t dataset = group(file, "dataset1"), datasetWhat = group(dataset, "what");
    text(datasetWhat, "product", "COMP");
    text(datasetWhat, "startdate", start.toString(QStringLiteral("yyyyMMdd")).toLatin1());
    text(datasetWhat, "starttime", start.toString(QStringLiteral("HHmmss")).toLatin1());
    text(datasetWhat, "enddate", end.toString(QStringLiteral("yyyyMMdd")).toLatin1());
    text(datasetWhat, "endtime", end.toString(QStringLiteral("HHmmss")).toLatin1());
    const hid_t data = group(dataset, "data1"), dataWhat = group(data, "what");
    text(dataWhat, "quantity", plan.quantity);
    scale(dataWhat, 0.01, 65535);
    grid(data, rain, plan.size, H5T_STD_U16LE);
    const hid_t qualityGroup = group(data, "quality1"), qualityWhat = group(qualityGroup, "what");
    text(qualityWhat, "quantity", "QIND");
    scale(qualityWhat, 0.01, 255);
    grid(qualityGroup, quality, plan.size, H5T_STD_U8LE);  // a percentage: one byte
    for (const hid_t g : {qualityWhat, qualityGroup, dataWhat, data, datasetWhat, dataset, where, what})
        H5Gclose(g);
    H5Fflush(file, H5F_SCOPE_GLOBAL);
    const ssize_t size = H5Fget_file_image(file, nullptr, 0);
    QByteArray image(qsizetype(size), '\0');
    H5Fget_file_image(file, image.data(), size_t(size));
    H5Fclose(file);
    H5Pclose(access);
    return image;
}

QByteArray piFile(const RunPlan &plan)
{
    QByteArray out;
    const QDateTime run = plan.run.toUTC();
    for (const int minutes : plan.startMinutes) {
        codes_handle *h = codes_grib_handle_new_from_samples(nullptr, "regular_ll_sfc_grib2");
        if (!h)
            throw std::runtime_error("ecCodes sample");
        // In this order: the template before its keys, the step's unit before the steps.
        const std::initializer_list<std::pair<const char *, long>> integers{
            {"discipline", 0}, {"productDefinitionTemplateNumber", 8}, {"parameterCategory", 1},
            {"parameterNumber", plan.parameterNumber}, {"typeOfStatisticalProcessing", 1},
            {"dataDate", run.date().year() * 10000 + run.date().month() * 100 + run.date().day()},
            {"dataTime", run.time().hour() * 100 + run.time().minute()}};
        const std::initializer_list<std::pair<const char *, long>> grid{
            {"startStep", minutes}, {"endStep", minutes + 15}, {"Ni", plan.ni}, {"Nj", plan.nj}, {"jScansPositively", 0}};
        const std::initializer_list<std::pair<const char *, double>> reals{
            {"latitudeOfFirstGridPointInDegrees", plan.firstLatitude}, {"longitudeOfFirstGridPointInDegrees", plan.firstLongitude},
            {"latitudeOfLastGridPointInDegrees", plan.firstLatitude - (plan.nj - 1) * plan.increment},
            {"longitudeOfLastGridPointInDegrees", plan.firstLongitude + (plan.ni - 1) * plan.increment},
            {"iDirectionIncrementInDegrees", plan.increment}, {"jDirectionIncrementInDegrees", plan.increment},
            {"bitmapPresent", 1}, {"missingValue", 9999}};
        size_t length = 1;
        bool ok = true;
        for (const auto &[key, v] : integers)
            ok = ok && codes_set_long(h, key, v) == CODES_SUCCESS;
        ok = ok && codes_set_string(h, "stepUnits", "m", &length) == CODES_SUCCESS;
        for (const auto &[key, v] : grid)
            ok = ok && codes_set_long(h, key, v) == CODES_SUCCESS;
        for (const auto &[key, v] : reals)
            ok = ok && codes_set_double(h, key, v) == CODES_SUCCESS;
        if (!ok)
            throw std::runtime_error("ecCodes keys");
        std::vector<double> values(size_t(plan.ni) * size_t(plan.nj));
        for (int j = 0; j < plan.nj; ++j)
            for (int i = 0; i < plan.ni; ++i) {
                const double v = plan.mm(plan.firstLatitude - j * plan.increment, plan.firstLongitude + i * plan.increment, minutes);
                values[size_t(j) * size_t(plan.ni) + size_t(i)] = std::isnan(v) ? 9999 : v;
            }
        if (codes_set_double_array(h, "values", values.data(), values.size()) != CODES_SUCCESS)
            throw std::runtime_error("values");
        const void *message = nullptr;
        size_t size = 0;
        codes_get_message(h, &message, &size);
        out += QByteArray(static_cast<const char *>(message), qsizetype(size));
        codes_handle_delete(h);
    }
    return out;
}

} // namespace testing
