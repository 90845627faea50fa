// SPDX-License-Identifier: GPL-2.0-or-later
#include "httpparser.h"

#include <optional>

namespace meteo {
namespace {

constexpr char kInvalid[] = "Réponse HTTP invalide";
constexpr char kEncoding[] = "Encodage de réponse non pris en charge";

// One line ending in LF (a CR before it is dropped), taken off the front of `in`; false while
// the line is not complete.
bool takeLine(QByteArray &in, QByteArray &line)
{
    const qsizetype end = in.indexOf('\n');
    if (end < 0)
        return false;
    line = in.left(end);
    if (line.endsWith('\r'))
        line.chop(1);
    in.remove(0, end + 1);
    return true;
}

// Where the head ends: just past its first empty line (CR LF or bare LF), or -1 while it has none.
// The search starts a little before `from`, where the last one stopped, so a trickled head is read once.
qsizetype headEnd(const QByteArray &in, qsizetype from)
{
    for (qsizetype at = in.indexOf('\n', qMax<qsizetype>(0, from - 2)); at >= 0; at = in.indexOf('\n', at + 1)) {
        if (at + 1 < in.size() && in[at + 1] == '\n')
            return at + 2;
        if (at + 2 < in.size() && in[at + 1] == '\r' && in[at + 2] == '\n')
            return at + 3;
    }
    return -1;
}

bool allDigits(QByteArrayView text, bool hex = false)
{
    if (text.isEmpty() || text.size() > 15)  // 15 digits stay far below qint64 in either base
        return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))))
            return false;
    return true;
}

} // namespace

void HttpResponseParser::feed(QByteArray bytes)
{
    if (stage_ == Stage::Over || bytes.isEmpty())
        return;
    if (in_.isEmpty())
        in_.swap(bytes);  // the usual case in a body: no copy
    else
        in_ += bytes;
    parse();
}

void HttpResponseParser::endOfStream()
{
    if (stage_ == Stage::Over)
        return;
    if (stage_ == Stage::Body && remaining_ < 0)
        done();
    else
        fail(kCut);
}

void HttpResponseParser::parse()
{
    if (stage_ == Stage::Head && !readHead())
        return;
    if (stage_ == Stage::Body) {
        const qint64 size = remaining_ < 0 ? in_.size() : qMin<qint64>(remaining_, in_.size());
        if (!deliver(size))
            return;
        if (remaining_ > 0)
            remaining_ -= size;
        if (remaining_ == 0)
            done();
        return;
    }
    readChunked();
}

// The status line and headers; false while they are incomplete or when the answer ended.
bool HttpResponseParser::readHead()
{
    for (;;) {
        const qsizetype end = headEnd(in_, headScanned_);
        headScanned_ = in_.size();
        if (end < 0 || end > kMaxHead) {
            if (end > kMaxHead || in_.size() > kMaxHead)
                fail(kInvalid);
            return false;
        }
        QByteArray head = in_.left(end), line;
        in_.remove(0, end);
        headScanned_ = 0;
        takeLine(head, line);
        const QList<QByteArray> status = line.split(' ');
        if (status.size() < 2 || !status[0].startsWith("HTTP/1.") || status[1].size() != 3 || !allDigits(status[1])) {
            fail(kInvalid);
            return false;
        }
        const int code = status[1].toInt();
        if (code >= 100 && code < 200 && code != 101) {
            if (++interim_ > kMaxInterim) {  // an endless stream of them is no answer
                fail(kInvalid);
                return false;
            }
            continue;  // an interim answer; the real one follows
        }
        const QByteArray reason = line.mid(status[0].size() + 5);
        // A header given empty is given all the same: an empty length is no length, and invalid.
        std::optional<QByteArray> length, transfer, encoding;
        while (takeLine(head, line) && !line.isEmpty()) {
            const qsizetype colon = line.indexOf(':');
            // A line folded onto the previous one (obs-fold) would let a header hide inside another.
            if (colon <= 0 || line.startsWith(' ') || line.startsWith('\t')) {
                fail(kInvalid);
                return false;
            }
            const QByteArray name = line.left(colon).trimmed().toLower(), value = line.mid(colon + 1).trimmed();
            std::optional<QByteArray> *field = name == "content-length" ? &length : name == "transfer-encoding" ? &transfer
                                             : name == "content-encoding"                  ? &encoding : nullptr;
            if (field && *field && **field != value) {
                fail(kInvalid);  // two different lengths or encodings: nothing can be trusted
                return false;
            }
            if (field)
                *field = value;
        }
        events_.append({HttpEvent::Head, code, reason});
        if (code == 101) {
            fail(kInvalid);
            return false;
        }
        if ((encoding && encoding->toLower() != "identity") || (transfer && transfer->toLower() != "chunked")) {
            fail(kEncoding);
            return false;
        }
        stage_ = Stage::Body;
        if (transfer) {
            stage_ = Stage::ChunkSize;
        } else if (code == 204 || code == 304) {
            remaining_ = 0;
        } else if (length) {
            if (!allDigits(*length)) {
                fail(kInvalid);
                return false;
            }
            remaining_ = length->toLongLong();
        } else {
            remaining_ = -1;
        }
        return true;
    }
}

