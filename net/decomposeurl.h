// SPDX-License-Identifier: GPL-2.0-or-later
// Splits a URL text into host, request target and port, as written: no normalisation.
#pragma once
#include <QByteArray>

namespace meteo {

// "http://host:port/path?query" -> host, "/path?query", port (the scheme's default when absent:
// 80 for http, 443 for https). Returns false, with the outputs still filled as far as they could be,
// when the text is not such a URL (no scheme, empty host, port not a number below 65536).
// `secure`, when given, tells whether the scheme is https: such a request must go through TLS.
[[nodiscard]] bool DecomposeURL(const QByteArray &url, QByteArray &AHost, QByteArray &AURI, quint16 &APort, bool *secure = nullptr);

} // namespace meteo
