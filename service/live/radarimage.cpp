// SPDX-License-Identifier: GPL-2.0-or-later
#include "radarimage.h"

#include <QDateTime>
#include <QTimeZone>
#include <array>
#include <hdf5.h>
#include <proj.h>

namespace service {
namespace {

HttpError refused(const QByteArray &why)
{
    return {502, "image radar refusée : " + why};
}

// An HDF5 identifier of any kind, let go with the scope.
class Id {
public:
    explicit Id(hid_t id) : id_(id) {}
    ~Id()
    {
        if (id_ >= 0)
            H5Idec_ref(id_);
    }
    Id(const Id &) = delete;
    Id &operator=(const Id &) = delete;
    [[nodiscard]] hid_t get() const { return id_; }
    explicit operator bool() const { return id_ >= 0; }

private:
    hid_t id_;
};

// Whether `path` ("/dataset1/data1/what") exists, each of its links in turn.
bool exists(hid_t file, const QByteArray &path)
{
    qsizetype from = 1;
    while (from <= path.size()) {
        qsizetype slash = path.indexOf('/', from);
        if (slash < 0)
            slash = path.size();
        if (H5Lexists(file, path.left(slash).constData(), H5P_DEFAULT) <= 0)
            return false;
        from = slash + 1;
    }
    return true;
}

// The one-valued attribute `name` of `object`, opened if it is there.
std::optional<hid_t> attribute(hid_t file, const QByteArray &object, const char *name)
{
    if (!exists(file, object) || H5Aexists_by_name(file, object.constData(), name, H5P_DEFAULT) <= 0)
        return std::nullopt;
    const hid_t a = H5Aopen_by_name(file, object.constData(), name, H5P_DEFAULT, H5P_DEFAULT);
    if (a < 0)
        return std::nullopt;
    const Id space(H5Aget_space(a));
    if (!space || H5Sget_simple_extent_npoints(space.get()) != 1) {
        H5Aclose(a);
        return std::nullopt;
    }
    return a;
}

std::optional<QByteArray> text(hid_t file, const QByteArray &object, const char *name)
{
    const std::optional<hid_t> opened = attribute(file, object, name);
    if (!opened)
        return std::nullopt;
    const Id a(*opened), type(H5Aget_type(a.get()));
    if (!type || H5Tget_class(type.get()) != H5T_STRING)
        return std::nullopt;
    const Id memory(H5Tcopy(H5T_C_S1));
    if (H5Tis_variable_str(type.get()) > 0) {
        char *s = nullptr;
        if (H5Tset_size(memory.get(), H5T_VARIABLE) < 0 || H5Aread(a.get(), memory.get(), static_cast<void *>(&s)) < 0 || !s)
            return std::nullopt;
        QByteArray out(s, qsizetype(qstrnlen(s, 4096)));
        H5free_memory(s);
        return out;
    }
    const size_t size = H5Tget_size(type.get());
    if (size == 0 || size > 4096)
        return std::nullopt;
    QByteArray buffer(qsizetype(size), '\0');
    if (H5Tset_size(memory.get(), size) < 0 || H5Aread(a.get(), memory.get(), buffer.data()) < 0)
        return std::nullopt;
    return buffer.left(qsizetype(qstrnlen(buffer.constData(), size)));
}

std::optional<double> number(hid_t file, const QByteArray &object, const char *name)
{
    const std::optional<hid_t> opened = attribute(file, object, name);
    if (!opened)
        return std::nullopt;
    const Id a(*opened), type(H5Aget_type(a.get()));
    const H5T_class_t kind = type ? H5Tget_class(type.get()) : H5T_NO_CLASS;
    double v = 0;
    if ((kind != H5T_INTEGER && kind != H5T_FLOAT) || H5Aread(a.get(), H5T_NATIVE_DOUBLE, &v) < 0 || !std::isfinite(v))
        return std::nullopt;
    return v;
}

// ODIM's dates and times: "20261210" and "143500", in UTC.
std::optional<qint64> instant(hid_t file, const QByteArray &object, const char *date, const char *time)
{
    const std::optional<QByteArray> d = text(file, object, date), t = text(file, object, time);
    if (!d || !t || d->size() != 8 || t->size() != 6)
        return std::nullopt;
    const QDate day = QDate::fromString(QString::fromLatin1(*d), QStringLiteral("yyyyMMdd"));
    const QTime hour = QTime::fromString(QString::fromLatin1(*t), QStringLiteral("HHmmss"));
    if (!day.isValid() || !hour.isValid())
        return std::nullopt;
    return QDateTime(day, hour, QTimeZone::utc()).toSecsSinceEpoch();
}

// A 2-D grid of unsigned integers of at most 16 bits, of the promised size, read whole.
Result<std::vector<std::uint16_t>> grid(hid_t file, const QByteArray &path, int xsize, int ysize)
{
    if (!exists(file, path))
        return refused(path + " absent");
    const Id data(H5Dopen2(file, path.constData(), H5P_DEFAULT));
    const Id space(data ? H5Dget_space(data.get()) : -1), type(data ? H5Dget_type(data.get()) : -1);
    std::array<hsize_t, 2> dims{};
    if (!space || !type || H5Sget_simple_extent_ndims(space.get()) != 2 || H5Sget_simple_extent_dims(space.get(), dims.data(), nullptr) != 2)
        return refused(path + " n'est pas une grille");
    if (dims[0] != hsize_t(ysize) || dims[1] != hsize_t(xsize))
        return refused(path + " de " + QByteArray::number(dims[1]) + " × " + QByteArray::number(dims[0]) + " au lieu de "
                       + QByteArray::number(xsize) + " × " + QByteArray::number(ysize));
    if (H5Tget_class(type.get()) != H5T_INTEGER || H5Tget_size(type.get()) > 2 || H5Tget_sign(type.get()) != H5T_SGN_NONE)
        return refused(path + " n'est pas en entiers non signés de 8 ou 16 bits");
    std::vector<std::uint16_t> values(size_t(xsize) * size_t(ysize));
    if (H5Dread(data.get(), H5T_NATIVE_UINT16, H5S_ALL, H5S_ALL, H5P_DEFAULT, values.data()) < 0)
        return refused(path + " illisible (fichier tronqué ?)");
    return values;
}

// How a grid's raw values read: gain and offset, and the codes for no data and for nothing detected.
struct Scale {
    double gain = 1, offset = 0, nodata = -1, undetect = -1;
};

std::optional<Scale> scaleOf(hid_t file, const QByteArray &what)
{
    const std::optional<double> gain = number(file, what, "gain"), offset = number(file, what, "offset"),
                                nodata = number(file, what, "nodata"), undetect = number(file, what, "undetect");
    if (!gain || !offset || !nodata || *gain <= 0)
        return std::nullopt;
    return Scale{*gain, *offset, *nodata, undetect.value_or(-1)};
}

} // namespace

// Where the grid lies: its projection and its north-west corner, as the file gives them.
struct RadarReader::Georef {
    QByteArray projdef;
    double ulLon = 0, ulLat = 0, lrLon = 0, lrLat = 0, xscale = 0, yscale = 0;
    int xsize = 0, ysize = 0;
    [[nodiscard]] QByteArray key() const
    {
        QByteArray k = projdef;
        for (const double v : {ulLon, ulLat, lrLon, lrLat, xscale, yscale, double(xsize), double(ysize)})
            k += ' ' + QByteArray::number(v, 'g', 12);
        return k;
    }
};

RadarReader::RadarReader(RadarProduct product, const MapGrid &grid) : product_(std::move(product)), grid_(grid) {}

RadarReader::~RadarReader() = default;

Result<const GridMapping *> RadarReader::mappingFor(const Georef &g)
{
    const QByteArray key = g.key();
    reused_ = key == mappedFor_;
    if (reused_)
        return &mapping_;
    mappedFor_.clear();
    // PROJ turns the corners into the grid's own metres, then the grid's cells into Lambert-93.
    PJ_CONTEXT *context = proj_context_create();
    const QByteArray crs = g.projdef.contains("+type=crs") ? g.projdef : g.projdef + " +type=crs";
    const auto pipeline = [context](const char *from, const char *to) -> PJ * {
        PJ *raw = proj_create_crs_to_crs(context, from, to, nullptr);
        if (!raw)
            return nullptr;
        PJ *ordered = proj_normalize_for_visualization(context, raw);  // longitude first, easting first
        proj_destroy(raw);
        return ordered;
    };
    PJ *fromGeo = pipeline("EPSG:4326", crs.constData());
    PJ *toLambert = pipeline(crs.constData(), "EPSG:2154");
    const auto release = [&] {
        proj_destroy(fromGeo);
        proj_destroy(toLambert);
        proj_context_destroy(context);
    };
    if (!fromGeo || !toLambert) {
        release();
        return refused("projection illisible : " + g.projdef.left(200));
    }
    const PJ_COORD ul = proj_trans(fromGeo, PJ_FWD, proj_coord(g.ulLon, g.ulLat, 0, 0));
    const PJ_COORD lr = proj_trans(fromGeo, PJ_FWD, proj_coord(g.lrLon, g.lrLat, 0, 0));
    const double width = g.xsize * g.xscale, height = g.ysize * g.yscale;
    if (!std::isfinite(ul.xy.x) || !std::isfinite(lr.xy.x) || std::abs(lr.xy.x - ul.xy.x - width) > g.xscale
        || std::abs(ul.xy.y - lr.xy.y - height) > g.yscale) {
        release();
        return refused("coins de la grille incohérents avec sa taille et sa projection");
    }
    // Exact at every 16th cell, linear between: the projection is smooth, the error well under a metre.
    constexpr int kStep = 16;
    const int nodesX = (g.xsize - 1) / kStep + 2, nodesY = (g.ysize - 1) / kStep + 2;
    std::vector<PJ_COORD> nodes(size_t(nodesX) * size_t(nodesY));
    for (int j = 0; j < nodesY; ++j)
        for (int i = 0; i < nodesX; ++i)
            nodes[size_t(j) * size_t(nodesX) + size_t(i)] =
                proj_coord(ul.xy.x + (i * kStep + 0.5) * g.xscale, ul.xy.y - (j * kStep + 0.5) * g.yscale, 0, 0);
    proj_trans_array(toLambert, PJ_FWD, nodes.size(), nodes.data());
    release();
    const int xsize = g.xsize;
    mapping_ = mapCells(
        qsizetype(g.xsize) * g.ysize,
        [&nodes, nodesX, xsize](qsizetype cell) {
            const int col = int(cell % xsize), row = int(cell / xsize), a = col / kStep, b = row / kStep;
            const double fx = double(col - a * kStep) / kStep, fy = double(row - b * kStep) / kStep;
            const auto at = [&](int i, int j) { return nodes[size_t(j) * size_t(nodesX) + size_t(i)].xy; };
            const PJ_XY p00 = at(a, b), p10 = at(a + 1, b), p01 = at(a, b + 1), p11 = at(a + 1, b + 1);
            const double x = (p00.x * (1 - fx) + p10.x * fx) * (1 - fy) + (p01.x * (1 - fx) + p11.x * fx) * fy;
            const double y = (p00.y * (1 - fx) + p10.y * fx) * (1 - fy) + (p01.y * (1 - fx) + p11.y * fx) * fy;
            return std::pair{x, y};
        },
        grid_);
    mappedFor_ = key;
    return &mapping_;
}

Result<RainField> RadarReader::read(const QByteArray &file)
{
    if (file.size() > kMaxSourceFile)
        return refused("fichier de plus de 64 Mio");
    if (!file.startsWith("\x89HDF\r\n\x1a\n"))
        return refused("ce n'est pas un fichier HDF5");
    H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);  // the reasons are ours to say, once
    const Id access(H5Pcreate(H5P_FILE_ACCESS));
    if (H5Pset_fapl_core(access.get(), 1 << 20, 0) < 0
        || H5Pset_file_image(access.get(), const_cast<char *>(file.constData()), size_t(file.size())) < 0)
        return refused("mémoire");
    const Id h5(H5Fopen("radar.h5", H5F_ACC_RDONLY, access.get()));
    if (!h5)
        return refused("fichier HDF5 illisible (tronqué ?)");
    const hid_t f = h5.get();

