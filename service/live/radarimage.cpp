// SPDX-License-Identifier: GPL-2.0-or-later
#include "radarimage.h"

#include <QDateTime>
#include <QTimeZone>
#include <array>
#include <climits>
#include <hdf5.h>
#include <proj.h>

namespace service {
namespace {

HttpError refusedImage(const QByteArray &why)
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

// The part of a grid that is read: rows and columns from the north-west.
struct Slab {
    int row = 0, column = 0, rows = 0, columns = 0;
};

// A 2-D grid of unsigned integers of at most 16 bits, of the promised size, its slab read.
Result<std::vector<std::uint16_t>> grid(hid_t file, const QByteArray &path, int xsize, int ysize, const Slab &slab)
{
    if (!exists(file, path))
        return refusedImage(path + " absent");
    const Id data(H5Dopen2(file, path.constData(), H5P_DEFAULT));
    const Id space(data ? H5Dget_space(data.get()) : -1), type(data ? H5Dget_type(data.get()) : -1);
    std::array<hsize_t, 2> dims{};
    if (!space || !type || H5Sget_simple_extent_ndims(space.get()) != 2 || H5Sget_simple_extent_dims(space.get(), dims.data(), nullptr) != 2)
        return refusedImage(path + " n'est pas une grille");
    if (dims[0] != hsize_t(ysize) || dims[1] != hsize_t(xsize))
        return refusedImage(path + " de " + QByteArray::number(dims[1]) + " × " + QByteArray::number(dims[0]) + " au lieu de "
                       + QByteArray::number(xsize) + " × " + QByteArray::number(ysize));
    if (H5Tget_class(type.get()) != H5T_INTEGER || H5Tget_size(type.get()) > 2 || H5Tget_sign(type.get()) != H5T_SGN_NONE)
        return refusedImage(path + " n'est pas en entiers non signés de 8 ou 16 bits");
    const std::array<hsize_t, 2> start{hsize_t(slab.row), hsize_t(slab.column)}, count{hsize_t(slab.rows), hsize_t(slab.columns)};
    const Id memory(H5Screate_simple(2, count.data(), nullptr));
    std::vector<std::uint16_t> values(size_t(slab.rows) * size_t(slab.columns));
    if (H5Sselect_hyperslab(space.get(), H5S_SELECT_SET, start.data(), nullptr, count.data(), nullptr) < 0
        || H5Dread(data.get(), H5T_NATIVE_UINT16, memory.get(), space.get(), H5P_DEFAULT, values.data()) < 0)
        return refusedImage(path + " illisible (fichier tronqué ?)");
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

constexpr int kLatticeStep = 16;

Result<const RadarReader::Lattice *> RadarReader::latticeFor(const Georef &g)
{
    const QByteArray key = g.key();
    reused_ = key == mappedFor_;
    if (reused_)
        return &lattice_;
    mappedFor_.clear();
    // PROJ turns the corners into the grid's own metres, then the grid's cells into Lambert-93, as
    // operations written out: nothing to look up in PROJ's database (a tenth of a second a file).
    PJ_CONTEXT *context = proj_context_create();
    QByteArray projection = g.projdef;
    projection.replace("+type=crs", "");
    PJ *fromGeo = proj_create(context, projection.constData());
    const QByteArray toLambert93 = "+proj=pipeline +step +inv " + projection
                                   + " +step +proj=lcc +lat_0=46.5 +lon_0=3 +lat_1=49 +lat_2=44 +x_0=700000 +y_0=6600000 +ellps=GRS80";
    PJ *toLambert = proj_create(context, toLambert93.constData());
    const auto release = [&] {
        proj_destroy(fromGeo);
        proj_destroy(toLambert);
        proj_context_destroy(context);
    };
    if (!fromGeo || !toLambert || !proj_angular_input(fromGeo, PJ_FWD)) {
        release();
        return refusedImage("projection illisible : " + g.projdef.left(200));
    }
    const PJ_COORD ul = proj_trans(fromGeo, PJ_FWD, proj_coord(proj_torad(g.ulLon), proj_torad(g.ulLat), 0, 0));
    const PJ_COORD lr = proj_trans(fromGeo, PJ_FWD, proj_coord(proj_torad(g.lrLon), proj_torad(g.lrLat), 0, 0));
    const double width = g.xsize * g.xscale, height = g.ysize * g.yscale;
    if (!std::isfinite(ul.xy.x) || !std::isfinite(lr.xy.x) || std::abs(lr.xy.x - ul.xy.x - width) > g.xscale
        || std::abs(ul.xy.y - lr.xy.y - height) > g.yscale) {
        release();
        return refusedImage("coins de la grille incohérents avec sa taille et sa projection");
    }
    // The projection is smooth: linear between nodes 8 km apart, the error is well under a metre.
    Lattice l;
    l.nodesX = (g.xsize - 1) / kLatticeStep + 2;
    l.nodesY = (g.ysize - 1) / kLatticeStep + 2;
    std::vector<PJ_COORD> nodes(size_t(l.nodesX) * size_t(l.nodesY));
    for (int j = 0; j < l.nodesY; ++j)
        for (int i = 0; i < l.nodesX; ++i)
            nodes[size_t(j) * size_t(l.nodesX) + size_t(i)] =
                proj_coord(ul.xy.x + (i * kLatticeStep + 0.5) * g.xscale, ul.xy.y - (j * kLatticeStep + 0.5) * g.yscale, 0, 0);
    proj_trans_array(toLambert, PJ_FWD, nodes.size(), nodes.data());
    release();
    l.column.resize(nodes.size());
    l.row.resize(nodes.size());
    for (size_t i = 0; i < nodes.size(); ++i) {
        l.column[i] = (nodes[i].xy.x - grid_.x0) / grid_.step + 0.5;  // the cell is the integer part
        l.row[i] = (grid_.y0 - nodes[i].xy.y) / grid_.step + 0.5;
    }
    lattice_ = std::move(l);
    mappedFor_ = key;
    return &lattice_;
}

namespace {

// The mean rain of the radar cells in each map cell, as meanOnMap does, placing each radar cell as
// it goes: along a row, between two nodes of the lattice, a cell is one step further than the last.
template <class Value>
std::vector<float> meanOnLattice(const std::vector<double> &columns, const std::vector<double> &rows, int nodesX, const Slab &slab,
                                 const MapGrid &grid, Value value)
{
    const size_t cells = size_t(grid.columns) * size_t(grid.rows);
    std::vector<float> sum(cells, 0.f);
    std::vector<std::uint16_t> valid(cells, 0), held(cells, 0);
    std::vector<double> u(static_cast<size_t>(nodesX)), v(static_cast<size_t>(nodesX));
    const int right = slab.column + slab.columns;
    for (int r = slab.row; r < slab.row + slab.rows; ++r) {
        const int b = r / kLatticeStep;
        const double fy = double(r - b * kLatticeStep) / kLatticeStep;
        for (int a = 0; a < nodesX; ++a) {
            const size_t top = size_t(b) * size_t(nodesX) + size_t(a), bottom = top + size_t(nodesX);
            u[size_t(a)] = columns[top] * (1 - fy) + columns[bottom] * fy;
            v[size_t(a)] = rows[top] * (1 - fy) + rows[bottom] * fy;
        }
        const size_t line = size_t(r - slab.row) * size_t(slab.columns);
        for (int a = slab.column / kLatticeStep; a * kLatticeStep < right; ++a) {
            const int first = std::max(slab.column, a * kLatticeStep), last = std::min(right, (a + 1) * kLatticeStep);
            const double du = (u[size_t(a) + 1] - u[size_t(a)]) / kLatticeStep, dv = (v[size_t(a) + 1] - v[size_t(a)]) / kLatticeStep;
            double cu = u[size_t(a)] + (first - a * kLatticeStep) * du, cv = v[size_t(a)] + (first - a * kLatticeStep) * dv;
            for (int c = first; c < last; ++c, cu += du, cv += dv) {
                if (cu < 0 || cv < 0 || cu >= grid.columns || cv >= grid.rows)
                    continue;
                const size_t t = size_t(cv) * size_t(grid.columns) + size_t(cu);
                held[t] += held[t] < UINT16_MAX;
                const float mm = value(line + size_t(c - slab.column));
                if (!std::isnan(mm)) {
                    sum[t] += mm;
                    ++valid[t];
                }
            }
        }
    }
    for (size_t t = 0; t < cells; ++t)
        sum[t] = valid[t] > 0 && 2 * valid[t] >= held[t] ? sum[t] / float(valid[t]) : NAN;
    return sum;
}

// The radar cells that can fall on the map: around the lattice's nodes that do, a node's step
// either side.
std::optional<Slab> slabOnMap(const std::vector<double> &columns, const std::vector<double> &rows, int nodesX, int xsize, int ysize,
                              const MapGrid &grid)
{
    int a0 = INT_MAX, a1 = -1, b0 = INT_MAX, b1 = -1;
    for (size_t i = 0; i < columns.size(); ++i)
        if (columns[i] >= -1 && rows[i] >= -1 && columns[i] <= grid.columns + 1 && rows[i] <= grid.rows + 1) {
            const int a = int(i % size_t(nodesX)), b = int(i / size_t(nodesX));
            a0 = std::min(a0, a);
            a1 = std::max(a1, a);
            b0 = std::min(b0, b);
            b1 = std::max(b1, b);
        }
    if (a1 < 0)
        return std::nullopt;
    Slab s;
    s.column = std::max(0, (a0 - 1) * kLatticeStep);
    s.row = std::max(0, (b0 - 1) * kLatticeStep);
    s.columns = std::min(xsize, (a1 + 1) * kLatticeStep + 1) - s.column;
    s.rows = std::min(ysize, (b1 + 1) * kLatticeStep + 1) - s.row;
    return s;
}

} // namespace

Result<RainField> RadarReader::read(const QByteArray &file)
{
    if (file.size() > kMaxSourceFile)
        return refusedImage("fichier de plus de 64 Mio");
    if (!file.startsWith("\x89HDF\r\n\x1a\n"))
        return refusedImage("ce n'est pas un fichier HDF5");
    H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);  // the reasons are ours to say, once
    const Id access(H5Pcreate(H5P_FILE_ACCESS));
    if (H5Pset_fapl_core(access.get(), 1 << 20, 0) < 0
        || H5Pset_file_image(access.get(), const_cast<char *>(file.constData()), size_t(file.size())) < 0)
        return refusedImage("mémoire");
    const Id h5(H5Fopen("radar.h5", H5F_ACC_RDONLY, access.get()));
    if (!h5)
        return refusedImage("fichier HDF5 illisible (tronqué ?)");
    const hid_t f = h5.get();

    if (!text(f, "/", "Conventions").value_or("").startsWith("ODIM_H5/") || text(f, "/what", "object") != QByteArray("COMP"))
        return refusedImage("ce n'est pas une mosaïque ODIM (Conventions, what/object)");
    Georef g;
    g.projdef = text(f, "/where", "projdef").value_or("");
    const auto where = [f](const char *name) { return number(f, "/where", name); };
    const std::optional<double> xsize = where("xsize"), ysize = where("ysize"), xscale = where("xscale"), yscale = where("yscale"),
                                ulLon = where("UL_lon"), ulLat = where("UL_lat"), lrLon = where("LR_lon"), lrLat = where("LR_lat");
    if (!xsize || !ysize || !xscale || !yscale || !ulLon || !ulLat || !lrLon || !lrLat)
        return refusedImage("géoréférence incomplète (where)");
    if (!g.projdef.contains("+proj=stere"))
        return refusedImage("projection autre que stéréographique polaire : " + g.projdef.left(200));
    if (*xsize != product_.xsize || *ysize != product_.ysize || *xscale != product_.scale || *yscale != product_.scale)
        return refusedImage("grille de " + QByteArray::number(*xsize) + " × " + QByteArray::number(*ysize) + " cellules de "
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
        return refusedImage("période de l'image illisible (dataset1/what)");
    if (*end - *start != qint64(product_.minutes) * 60 || *start % 60 != 0)
        return refusedImage("image de " + QByteArray::number((*end - *start) / 60) + " min au lieu de "
                       + QByteArray::number(product_.minutes));
    const QByteArray quantity = text(f, "/dataset1/data1/what", "quantity").value_or("");
    if (quantity != product_.quantity)
        return refusedImage("grandeur « " + quantity.left(40) + " » au lieu de " + product_.quantity);
    const std::optional<Scale> scale = scaleOf(f, "/dataset1/data1/what");
    if (!scale)
        return refusedImage("échelle de l'image illisible (gain, offset, nodata)");
    if (text(f, "/dataset1/data1/quality1/what", "quantity") != product_.qualityQuantity)
        return refusedImage("pas d'indice de qualité " + product_.qualityQuantity);
    const std::optional<Scale> qualityScale = scaleOf(f, "/dataset1/data1/quality1/what");
    if (!qualityScale)
        return refusedImage("échelle de la qualité illisible");

    const Result<const Lattice *> lattice = latticeFor(g);
    if (!lattice.ok())
        return lattice.error();
    const Lattice &l = *lattice.value();
    const std::optional<Slab> slab = slabOnMap(l.column, l.row, l.nodesX, g.xsize, g.ysize, grid_);
    if (!slab)
        return refusedImage("image hors de la carte");
    Result<std::vector<std::uint16_t>> data = grid(f, "/dataset1/data1/data", g.xsize, g.ysize, *slab);
    if (!data.ok())
        return data.error();
    Result<std::vector<std::uint16_t>> quality = grid(f, "/dataset1/data1/quality1/data", g.xsize, g.ysize, *slab);
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
            return refusedImage("valeur hors de l'étendue : " + QByteArray::number(v) + " mm en " + QByteArray::number(product_.minutes)
                           + " min");
        mm[size_t(raw)] = float(v);
    }
    std::vector<std::uint8_t> good(65536, 0);
    for (int raw = 0; raw < 65536; ++raw)
        good[size_t(raw)] = raw != qualityScale->nodata && qualityScale->offset + qualityScale->gain * raw >= product_.minQuality;

    const std::uint16_t *values = data.value().data(), *codes = quality.value().data();
    return RainField{*start, *end, meanOnLattice(l.column, l.row, l.nodesX, *slab, grid_, [&](size_t i) {
                         return good[codes[i]] ? mm[values[i]] : NAN;
                     })};
}

} // namespace service
