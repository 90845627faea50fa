// SPDX-License-Identifier: GPL-2.0-or-later
// The weather service's request URL for one location code.
#pragma once
#include <QByteArray>

namespace meteo {

// The fixed query of every request: current conditions and nine forecast days, metric units, and
// the program's identifier and key at the service.
inline constexpr char kWeatherQuery[] = "?r&cc=*&unit=m&dayf=9&prod=xoap&par=1029384756&key=0a1b2c3d4e5f6071";

// The address of `target` ("/communes?q=…") at the service.
QByteArray serviceUrl(const QByteArray &serviceHost, const QByteArray &target);

// "http://" + host + "/weather/local/" + code + query. The code is one path segment: every byte but
// letters, digits and "-._~" is percent-encoded, so that it can neither climb the path ("..") nor
// rewrite the query; an ordinary code of letters and digits goes out unchanged.
QByteArray weatherRequestUrl(const QByteArray &serviceHost, const QByteArray &code);

} // namespace meteo