    if (!text(f, "/", "Conventions").value_or("").startsWith("ODIM_H5/") || text(f, "/what", "object") != QByteArray("COMP"))
        return refused("ce n'est pas une mosaïque ODIM (Conventions, what/object)");
    Georef g;
    g.projdef = text(f, "/where", "projdef").value_or("");
    const auto where = [f](const char *name) { return number(f, "/where", name); };
    const std::optional<double> xsize = where("xsize"), ysize = where("ysize"), xscale = where("xscale"), yscale = where("yscale"),
                                ulLon = where("UL_lon"), ulLat = where("UL_lat"), lrLon = where("LR_lon"), lrLat = where("LR_lat");
    if (!xsize || !ysize || !xscale || !yscale || !ulLon || !ulLat || !lrLon || !lrLat)
        return refused("géoréférence incomplète (where)");
    if (!g.projdef.contains("+proj=stere"))
        return refused("projection autre que stéréographique polaire : " + g.projdef.left(200));
    if (*xsize != product_.xsize || *ysize != product_.ysize || *xscale != product_.scale || *yscale != product_.scale)
        return refused("grille de " + QByteArray::number(*xsize) + " × " + QByteArray::number(*ysize) + " cellules de "
                       + QByteArray::number(*xscale) + " m au lieu de " + QByteArray::number(product_.xsize) + " × "
                       + QByteArray::number(product_.ysize) + " de " + QByteArray::number(product_.scale) + " m");
    g.xsize = product_.xsize;
    g.ysize = product_.ysize;
    g.xscale = *xscale;
    g.yscale = *yscale;
    g.ulLon = *ulLon;
    g.ulLat = *ulLat;
    g.lrLon = *lrLon;
    g.lrLat = *lrLat;

