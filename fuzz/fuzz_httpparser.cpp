// SPDX-License-Identifier: GPL-2.0-or-later
// The HTTP answer parser on arbitrary bytes: the same bytes split at any points give the same events,
// and "done" only ever follows a whole body.
#include "net/httpparser.h"

#include <cstdlib>

namespace {

struct Outcome {
    int status = 0;
    QByteArray body, end;  // end: "done" or the error text
    bool operator==(const Outcome &) const = default;
};

Outcome run(const QByteArray &bytes, const QList<qsizetype> &cuts)
{
    meteo::HttpResponseParser parser;
    Outcome out;
    const auto drain = [&] {
        for (const meteo::HttpEvent &e : parser.takeEvents()) {
            if (!out.end.isEmpty())
                std::abort();  // nothing after the last event
            if (e.kind == meteo::HttpEvent::Head)
                out.status = e.status;
            else if (e.kind == meteo::HttpEvent::Body)
                out.body += e.bytes;
            else
                out.end = e.kind == meteo::HttpEvent::Done ? QByteArray("done") : e.bytes;
        }
    };
    qsizetype from = 0;
    for (qsizetype cut : cuts) {
        parser.feed(bytes.mid(from, cut - from));
        drain();
        from = cut;
    }
    parser.feed(bytes.mid(from));
    drain();
    parser.endOfStream();
    drain();
    if (out.end.isEmpty() || parser.complete() != (out.end == "done"))
        std::abort();  // every answer ends, once
    if (out.body.size() > meteo::HttpResponseParser::kMaxBody)
        std::abort();
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The first byte picks the cuts; the rest is the answer.
    if (size < 1)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    const Outcome whole = run(bytes, {});
    QList<qsizetype> cuts, every;
    for (qsizetype at = 1 + data[0] % 7; at < bytes.size(); at += 1 + (at * 31 + data[0]) % 13)
        cuts << at;
    for (qsizetype at = 1; at < bytes.size() && at < 2048; ++at)
        every << at;
    if (!(run(bytes, cuts) == whole) || (bytes.size() < 2048 && !(run(bytes, every) == whole)))
        std::abort();
    // A declared length is honoured exactly: "done" never follows a short body. Checked on answers
    // with one head (no interim answer before it) and one length.
    if (whole.end == "done" && whole.status >= 200 && whole.status != 204 && whole.status != 304) {
        qsizetype end = -1;
        for (qsizetype at = bytes.indexOf('\n'); at >= 0 && end < 0; at = bytes.indexOf('\n', at + 1))
            if (bytes.mid(at + 1, 1) == "\n" || bytes.mid(at + 1, 2) == "\r\n")
                end = at;
        QList<QByteArray> lengths;
        bool chunked = false;
        for (const QByteArray &line : bytes.left(end).toLower().split('\n')) {
            if (line.startsWith("content-length:"))
                lengths << line.mid(15).trimmed();
            chunked = chunked || line.startsWith("transfer-encoding:");
        }
        if (end >= 0 && !chunked && lengths.size() == 1 && bytes.startsWith("HTTP/1.") && bytes.mid(9, 1) == "2"
            && whole.body.size() != lengths[0].toLongLong())
            std::abort();
    }
    return 0;
}