// Chunk size lines, chunk data and the trailers after the last chunk; a malformed chunk is a cut.
bool HttpResponseParser::readChunked()
{
    QByteArray line;
    while (stage_ != Stage::Over) {
        switch (stage_) {
        case Stage::ChunkSize: {
            const bool whole = takeLine(in_, line);
            // However the line arrives, in one piece or many, a long one is refused.
            if ((whole ? line.size() : in_.size()) > kMaxChunkLine) {
                fail(kCut);
                return false;
            }
            if (!whole)
                return false;
            const QByteArray size = line.split(';').constFirst().trimmed();  // extensions are ignored
            if (!allDigits(size, true)) {
                fail(kCut);
                return false;
            }
            remaining_ = size.toLongLong(nullptr, 16);
            stage_ = remaining_ == 0 ? Stage::Trailers : Stage::ChunkData;
            break;
        }
        case Stage::ChunkData: {
            const qint64 size = qMin<qint64>(remaining_, in_.size());
            if (size == 0 || !deliver(size))
                return false;
            remaining_ -= size;
            if (remaining_ == 0)
                stage_ = Stage::ChunkEnd;
            break;
        }
        case Stage::ChunkEnd:
            if (in_.size() < 2 && !in_.startsWith('\n'))
                return false;
            if (!takeLine(in_, line) || !line.isEmpty()) {
                fail(kCut);
                return false;
            }
            stage_ = Stage::ChunkSize;
            break;
        case Stage::Trailers: {
            const qsizetype before = in_.size();
            const bool whole = takeLine(in_, line);
            trailers_ += before - in_.size();
            if (trailers_ + (whole ? 0 : in_.size()) > kMaxHead) {  // all trailers, as the head
                fail(kInvalid);
                return false;
            }
            if (!whole)
                return false;
            if (line.isEmpty()) {
                done();
                return true;
            }
            break;
        }
        default:
            return false;
        }
    }
    return false;
}

bool HttpResponseParser::deliver(qint64 size)
{
    if (size <= 0)
        return true;
    received_ += size;
    if (received_ > kMaxBody) {
        fail("Réponse trop volumineuse");
        return false;
    }
    HttpEvent piece{HttpEvent::Body, 0, {}};
    if (size == in_.size()) {
        piece.bytes.swap(in_);  // all that arrived goes on as it is
    } else {
        piece.bytes = in_.left(size);
        in_.remove(0, size);
    }
    events_.append(std::move(piece));
    return true;
}

void HttpResponseParser::done()
{
    stage_ = Stage::Over;
    complete_ = true;
    in_.clear();
    events_.append({HttpEvent::Done, 0, {}});
}

void HttpResponseParser::fail(const char *message)
{
    stage_ = Stage::Over;
    in_.clear();
    events_.append({HttpEvent::Error, 0, QByteArray(message)});
}

} // namespace meteo
