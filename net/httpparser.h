// SPDX-License-Identifier: GPL-2.0-or-later
// The answer side of HTTP/1.1 as a pure object: bytes in, events out, no socket and no timer. Every
// way an answer can be framed or broken is decided here, so it is table-tested and fuzzed on its own;
// HTTPClient only carries bytes to it and its events to the window.
#pragma once
#include <QByteArray>
#include <QList>

namespace meteo {

// The status text of a connection that ends before its answer does, from the parser or the socket.
inline constexpr char kCut[] = "Connexion interrompue";

struct HttpEvent {
    enum Kind { Head, Body, Done, Error };
    Kind kind = Error;
    int status = 0;    // Head: the status code
    QByteArray bytes;  // Head: the reason phrase; Body: a piece of the body; Error: the message
};

class HttpResponseParser {
public:
    static constexpr qint64 kMaxBody = 8 * 1024 * 1024;  // a broken or hostile server cannot exhaust memory
    static constexpr qsizetype kMaxHead = 64 * 1024;     // status line and headers; all trailers together
    static constexpr qsizetype kMaxChunkLine = 1024;     // a chunk's size and extensions
    static constexpr int kMaxInterim = 8;                // 1xx answers before the real one

    // The bytes that arrived, in order. After Done or Error, further bytes are ignored.
    void feed(QByteArray bytes);
    // The server closed the connection: only a body that runs until the close is whole then.
    void endOfStream();
    // Events since the last call, in order: one Head, Body pieces, then Done; or Error at any point.
    // Done and Error are the last event of an answer.
    [[nodiscard]] QList<HttpEvent> takeEvents() { return std::exchange(events_, {}); }
    bool complete() const { return complete_; }

private:
    enum class Stage { Head, Body, ChunkSize, ChunkData, ChunkEnd, Trailers, Over };
    void parse();
    bool readHead();
    bool readChunked();
    bool deliver(qint64 size);
    void done();
    void fail(const char *message);

    QList<HttpEvent> events_;
    QByteArray in_;             // received, not yet parsed
    Stage stage_ = Stage::Head;
    qsizetype headScanned_ = 0;  // how far the search for the head's end has looked
    int interim_ = 0;
    qint64 remaining_ = 0;       // of the body or of the current chunk; -1: until the server closes
    qint64 received_ = 0;
    qsizetype trailers_ = 0;
    bool complete_ = false;
};

} // namespace meteo
