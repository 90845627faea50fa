// SPDX-License-Identifier: GPL-2.0-or-later
// The service's one way to fail: a result holds the value asked for, or the HTTP status and text with
// which the request is refused (400 for a malformed request, 404 for an unknown code, 502 when the
// weather source failed). The text goes to the log and into the <error> document.
#pragma once
#include <QByteArray>
#include <utility>
#include <variant>

namespace service {

struct HttpError {
    int status = 500;
    QByteArray text;
};

template <typename T>
class [[nodiscard]] Result {
public:
    // Implicit, so that a function returns its value or its error as it is.
    Result(T value) : v_(std::move(value)) {}
    Result(HttpError error) : v_(std::move(error)) {}
    bool ok() const { return v_.index() == 0; }
    const T &value() const { return std::get<0>(v_); }
    T &value() { return std::get<0>(v_); }
    const HttpError &error() const { return std::get<1>(v_); }

private:
    std::variant<T, HttpError> v_;
};

} // namespace service