    const std::optional<qint64> start = instant(f, "/dataset1/what", "startdate", "starttime"),
                                end = instant(f, "/dataset1/what", "enddate", "endtime");
    if (!start || !end)
        return refused("période de l'image illisible (dataset1/what)");
    if (*end - *start != qint64(product_.minutes) * 60 || *start % 60 != 0)
        return refused("image de " + QByteArray::number((*end - *start) / 60) + " min au lieu de "
                       + QByteArray::number(product_.minutes));
    const QByteArray quantity = text(f, "/dataset1/data1/what", "quantity").value_or("");
    if (quantity != product_.quantity)
        return refused("grandeur « " + quantity.left(40) + " » au lieu de " + product_.quantity);
    const std::optional<Scale> scale = scaleOf(f, "/dataset1/data1/what");
    if (!scale)
        return refused("échelle de l'image illisible (gain, offset, nodata)");
    if (text(f, "/dataset1/data1/quality1/what", "quantity") != product_.qualityQuantity)
        return refused("pas d'indice de qualité " + product_.qualityQuantity);
    const std::optional<Scale> qualityScale = scaleOf(f, "/dataset1/data1/quality1/what");
    if (!qualityScale)
        return refused("échelle de la qualité illisible");

    Result<std::vector<std::uint16_t>> data = grid(f, "/dataset1/data1/data", g.xsize, g.ysize);
    if (!data.ok())
        return data.error();
    Result<std::vector<std::uint16_t>> quality = grid(f, "/dataset1/data1/quality1/data", g.xsize, g.ysize);
    if (!quality.ok())
        return quality.error();

