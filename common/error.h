// SPDX-License-Identifier: GPL-2.0-or-later
// The one error type of the program: its message says what failed and on which file or element.
#pragma once
#include <QByteArray>
#include <QString>
#include <stdexcept>

namespace meteo {

class Error : public std::runtime_error {
public:
    explicit Error(const QString &message) : std::runtime_error(message.toStdString()) {}
};

} // namespace meteo
