// SPDX-License-Identifier: GPL-2.0-or-later
// The hidden text holder of the downloaded body: bytes kept exactly as received (no decoding), whole
// text replaced in constant time, and its lines saved to a file.
#pragma once
#include <QByteArray>
#include <QObject>

namespace meteo {

class MemoText : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    QByteArray Text() const { return text_; }
    // Shares the caller's bytes; no copy is made.
    void setText(const QByteArray &text) { text_ = text; }
    void Clear() { text_.clear(); selStart_ = 0; }
    qsizetype SelStart() const { return selStart_; }
    void setSelStart(qsizetype position) { selStart_ = qBound<qsizetype>(0, position, text_.size()); }
    // Replaces the file atomically with the text's bytes; throws Error naming the file on failure,
    // leaving any earlier file intact.
    void SaveToFile(const QString &path) const;

private:
    QByteArray text_;
    qsizetype selStart_ = 0;
};

} // namespace meteo