    // Every raw value in the file read once, through tables: rain in mm (NaN for no data), and
    // whether a quality code is good enough.
    std::vector<std::uint8_t> seen(65536, 0);
    for (const std::uint16_t v : data.value())
        seen[v] = 1;
    std::vector<float> mm(65536, NAN);
    for (int raw = 0; raw < 65536; ++raw) {
        if (!seen[size_t(raw)] || raw == scale->nodata)
            continue;
        const double v = raw == scale->undetect ? 0 : scale->offset + scale->gain * raw;
        if (v < 0 || v > product_.maxMm)
            return refused("valeur hors de l'étendue : " + QByteArray::number(v) + " mm en " + QByteArray::number(product_.minutes)
                           + " min");
        mm[size_t(raw)] = float(v);
    }
    std::vector<std::uint8_t> good(65536, 0);
    for (int raw = 0; raw < 65536; ++raw)
        good[size_t(raw)] = raw != qualityScale->nodata && qualityScale->offset + qualityScale->gain * raw >= product_.minQuality;

    const Result<const GridMapping *> mapping = mappingFor(g);
    if (!mapping.ok())
        return mapping.error();
    const std::uint16_t *values = data.value().data(), *codes = quality.value().data();
    RainField field{*start, *end, meanOnMap(*mapping.value(), [&](size_t i) { return good[codes[i]] ? mm[values[i]] : NAN; })};
    return field;
}

} // namespace service
